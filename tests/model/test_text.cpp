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

TEST(Text, NormalizesTextsAsTheFileGivesThemBack) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"a\nb", "a\r\nb"},
      {"a\rb", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},
      {"\n\r", "\r\n\r\n"},
      {"\r\r\n\n", "\r\n\r\n\r\n"},
      {"\"a\\\"", "\"a\\\""},              // quotes and backslashes after ASCII stay
      {"\x82\xA0\"", "\x82\xA0\x81\x68"},  // after a trail byte in 0x81-0xFC
      {"\xB1\"\"", "\xB1\x81\x68\""},      // after half-width katakana; the next follows 0x68
      {"\x95\x5C\"", "\x95\x5C\""},        // 表 ends in a backslash: the quote can be escaped
      {"\x81\x68", "\x81\x68"},            // already normalised
      {"\xFC\r\"", "\xFC\r\n\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizeTextForFile(c.in), c.out) << "input: " << ::testing::PrintToString(c.in);
    EXPECT_EQ(NormalizeTextForFile(c.out), c.out) << "again: " << ::testing::PrintToString(c.out);
  }
}

}  // namespace
}  // namespace qvl
