// The system's code page 932 converter, one character at a time: the two
// calls that qvl_text builds its tables from. qvl_text_posix.cpp and
// qvl_text_win32.cpp implement them; the build takes one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvl::platform {

// The character that one code (a single byte, or a lead and a trail byte)
// stands for, as Windows reads it; nothing where the code page holds none.
[[nodiscard]] std::optional<char16_t> Cp932Decode(std::string_view code);

// The code that Windows writes for a character, without best-fit
// replacements; empty where the code page holds no such character.
[[nodiscard]] std::string Cp932Encode(char16_t c);

}  // namespace qvl::platform
