#include "calc/Calculator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "model/qvl_text.h"

namespace qvl {
namespace {

// ---------------------------------------------------------------------------
// Messages.

std::string FillIn(const std::string& format, std::string_view text) {
  std::string out = format;
  const std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, text);
  return out;
}

const std::string& InvalidNameMessage() {
  return QVL_CP932("%s は\r\n無効な識別子です.");
}
const std::string& NotNameValueMessage() {
  return QVL_CP932("識別子=数値 の形式でない行は除外します.");
}
const std::string& RegisteredMessage() {
  return QVL_CP932("%s は\r\n登録済み関数です.");
}
const std::string& InUserFuncNamesMessage() {
  return QVL_CP932("%s は\r\nUserFuncNamesリストに定義済みです.");
}
const std::string& InVariablesMessage() {
  return QVL_CP932("%s は\r\nVariablesリストに定義済みです.");
}

// ---------------------------------------------------------------------------
// Byte classes. Code page 932 text is scanned byte by byte; only the name
// check and the letter-case folding step over double-byte characters.

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

constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr std::string_view kForbiddenInNames = " !\"#$%&'()=~|\\+-*/<>}{[].,?";

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Bytes 0 to 32 at either end.
std::string_view TrimControls(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

// ---------------------------------------------------------------------------
// Number reading.

struct decimal_parts_t {
  bool negative = false;
  std::string_view int_digits;
  std::string_view frac_digits;
  bool has_exponent = false;
  bool exponent_negative = false;
  std::string_view exponent_digits;
};

// spaces, sign, digits, point, digits, exponent, spaces: the decimal form.
bool ParseDecimal(std::string_view s, decimal_parts_t& p) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    p.negative = s[i] == '-';
    ++i;
  }
  std::size_t start = i;
  while (i < n && IsDigit(s[i])) ++i;
  p.int_digits = s.substr(start, i - start);
  bool has_point = false;
  if (i < n && s[i] == '.') {
    has_point = true;
    ++i;
    start = i;
    while (i < n && IsDigit(s[i])) ++i;
    p.frac_digits = s.substr(start, i - start);
  }
  if (p.int_digits.empty() && !has_point) return false;
  if (i < n && (s[i] == 'E' || s[i] == 'e')) {
    p.has_exponent = true;
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
      p.exponent_negative = s[i] == '-';
      ++i;
    }
    start = i;
    while (i < n && IsDigit(s[i])) ++i;
    p.exponent_digits = s.substr(start, i - start);
  }
  while (i < n && s[i] == ' ') ++i;
  return i == n;
}

bool IsDecimalWithoutExponent(std::string_view s) {
  decimal_parts_t p;
  return ParseDecimal(s, p) && !p.has_exponent;
}

bool ReadHex(std::string_view s, long double& value) {
  if (s.size() < 2) return false;
  std::uint32_t acc = 0;
  int significant = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0) return false;
    if (significant > 0 || d != 0) {
      if (++significant > 8) return false;
      acc = acc * 16u + static_cast<std::uint32_t>(d);
    }
  }
  value = static_cast<std::int32_t>(acc);
  return true;
}

// Powers of ten that the extended format holds exactly (5^27 < 2^64).
constexpr int kExactPowers = 27;
constexpr std::array<long double, kExactPowers + 1> MakePowersOfTen() {
  std::array<long double, kExactPowers + 1> p{};
  p[0] = 1.0L;
  for (int i = 1; i <= kExactPowers; ++i) p[static_cast<std::size_t>(i)] = p[i - 1] * 10.0L;
  return p;
}
constexpr std::array<long double, kExactPowers + 1> kPowersOfTen = MakePowersOfTen();

bool ComposeDecimal(const decimal_parts_t& p, long double& value) {
  // The significant digits, leading zeros skipped. All of them are kept:
  // every digit may decide the rounding.
  std::string digits;
  std::int64_t leading_zeros = 0;
  bool seen_non_zero = false;
  for (std::string_view part : {p.int_digits, p.frac_digits}) {
    for (char c : part) {
      if (!seen_non_zero) {
        if (c == '0') {
          ++leading_zeros;
          continue;
        }
        seen_non_zero = true;
      }
      digits.push_back(c);
    }
  }
  if (digits.empty()) {
    value = p.negative ? -0.0L : 0.0L;
    return true;
  }
  // The exponent saturates far beyond any representable value.
  constexpr std::int64_t kExponentCap = 10000000;
  std::int64_t exponent = 0;
  for (char c : p.exponent_digits) {
    exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kExponentCap);
  }
  if (p.exponent_negative) exponent = -exponent;
  // value = 0.digits × 10^scale
  const std::int64_t scale =
      static_cast<std::int64_t>(p.int_digits.size()) - leading_zeros + exponent;

  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const auto count = static_cast<std::int64_t>(digits.size());
  const std::int64_t power = scale - count;  // value = digits × 10^power
  if (count <= 19 && power >= -kExactPowers && power <= kExactPowers) {
    // The digits and the power are exact, so one multiplication or division
    // rounds the value correctly to extended precision.
    std::uint64_t m = 0;
    for (char c : digits) m = m * 10u + static_cast<std::uint64_t>(c - '0');
    const auto mantissa = static_cast<long double>(m);
    value = power >= 0 ? mantissa * kPowersOfTen[static_cast<std::size_t>(power)]
                       : mantissa / kPowersOfTen[static_cast<std::size_t>(-power)];
    if (p.negative) value = -value;
    return true;
  }
  std::string text = "0.";
  text += digits;
  text.push_back('e');
  text += std::to_string(std::clamp<std::int64_t>(scale, -kExponentCap, kExponentCap));
  long double v = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
  if (result.ec == std::errc::result_out_of_range) {
    if (scale > 0) return false;  // beyond the extended range
    v = 0;                        // too small for it
  } else if (result.ec != std::errc()) {
    return false;
  }
  value = p.negative ? -v : v;
  return true;
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

// ---------------------------------------------------------------------------
// Lists.

// The name that the list checks look at.
std::string_view CheckedName(std::string_view line) {
  const std::size_t at = line.find('=');
  if (at == std::string_view::npos || at == 0) return line;
  return line.substr(0, at);
}

bool IsInvalidName(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c) && i + 1 < name.size()) {
      ++i;  // the trail byte of a double-byte character is no character of its own
      continue;
    }
    if (kForbiddenInNames.find(static_cast<char>(c)) != std::string_view::npos) return true;
  }
  long double v = 0;
  return TryReadNumber(name, v);
}

// Folded name parts and whole lines of a list: "is the name in that list".
std::unordered_set<std::string> NamesOf(const std::vector<std::string>& lines) {
  std::unordered_set<std::string> names;
  for (const std::string& line : lines) {
    if (line.find('=') != std::string::npos) names.insert(FoldName(TCalcStrings::NamePart(line)));
    names.insert(FoldName(line));
  }
  return names;
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

}  // namespace

// ---------------------------------------------------------------------------
// Exceptions.

EInvalidComma::EInvalidComma()
    : ECalculator(QVL_CP932("関数のパラメータと見なされない場所でカンマが使用されています")) {}
EUndefinedIdent::EUndefinedIdent(std::string_view ident)
    : ECalculator(FillIn(QVL_CP932("演算式内に、不明な識別子[%s]が含まれています"), ident)),
      ident_(ident) {}
ENoMarkBetweenValue::ENoMarkBetweenValue()
    : ECalculator(QVL_CP932("演算要素の間には演算子が必要です")) {}
ENoValueBetweenMark::ENoValueBetweenMark() : ECalculator(QVL_CP932("演算子の間に値がありません")) {}
ENoValueAfterMark::ENoValueAfterMark()
    : ECalculator(QVL_CP932("演算子の後に演算要素がありません")) {}
EInvalidBracket::EInvalidBracket() : ECalculator(QVL_CP932("括弧の対応が正しくありません")) {}
EEmptyExpression::EEmptyExpression() : ECalculator(QVL_CP932("式がありません")) {}
ENotEnoughParameters::ENotEnoughParameters(std::string_view function_name)
    : ECalculator(FillIn(QVL_CP932("関数[%s]に渡す引数が足りません"), function_name)) {}
ETooManyParameters::ETooManyParameters(std::string_view function_name)
    : ECalculator(FillIn(QVL_CP932("関数[%s]に渡す引数が多すぎます"), function_name)) {}
EExpressionTooLong::EExpressionTooLong() : ECalculator(QVL_CP932("式が長すぎます")) {}

// ---------------------------------------------------------------------------
// Numbers and their text.

bool TryReadNumber(std::string_view text, long double& value) {
  if (!text.empty() && text[0] == '$' && text.find('.') == std::string_view::npos) {
    return ReadHex(text, value);
  }
  decimal_parts_t parts;
  if (!ParseDecimal(text, parts)) return false;
  return ComposeDecimal(parts, value);
}

std::string ValueText(double value) {
  if (value == 0 || !std::isfinite(value)) return "0";
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);

  // 18 correctly rounded digits decide the rounding to 15 unless they end in
  // exactly "500"; then the exact expansion decides, halves rounding up.
  char buffer[900];
  auto r =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 17);
  std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
  auto parse = [](std::string_view t, std::string& digits, int& exponent) {
    digits.clear();
    std::size_t i = 0;
    for (; i < t.size() && t[i] != 'e'; ++i) {
      if (t[i] != '.') digits.push_back(t[i]);
    }
    exponent = 0;
    std::from_chars(t.data() + i + 1 + (t[i + 1] == '+' ? 1 : 0), t.data() + t.size(), exponent);
  };
  std::string digits;
  int exponent = 0;  // value = d.ddd × 10^exponent
  parse(text, digits, exponent);
  bool round_up = digits[15] >= '5';
  if (digits.compare(15, 3, "500") == 0) {
    r = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                      780);
    std::string exact;
    int exact_exponent = 0;
    parse(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)), exact,
          exact_exponent);
    round_up = exact[15] >= '5';
  }
  digits.resize(15);
  if (round_up) {
    int i = 14;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
      digits[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    } else {
      ++digits[static_cast<std::size_t>(i)];
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  // As 0.d1…dk × 10^e.
  const int e = exponent + 1;
  const int k = static_cast<int>(digits.size());
  std::string out;
  if (negative) out.push_back('-');
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-e), '0');
      out += digits;
    } else if (e >= k) {
      out += digits;
      out.append(static_cast<std::size_t>(e - k), '0');
    } else {
      out.append(digits, 0, static_cast<std::size_t>(e));
      out.push_back('.');
      out.append(digits, static_cast<std::size_t>(e));
    }
  } else {
    out.push_back(digits[0]);
    if (k > 1) {
      out.push_back('.');
      out.append(digits, 1);
    }
    out.push_back('E');
    out += std::to_string(e - 1);
  }
  return out;
}

double StoreValue(long double x) {
  // From halfway between the largest double and 2^1024 on, rounding to double
  // would give an infinity.
  constexpr long double kRoundsToInfinity = 0x1.fffffffffffff8p+1023L;
  if (std::isnan(x)) throw EInvalidOp();
  if (!(std::fabs(x) < kRoundsToInfinity)) throw EOverflow();
  return static_cast<double>(x);
}

std::int64_t TruncValue(long double x) {
  constexpr long double kTwo63 = 9223372036854775808.0L;
  if (!(x >= -kTwo63 && x < kTwo63)) throw EInvalidOp();
  return static_cast<std::int64_t>(x);
}

long double PowerValue(long double base, long double exponent) {
  if (exponent == 0) return 1.0L;
  if (base == 0 && exponent > 0) return 0.0L;
  if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0L) {
    // Repeated squaring; a square is taken only while bits remain.
    const auto n = static_cast<std::int64_t>(exponent);
    std::uint64_t bits = static_cast<std::uint64_t>(n < 0 ? -n : n);
    long double result = 1.0L;
    long double x = base;
    for (;;) {
      if (bits & 1u) result *= x;
      bits >>= 1;
      if (bits == 0) break;
      x *= x;
    }
    if (std::isinf(result)) throw EOverflow();
    if (n < 0) {
      if (result == 0) throw EZeroDivide();
      result = 1.0L / result;
      if (std::isinf(result)) throw EOverflow();
    }
    return result;
  }
  if (base < 0) throw EInvalidOp();
  if (base == 0) throw EZeroDivide();  // the logarithm of zero
  const long double r = std::exp(exponent * std::log(base));
  if (std::isinf(r)) throw EOverflow();
  if (std::isnan(r)) throw EInvalidOp();
  return r;
}

// ---------------------------------------------------------------------------
// Names and the registry.

std::string FoldName(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(c) && i + 1 < out.size()) {
      ++i;
      continue;
    }
    if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + ('a' - 'A'));
  }
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldName(a) == FoldName(b);
}

void TFunctionRegistry::RegisterFunction(std::string_view name, int min_args, int max_args,
                                         std::string_view help, TCalcFunction function) {
  auto entry = std::make_shared<TCalcFunctionEntry>();
  entry->name = std::string(name.substr(0, 20));
  entry->min_args = std::max(min_args, 0);
  entry->max_args = std::min(max_args, 32767);
  entry->function = std::move(function);
  entry->help = std::string(help.substr(0, 255));
  entries_[FoldName(name)] = std::move(entry);
}

std::shared_ptr<const TCalcFunctionEntry> TFunctionRegistry::Find(std::string_view name) const {
  if (entries_.empty()) return nullptr;
  const auto it = entries_.find(FoldName(name));
  return it == entries_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<const TCalcFunctionEntry>> TFunctionRegistry::Entries() const {
  std::vector<std::shared_ptr<const TCalcFunctionEntry>> out;
  out.reserve(entries_.size());
  for (const auto& [key, entry] : entries_) out.push_back(entry);
  return out;
}

TFunctionRegistry& FunctionRegistry() {
  static TFunctionRegistry registry;
  return registry;
}

void RegisterFunction(std::string_view name, int min_args, int max_args, std::string_view help,
                      TCalcFunction function) {
  FunctionRegistry().RegisterFunction(name, min_args, max_args, help, std::move(function));
}

// ---------------------------------------------------------------------------
// TCalcStrings.

void TCalcStrings::CheckIndex(int index, bool allow_end) const {
  const int limit = allow_end ? Count() : Count() - 1;
  if (index < 0 || index > limit) throw std::out_of_range("list index out of bounds");
}

const std::string& TCalcStrings::At(int index) const {
  CheckIndex(index, false);
  return lines_[static_cast<std::size_t>(index)];
}

void TCalcStrings::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

void TCalcStrings::Insert(int index, std::string line) {
  CheckIndex(index, true);
  lines_.insert(lines_.begin() + index, std::move(line));
  Changed();
}

void TCalcStrings::Put(int index, std::string line) {
  CheckIndex(index, false);
  lines_[static_cast<std::size_t>(index)] = std::move(line);
  Changed();
}

void TCalcStrings::Delete(int index) {
  CheckIndex(index, false);
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TCalcStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TCalcStrings::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Changed();
}

void TCalcStrings::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0 && pending_) {
    pending_ = false;
    if (notify_ && on_change_) on_change_();
  }
}

void TCalcStrings::Changed() {
  ++version_;
  if (update_count_ > 0) {
    pending_ = true;
    return;
  }
  if (notify_ && on_change_) on_change_();
}

std::string_view TCalcStrings::NamePart(std::string_view line) {
  const std::size_t at = line.find('=');
  return at == std::string_view::npos ? std::string_view() : line.substr(0, at);
}

std::string_view TCalcStrings::ValuePart(std::string_view line) {
  const std::size_t at = line.find('=');
  return at == std::string_view::npos ? std::string_view() : line.substr(at + 1);
}

int TCalcStrings::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].find('=') != std::string::npos && SameName(NamePart(lines_[i]), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int TCalcStrings::IndexOf(std::string_view text) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (SameName(lines_[i], text)) return static_cast<int>(i);
  }
  return -1;
}

// ---------------------------------------------------------------------------
// The evaluation of one expression.

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
    if (token.mark || TryReadNumber(token.text, number)) {
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
    if (prefix_end > 0 && !IsDelimiter(text[prefix_end - 1])) {
      std::size_t start = prefix_end;
      while (start > 0 && !IsDelimiter(text[start - 1])) --start;
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

// ---------------------------------------------------------------------------
// TCalculator.

TCalculator::TCalculator() : TCalculator(FunctionRegistry()) {}

TCalculator::TCalculator(TFunctionRegistry& registry) : TCalculator(registry, false) {}

TCalculator::TCalculator(TFunctionRegistry& registry, bool auto_start)
    : registry_(&registry), auto_start_(auto_start) {
  variables_.on_change_ = [this] { CheckVariables(); };
  user_func_names_.on_change_ = [this] { CheckUserFuncNames(); };
}

TCalculator::~TCalculator() {
  variables_.on_change_ = nullptr;
  user_func_names_.on_change_ = nullptr;
}

void TCalculator::SetAutoStart(bool on) {
  const bool was_on = auto_start_;
  auto_start_ = on;
  if (on && !was_on) Calculate();
}

void TCalculator::SetExpression(std::string_view text) {
  if (text == expression_) return;
  expression_ = std::string(text);
  if (auto_start_) Calculate();
}

void TCalculator::SetVariables(const std::vector<std::string>& lines) {
  if (lines == variables_.Lines()) return;
  variables_.Assign(lines);
}

void TCalculator::SetUserFuncNames(const std::vector<std::string>& lines) {
  if (lines == user_func_names_.Lines()) return;
  user_func_names_.Assign(lines);
}

double TCalculator::Evaluate(std::string_view text) {
  expression_ = std::string(text);
  Calculate();
  return answer_;
}

void TCalculator::Calculate() {
  if (loading_) return;
  answer_ = 0;
  try {
    TEvaluator evaluator(*this);
    const double value = evaluator.Run(expression_);
    answer_ = value;
    if (OnCalculate) {
      const TCalcNotifyEvent handler = OnCalculate;
      handler(*this);
    }
  } catch (const std::exception& e) {
    answer_ = 0;
    if (!OnError) throw;
    const TCalcErrorEvent handler = OnError;
    bool handled = true;
    handler(*this, e, handled);
    if (!handled) throw;
  } catch (...) {
    answer_ = 0;
    throw;
  }
}

void TCalculator::FinishCheck(const std::string& report) {
  if (!report.empty() && !loading_) throw EInvalidIdentList(report);
  if (auto_start_) Calculate();
}

void TCalculator::CheckVariables() {
  std::string report;
  auto add_paragraph = [&](const std::string& paragraph) {
    if (!report.empty()) report += "\r\n\r\n";
    report += paragraph;
  };
  // Runs one check over the lines with a name, removing those that fail it.
  auto run_check = [&](auto&& fails) {
    std::vector<std::string>& lines = variables_.lines_;
    std::string names;
    bool removed = false;
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    for (std::string& line : lines) {
      const std::string_view name = CheckedName(line);
      if (!name.empty() && fails(line, name)) {
        if (!names.empty()) names += ", ";
        names += name;
        removed = true;
      } else {
        kept.push_back(std::move(line));
      }
    }
    lines = std::move(kept);
    if (removed) ++variables_.version_;
    return std::make_pair(removed, names);
  };

  if (auto [removed, names] =
          run_check([](std::string_view, std::string_view name) { return IsInvalidName(name); });
      removed) {
    add_paragraph(FillIn(InvalidNameMessage(), names));
  }
  if (auto [removed, names] = run_check([](std::string_view line, std::string_view) {
        long double v = 0;
        return line.find('=') == std::string_view::npos ||
               !TryReadNumber(TCalcStrings::ValuePart(line), v);
      });
      removed) {
    add_paragraph(NotNameValueMessage());
  }
  if (auto [removed, names] = run_check(
          [this](std::string_view, std::string_view name) { return registry_->Contains(name); });
      removed) {
    add_paragraph(FillIn(RegisteredMessage(), names));
  }
  const std::unordered_set<std::string> user_names = NamesOf(user_func_names_.Lines());
  if (auto [removed, names] = run_check([&](std::string_view, std::string_view name) {
        return user_names.count(FoldName(name)) > 0;
      });
      removed) {
    add_paragraph(FillIn(InUserFuncNamesMessage(), names));
  }
  FinishCheck(report);
}

// Every removal from UserFuncNames starts the whole check again on the lines
// that remain, so the check that removes the last offending line is the
// innermost one to report, and it names that line alone; the check beneath it
// found nothing and evaluated. Lines fail independently of each other, so the
// removals are done in one sweep: the reported line is the last of those that
// fail the latest check any line fails first.
void TCalculator::CheckUserFuncNames() {
  const std::unordered_set<std::string> variable_names = NamesOf(variables_.Lines());
  std::vector<std::string>& lines = user_func_names_.lines_;
  int worst_check = 0;
  std::string worst_name;
  std::vector<std::string> kept;
  kept.reserve(lines.size());
  for (std::string& line : lines) {
    const std::string_view name = CheckedName(line);
    int failed = 0;
    if (!name.empty()) {
      if (IsInvalidName(name)) {
        failed = 1;
      } else if (registry_->Contains(name)) {
        failed = 2;
      } else if (variable_names.count(FoldName(name)) > 0) {
        failed = 3;
      }
    }
    if (failed == 0) {
      kept.push_back(std::move(line));
    } else if (failed >= worst_check) {
      worst_check = failed;
      worst_name = std::string(name);
    }
  }
  lines = std::move(kept);
  if (worst_check == 0) {
    FinishCheck({});
    return;
  }
  ++user_func_names_.version_;
  if (auto_start_) Calculate();
  const std::string& format = worst_check == 1   ? InvalidNameMessage()
                              : worst_check == 2 ? RegisteredMessage()
                                                 : InVariablesMessage();
  if (!loading_) throw EInvalidIdentList(FillIn(format, worst_name));
}

}  // namespace qvl
