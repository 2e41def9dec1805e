// Conversion between the UTF-8 texts written in the source and the code page 932
// bytes that the model, the files and the clipboard hold.
#pragma once

#include <string>
#include <string_view>

namespace qvl {

// Converts UTF-8 to code page 932 ("windows-31j"). Characters that code page 932
// cannot hold become the converter's substitution byte.
[[nodiscard]] std::string Utf8ToCp932(std::string_view utf8);

// Converts code page 932 bytes to UTF-8 for display. Malformed bytes become
// U+FFFD rather than failing: user files may hold anything.
[[nodiscard]] std::string Cp932ToUtf8(std::string_view cp932);

// The characters of a UTF-8 text that code page 932 cannot hold exactly (no
// round trip back to the same character), each once in order of first
// appearance, as UTF-8. Empty when the whole text can be stored. Malformed
// UTF-8 is reported as U+FFFD.
[[nodiscard]] std::string UnconvertibleToCp932(std::string_view utf8);

// ASCII lower-casing of a code page 932 text that leaves double-byte characters
// whole: a trail byte in the range of A to Z is part of a Japanese character.
[[nodiscard]] std::string LowerAsciiCp932(std::string_view cp932);

// Whether a code page 932 text contains part starting at a character boundary,
// so that a trail byte followed by a lead byte never counts as a match. An
// empty part is contained nowhere.
[[nodiscard]] bool ContainsCp932(std::string_view text, std::string_view part);

// Where a byte offset of a code page 932 text stands, both counted from 1: a
// line ends at a carriage return and line feed pair, a lone carriage return or
// a lone line feed, and a double-byte character is one column.
struct text_position_t {
  std::size_t line;
  std::size_t column;
};
[[nodiscard]] text_position_t Cp932Position(std::string_view text, std::size_t offset);

}  // namespace qvl

// The code page 932 form of a UTF-8 string literal, converted once per use site
// on first use and kept for the life of the program.
#define QVL_CP932(utf8_literal)                                            \
  ([]() -> const std::string& {                                            \
    static const std::string converted = ::qvl::Utf8ToCp932(utf8_literal); \
    return converted;                                                      \
  }())
