// Code page 932 as Windows' own converter has it, one code at a time:
// Windows' converter is quick enough at that.
#include <windows.h>

#include "model/qvl_text_platform.h"

namespace qvl::platform {
namespace {

std::optional<char16_t> Decode(const char* code, int size) {
  wchar_t wide[2] = {};
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, code, size, wide, 2);
  if (n != 1) return std::nullopt;
  return static_cast<char16_t>(wide[0]);
}

}  // namespace

std::vector<std::optional<char16_t>> Cp932DecodeSingles(std::span<const unsigned char> codes) {
  std::vector<std::optional<char16_t>> out;
  out.reserve(codes.size());
  for (const unsigned char b : codes) {
    const char byte = static_cast<char>(b);
    out.push_back(Decode(&byte, 1));
  }
  return out;
}

std::vector<std::optional<char16_t>> Cp932DecodePairs(std::span<const std::uint16_t> codes) {
  std::vector<std::optional<char16_t>> out;
  out.reserve(codes.size());
  for (const std::uint16_t code : codes) {
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::optional<char16_t> c = Decode(bytes, 2);
    // Windows reads an unassigned double-byte code as the katakana middle
    // dot, which the code page holds at 0x8145 only.
    if (c == u'\u30FB' && code != 0x8145) c.reset();
    out.push_back(c);
  }
  return out;
}

std::vector<std::string> Cp932Encode(std::span<const char16_t> chars) {
  std::vector<std::string> out;
  out.reserve(chars.size());
  for (const char16_t c : chars) {
    const wchar_t wide = static_cast<wchar_t>(c);
    char bytes[4];
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                      nullptr, &used_default);
    out.push_back(n <= 0 || used_default ? std::string()
                                         : std::string(bytes, static_cast<std::size_t>(n)));
  }
  return out;
}

}  // namespace qvl::platform
