#include "model/qvl_text.h"

#include <gtest/gtest.h>

namespace qvl {
namespace {

TEST(Text, ConvertsJapaneseToCodePage932Bytes) {
  // 表 is 0x95 0x5C: its trail byte is a backslash, the classic trap.
  EXPECT_EQ(Utf8ToCp932("表"), std::string("\x95\x5C"));
  EXPECT_EQ(Utf8ToCp932("新"), std::string("\x90\x56"));
  EXPECT_EQ(Utf8ToCp932("abc"), "abc");
  EXPECT_EQ(Utf8ToCp932(""), "");
}

TEST(Text, RoundTripsThroughUtf8) {
  const std::string text = "ボーダーボーナス（～）①ｱｲｳ abc";
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(text)), text);
}

TEST(Text, ConvertsOnceAtEachUseSite) {
  const std::string& a = QVL_CP932("新");
  const std::string& b = QVL_CP932("新");
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, std::string("\x90\x56"));
}

TEST(Text, MalformedCodePage932BecomesReplacementCharacters) {
  // A lone lead byte at the end cannot be decoded; display must still work.
  const std::string shown = Cp932ToUtf8(std::string("a\x95", 2));
  EXPECT_EQ(shown.substr(0, 1), "a");
  EXPECT_GT(shown.size(), 1u);
}

}  // namespace
}  // namespace qvl
