// Prints how Windows reads and writes every code of code page 932, for the
// table in tests/model/data/cp932.txt. Built with MinGW and run under Wine or
// on Windows:
//   x86_64-w64-mingw32-g++ -O2 -o cp932-table.exe scripts/cp932-table.cpp
//   wine cp932-table.exe > tests/model/data/cp932.txt
// Each line is a code (two or four hexadecimal digits), the UTF-16 unit that
// MultiByteToWideChar gives for it, and the bytes that WideCharToMultiByte
// (without best-fit characters) gives back for that unit; "-" where Windows
// refuses the code. Every single byte and every lead byte with every trail
// byte in 0x40-0xFC is listed.
#include <windows.h>

#include <cstdio>

namespace {

void Print(const char* bytes, int n) {
  for (int i = 0; i < n; ++i) std::printf("%02X", static_cast<unsigned char>(bytes[i]));
  wchar_t wide[4];
  const int w = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, n, wide, 4);
  if (w != 1) {
    std::printf("\t-\n");
    return;
  }
  std::printf("\t%04X\t", static_cast<unsigned>(wide[0]));
  char back[8];
  BOOL used_default = FALSE;
  const int m = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr,
                                    &used_default);
  if (m <= 0 || used_default) {
    std::printf("-\n");
    return;
  }
  for (int i = 0; i < m; ++i) std::printf("%02X", static_cast<unsigned char>(back[i]));
  std::printf("\n");
}

bool IsLead(int c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

int main() {
  for (int c = 0; c < 0x100; ++c) {
    const char b = static_cast<char>(c);
    Print(&b, 1);
  }
  for (int lead = 0; lead < 0x100; ++lead) {
    if (!IsLead(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const char b[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      Print(b, 2);
    }
  }
  return 0;
}
