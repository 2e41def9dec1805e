// Conversion between the UTF-8 texts written in the source and the code page 932
// bytes that the model, the files and the clipboard hold.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qvl {

// Converts UTF-8 to code page 932 as Windows reads and writes it, on every
// platform. Characters that code page 932 cannot hold exactly become "?", the
// code page's default character.
[[nodiscard]] std::string Utf8ToCp932(std::string_view utf8);

// Converts code page 932 bytes to UTF-8 for display. Malformed bytes become
// U+FFFD rather than failing: user files may hold anything. A lead byte and a
// trail byte that hold no character are one U+FFFD; a lead byte without a
// trail byte is one, and the byte after it is read as a character of its own.
[[nodiscard]] std::string Cp932ToUtf8(std::string_view cp932);

// The characters of a UTF-8 text that code page 932 cannot hold exactly (no
// round trip back to the same character), each once in order of first
// appearance, as UTF-8. Empty when the whole text can be stored. Malformed
// UTF-8 is reported as U+FFFD.
[[nodiscard]] std::string UnconvertibleToCp932(std::string_view utf8);

// Whether a text is well-formed UTF-8.
[[nodiscard]] bool IsUtf8(std::string_view text);

// Appends the UTF-8 form of a code point; a surrogate or a value beyond
// U+10FFFF is written as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// The first byte of a code page 932 double-byte character.
[[nodiscard]] constexpr bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The one ASCII case folding of the core: A to Z become a to z, every other
// byte stays.
[[nodiscard]] constexpr char LowerAsciiChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A character of the other Unicode mapping of the JIS character set, the one
// the input methods and fonts of Linux and macOS use, and the character that
// code page 932 holds for the same JIS character. Code page 932 itself cannot
// hold the typed form, so without this a wave dash typed as usual is refused.
struct jis_variant_t {
  char32_t typed;
  char32_t cp932;
};
inline constexpr std::array<jis_variant_t, 7> kJisVariants{{
    {U'\u301C', U'\uFF5E'},  // WAVE DASH → FULLWIDTH TILDE
    {U'\u2016', U'\u2225'},  // DOUBLE VERTICAL LINE → PARALLEL TO
    {U'\u2212', U'\uFF0D'},  // MINUS SIGN → FULLWIDTH HYPHEN-MINUS
    {U'\u00A2', U'\uFFE0'},  // CENT SIGN → FULLWIDTH CENT SIGN
    {U'\u00A3', U'\uFFE1'},  // POUND SIGN → FULLWIDTH POUND SIGN
    {U'\u00AC', U'\uFFE2'},  // NOT SIGN → FULLWIDTH NOT SIGN
    {U'\u2014', U'\u2015'},  // EM DASH → HORIZONTAL BAR
}};

// Text a user typed (in the window or on qvl's command line), for the model.
// The JIS variants above become the code page's own characters first; the
// mapping is one-way, so reading shows the code page's characters.
struct cp932_input_t {
  std::string text;           // code page 932; empty when refused
  std::string unconvertible;  // as UnconvertibleToCp932 lists them; empty when stored
};
[[nodiscard]] cp932_input_t InputToCp932(std::string_view utf8);

// A title or memo as a pattern file gives it back, so that a text is kept in
// this form from the moment it enters the model (load, typing, qvl's
// arguments) and lists sorted by it stay in the same order after a save: every
// line break (CR LF, a lone CR, a lone LF) becomes CR LF, and a double quote
// right after a byte in 0x81-0xFC, which the file cannot hold there, becomes
// the full-width quote 0x81 0x68. A text already in this form is unchanged.
[[nodiscard]] std::string NormalizeTextForFile(std::string_view cp932);

// Each character of a UTF-8 text with its code point, for messages:
// "😀 (U+1F600), 한 (U+D55C)".
[[nodiscard]] std::string NameCodePoints(std::string_view utf8);

// ASCII lower-casing of a code page 932 text that leaves double-byte characters
// whole: a trail byte in the range of A to Z is part of a Japanese character.
// Texts of ASCII words (booleans, kinds, difficulties) fold the same way.
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
