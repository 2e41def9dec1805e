// Number reading, the text form of values and the extended-precision
// arithmetic helpers of the calculator.
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "calc/Calculator.h"
#include "calc/Calculator_internal.h"

namespace qvl {
namespace {

using calc_detail::HexDigit;
using calc_detail::IsDigit;

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
  // strtold rather than from_chars: some standard libraries' from_chars for
  // long double stop at the range of double. The text has no decimal point,
  // so the locale cannot change how it reads.
  std::string text(digits);
  text.push_back('e');
  text += std::to_string(std::clamp<std::int64_t>(scale, -kExponentCap, kExponentCap) -
                         static_cast<std::int64_t>(digits.size()));
  errno = 0;
  char* end = nullptr;
  long double v = std::strtold(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  if (errno == ERANGE) {
    if (scale > 0) return false;  // beyond the extended range
    v = 0;                        // too small for it
  }
  value = p.negative ? -v : v;
  return true;
}

}  // namespace

namespace calc_detail {

bool IsDecimalWithoutExponent(std::string_view s) {
  decimal_parts_t p;
  return ParseDecimal(s, p) && !p.has_exponent;
}

}  // namespace calc_detail

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

}  // namespace qvl
