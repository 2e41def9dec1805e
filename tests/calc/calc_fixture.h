// Shared set-up of the calculator tests: a registry of their own with the
// standard functions, and helpers that evaluate a text and catch its failure.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <string_view>
#include <typeinfo>

#include "calc/CalcCustom.h"
#include "calc/Calculator.h"
#include "model/qvl_text.h"

namespace qvl::calc_test {

// What an evaluation ended with: the text form of the answer, or the class
// and the message (as UTF-8) of the failure.
struct outcome_t {
  bool ok = false;
  std::string text;     // the answer's text form when ok
  std::string error;    // the failure's class name
  std::string message;  // its message, converted to UTF-8
};

template <typename Fn>
outcome_t Capture(Fn&& fn) {
  outcome_t o;
  try {
    fn();
    o.ok = true;
  } catch (const EInvalidComma& e) {
    o.error = "EInvalidComma", o.message = Cp932ToUtf8(e.what());
  } catch (const EUndefinedIdent& e) {
    o.error = "EUndefinedIdent", o.message = Cp932ToUtf8(e.what());
  } catch (const ENoMarkBetweenValue& e) {
    o.error = "ENoMarkBetweenValue", o.message = Cp932ToUtf8(e.what());
  } catch (const ENoValueBetweenMark& e) {
    o.error = "ENoValueBetweenMark", o.message = Cp932ToUtf8(e.what());
  } catch (const ENoValueAfterMark& e) {
    o.error = "ENoValueAfterMark", o.message = Cp932ToUtf8(e.what());
  } catch (const EInvalidBracket& e) {
    o.error = "EInvalidBracket", o.message = Cp932ToUtf8(e.what());
  } catch (const EEmptyExpression& e) {
    o.error = "EEmptyExpression", o.message = Cp932ToUtf8(e.what());
  } catch (const ENotEnoughParameters& e) {
    o.error = "ENotEnoughParameters", o.message = Cp932ToUtf8(e.what());
  } catch (const ETooManyParameters& e) {
    o.error = "ETooManyParameters", o.message = Cp932ToUtf8(e.what());
  } catch (const EInvalidIdentList& e) {
    o.error = "EInvalidIdentList", o.message = Cp932ToUtf8(e.what());
  } catch (const EExpressionTooLong& e) {
    o.error = "EExpressionTooLong", o.message = Cp932ToUtf8(e.what());
  } catch (const EZeroDivide& e) {
    o.error = "EZeroDivide", o.message = e.what();
  } catch (const EInvalidOp& e) {
    o.error = "EInvalidOp", o.message = e.what();
  } catch (const EOverflow& e) {
    o.error = "EOverflow", o.message = e.what();
  } catch (const EDivByZero& e) {
    o.error = "EDivByZero", o.message = e.what();
  }
  return o;
}

class CalcTest : public ::testing::Test {
 protected:
  CalcTest() : calc(registry) { RegisterStandardFunctions(registry); }

  // Evaluates text afresh; the answer's text form, or the failure.
  outcome_t Run(std::string_view text) {
    outcome_t o = Capture([&] { calc.Evaluate(Utf8ToCp932(std::string(text))); });
    if (o.ok) o.text = calc.AnswerText();
    return o;
  }
  // The answer of a text that must evaluate.
  double Value(std::string_view text) {
    const outcome_t o = Run(text);
    EXPECT_TRUE(o.ok) << text << " failed with " << o.error << ": " << o.message;
    return calc.Answer();
  }

  TFunctionRegistry registry;
  TCalculator calc;
};

}  // namespace qvl::calc_test
