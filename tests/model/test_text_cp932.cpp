#include <gtest/gtest.h>

#include <string>

#include "model/qvl_text.h"

namespace qvl {
namespace {

struct unconvertible_case_t {
  const char* utf8;
  const char* expected;  // UTF-8
};

class Unconvertible : public ::testing::TestWithParam<unconvertible_case_t> {};

TEST_P(Unconvertible, ListsEachCharacterOnceInOrder) {
  const auto& c = GetParam();
  EXPECT_EQ(UnconvertibleToCp932(c.utf8), c.expected) << "input: " << c.utf8;
}

INSTANTIATE_TEST_SUITE_P(
    Text, Unconvertible,
    ::testing::Values(unconvertible_case_t{"", ""}, unconvertible_case_t{"abc 123", ""},
                      unconvertible_case_t{"ボーダーボーナス（～）①ｱｲｳ表", ""},
                      // Hangul, an emoji outside the BMP and a Latin letter with accent.
                      unconvertible_case_t{"a한b😀c", "한😀"}, unconvertible_case_t{"é表é한", "é한"},
                      // The wave dash has only a one-way mapping: storing it would
                      // read back as the full-width tilde.
                      unconvertible_case_t{"1〜2", "〜"}));

TEST(Text, UnconvertibleReportsMalformedUtf8AsReplacementCharacter) {
  EXPECT_EQ(UnconvertibleToCp932(std::string("a\xff", 2)), "\xEF\xBF\xBD");
}

TEST(Text, EveryListedCharacterReallyFailsTheRoundTrip) {
  const std::string text = "漢字かなカナ한😀é";
  const std::string bad = UnconvertibleToCp932(text);
  EXPECT_NE(Cp932ToUtf8(Utf8ToCp932(text)), text);
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932("漢字かなカナ")), "漢字かなカナ");
  EXPECT_EQ(bad, "한😀é");
}

TEST(Text, LowerAsciiCp932KeepsDoubleByteCharactersWhole) {
  // ア is 0x83 0x41: its trail byte is an 'A' that must not be lowered.
  const std::string a = Utf8ToCp932("ア");
  ASSERT_EQ(a, std::string("\x83\x41"));
  EXPECT_EQ(LowerAsciiCp932(Utf8ToCp932("ABCアxYZ")), Utf8ToCp932("abcアxyz"));
  EXPECT_EQ(LowerAsciiCp932(""), "");
  // A lone lead byte at the end stays as it is.
  EXPECT_EQ(LowerAsciiCp932(std::string("A\x83", 2)), std::string("a\x83", 2));
}

struct contains_case_t {
  const char* text;  // UTF-8, converted before the call
  const char* part;
  bool expected;
};

class ContainsText : public ::testing::TestWithParam<contains_case_t> {};

TEST_P(ContainsText, MatchesOnlyAtCharacterBoundaries) {
  const auto& c = GetParam();
  EXPECT_EQ(ContainsCp932(Utf8ToCp932(c.text), Utf8ToCp932(c.part)), c.expected)
      << "text: " << c.text << " part: " << c.part;
}

INSTANTIATE_TEST_SUITE_P(
    Text, ContainsText,
    ::testing::Values(contains_case_t{"abc", "b", true}, contains_case_t{"abc", "abc", true},
                      contains_case_t{"abc", "abcd", false}, contains_case_t{"abc", "", false},
                      contains_case_t{"", "", false}, contains_case_t{"パターンA", "ンA", true},
                      contains_case_t{"パターン", "ター", true},
                      // ア ends in 0x41: "A" must not match inside it.
                      contains_case_t{"ア", "A", false},
                      // 表 ends in 0x5C, a backslash.
                      contains_case_t{"表", "\\", false}, contains_case_t{"表\\", "\\", true}));

TEST(Text, ContainsCp932SkipsMatchesThatStraddleTwoCharacters) {
  // ア (83 41) followed by ア: bytes 41 83 straddle the boundary.
  const std::string text = Utf8ToCp932("アア");
  EXPECT_FALSE(ContainsCp932(text, std::string("\x41\x83", 2)));
  EXPECT_TRUE(ContainsCp932(text, Utf8ToCp932("ア")));
}

// Long texts are converted in pieces of a mebibyte: a double-byte character
// across a boundary stays whole, with anything before and after it.
TEST(Text, LongTextConvertsAcrossPieces) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  for (const std::size_t before : {kPiece - 1, kPiece, 2 * kPiece - 1}) {
    const std::string cp932 = std::string(before, 'a') + Utf8ToCp932("表ソ") + "z";
    const std::string utf8 = Cp932ToUtf8(cp932);
    EXPECT_EQ(utf8.size(), before + 7) << before;
    EXPECT_EQ(utf8.substr(before), "表ソz") << before;
  }
}

}  // namespace
}  // namespace qvl
