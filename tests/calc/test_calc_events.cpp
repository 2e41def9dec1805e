// The calculator's events: OnCalculate, OnError, OnTrace and how they see
// an evaluation.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "calc_fixture.h"

namespace qvl {
namespace {

using calc_test::CalcTest;
using calc_test::outcome_t;
using texts_t = std::vector<std::string>;

TEST_F(CalcTest, OnCalculateFollowsSuccessOnly) {
  std::vector<double> answers;
  calc.OnCalculate = [&](TCalculator& sender) {
    EXPECT_EQ(&sender, &calc);
    answers.push_back(sender.Answer());
  };
  calc.Evaluate("1+1");
  EXPECT_THROW(calc.Evaluate("1+"), ENoValueAfterMark);
  calc.Evaluate("3");
  EXPECT_EQ(answers, (std::vector<double>{2.0, 3.0}));
}

TEST_F(CalcTest, OnErrorKeepsOrPassesTheFailure) {
  std::vector<std::string> seen;
  bool keep = true;
  int calculated = 0;
  calc.OnCalculate = [&](TCalculator&) { ++calculated; };
  calc.OnError = [&](TCalculator& sender, const std::exception& e, bool& handled) {
    EXPECT_EQ(&sender, &calc);
    EXPECT_TRUE(handled);
    EXPECT_EQ(sender.Answer(), 0.0);
    seen.push_back(e.what());
    handled = keep;
  };
  calc.Evaluate("5");
  ASSERT_EQ(calculated, 1);
  // Kept: the evaluation returns normally with an answer of 0.
  EXPECT_NO_THROW(calc.Evaluate("1/0"));
  EXPECT_EQ(calc.Answer(), 0.0);
  EXPECT_EQ(calculated, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"Floating point division by zero"}));
  // Passed on: the caller gets the same class.
  keep = false;
  EXPECT_THROW(calc.Evaluate("5%0"), EDivByZero);
  EXPECT_THROW(calc.Evaluate("abc"), EUndefinedIdent);
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(calc.Answer(), 0.0);
  // A failure inside a registered function goes the same way.
  registry.RegisterFunction("boom", 0, 0, "", [](std::span<const double>) -> double {
    throw std::runtime_error("boom");
  });
  EXPECT_THROW(calc.Evaluate("boom"), std::runtime_error);
  EXPECT_EQ(seen.back(), "boom");
  // ...and a failure of OnCalculate itself, which leaves the answer at 0.
  keep = true;
  calc.OnCalculate = [](TCalculator&) { throw std::runtime_error("late"); };
  EXPECT_NO_THROW(calc.Evaluate("9"));
  EXPECT_EQ(calc.Answer(), 0.0);
  EXPECT_EQ(seen.back(), "late");
}

TEST_F(CalcTest, OnErrorDoesNotSeeListReports) {
  int errors = 0;
  calc.OnError = [&](TCalculator&, const std::exception&, bool&) { ++errors; };
  EXPECT_THROW(calc.SetVariables({"a b=1"}), EInvalidIdentList);
  EXPECT_EQ(errors, 0);
}

class TraceTest : public CalcTest {
 protected:
  texts_t TraceOf(const std::string& expression) {
    texts_t texts;
    calc.OnTrace = [&](TCalculator& sender, const std::string& text) {
      EXPECT_EQ(&sender, &calc);
      texts.push_back(text);
    };
    calc.Evaluate(expression);
    calc.OnTrace = nullptr;
    return texts;
  }
};

TEST_F(TraceTest, IntermediateTexts) {
  EXPECT_EQ(TraceOf("5"), (texts_t{"5", "5"}));
  EXPECT_EQ(TraceOf("1+2*3"), (texts_t{"1+2*3", "1+6", "7"}));
  EXPECT_EQ(TraceOf("1+2*3-4"), (texts_t{"1+2*3-4", "1+6-4", "7-4", "3"}));
  EXPECT_EQ(TraceOf("2^3^2*2"), (texts_t{"2^3^2*2", "8^2*2", "64*2", "128"}));
  EXPECT_EQ(TraceOf("(1/100000)*100000"),
            (texts_t{"(1/100000)*100000", "1E-5", "1E-5*100000", "1"}));
  EXPECT_EQ(TraceOf("SUM(1,2*2)+3"), (texts_t{"SUM(1,2*2)+3", "1", "4", "1,4", "5+3", "8"}));
}

TEST_F(TraceTest, NamesBecomeCallsAndVariablesTheirValues) {
  calc.SetVariables({"x=5"});
  EXPECT_EQ(TraceOf("2 * X + pi"), (texts_t{"2*5+pi()", "2*5+3.14159265358979",
                                            "10+3.14159265358979", "13.1415926535898"}));
  EXPECT_EQ(TraceOf("2(3)"), (texts_t{"2(3)", "3", "2*3", "6"}));
}

TEST_F(TraceTest, TraceChangesNothing) {
  const char* expressions[] = {"1+2*3", "SUM(1,2)*MAX(3,4)/7", "2^0.5", "(((1)))-4"};
  for (const char* e : expressions) {
    const double plain = calc.Evaluate(e);
    (void)TraceOf(e);
    EXPECT_EQ(calc.Answer(), plain) << e;
  }
}

TEST_F(TraceTest, HandlersMayReplaceThemselves) {
  int traced = 0;
  calc.OnTrace = [&](TCalculator& sender, const std::string&) {
    ++traced;
    sender.OnTrace = nullptr;  // the running handler is a copy
  };
  EXPECT_EQ(calc.Evaluate("1+2+3"), 6.0);
  EXPECT_EQ(traced, 1);
}

}  // namespace
}  // namespace qvl
