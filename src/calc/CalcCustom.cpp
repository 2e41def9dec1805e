#include "calc/CalcCustom.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

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
  const char* help;  // UTF-8
};

// In the order of registration.
const standard_function_t kStandardFunctions[] = {
    {"not", 1, 1, FnNot,
     "not(Value)\r\nビット反転\r\nValue ... "
     "対象となる値または式\r\n※演算子化は辛かったので関数にて ｍ（＿　＿）ｍ"},
    {"div", 2, 2, FnDiv,
     "div(P1, P2)\r\n整数除算\r\nP1 ... 被除数\r\nP2 ... 除数\r\n※演算子化は辛かったので関数にて "
     "ｍ（＿　＿）ｍ"},
    {"ABS", 1, 1, FnAbs, "ABS(Value)\r\n絶対値\r\nValue ... 対象となる値または式"},
    {"PI", 0, 0, FnPi,
     "PI()\r\n円周率を返します\r\n※ゆとり教育により「３」を返す（嘘）.\r\n　ちゃんと "
     "3.1415926535897932385 を返します."},
    {"SQRT", 1, 1, FnSqrt, "SQRT(X)\r\nX の平方根（√X）を返す"},
    {"CEIL", 1, 1, FnCeil, "CEIL(X)\r\nX を正の方向へ切り上げます"},
    {"TRUNC", 1, 1, FnTrunc, "TRUNC(X)\r\nX の小数部を破棄して整数にします"},
    {"FLOOR", 1, 1, FnFloor, "FLOOR(X)\r\nX を負の方向へ切り上げます"},
    {"SIN", 1, 1, FnSin, "SIN(X)\r\nラジアン単位で角 X のサイン（正弦）を返します"},
    {"COS", 1, 1, FnCos, "COS(X)\r\nラジアン単位で角 X のコサイン（余弦）を返します"},
    {"TAN", 1, 1, FnTan, "TAN(X)\r\nX のタンジェント（正接）を返します"},
    {"ASIN", 1, 1, FnArcSin,
     "ASIN(X)\r\nX のアークサイン（逆正弦）を返します.\r\nX は -1 と 1 "
     "の間でなければなりません.\r\n戻り値はラジアンで [-Pi/2..Pi/2] の範囲になります."},
    {"ACOS", 1, 1, FnArcCos,
     "ACOS(X)\r\nX のアークコサイン（逆余弦）を返します.\r\nX は -1 と 1 "
     "の間でなければなりません.\r\n戻り値はラジアンで [0..PI] の範囲になります."},
    {"ATAN", 1, 1, FnArcTan, "ATAN(X)\r\nX のアークタンジェント（逆正接）を計算します"},
    {"SINH", 1, 1, FnSinh, "SINH(X)\r\nX のハイパボリックサイン（双曲線正弦）を計算します."},
    {"COSH", 1, 1, FnCosh, "COSH\r\nX のハイパボリックコサイン（双曲線余弦）を計算します."},
    {"TANH", 1, 1, FnTanh, "TANH\r\nX のハイパボリックタンジェント（双曲線正接）を計算します."},
    {"SUM", 1, 32767, FnSum, "SUM(P1, P2 ...)\r\nパラメータ全ての値の合計を返します."},
    {"MIN", 1, 32767, FnMin, "MIN(P1, P2 ...)\r\nパラメータの中の最小の値を符号付きで返します."},
    {"MAX", 1, 32767, FnMax, "MAX(P1, P2 ...)\r\nパラメータの中の最大の値を符号付きで返します."},
    {"AVERAGE", 1, 32767, FnAverage,
     "AVERAGE(P1, P2 ...)\r\nパラメータが保持するすべての値の算術平均を計算します."},
    {"STDDEV", 1, 32767, FnStdDev,
     "STDDEV(P1, P2 "
     "...)\r\nパラメータにあるすべての値の\r\n標本標準偏差（標本分散の平方根）を計算します"},
    {"IF", 3, 3, FnIf,
     "IF(C, T, F)\r\n判定\r\nC ... 0 または 0以外になる値または式\r\nT ... "
     "真(非ゼロ)の時に返す値\r\nF ... 偽(ゼロ)の時に返す値"},
    {"COMPARE", 2, 2, FnCompare,
     "COMPARE(A, B)\r\n比較\r\nA < B の時 -1 を返します.\r\nA = B の時  0 を返します.\r\nA > B "
     "の時  1 を返します."},
    {"SIGN", 1, 1, FnSign,
     "SIGN(Value)\r\n符合\r\nValue ... 対象となる値または式\r\nValue < 0 の時 -1 "
     "を返します.\r\nValue = 0 の時  0 を返します.\r\nValue > 0 の時  1 を返します."},
    {"IsODD", 1, 1, FnIsOdd,
     "IsODD(Value)\r\n奇数判定\r\nValue ... 対象となる値または式\r\nValue が奇数の場合に 1 "
     "を返します.\r\nValue が偶数の場合に 0 を返します."},
    {"IsEVEN", 1, 1, FnIsEven,
     "IsEVEN(Value)\r\n偶数判定\r\nValue ... 対象となる値または式\r\nValue が奇数の場合に 0 "
     "を返します.\r\nValue が偶数の場合に 1 を返します."},
    {"IsNOT", 1, 1, FnIsNot,
     "IsNOT(Value)\r\n真偽判定\r\nValue ... 対象となる値または式\r\nValue が 0 の時、1 "
     "を返します.\r\nValue が 0以外の時、0 を返します.\r\n※演算子化は辛かったので関数にて "
     "ｍ（＿　＿）ｍ"},
    {"IsMINUS", 1, 1, FnIsMinus,
     "IsMinus(Value)\r\n負数判定\r\nValue ... 対象となる値または式\r\nValue が -1以下の時、1 "
     "を返します.\r\nValue が  0以上の時、0 を返します."},
    {"IsPLUS", 1, 1, FnIsPlus,
     "IsPLUS(Value)\r\n正数判定\r\nValue ... 対象となる値または式\r\nValue が  1以上の時、1 "
     "を返します.\r\nValue が  0以下の時、0 を返します."},
    {"AND", 1, 32767, FnAnd,
     "AND(P1, P2 ...)\r\nパラメータの全てが非ゼロかを判定\r\n全ての値がゼロ以外であれば 1 "
     "を返します.\r\n１つでもゼロ値を示す値があれば 0 を返します."},
    {"OR", 1, 32767, FnOr,
     "OR(P1, P2 ...)\r\nパラメータのいづれかが非ゼロかを判定\r\n１つでもゼロ以外の値があれば 1 "
     "を返します.\r\n全ての値がゼロ値を示す場合は 0 を返します."},
};

}  // namespace

void RegisterStandardFunctions(TFunctionRegistry& registry) {
  for (const standard_function_t& f : kStandardFunctions) {
    registry.RegisterFunction(f.name, f.min_args, f.max_args, Utf8ToCp932(f.help), f.function);
  }
}

void RegisterStandardFunctions() {
  RegisterStandardFunctions(FunctionRegistry());
}

void RegisterScb(TFunctionRegistry& registry) {
  registry.RegisterCallerFunction(
      "scb", 1, 1, QVL_CP932("scb (残り時間)\r\nスペルカードの基本点を求める"),
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
  const std::optional<scb_values_t> v = ScbValues(node);
  if (!v) return {};
  return QVL_CP932("「scb(撃破時の残り時間)」と入力。初期SCB: ") +
         ScoreText(v->initial_spell_card_bonus) + QVL_CP932("; 制限時間: ") +
         ScoreText(v->time_limit) + QVL_CP932("秒; ボーナス減少レート: ") +
         ScoreText(v->decrease_rate) + "/s";
}

}  // namespace qvl
