// Evaluation: operators and their precedence, brackets and function calls,
// the errors with their messages, and when an assignment evaluates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;
using calc_test::Capture;
using calc_test::outcome_t;

struct answer_row_t {
  const char* expression;
  const char* answer;
};

void ExpectAnswers(CalcTest* /*unused*/, const std::vector<answer_row_t>& rows,
                   const std::function<outcome_t(std::string_view)>& run) {
  for (const answer_row_t& r : rows) {
    const outcome_t o = run(r.expression);
    EXPECT_TRUE(o.ok) << r.expression << " failed with " << o.error << ": " << o.message;
    EXPECT_EQ(o.text, r.answer) << r.expression;
  }
}

class EvalTest : public CalcTest {
 protected:
  void ExpectAll(const std::vector<answer_row_t>& rows) {
    ExpectAnswers(this, rows, [this](std::string_view t) { return Run(t); });
  }
};

TEST_F(EvalTest, OperatorsAndPrecedence) {
  ExpectAll({
      {"1+2*3", "7"},
      {"2^3^2", "64"},  // "^" groups from the left
      {"-2^2", "4"},    // the sign belongs to the number
      {"2^-1", "0.5"},
      {"10/4", "2.5"},
      {"10-4-3", "3"},
      {"2*3^2", "18"},
      {"7%3", "1"},
      {"-7%3", "-1"},
      {"7%-3", "1"},
      {"7.9%3", "1"},
      {"6&3", "2"},
      {"6|3", "7"},
      {"6~3", "5"},
      {"1+2|4", "7"},  // (1+2) or 4
      {"2*3&1", "0"},  // (2*3) and 1
      {"8/2*4", "16"},
      {"1-2+3", "2"},
      {"5*-3", "-15"},
      {"5--3", "8"},
      {"5+-3", "2"},
      {"+5", "5"},
      {"0^0", "1"},
      {"0^5", "0"},
      {"(0-2)^3", "-8"},
      {"2^0.5", "1.4142135623731"},
      {"4^0.5", "2"},
      {"10^-3", "0.001"},
      {"2^62", "4.61168601842739E18"},
      {"-9223372036854775808&-1", "-9.22337203685478E18"},
      {"2 + 3", "5"},
      {"1.5*2", "3"},
  });
}

TEST_F(EvalTest, BracketsReduceFromTheLastOpening) {
  ExpectAll({
      {"(1+2)*3", "9"},
      {"2(3+4)", "14"},  // a number before a bracket multiplies it
      {"-2(3)", "-6"},
      {"$10(2)", "32"},
      {"((((1+1))))*2", "4"},
      {"-(2+3)", "-5"},
      {"2*-(3)", "-6"},
      {"2-(0-3)", "5"},
      {"(1,)", "1"},
      {"(1/100000)*100000", "1"},
      {"2*(3+(4-1)*2)", "18"},
      {"(2)^(3)", "8"},
  });
}

TEST_F(EvalTest, FunctionsAndNames) {
  ExpectAll({
      {"pi", "3.14159265358979"},
      {"Pi", "3.14159265358979"},
      {"PI", "3.14159265358979"},
      {"PI()", "3.14159265358979"},
      {"2*pi", "6.28318530717958"},  // PI comes back as 15-digit text
      {"SUM(1,2,3)", "6"},
      {"sum (1, 2, 3)", "6"},
      {"max(1,SUM(2,3),4)", "5"},
      {"SUM(1,2)+MAX(3,4)", "7"},
      {"ABS(-3)*2", "6"},
      {"SUM(1/3,1/3,1/3)", "0.999999999999999"},  // arguments pass as 15-digit text
      {"SUM(1,)", "1"},
      {"IF(1,2,3)", "2"},
      {"not(0)", "-1"},
  });
}

TEST_F(EvalTest, FunctionsAreCalledFromRightToLeft) {
  std::vector<std::string> calls;
  registry.RegisterFunction("first", 0, 0, "", [&](std::span<const double>) {
    calls.push_back("first");
    return 1.0;
  });
  registry.RegisterFunction("second", 0, 0, "", [&](std::span<const double>) {
    calls.push_back("second");
    return 2.0;
  });
  EXPECT_EQ(Run("first()+second()").text, "3");
  EXPECT_EQ(calls, (std::vector<std::string>{"second", "first"}));
  calls.clear();
  // Names without brackets become calls in the first pass.
  EXPECT_EQ(Run("FIRST*Second").text, "2");
  EXPECT_EQ(calls, (std::vector<std::string>{"second", "first"}));
}

struct error_row_t {
  const char* expression;
  const char* error;
  const char* message;
};

class ErrorTest : public CalcTest {
 protected:
  void ExpectErrors(const std::vector<error_row_t>& rows) {
    for (const error_row_t& r : rows) {
      calc.Evaluate("12345");  // a non-zero answer, to see it reset
      const outcome_t o = Run(r.expression);
      EXPECT_FALSE(o.ok) << r.expression << " gave " << o.text;
      EXPECT_EQ(o.error, r.error) << r.expression;
      EXPECT_EQ(o.message, r.message) << r.expression;
      EXPECT_EQ(calc.Answer(), 0.0) << r.expression;
      EXPECT_EQ(Cp932ToUtf8(calc.Expression()), r.expression) << "the failed text is kept";
    }
  }
};

TEST_F(ErrorTest, CalculatorErrorsAndTheirMessages) {
  const char* empty = "式がありません";
  const char* no_mark = "演算要素の間には演算子が必要です";
  const char* comma = "関数のパラメータと見なされない場所でカンマが使用されています";
  const char* bracket = "括弧の対応が正しくありません";
  const char* after = "演算子の後に演算要素がありません";
  const char* between = "演算子の間に値がありません";
  ExpectErrors({
      {"", "EEmptyExpression", empty},
      {"   ", "EEmptyExpression", empty},
      {"\t\r\n\t", "EEmptyExpression", empty},
      {"2 3", "ENoMarkBetweenValue", no_mark},
      {"(1+2)(3+4)", "ENoMarkBetweenValue", no_mark},
      {"(1)2", "ENoMarkBetweenValue", no_mark},
      {"(1)(2)", "ENoMarkBetweenValue", no_mark},
      {"1,2", "EInvalidComma", comma},
      {"(1,2)", "EInvalidComma", comma},
      {"1+(2,3)", "EInvalidComma", comma},
      {"((1)", "EInvalidBracket", bracket},
      {"(1))", "EInvalidBracket", bracket},
      {")", "EInvalidBracket", bracket},
      {"SUM(1,2", "EInvalidBracket", bracket},
      {"5+", "ENoValueAfterMark", after},
      {"MAX(1,,2)", "ENoValueAfterMark", after},
      {"MAX(,1)", "ENoValueAfterMark", after},
      {"2*()", "ENoValueAfterMark", after},
      {"*5", "ENoValueBetweenMark", between},
      {"5**2", "ENoValueBetweenMark", between},
      {"5*/2", "ENoValueBetweenMark", between},
      {"PI(1)", "ETooManyParameters", "関数[PI]に渡す引数が多すぎます"},
      {"pi(1,2)", "ETooManyParameters", "関数[pi]に渡す引数が多すぎます"},
      {"SUM()", "ENotEnoughParameters", "関数[SUM]に渡す引数が足りません"},
      {"IF(1,2)", "ENotEnoughParameters", "関数[IF]に渡す引数が足りません"},
  });
}

TEST_F(ErrorTest, UndefinedIdentifiersAreNamed) {
  ExpectErrors({
      {"abc", "EUndefinedIdent", "演算式内に、不明な識別子[abc]が含まれています"},
      {"1.2.3", "EUndefinedIdent", "演算式内に、不明な識別子[1.2.3]が含まれています"},
      {"2x", "EUndefinedIdent", "演算式内に、不明な識別子[2x]が含まれています"},
      {"()", "EUndefinedIdent", "演算式内に、不明な識別子[]が含まれています"},
      {"-(0-3)", "EUndefinedIdent", "演算式内に、不明な識別子[--3]が含まれています"},
      {"$100000000", "EUndefinedIdent", "演算式内に、不明な識別子[$100000000]が含まれています"},
      {"foo(1)+1", "EUndefinedIdent", "演算式内に、不明な識別子[foo]が含まれています"},
      {"5*+", "EUndefinedIdent", "演算式内に、不明な識別子[+]が含まれています"},
      {"1E5000", "EUndefinedIdent", "演算式内に、不明な識別子[1E5000]が含まれています"},
      {"ソ", "EUndefinedIdent", "演算式内に、不明な識別子[ソ]が含まれています"},
  });
}

TEST_F(ErrorTest, ArithmeticErrorsAndTheirMessages) {
  const char* zero_divide = "Floating point division by zero";
  const char* invalid = "Invalid floating point operation";
  const char* overflow = "Floating point overflow";
  const char* div_by_zero = "Division by zero";
  ExpectErrors({
      {"1/0", "EZeroDivide", zero_divide},
      {"-1/0", "EZeroDivide", zero_divide},
      {"0^-1", "EZeroDivide", zero_divide},
      {"0^-0.5", "EZeroDivide", zero_divide},
      {"0/0", "EInvalidOp", invalid},
      {"(0-8)^0.5", "EInvalidOp", invalid},
      {"1E19%2", "EInvalidOp", invalid},
      {"9223372036854775808&1", "EInvalidOp", invalid},
      {"-9.3E18|1", "EInvalidOp", invalid},
      {"1E300*1E300", "EOverflow", overflow},
      {"1E308+1E308", "EOverflow", overflow},
      {"-1E308-1E308", "EOverflow", overflow},
      {"1E400", "EOverflow", overflow},
      {"2^1024", "EOverflow", overflow},
      {"10^5000", "EOverflow", overflow},
      {"1E-300^-2", "EOverflow", overflow},
      {"2^2147483648", "EOverflow", overflow},
      {"1E308/1E-308", "EOverflow", overflow},
      // The text form of the largest double reads back above it.
      {"(1.7976931348623157E308)", "EOverflow", overflow},
      // An operand is read as it is resolved, before later steps could fail.
      {"abc+1E400", "EOverflow", overflow},
      {"-((4.)42.6E562)0", "EOverflow", overflow},
      {"5%0", "EDivByZero", div_by_zero},
      {"5%0.5", "EDivByZero", div_by_zero},
  });
}

TEST_F(CalcTest, ExpressionTooLongIsRefused) {
  std::string sum = "1";
  while (sum.size() < kMaxExpressionLength) sum += "+1";
  const outcome_t o = Run(sum);
  EXPECT_EQ(o.error, "EExpressionTooLong");
  EXPECT_EQ(o.message, "式が長すぎます");
  // Variables cannot blow the text up beyond the bound either.
  calc.SetVariables({"x=" + std::string(20000, '0') + "1"});
  std::string many = "x";
  for (int i = 0; i < 100; ++i) many += "+x";
  EXPECT_EQ(Run(many).error, "EExpressionTooLong");
  // Just below the bound is fine.
  std::string ok = "1";
  while (ok.size() + 2 <= kMaxExpressionLength) ok += "+1";
  EXPECT_EQ(Run(ok).text, std::to_string((ok.size() + 1) / 2));
}

TEST_F(CalcTest, DeepNestingAndLongInputsStayLinear) {
  // 20000 nested brackets: no recursion, no quadratic copying.
  const int depth = 20000;
  const std::string nested = std::string(depth, '(') + "1" + std::string(depth, ')');
  EXPECT_EQ(Run(nested).text, "1");
  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "ABS(";
  calls += "-2";
  calls += std::string(5000, ')');
  EXPECT_EQ(Run(calls).text, "2");
  std::string side_by_side = "0";
  for (int i = 0; i < 6000; ++i) side_by_side += "+(1*1)";
  EXPECT_EQ(Run(side_by_side).text, "6000");
  // Unbalanced in the deep end still fails cleanly.
  EXPECT_EQ(Run(std::string(depth, '(') + "1").error, "EInvalidBracket");
  EXPECT_EQ(Run("1" + std::string(depth, ')')).error, "EInvalidBracket");
}

TEST_F(CalcTest, AssignmentEvaluatesOnlyAChangedText) {
  int evaluations = 0;
  calc.OnCalculate = [&](TCalculator&) { ++evaluations; };
  // Switching AutoStart on evaluates the (empty) expression at once.
  EXPECT_THROW(calc.SetAutoStart(true), EEmptyExpression);
  ASSERT_EQ(evaluations, 0);
  // A calculator created with AutoStart on: the empty text equals the initial
  // one, so assigning it does nothing at all.
  TCalculator fresh(registry, true);
  EXPECT_TRUE(fresh.AutoStart());
  EXPECT_NO_THROW(fresh.SetExpression(""));
  fresh.SetExpression("1+1");
  EXPECT_EQ(fresh.Answer(), 2.0);
  // After any other text the empty one is evaluated, and fails.
  EXPECT_THROW(fresh.SetExpression(""), EEmptyExpression);
  EXPECT_EQ(fresh.Answer(), 0.0);

  calc.SetExpression("2*3");
  EXPECT_EQ(calc.Answer(), 6.0);
  EXPECT_EQ(evaluations, 1);
  calc.SetExpression("2*3");
  EXPECT_EQ(evaluations, 1);
  // Letter case makes a different text.
  calc.SetExpression("2*PI");
  calc.SetExpression("2*pi");
  EXPECT_EQ(evaluations, 3);

  // The same failing text raises only the first time.
  EXPECT_THROW(calc.SetExpression("1/0"), EZeroDivide);
  EXPECT_EQ(calc.Answer(), 0.0);
  EXPECT_NO_THROW(calc.SetExpression("1/0"));
  EXPECT_EQ(calc.Answer(), 0.0);
  // Evaluate always evaluates.
  EXPECT_THROW(calc.Evaluate("1/0"), EZeroDivide);
  EXPECT_EQ(calc.Evaluate("5"), 5.0);
  EXPECT_EQ(calc.Evaluate("5"), 5.0);
  EXPECT_EQ(evaluations, 5);
}

TEST_F(CalcTest, WithoutAutoStartAssignmentOnlyStores) {
  calc.SetExpression("1+1");
  EXPECT_EQ(calc.Expression(), "1+1");
  EXPECT_EQ(calc.Answer(), 0.0);
  calc.Calculate();
  EXPECT_EQ(calc.Answer(), 2.0);
  calc.SetExpression("1/0");
  EXPECT_EQ(calc.Answer(), 2.0);
  // Switching AutoStart on evaluates at once; switching it on again does not.
  EXPECT_THROW(calc.SetAutoStart(true), EZeroDivide);
  EXPECT_EQ(calc.Answer(), 0.0);
  EXPECT_NO_THROW(calc.SetAutoStart(true));
  calc.SetAutoStart(false);
  calc.SetExpression("3");
  EXPECT_EQ(calc.Answer(), 0.0);
}

TEST_F(CalcTest, LoadingSuspendsEvaluation) {
  calc.Evaluate("7");
  calc.SetLoading(true);
  calc.SetAutoStart(true);
  calc.SetExpression("1/0");
  EXPECT_NO_THROW(calc.Calculate());
  EXPECT_EQ(calc.Answer(), 7.0);
  calc.SetLoading(false);
  EXPECT_THROW(calc.Calculate(), EZeroDivide);
}

TEST_F(CalcTest, ProgramWideRegistryIsTheDefault) {
  FunctionRegistry().Clear();
  RegisterFunction("Twice", 1, 1, "", [](std::span<const double> a) { return a[0] * 2; });
  TCalculator plain;
  EXPECT_EQ(plain.Evaluate("twice(21)"), 42.0);
  EXPECT_EQ(&plain.Registry(), &FunctionRegistry());
  // This fixture's calculator does not see it.
  EXPECT_THROW(calc.Evaluate("twice(21)"), EUndefinedIdent);
  FunctionRegistry().Clear();
  EXPECT_THROW(plain.Evaluate("twice(21)"), EUndefinedIdent);
}

}  // namespace
}  // namespace qvl
