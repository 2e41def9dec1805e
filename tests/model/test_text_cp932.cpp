#include <gtest/gtest.h>

#include <algorithm>
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

// ---- The JIS variants of Linux and macOS input methods ----

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

// The Shift_JIS bytes of a JIS X 0208 code (row and cell from 0x21).
std::string ShiftJis(int jis) {
  const int row = (jis >> 8) - 0x21;
  const int cell = (jis & 0xFF) - 0x21;
  const int lead = row / 2 + (row < 62 ? 0x81 : 0xC1);
  const int trail = row % 2 == 0 ? cell + (cell < 63 ? 0x40 : 0x41) : cell + 0x9F;
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

// Every variant with its JIS X 0208 code in the JIS mapping (the Unicode
// consortium's JIS0208.TXT) and the code page 932 bytes of that code.
struct jis_case_t {
  char32_t typed;
  int jis;
  const char* bytes;
};
const jis_case_t kJisCases[] = {
    {U'\u301C', 0x2141, "\x81\x60"}, {U'\u2016', 0x2142, "\x81\x61"},
    {U'\u2212', 0x215D, "\x81\x7C"}, {U'\u00A2', 0x2171, "\x81\x91"},
    {U'\u00A3', 0x2172, "\x81\x92"}, {U'\u00AC', 0x224C, "\x81\xCA"},
    {U'\u2014', 0x213D, "\x81\x5C"},
};

TEST(JisVariants, TableAgreesWithTheJisMapping) {
  ASSERT_EQ(kJisVariants.size(), std::size(kJisCases));
  for (const jis_case_t& c : kJisCases) {
    SCOPED_TRACE(Utf8Of(c.typed));
    const auto v = std::find_if(kJisVariants.begin(), kJisVariants.end(),
                                [&](const jis_variant_t& x) { return x.typed == c.typed; });
    ASSERT_NE(v, kJisVariants.end());
    EXPECT_EQ(ShiftJis(c.jis), c.bytes);
    // The code page holds its own character at those bytes, both ways, and
    // cannot hold the typed one.
    EXPECT_EQ(Utf8ToCp932(Utf8Of(v->cp932)), c.bytes);
    EXPECT_EQ(Cp932ToUtf8(c.bytes), Utf8Of(v->cp932));
    EXPECT_EQ(UnconvertibleToCp932(Utf8Of(c.typed)), Utf8Of(c.typed));
    EXPECT_EQ(InputToCp932(Utf8Of(c.typed)).text, c.bytes);
  }
}

struct input_case_t {
  const char* utf8;
  const char* cp932_as_utf8;  // what is stored, read back
  const char* unconvertible;
};

TEST(JisVariants, InputStoresVariantsAsTheCodePagesCharactersAndRefusesTheRest) {
  const input_case_t cases[] = {
      {"3面〜4面", "3面～4面", ""}, {"−500", "－500", ""},  {"ボス‖通常", "ボス∥通常", ""},
      {"¢£¬—", "￠￡￢―", ""},      {"～∥－", "～∥－", ""}, {"", "", ""},
      {"〜😀한〜", "", "😀한"},
  };
  for (const input_case_t& c : cases) {
    const cp932_input_t in = InputToCp932(c.utf8);
    EXPECT_EQ(Cp932ToUtf8(in.text), c.cp932_as_utf8) << c.utf8;
    EXPECT_EQ(in.unconvertible, c.unconvertible) << c.utf8;
  }
  EXPECT_EQ(NameCodePoints("😀한a"), "😀 (U+1F600), 한 (U+D55C), a (U+0061)");
}

// A double-byte character anywhere in a long text stays whole, with anything
// before and after it.
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
