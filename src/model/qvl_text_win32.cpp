// Code page 932 as Windows' own converter has it.
#include <windows.h>

#include "model/qvl_text_platform.h"

namespace qvl::platform {

std::optional<char16_t> Cp932Decode(std::string_view code) {
  wchar_t wide[2] = {};
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, code.data(),
                                    static_cast<int>(code.size()), wide, 2);
  if (n != 1) return std::nullopt;
  // Windows reads an unassigned double-byte code as the katakana middle dot,
  // which the code page holds at 0x8145 only.
  if (code.size() == 2 && wide[0] == L'\u30FB' && code != "\x81\x45") return std::nullopt;
  return static_cast<char16_t>(wide[0]);
}

std::string Cp932Encode(char16_t c) {
  const wchar_t wide = static_cast<wchar_t>(c);
  char bytes[4];
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                    nullptr, &used_default);
  if (n <= 0 || used_default) return {};
  return std::string(bytes, static_cast<std::size_t>(n));
}

}  // namespace qvl::platform
