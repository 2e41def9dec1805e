// Code page 932 against Windows' own table (tests/model/data/cp932.txt, made
// by scripts/cp932-table.cpp): every single byte and every double-byte code,
// read and written, the same on every platform.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "model/qvl_text.h"

namespace qvl {
namespace {

std::string Bytes(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

TEST(Cp932Table, EveryCodeReadsAndWritesAsOnWindows) {
  std::ifstream in(QVL_CP932_TABLE);
  ASSERT_TRUE(in) << QVL_CP932_TABLE;
  std::size_t lines = 0;
  int failures = 0;
  std::string line;
  while (std::getline(in, line) && failures < 20) {
    ++lines;
    std::istringstream fields(line);
    std::string code_hex, unit_hex, back_hex;
    fields >> code_hex >> unit_hex >> back_hex;
    const std::string code = Bytes(code_hex);
    std::string read;
    std::string written = "?";
    bool kept = false;
    if (unit_hex == "-") {
      // A code without a character is one U+FFFD; a lead byte before 0x7F,
      // which is no trail byte, stands alone.
      read = Utf8Of(0xFFFD);
      if (code.size() == 2 && code[1] == '\x7F') read += '\x7F';
    } else {
      const auto unit = static_cast<char32_t>(std::stoul(unit_hex, nullptr, 16));
      read = Utf8Of(unit);
      kept = back_hex != "-";
      if (kept) written = Bytes(back_hex);
      EXPECT_EQ(Utf8ToCp932(read), written) << line;
      EXPECT_EQ(UnconvertibleToCp932(read).empty(), kept) << line;
      failures += Utf8ToCp932(read) != written;
    }
    EXPECT_EQ(Cp932ToUtf8(code), read) << line;
    failures += Cp932ToUtf8(code) != read;
  }
  EXPECT_EQ(failures, 0);
  // Every single byte, and every lead byte with every trail byte 0x40-0xFC.
  EXPECT_EQ(lines, 256u + 60u * 189u);
}

}  // namespace
}  // namespace qvl
