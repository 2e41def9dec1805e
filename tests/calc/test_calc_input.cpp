// Expressions typed with the input method on: full-width forms evaluate as
// their ASCII characters, everything else stays as typed.
#include <gtest/gtest.h>

#include "calc/CalcInput.h"
#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;

TEST_F(CalcTest, FullWidthFormsEvaluateAsTheirAsciiCharacters) {
  const struct {
    const char* typed;
    const char* folded;
    const char* value;
  } rows[] = {
      {"１２００×３", "1200*3", "3600"},
      {"（１＋２）＊３÷２", "(1+2)*3/2", "4.5"},
      {"－５　－　ー１", "-5 - ー1", nullptr},  // the long vowel mark is no minus
      {"ＡＢＳ（－１．５ｅ２）", "ABS(-1.5e2)", "150"},
      {"＄ｆｆ％７＆３｜８～１＾２", "$ff%7&3|8~1^2", "10"},
      {"表示ソ", "表示ソ", nullptr},  // trail bytes of ASCII value stay whole
      {"1+2", "1+2", "3"},
  };
  for (const auto& row : rows) {
    const std::string folded = HalfWidthExpression(Utf8ToCp932(row.typed));
    EXPECT_EQ(Cp932ToUtf8(folded), row.folded) << row.typed;
    const calc_test::outcome_t o =
        calc_test::Capture([&] { calc.Evaluate(HalfWidthExpression(Utf8ToCp932(row.typed))); });
    EXPECT_EQ(o.ok, row.value != nullptr) << row.typed << ": " << o.message;
    if (row.value != nullptr) {
      EXPECT_EQ(calc.AnswerText(), row.value) << row.typed;
    }
  }
}

// Japanese characters whose second byte is "|", "^" or "~" (ポ, タ, 円...) are
// still one character: an unknown name is reported whole.
TEST_F(CalcTest, JapaneseNamesAreReportedWhole) {
  const struct {
    const char* text;
    const char* name;
  } rows[] = {{"ポイント", "ポイント"}, {"1+ポ", "ポ"}, {"2*円(3)", "円"}, {"タ|1", "タ"}};
  for (const auto& row : rows) {
    const calc_test::outcome_t o = Run(row.text);
    EXPECT_EQ(o.error, "EUndefinedIdent") << row.text;
    EXPECT_EQ(o.message, std::string("演算式内に、不明な識別子[") + row.name + "]が含まれています")
        << row.text;
  }
}

}  // namespace
}  // namespace qvl
