// The evaluation of one expression: the first pass over its tokens, the
// reduction of its brackets, function calls, and the flat evaluation of the
// operators by their three levels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "calc/Calculator.h"
#include "calc/Calculator_internal.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

using calc_detail::HexDigit;
using calc_detail::IsDecimalWithoutExponent;
using calc_detail::IsDigit;

// ---------------------------------------------------------------------------
// Byte classes. Code page 932 text is scanned byte by byte here, except that
// the second byte of a double-byte character is never a mark: "ポ" is 83 7C,
// and its 7C is no "|" (taken as one, "ポイント" was reported as "イント", and
// a lone first byte swallowed the message's "]").

constexpr bool IsOperatorChar(char c) {
  switch (c) {
    case '%':
    case '&':
    case '*':
    case '+':
    case '-':
    case '/':
    case '^':
    case '|':
    case '~':
      return true;
    default:
      return false;
  }
}
// Delimiters end a name before a bracket and must follow a closing bracket.
constexpr bool IsDelimiter(char c) {
  return IsOperatorChar(c) || c == ',' || c == '(' || c == ')';
}
// Splitting characters cut the expression into tokens in the first pass.
constexpr bool IsSplitting(char c) {
  return IsDelimiter(c) || c == ' ';
}

// Whether the byte at p of a text read from its start is the second byte of a
// double-byte character: the bytes right before it that could lead one are
// odd in number. Only asked of bytes that could be marks, which end the run of
// the next such question, so a scan stays linear.
bool IsTrailByteAt(std::string_view text, std::size_t p) {
  std::size_t run = 0;
  while (run < p && IsCp932LeadByte(static_cast<unsigned char>(text[p - 1 - run]))) ++run;
  return run % 2 == 1;
}

// Bytes 0 to 32 at either end.
std::string_view TrimControls(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

// Reads a number and rounds it to double; EUndefinedIdent when it is none.
double ReadStored(std::string_view text) {
  long double v = 0;
  if (!TryReadNumber(text, v)) throw EUndefinedIdent(text);
  return StoreValue(v);
}

// A function's result: the function ran in extended precision and may have
// produced what the arithmetic would have refused.
double CheckResult(double r) {
  if (std::isnan(r)) throw EInvalidOp();
  if (std::isinf(r)) throw EOverflow();
  return r;
}

// ---------------------------------------------------------------------------
// Operators.

double ApplyOperator(char op, double a, double b) {
  const long double x = a;
  const long double y = b;
  switch (op) {
    case '^':
      return StoreValue(PowerValue(x, y));
    case '*':
      return StoreValue(x * y);
    case '/':
      if (y == 0) {
        if (x == 0) throw EInvalidOp();
        throw EZeroDivide();
      }
      return StoreValue(x / y);
    case '+':
      return StoreValue(x + y);
    case '-':
      return StoreValue(x - y);
    case '%': {
      const std::int64_t i = TruncValue(x);
      const std::int64_t j = TruncValue(y);
      if (j == 0) throw EDivByZero();
      // The one quotient that does not fit leaves no remainder.
      if (j == -1) return 0.0;
      return static_cast<double>(i % j);
    }
    case '&': {
      const std::int64_t i = TruncValue(x);
      return static_cast<double>(i & TruncValue(y));
    }
    case '|': {
      const std::int64_t i = TruncValue(x);
      return static_cast<double>(i | TruncValue(y));
    }
    case '~': {
      const std::int64_t i = TruncValue(x);
      return static_cast<double>(i ^ TruncValue(y));
    }
    default:
      throw std::logic_error("not an operator");
  }
}

bool IsPowerOperator(char c) {
  return c == '^';
}
bool IsProductOperator(char c) {
  return c == '%' || c == '&' || c == '*' || c == '/';
}
bool IsAnyOperator(char) {
  return true;
}

// Optional spaces, optional sign, decimal digits or hexadecimal digits after
// "$", "x" or "0x": a signed 32-bit integer.
bool TryReadInt32(std::string_view s, std::int32_t& value) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;
  std::uint64_t acc = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
  for (; i < n; ++i) {
    const int d = hex ? HexDigit(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) return false;
    acc = acc * (hex ? 16u : 10u) + static_cast<std::uint64_t>(d);
    if (acc > limit) return false;
  }
  // A hexadecimal text is a 32-bit pattern; negation wraps within 32 bits.
  std::uint32_t bits = static_cast<std::uint32_t>(acc);
  if (negative) bits = 0u - bits;
  value = static_cast<std::int32_t>(bits);
  return true;
}

// ---------------------------------------------------------------------------
// The evaluation.

// Looks names up in a list without a linear search per token; rebuilt when
// the list has changed since (a handler may change it during an evaluation).
class TNameIndex {
 public:
  void Refresh(const TCalcStrings& list) {
    if (built_ && version_ == list.Version()) return;
    by_name_.clear();
    by_line_.clear();
    const auto& lines = list.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int index = static_cast<int>(i);
      if (lines[i].find('=') != std::string::npos) {
        by_name_.emplace(FoldName(TCalcStrings::NamePart(lines[i])), index);
      }
      by_line_.emplace(FoldName(lines[i]), index);
    }
    version_ = list.Version();
    built_ = true;
  }
  [[nodiscard]] int IndexOfName(const std::string& folded) const {
    const auto it = by_name_.find(folded);
    return it == by_name_.end() ? -1 : it->second;
  }
  [[nodiscard]] int IndexOf(const std::string& folded) const {
    const auto it = by_line_.find(folded);
    return it == by_line_.end() ? -1 : it->second;
  }

 private:
  bool built_ = false;
  std::uint64_t version_ = 0;
  std::unordered_map<std::string, int> by_name_;
  std::unordered_map<std::string, int> by_line_;
};

class TEvaluator {
 public:
  explicit TEvaluator(TCalculator& calc) : calc_(calc) {}
  double Run(std::string text);

 private:
  [[nodiscard]] bool Tracing() const { return static_cast<bool>(calc_.OnTrace); }
  void Trace(const std::string& text) {
    if (!calc_.OnTrace) return;
    const TCalcTraceEvent handler = calc_.OnTrace;  // the handler may replace itself
    handler(calc_, text);
  }
  std::string FirstPass(std::string_view text);
  std::string ReduceBrackets(std::string text);
  std::vector<double> FlatValues(std::string_view text, bool commas_allowed);
  std::string FlatText(std::string_view text, bool commas_allowed);
  double EvaluateLine(std::string_view line);
  void ReducePass(bool (*level)(char));
  void TraceLine(std::size_t w, std::size_t r, std::size_t n);
  double CallFunction(const std::string& name, std::string_view content);

  TCalculator& calc_;
  TNameIndex variables_;
  TNameIndex user_funcs_;
  std::vector<double> values_;
  std::string ops_;
};

double TEvaluator::Run(std::string text) {
  if (text.size() > kMaxExpressionLength) throw EExpressionTooLong();
  std::replace(text.begin(), text.end(), '\t', ' ');
  // CR LF pairs become one space each.
  std::size_t w = 0;
  for (std::size_t r = 0; r < text.size(); ++r) {
    if (text[r] == '\r' && r + 1 < text.size() && text[r + 1] == '\n') {
      text[w++] = ' ';
      ++r;
    } else {
      text[w++] = text[r];
    }
  }
  text.resize(w);

  std::string joined = FirstPass(text);
  Trace(joined);
  std::string flat = ReduceBrackets(std::move(joined));
  const std::string result = FlatText(flat, false);
  long double value = 0;
  if (!TryReadNumber(result, value)) throw EUndefinedIdent(result);
  return StoreValue(value);
}

std::string TEvaluator::FirstPass(std::string_view text) {
  struct token_t {
    std::string_view text;
    bool mark;
  };
  std::vector<token_t> tokens;
  text = TrimControls(text);
  std::size_t previous = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;  // a double-byte character, part of an operand
      continue;
    }
    if (!IsSplitting(text[i])) continue;
    const std::string_view operand = TrimControls(text.substr(previous, i - previous));
    if (!operand.empty()) tokens.push_back({operand, false});
    if (text[i] != ' ') tokens.push_back({text.substr(i, 1), true});
    previous = i + 1;
  }
  const std::string_view rest = TrimControls(text.substr(previous));
  if (!rest.empty()) tokens.push_back({rest, false});

  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (!tokens[i - 1].mark && !tokens[i].mark) throw ENoMarkBetweenValue();
  }

  const TCalcStrings& variables = calc_.Variables();
  std::string joined;
  joined.reserve(text.size() + 16);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const token_t& token = tokens[i];
    long double number = 0;
    if (token.mark) {
      joined += token.text;
    } else if (TryReadNumber(token.text, number)) {
      // Reading stores the number as a double: one beyond that range
      // overflows here, before an unknown name or a missing operator later on.
      static_cast<void>(StoreValue(number));
      joined += token.text;
    } else {
      int index = -1;
      if (variables.Count() > 0) {
        variables_.Refresh(variables);
        index = variables_.IndexOfName(FoldName(token.text));
      }
      if (index >= 0) {
        // The value is put in as it stands, not resolved again.
        joined += TCalcStrings::ValuePart(variables.At(index));
      } else {
        joined += token.text;
        const bool names_function =
            i + 1 < tokens.size() && tokens[i + 1].mark && tokens[i + 1].text == "(";
        if (!names_function) joined += "()";
      }
    }
    if (joined.size() > kMaxExpressionLength) throw EExpressionTooLong();
  }
  if (joined.empty()) throw EEmptyExpression();
  return joined;
}

// Replaces the bracket that opens last, again and again, by the text of its
// value. Everything before that bracket is still the text as joined, so it is
// read in place; everything after it is kept reversed in `tail`, whose end is
// the front of the rest. Each byte thus moves a bounded number of times, and
// deep nesting costs no recursion.
std::string TEvaluator::ReduceBrackets(std::string text) {
  std::size_t prefix_end = text.size();
  std::string tail;
  auto whole_text = [&]() {
    std::string s = text.substr(0, prefix_end);
    s.append(tail.rbegin(), tail.rend());
    return s;
  };
  auto prepend = [&](std::string_view s) { tail.append(s.rbegin(), s.rend()); };

  for (;;) {
    std::size_t open = prefix_end;
    while (open > 0 && text[open - 1] != '(') --open;
    if (open == 0) break;
    --open;  // the position of the last "("
    for (std::size_t i = prefix_end; i > open + 1; --i) tail.push_back(text[i - 1]);
    prefix_end = open;

    // a. The first ")" after it closes it.
    std::size_t close = tail.size();
    while (close > 0 && tail[close - 1] != ')') --close;
    if (close == 0) throw EInvalidBracket();
    std::string content(tail.rbegin(),
                        tail.rbegin() + static_cast<std::ptrdiff_t>(tail.size() - close));
    tail.resize(close - 1);

    // b. A name directly before the bracket; a number there multiplies it.
    bool has_name = false;
    bool multiplies = false;
    std::string name;
    const auto name_byte = [&text](std::size_t p) {
      return !IsDelimiter(text[p]) || IsTrailByteAt(text, p);
    };
    if (prefix_end > 0 && name_byte(prefix_end - 1)) {
      std::size_t start = prefix_end;
      while (start > 0 && name_byte(start - 1)) --start;
      name = text.substr(start, prefix_end - start);
      long double number = 0;
      if (TryReadNumber(name, number)) {
        multiplies = true;
      } else {
        has_name = true;
        prefix_end = start;
      }
    }

    // c. Something other than a delimiter after ")".
    if (!tail.empty() && !IsDelimiter(tail.back())) throw ENoMarkBetweenValue();

    // d, e.
    const std::string value =
        has_name ? ValueText(CallFunction(name, content)) : FlatText(content, false);
    prepend(value);
    if (multiplies) tail.push_back('*');
    if (Tracing()) Trace(whole_text());
  }
  if (text.find(')') < prefix_end || tail.find(')') != std::string::npos) {
    throw EInvalidBracket();
  }
  return whole_text();
}

std::vector<double> TEvaluator::FlatValues(std::string_view text, bool commas_allowed) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      // A comma at the very end (or an empty text) leaves no last line.
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  if (!commas_allowed && lines.size() >= 2) throw EInvalidComma();
  std::vector<double> values;
  values.reserve(lines.size());
  for (std::string_view line : lines) values.push_back(EvaluateLine(line));
  if (lines.size() >= 2 && Tracing()) {
    std::string result;
    for (double v : values) {
      if (!result.empty()) result.push_back(',');
      result += ValueText(v);
    }
    Trace(result);
  }
  return values;
}

std::string TEvaluator::FlatText(std::string_view text, bool commas_allowed) {
  const std::vector<double> values = FlatValues(text, commas_allowed);
  std::string result;
  for (double v : values) {
    if (!result.empty()) result.push_back(',');
    result += ValueText(v);
  }
  return result;
}

double TEvaluator::EvaluateLine(std::string_view line) {
  values_.clear();
  ops_.clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (!IsOperatorChar(c)) continue;
    if (c == '+' || c == '-') {
      // The sign of the following number.
      if (i >= 1 && IsOperatorChar(line[i - 1])) continue;
      // The sign of an exponent (1E-5 stays one number).
      if (i > start && (line[i - 1] == 'E' || line[i - 1] == 'e') &&
          IsDecimalWithoutExponent(line.substr(start, i - 1 - start))) {
        continue;
      }
    }
    const std::string_view token = line.substr(start, i - start);
    if (!token.empty()) {
      values_.push_back(ReadStored(token));
      ops_.push_back(c);
      start = i + 1;
    } else if ((c == '+' || c == '-') && start == 0) {
      // The sign of the first number.
    } else {
      throw ENoValueBetweenMark();
    }
  }
  const std::string_view last = line.substr(start);
  if (last.empty()) throw ENoValueAfterMark();
  values_.push_back(ReadStored(last));

  if (values_.size() == 1) {
    if (Tracing()) Trace(ValueText(values_[0]));
    return values_[0];
  }
  ReducePass(IsPowerOperator);
  ReducePass(IsProductOperator);
  ReducePass(IsAnyOperator);
  return values_[0];
}

// Combines, left to right, every operator of one level with its two values.
// Values and operators are compacted in place: [0, w] holds the results so
// far, [r + 1, n) what is still to be read.
void TEvaluator::ReducePass(bool (*level)(char)) {
  const std::size_t n = values_.size();
  std::size_t w = 0;
  for (std::size_t r = 0; r + 1 < n; ++r) {
    const char op = ops_[r];
    if (level(op)) {
      values_[w] = ApplyOperator(op, values_[w], values_[r + 1]);
      if (Tracing()) TraceLine(w, r, n);
    } else {
      ops_[w] = op;
      ++w;
      values_[w] = values_[r + 1];
    }
  }
  values_.resize(w + 1);
  ops_.resize(w);
}

void TEvaluator::TraceLine(std::size_t w, std::size_t r, std::size_t n) {
  std::string s;
  for (std::size_t j = 0; j < w; ++j) {
    s += ValueText(values_[j]);
    s.push_back(ops_[j]);
  }
  s += ValueText(values_[w]);
  for (std::size_t j = r + 1; j + 1 < n; ++j) {
    s.push_back(ops_[j]);
    s += ValueText(values_[j + 1]);
  }
  Trace(s);
}

double TEvaluator::CallFunction(const std::string& name, std::string_view content) {
  const std::shared_ptr<const TCalcFunctionEntry> entry = calc_.Registry().Find(name);
  std::int64_t min_args = 0;
  std::int64_t max_args = 0;
  int func_index = -1;
  if (entry) {
    min_args = entry->min_args;
    max_args = entry->max_args;
  } else {
    const TCalcStrings& list = calc_.UserFuncNames();
    if (list.Count() > 0) {
      user_funcs_.Refresh(list);
      const std::string folded = FoldName(name);
      const int by_name = user_funcs_.IndexOfName(folded);
      func_index = by_name >= 0 ? by_name : user_funcs_.IndexOf(folded);
      if (func_index >= 0) {
        // The counts come from the line that names the function, if any.
        const std::string_view counts =
            by_name >= 0 ? TCalcStrings::ValuePart(list.At(by_name)) : std::string_view();
        std::int32_t lo = 0;
        std::int32_t hi = 0;
        const std::size_t comma = counts.find(',');
        if (comma != std::string_view::npos) {
          min_args = TryReadInt32(counts.substr(0, comma), lo) ? lo : 0;
          max_args = TryReadInt32(counts.substr(comma + 1), hi) ? hi : 32767;
        } else {
          min_args = TryReadInt32(counts, lo) ? lo : 0;
          max_args = TryReadInt32(counts, hi) ? hi : 32767;
        }
      }
    }
    if (func_index < 0) throw EUndefinedIdent(name);
  }

  const std::vector<double> values = FlatValues(content, true);
  const auto count = static_cast<std::int64_t>(values.size());
  if (count > max_args) throw ETooManyParameters(name);
  if (count < min_args) throw ENotEnoughParameters(name);
  // Arguments pass as text, as every value inside an expression does.
  std::vector<double> args;
  args.reserve(values.size());
  for (double v : values) args.push_back(ReadStored(ValueText(v)));

  if (entry && entry->caller_function) {
    return CheckResult(entry->caller_function(calc_, std::span<const double>(args)));
  }
  if (entry) return CheckResult(entry->function(std::span<const double>(args)));

  if (!calc_.OnFunction) throw EUndefinedIdent(name);
  const TCalcFunctionEvent handler = calc_.OnFunction;
  double result = 0;
  bool handled = true;
  handler(calc_, func_index, static_cast<int>(count), std::span<const double>(args), result,
          handled);
  if (!handled) throw EUndefinedIdent(name);
  return CheckResult(result);
}

}  // namespace

namespace calc_detail {

double EvaluateExpression(TCalculator& calc, std::string text) {
  TEvaluator evaluator(calc);
  return evaluator.Run(std::move(text));
}

}  // namespace calc_detail
}  // namespace qvl
