#include "calc/CalcCustom.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

using args_t = std::span<const double>;

double FromInteger(std::int64_t i) {
  return static_cast<double>(i);
}

double FnNot(args_t a) {
  return FromInteger(~TruncValue(a[0]));
}

double FnDiv(args_t a) {
  const std::int64_t p1 = TruncValue(a[0]);
  const std::int64_t p2 = TruncValue(a[1]);
  if (p2 == 0) throw EDivByZero();
  // The one quotient beyond the range wraps, as the score arithmetic does.
  if (p2 == -1) return FromInteger(WrapSub(0, p1));
  return FromInteger(p1 / p2);
}

double FnAbs(args_t a) {
  return std::fabs(a[0]);
}

double FnPi(args_t) {
  return 3.141592653589793;
}

double FnSqrt(args_t a) {
  if (a[0] < 0) throw EInvalidOp();
  return StoreValue(std::sqrt(static_cast<long double>(a[0])));
}

// Whole numbers with a fraction exist only below 2^52 in magnitude, so the
// adjustment by one never leaves the 64-bit range.
double FnCeil(args_t a) {
  const long double x = a[0];
  const std::int64_t t = TruncValue(x);
  return FromInteger(x - static_cast<long double>(t) > 0 ? t + 1 : t);
}

double FnTrunc(args_t a) {
  return FromInteger(TruncValue(a[0]));
}

double FnFloor(args_t a) {
  const long double x = a[0];
  const std::int64_t t = TruncValue(x);
  return FromInteger(x - static_cast<long double>(t) < 0 ? t - 1 : t);
}

constexpr long double kTwo63 = 9223372036854775808.0L;

double FnSin(args_t a) {
  const long double x = a[0];
  if (std::fabs(x) >= kTwo63) return 0;
  return StoreValue(std::sin(x));
}

double FnCos(args_t a) {
  const long double x = a[0];
  if (std::fabs(x) >= kTwo63) return 0;
  return StoreValue(std::cos(x));
}

double FnTan(args_t a) {
  const long double x = a[0];
  if (std::fabs(x) >= kTwo63) throw EInvalidOp();
  return StoreValue(std::tan(x));
}

double FnArcSin(args_t a) {
  const long double x = a[0];
  if (std::fabs(x) > 1) throw EInvalidOp();
  return StoreValue(std::atan2(x, std::sqrt(1 - x * x)));
}

double FnArcCos(args_t a) {
  const long double x = a[0];
  if (std::fabs(x) > 1) throw EInvalidOp();
  return StoreValue(std::atan2(std::sqrt(1 - x * x), x));
}

double FnArcTan(args_t a) {
  return StoreValue(std::atan(static_cast<long double>(a[0])));
}

// h = e^x / 2; e^x beyond the extended range overflows, and e^x rounded to 0
// leaves 0.25 / h a division by zero.
long double HalfExp(long double x) {
  const long double h = std::exp(x) / 2;
  if (std::isinf(h)) throw EOverflow();
  if (h == 0) throw EZeroDivide();
  return h;
}

double FnSinh(args_t a) {
  const long double h = HalfExp(a[0]);
  return StoreValue(h - 0.25L / h);
}

double FnCosh(args_t a) {
  const long double h = HalfExp(a[0]);
  return StoreValue(h + 0.25L / h);
}

double FnTanh(args_t a) {
  constexpr long double kLimit = 5678.22249441322L;
  const long double x = a[0];
  if (x > kLimit) return 1;
  if (x < -kLimit) return -1;
  const long double e = std::exp(x);
  const long double e2 = e * e;
  return StoreValue((e2 - 1) / (e2 + 1));
}

long double SumOf(args_t a) {
  long double s = 0;
  for (double v : a) s += v;
  return s;
}

double FnSum(args_t a) {
  return StoreValue(SumOf(a));
}

double FnMin(args_t a) {
  double m = a[0];
  for (double v : a.subspan(1)) {
    if (v < m) m = v;
  }
  return m;
}

double FnMax(args_t a) {
  double m = a[0];
  for (double v : a.subspan(1)) {
    if (v > m) m = v;
  }
  return m;
}

double FnAverage(args_t a) {
  return StoreValue(SumOf(a) / static_cast<long double>(a.size()));
}

double FnStdDev(args_t a) {
  long double sum = 0;
  long double squares = 0;
  for (double v : a) {
    sum += v;
    squares += static_cast<long double>(v) * v;
  }
  const auto n = static_cast<long double>(a.size());
  const long double numerator = squares - sum * sum / n;
  // A single value leaves 0 / 0.
  if (a.size() == 1) throw EInvalidOp();
  long double variance = numerator / (n - 1);
  // Equal values can leave a rounding error just below zero; their spread is 0.
  if (variance < 0) variance = 0;
  return StoreValue(std::sqrt(variance));
}

double FnIf(args_t a) {
  return a[0] != 0 ? a[1] : a[2];
}

double FnCompare(args_t a) {
  return a[0] < a[1] ? -1 : (a[0] == a[1] ? 0 : 1);
}

double FnSign(args_t a) {
  return a[0] < 0 ? -1 : (a[0] == 0 ? 0 : 1);
}

double FnIsOdd(args_t a) {
  return TruncValue(a[0]) % 2 != 0 ? 1 : 0;
}

double FnIsEven(args_t a) {
  return TruncValue(a[0]) % 2 == 0 ? 1 : 0;
}

double FnIsNot(args_t a) {
  return a[0] == 0 ? 1 : 0;
}

double FnIsMinus(args_t a) {
  return a[0] < 0 ? 1 : 0;
}

double FnIsPlus(args_t a) {
  return a[0] > 0 ? 1 : 0;
}

double FnAnd(args_t a) {
  for (double v : a) {
    if (v == 0) return 0;
  }
  return 1;
}

double FnOr(args_t a) {
  for (double v : a) {
    if (v != 0) return 1;
  }
  return 0;
}

struct standard_function_t {
  const char* name;
  int min_args;
  int max_args;
  double (*function)(args_t);
  message_t help;
};

// In the order of registration.
const standard_function_t kStandardFunctions[] = {
    {"not", 1, 1, FnNot, message_t::HelpNot},
    {"div", 2, 2, FnDiv, message_t::HelpDiv},
    {"ABS", 1, 1, FnAbs, message_t::HelpAbs},
    {"PI", 0, 0, FnPi, message_t::HelpPi},
    {"SQRT", 1, 1, FnSqrt, message_t::HelpSqrt},
    {"CEIL", 1, 1, FnCeil, message_t::HelpCeil},
    {"TRUNC", 1, 1, FnTrunc, message_t::HelpTrunc},
    {"FLOOR", 1, 1, FnFloor, message_t::HelpFloor},
    {"SIN", 1, 1, FnSin, message_t::HelpSin},
    {"COS", 1, 1, FnCos, message_t::HelpCos},
    {"TAN", 1, 1, FnTan, message_t::HelpTan},
    {"ASIN", 1, 1, FnArcSin, message_t::HelpAsin},
    {"ACOS", 1, 1, FnArcCos, message_t::HelpAcos},
    {"ATAN", 1, 1, FnArcTan, message_t::HelpAtan},
    {"SINH", 1, 1, FnSinh, message_t::HelpSinh},
    {"COSH", 1, 1, FnCosh, message_t::HelpCosh},
    {"TANH", 1, 1, FnTanh, message_t::HelpTanh},
    {"SUM", 1, 32767, FnSum, message_t::HelpSum},
    {"MIN", 1, 32767, FnMin, message_t::HelpMin},
    {"MAX", 1, 32767, FnMax, message_t::HelpMax},
    {"AVERAGE", 1, 32767, FnAverage, message_t::HelpAverage},
    {"STDDEV", 1, 32767, FnStdDev, message_t::HelpStdDev},
    {"IF", 3, 3, FnIf, message_t::HelpIf},
    {"COMPARE", 2, 2, FnCompare, message_t::HelpCompare},
    {"SIGN", 1, 1, FnSign, message_t::HelpSign},
    {"IsODD", 1, 1, FnIsOdd, message_t::HelpIsOdd},
    {"IsEVEN", 1, 1, FnIsEven, message_t::HelpIsEven},
    {"IsNOT", 1, 1, FnIsNot, message_t::HelpIsNot},
    {"IsMINUS", 1, 1, FnIsMinus, message_t::HelpIsMinus},
    {"IsPLUS", 1, 1, FnIsPlus, message_t::HelpIsPlus},
    {"AND", 1, 32767, FnAnd, message_t::HelpAnd},
    {"OR", 1, 32767, FnOr, message_t::HelpOr},
};

}  // namespace

void RegisterStandardFunctions(TFunctionRegistry& registry) {
  for (const standard_function_t& f : kStandardFunctions) {
    registry.RegisterFunction(f.name, f.min_args, f.max_args, Message(f.help), f.function);
  }
}

std::string FunctionHelpText(std::string_view name) {
  const std::string wanted = LowerAsciiCp932(name);
  if (wanted == "scb") return Message(message_t::HelpScb);
  for (const standard_function_t& f : kStandardFunctions) {
    if (LowerAsciiCp932(f.name) == wanted) return Message(f.help);
  }
  return {};
}

void RegisterStandardFunctions() {
  RegisterStandardFunctions(FunctionRegistry());
}

void RegisterScb(TFunctionRegistry& registry) {
  registry.RegisterCallerFunction(
      "scb", 1, 1, Message(message_t::HelpScb),
      [](const TCalculator& caller, args_t a) { return ScbValue(caller.SelectedNode(), a[0]); });
}

void RegisterScb() {
  RegisterScb(FunctionRegistry());
}

std::optional<scb_values_t> ScbValues(const scene_base_t* node) {
  const scene_t* scene = node != nullptr ? node->AsScene() : nullptr;
  if (scene == nullptr || scene->kind != scene_kind_t::SpellCard) return std::nullopt;
  return scb_values_t{scene->initial_spell_card_bonus, scene->time_limit, scene->decrease_rate};
}

double ScbValue(const scene_base_t* node, double t) {
  const std::optional<scb_values_t> v = ScbValues(node);
  if (!v) return 0;
  const score_t whole_seconds = TruncValue(t);
  const score_t s = v->initial_spell_card_bonus;
  // The score arithmetic wraps rather than overflowing.
  const score_t x = WrapSub(s, WrapMul(WrapSub(v->time_limit, whole_seconds), v->decrease_rate));
  const score_t h = v->decrease_rate / 2;
  const long double candidate =
      static_cast<long double>(static_cast<double>(x)) + static_cast<long double>(h);
  const auto initial = static_cast<long double>(s);
  return StoreValue(initial < candidate ? initial : candidate);
}

std::string ScbHint(const scene_base_t* node) {
  std::vector<std::string> forms = ScbHintForms(node);
  return forms.empty() ? std::string() : std::move(forms.front());
}

std::vector<std::string> ScbHintForms(const scene_base_t* node) {
  const std::optional<scb_values_t> v = ScbValues(node);
  if (!v) return {};
  const std::string s = ScoreText(v->initial_spell_card_bonus);
  const std::string l = ScoreText(v->time_limit);
  const std::string r = ScoreText(v->decrease_rate);
  std::vector<std::string> forms;
  for (const message_t form :
       {message_t::ScbHint, message_t::ScbHintShort, message_t::ScbHintFigures}) {
    forms.push_back(FormatMessage(form, {s, l, r}));
  }
  return forms;
}

}  // namespace qvl
