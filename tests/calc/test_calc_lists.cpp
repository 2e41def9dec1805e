// Variables and UserFuncNames: the list checks with their reports, and how
// expressions use the lines that pass.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;
using calc_test::Capture;
using calc_test::outcome_t;
using lines_t = std::vector<std::string>;

lines_t Cp932Lines(const lines_t& utf8) {
  lines_t out;
  for (const std::string& l : utf8) out.push_back(Utf8ToCp932(l));
  return out;
}

class ListTest : public CalcTest {
 protected:
  outcome_t SetVariables(const lines_t& utf8) {
    return Capture([&] { calc.SetVariables(Cp932Lines(utf8)); });
  }
  outcome_t SetUserFuncNames(const lines_t& utf8) {
    return Capture([&] { calc.SetUserFuncNames(Cp932Lines(utf8)); });
  }
  lines_t VariableLines() { return Utf8Lines(calc.Variables().Lines()); }
  lines_t UserFuncLines() { return Utf8Lines(calc.UserFuncNames().Lines()); }
  static lines_t Utf8Lines(const lines_t& cp932) {
    lines_t out;
    for (const std::string& l : cp932) out.push_back(Cp932ToUtf8(l));
    return out;
  }
};

TEST_F(ListTest, VariablesReportInvalidNamesAndMalformedLines) {
  const outcome_t o = SetVariables({"a b=1", "c", "d=7"});
  EXPECT_EQ(o.error, "EInvalidIdentList");
  EXPECT_EQ(o.message,
            "a b は\r\n無効な識別子です.\r\n\r\n識別子=数値 の形式でない行は除外します.");
  EXPECT_EQ(VariableLines(), (lines_t{"d=7"}));
}

TEST_F(ListTest, VariablesChecksInOrderWithNamesJoined) {
  calc.SetUserFuncNames({"f=1"});
  const outcome_t o = SetVariables({"a.b=1", "ok=2", "c d=3", "sum=4", "F=5", "e=", "g=x", "1e5=6",
                                    "5=1", "$FF=1", "=5", "Max=8", "", "h=1E3"});
  EXPECT_EQ(o.error, "EInvalidIdentList");
  EXPECT_EQ(o.message,
            "a.b, c d, 1e5, 5, $FF, =5 は\r\n無効な識別子です.\r\n\r\n"
            "識別子=数値 の形式でない行は除外します.\r\n\r\n"
            "sum, Max は\r\n登録済み関数です.\r\n\r\n"
            "F は\r\nUserFuncNamesリストに定義済みです.");
  // The empty line has no name and is left alone.
  EXPECT_EQ(VariableLines(), (lines_t{"ok=2", "", "h=1E3"}));
}

TEST_F(ListTest, NamesAreCheckedCharacterByCharacter) {
  // The second bytes of ソ (83 5C) and 表 (95 5C) are backslashes, which
  // are forbidden on their own but belong to the character here.
  EXPECT_TRUE(SetVariables({"ソ=1", "表=2", "ｱ=3"}).ok);
  EXPECT_EQ(Run("ソ*10+表+ｱ").text, "15");
  const outcome_t o = SetVariables({"a\\=1", "ソ=1"});
  EXPECT_EQ(o.message, "a\\ は\r\n無効な識別子です.");
  EXPECT_EQ(VariableLines(), (lines_t{"ソ=1"}));
}

TEST_F(ListTest, WritingEqualLinesDoesNothing) {
  int evaluations = 0;
  calc.OnCalculate = [&](TCalculator&) { ++evaluations; };
  calc.SetExpression("1");
  calc.SetAutoStart(true);
  calc.SetVariables({"x=1"});
  calc.SetUserFuncNames({"f"});
  EXPECT_EQ(evaluations, 3);
  calc.SetVariables({"x=1"});
  calc.SetUserFuncNames({"f"});
  EXPECT_EQ(evaluations, 3);
  calc.SetVariables({"X=1"});  // letter case makes a different line
  EXPECT_EQ(evaluations, 4);
  calc.Variables().Clear();
  calc.Variables().Clear();  // clearing an empty list is no change
  EXPECT_EQ(evaluations, 5);
}

TEST_F(ListTest, ChangesEvaluateWithAutoStart) {
  int evaluations = 0;
  calc.OnCalculate = [&](TCalculator&) { ++evaluations; };
  calc.SetExpression("x*2");
  EXPECT_EQ(Capture([&] { calc.SetAutoStart(true); }).error, "EUndefinedIdent");
  calc.SetVariables({"x=5"});
  EXPECT_EQ(calc.Answer(), 10.0);
  EXPECT_EQ(evaluations, 1);
  calc.SetVariables({"x=5"});  // equal lines: nothing at all
  EXPECT_EQ(evaluations, 1);
  calc.Variables().Put(0, "x=6");  // a direct change is checked and evaluated too
  EXPECT_EQ(calc.Answer(), 12.0);
  EXPECT_EQ(evaluations, 2);
  // A batch is reported once.
  calc.Variables().BeginUpdate();
  calc.Variables().Clear();
  calc.Variables().Add("x=1");
  calc.Variables().Add("y=2");
  EXPECT_EQ(evaluations, 2);
  calc.Variables().EndUpdate();
  EXPECT_EQ(calc.Answer(), 2.0);
  EXPECT_EQ(evaluations, 3);
  // An offending line added directly is reported and dropped; nothing is evaluated.
  EXPECT_THROW(calc.Variables().Add("bad name=1"), EInvalidIdentList);
  EXPECT_EQ(calc.Variables().Count(), 2);
  EXPECT_EQ(evaluations, 3);
}

TEST_F(ListTest, VariablesInExpressions) {
  calc.SetVariables({"x=5", "Neg=-2", "sp= 3", "h=$10"});
  EXPECT_EQ(Run("2*x").text, "10");
  EXPECT_EQ(Run("X+x").text, "10");
  EXPECT_EQ(Run("x(2)").text, "10");
  EXPECT_EQ(Run("2-neg").text, "4");
  EXPECT_EQ(Run("neg(3)").text, "-6");
  EXPECT_EQ(Run("2*sp").text, "6");
  EXPECT_EQ(Run("h+1").text, "17");
  EXPECT_EQ(Run("SUM(x,x)").text, "10");
  const outcome_t o = Run("2x");
  EXPECT_EQ(o.error, "EUndefinedIdent");
  EXPECT_EQ(o.message, "演算式内に、不明な識別子[2x]が含まれています");
}

TEST_F(ListTest, UserFuncNamesChecks) {
  calc.SetVariables({"v=1"});
  EXPECT_EQ(SetUserFuncNames({"a b"}).message, "a b は\r\n無効な識別子です.");
  EXPECT_EQ(SetUserFuncNames({"ABS=1"}).message, "ABS は\r\n登録済み関数です.");
  EXPECT_EQ(SetUserFuncNames({"V=2"}).message, "V は\r\nVariablesリストに定義済みです.");
  EXPECT_EQ(SetUserFuncNames({"v"}).message, "v は\r\nVariablesリストに定義済みです.");
  EXPECT_TRUE(SetUserFuncNames({"f=1", "g", "", "h=1,2"}).ok);
  EXPECT_EQ(UserFuncLines(), (lines_t{"f=1", "g", "", "h=1,2"}));
}

// Each removal starts the check again on the lines that remain; the report
// comes from the innermost check that removed anything and names only its line.
TEST_F(ListTest, UserFuncNamesReportOnlyTheLastRemoval) {
  calc.SetVariables({"v=1"});
  int evaluations = 0;
  calc.OnCalculate = [&](TCalculator&) { ++evaluations; };
  calc.SetExpression("1+1");
  calc.SetAutoStart(true);
  ASSERT_EQ(evaluations, 1);

  outcome_t o = SetUserFuncNames({"a b", "c d", "sum", "ok", "V", "x y", "Max"});
  EXPECT_EQ(o.error, "EInvalidIdentList");
  EXPECT_EQ(o.message, "V は\r\nVariablesリストに定義済みです.");
  EXPECT_EQ(UserFuncLines(), (lines_t{"ok"}));
  // The innermost check found nothing left to remove and evaluated once.
  EXPECT_EQ(evaluations, 2);

  o = SetUserFuncNames({"a b", "ok", "c d", "sum", "max"});
  EXPECT_EQ(o.message, "max は\r\n登録済み関数です.");
  o = SetUserFuncNames({"a b", "ok", "c d"});
  EXPECT_EQ(o.message, "c d は\r\n無効な識別子です.");
  EXPECT_EQ(UserFuncLines(), (lines_t{"ok"}));
}

TEST_F(ListTest, UserFuncNamesReportLosesToAFailingEvaluation) {
  // The innermost check evaluates before the report is raised; an evaluation
  // that fails ends the checks with its own error.
  calc.SetExpression("1/0");
  EXPECT_THROW(calc.SetAutoStart(true), EZeroDivide);
  const outcome_t o = SetUserFuncNames({"a b", "ok"});
  EXPECT_EQ(o.error, "EZeroDivide");
  EXPECT_EQ(UserFuncLines(), (lines_t{"ok"}));
}

TEST_F(ListTest, LoadingDropsOffendingLinesSilently) {
  calc.SetLoading(true);
  EXPECT_TRUE(SetVariables({"a b=1", "c", "d=7"}).ok);
  EXPECT_EQ(VariableLines(), (lines_t{"d=7"}));
  EXPECT_TRUE(SetUserFuncNames({"a b", "sum", "f"}).ok);
  EXPECT_EQ(UserFuncLines(), (lines_t{"f"}));
  calc.SetLoading(false);
}

struct counts_row_t {
  const char* line;
  int args;           // arguments passed to f
  const char* error;  // "" when the call is accepted
};

TEST_F(ListTest, UserFunctionArgumentCounts) {
  const counts_row_t rows[] = {
      {"f=2", 2, ""},
      {"f=2", 1, "ENotEnoughParameters"},
      {"f=2", 3, "ETooManyParameters"},
      {"f=1,3", 1, ""},
      {"f=1,3", 3, ""},
      {"f=1,3", 0, "ENotEnoughParameters"},
      {"f=1,3", 4, "ETooManyParameters"},
      {"f=2,", 2, ""},
      {"f=2,", 40, ""},
      {"f=2,", 1, "ENotEnoughParameters"},
      {"f", 0, ""},
      {"f", 50, ""},
      {"f=", 7, ""},
      {"f=abc", 7, ""},
      {"f=$2", 2, ""},
      {"f=$2", 3, "ETooManyParameters"},
      {"f=x2", 2, ""},
      {"f=0x2", 3, "ETooManyParameters"},
      {"f= 2", 3, "ETooManyParameters"},
      {"f=2 ", 9, ""},  // not an integer: any count
      {"f=-1", 0, "ETooManyParameters"},
      {"f=,1", 0, ""},
      {"f=,1", 2, "ETooManyParameters"},
      {"f=99999999999", 5, ""},  // beyond 32 bits: not an integer
      {"f=2147483647", 3, "ENotEnoughParameters"},
      {"f=-2147483648,1", 1, ""},
      {"f=2147483648,1", 2, "ETooManyParameters"},
      {"f=$FFFFFFFF,2", 0, ""},  // $FFFFFFFF is -1
  };
  for (const counts_row_t& r : rows) {
    calc.SetUserFuncNames({r.line});
    int calls = 0;
    calc.OnFunction = [&](TCalculator&, int, int, std::span<const double>, double&, bool&) {
      ++calls;
    };
    std::string call = "f(";
    for (int i = 0; i < r.args; ++i) call += i == 0 ? "1" : ",1";
    call += ")";
    const outcome_t o = Run(call);
    EXPECT_EQ(o.error, r.error) << r.line << " with " << r.args;
    EXPECT_EQ(calls, o.ok ? 1 : 0) << r.line;
  }
}

TEST_F(ListTest, UserFunctionsAreAnsweredByOnFunction) {
  calc.SetUserFuncNames({"g", "Mul=2", "h=0,5"});
  std::vector<int> indexes;
  calc.OnFunction = [&](TCalculator& sender, int index, int count, std::span<const double> values,
                        double& result, bool& handled) {
    EXPECT_EQ(&sender, &calc);
    EXPECT_EQ(result, 0.0);
    EXPECT_TRUE(handled);
    ASSERT_EQ(static_cast<int>(values.size()), count);
    indexes.push_back(index);
    if (index == 1) result = values[0] * values[1];
    if (index == 2) handled = count > 0;
    if (index == 0) result = count;
  };
  EXPECT_EQ(Run("mul(3,4)+G(1,2,3)").text, "15");
  EXPECT_EQ(indexes, (std::vector<int>{0, 1}));  // right to left
  EXPECT_EQ(Run("h(1)").text, "0");
  const outcome_t o = Run("h()");
  EXPECT_EQ(o.error, "EUndefinedIdent");
  EXPECT_EQ(o.message, "演算式内に、不明な識別子[h]が含まれています");
  // A result that is no finite number is refused.
  calc.OnFunction = [](TCalculator&, int, int, std::span<const double>, double& result, bool&) {
    result = std::numeric_limits<double>::infinity();
  };
  EXPECT_EQ(Run("g()").error, "EOverflow");
  calc.OnFunction = [](TCalculator&, int, int, std::span<const double>, double& result, bool&) {
    result = std::numeric_limits<double>::quiet_NaN();
  };
  EXPECT_EQ(Run("g()").error, "EInvalidOp");
  // Without a handler a user function is unknown.
  calc.OnFunction = nullptr;
  EXPECT_EQ(Run("g()").message, "演算式内に、不明な識別子[g]が含まれています");
}

TEST_F(ListTest, FunctionIndexPrefersTheLineThatNamesIt) {
  calc.SetUserFuncNames({"k", "K=1"});
  int seen = -1;
  calc.OnFunction = [&](TCalculator&, int index, int, std::span<const double>, double& r, bool&) {
    seen = index;
    r = 1;
  };
  EXPECT_TRUE(Run("k(5)").ok);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(Run("k(5,6)").error, "ETooManyParameters");
  // A handler that changes the list is seen by the next call.
  calc.SetUserFuncNames({"a", "b"});
  calc.OnFunction = [&](TCalculator& c, int index, int, std::span<const double>, double& r, bool&) {
    seen = index;
    r = 1;
    if (index == 1) c.UserFuncNames().Insert(0, "z");
  };
  EXPECT_TRUE(Run("a()+b()").ok);
  EXPECT_EQ(seen, 1);  // a is line 1 after the insertion
}

}  // namespace
}  // namespace qvl
