// The system's code page 932 converter: the calls that qvl_text builds its
// tables from, each over many codes at once (a converter called once per
// code costs more than the rest of a program's start). qvl_text_posix.cpp
// and qvl_text_win32.cpp implement them; the build takes one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qvl::platform {

// The character that each single byte stands for, as Windows reads it;
// nothing where the code page holds none. out[i] is codes[i]'s.
[[nodiscard]] std::vector<std::optional<char16_t>> Cp932DecodeSingles(
    std::span<const unsigned char> codes);

// The same for double-byte codes, each given as lead byte << 8 | trail byte.
[[nodiscard]] std::vector<std::optional<char16_t>> Cp932DecodePairs(
    std::span<const std::uint16_t> codes);

// The code that Windows writes for each character, without best-fit
// replacements; empty where the code page holds no such character.
[[nodiscard]] std::vector<std::string> Cp932Encode(std::span<const char16_t> chars);

}  // namespace qvl::platform
