// Pieces that the source files of the calculator share; no other unit uses them.
#pragma once

#include <string>
#include <string_view>

#include "calc/Calculator.h"

namespace qvl::calc_detail {

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or -1.
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A decimal number without an exponent: spaces, sign, digits, point, digits, spaces.
[[nodiscard]] bool IsDecimalWithoutExponent(std::string_view s);

// Evaluates an expression text as Calculate takes it, with the calculator's
// lists, handlers and registry: its value, or one of the calculator's exceptions.
[[nodiscard]] double EvaluateExpression(TCalculator& calc, std::string text);

}  // namespace qvl::calc_detail
