// Expressions typed with the input method on: full-width forms evaluate as
// their ASCII characters, everything else stays as typed.
#include <gtest/gtest.h>

#include "calc/CalcInput.h"
#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;

// What is folded cannot change the meaning; everything else stays as typed
// and is reported by name, never read as an operator or a hexadecimal prefix.
TEST_F(CalcTest, OnlyFullWidthFormsOfTheSameMeaningAreFolded) {
  const struct {
    const char* typed;
    const char* folded;
    const char* value;  // the answer's text form; null: EUndefinedIdent naming folded
  } rows[] = {
      // Folded: digits, Latin letters, ＋ － ＊ ／ （ ） ． ，, the ideographic space, × ÷.
      {"０１２３４５６７８９", "0123456789", "123456789"},
      {"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
       nullptr},
      {"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ", "abcdefghijklmnopqrstuvwxyz",
       nullptr},
      {"１２００×３", "1200*3", "3600"},
      {"（１＋２）＊３÷２", "(1+2)*3/2", "4.5"},
      {"ｍａｘ（１．５，８／２－１）　＋　１", "max(1.5,8/2-1) + 1", "4"},
      {"ＡＢＳ（－１．５ｅ２）", "ABS(-1.5e2)", "150"},
      // Kept: a typed range, and every sign that would become an operator.
      {"１０～２０", "10～20", nullptr},
      {"５％３", "5％3", nullptr},
      {"１０＾２", "10＾2", nullptr},
      {"１｜２", "1｜2", nullptr},
      {"１＆２", "1＆2", nullptr},
      {"＄ｆｆ", "＄ff", nullptr},
      {"１＝２！＃＠＿＜＞［］｛｝＼：；？｀２", "1＝2！＃＠＿＜＞［］｛｝＼：；？｀2", nullptr},
      {"－５　－　ー１", "-5 - ー1", nullptr},  // the long vowel mark is no minus
      {"表示ソ", "表示ソ", nullptr},            // trail bytes of ASCII value stay whole
      {"1+2", "1+2", "3"},
  };
  for (const auto& row : rows) {
    const std::string folded = HalfWidthExpression(Utf8ToCp932(row.typed));
    EXPECT_EQ(Cp932ToUtf8(folded), row.folded) << row.typed;
    const calc_test::outcome_t o = calc_test::Capture([&] { calc.Evaluate(folded); });
    if (row.value != nullptr) {
      EXPECT_TRUE(o.ok) << row.typed << ": " << o.message;
      EXPECT_EQ(calc.AnswerText(), row.value) << row.typed;
    } else if (std::string_view(row.folded).find(' ') == std::string_view::npos) {
      EXPECT_EQ(o.message,
                std::string("演算式内に、不明な識別子[") + row.folded + "]が含まれています")
          << row.typed;
    } else {
      EXPECT_FALSE(o.ok) << row.typed;
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
