// The function registry, the standard functions family by family, and scb.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calc_fixture.h"
#include "model/qvl_scene.h"

namespace qvl {
namespace {

using calc_test::CalcTest;
using calc_test::outcome_t;

struct case_t {
  const char* expression;
  const char* expected;  // the answer's text form, or the failure's class
};

class FunctionTest : public CalcTest {
 protected:
  void ExpectAll(const std::vector<case_t>& cases) {
    for (const case_t& c : cases) {
      const outcome_t o = Run(c.expression);
      EXPECT_EQ(o.ok ? o.text : o.error, c.expected) << c.expression;
    }
  }
  // Calls a registered function directly, with full double arguments.
  double Call(const char* name, std::vector<double> args) {
    const auto entry = registry.Find(name);
    EXPECT_NE(entry, nullptr) << name;
    return entry ? entry->function(args) : 0.0;
  }
};

TEST(FunctionRegistry, EntriesAreClampedCutAndReplaced) {
  TFunctionRegistry registry;
  registry.RegisterFunction("Alpha", -5, 100000, "first",
                            [](std::span<const double>) { return 1.0; });
  auto e = registry.Find("ALPHA");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->name, "Alpha");
  EXPECT_EQ(e->min_args, 0);
  EXPECT_EQ(e->max_args, 32767);
  EXPECT_EQ(e->help, "first");
  // The same name in other letters replaces the entry; a holder keeps the old one.
  registry.RegisterFunction("alpha", 2, 3, "second", [](std::span<const double>) { return 2.0; });
  EXPECT_EQ(registry.Count(), 1);
  EXPECT_EQ(registry.Find("Alpha")->help, "second");
  EXPECT_EQ(e->help, "first");
  EXPECT_EQ(e->function({}), 1.0);
  // Long names and help texts are cut in the entry; the name still finds it.
  const std::string long_name = "abcdefghijklmnopqrstuvwxyz";
  registry.RegisterFunction(long_name, 0, 0, std::string(300, 'h'),
                            [](std::span<const double>) { return 0.0; });
  e = registry.Find("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->name, "abcdefghijklmnopqrst");
  EXPECT_EQ(e->help.size(), 255u);
  EXPECT_EQ(registry.Find("abcdefghijklmnopqrst"), nullptr);
  EXPECT_EQ(registry.Find("alph"), nullptr);
  // Double-byte characters keep their bytes when letter case is ignored:
  // ア (83 41) and ビ (83 72) differ from 83 61 and 83 52 only in a trail byte.
  registry.RegisterFunction(Utf8ToCp932("アb"), 0, 0, "",
                            [](std::span<const double>) { return 0.0; });
  EXPECT_NE(registry.Find(Utf8ToCp932("アB")), nullptr);
  EXPECT_EQ(registry.Find(std::string("\x83\x61") + "b"), nullptr);
}

TEST(FunctionRegistry, EntriesAreSortedWithoutRegardToCase) {
  TFunctionRegistry registry;
  for (const char* name : {"b", "C", "a", "B2"}) {
    registry.RegisterFunction(name, 0, 0, "", [](std::span<const double>) { return 0.0; });
  }
  std::vector<std::string> names;
  for (const auto& e : registry.Entries()) names.push_back(e->name);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "B2", "C"}));
  registry.Clear();
  EXPECT_EQ(registry.Count(), 0);
}

TEST_F(FunctionTest, StandardRegistrationTable) {
  struct row_t {
    const char* name;
    int min_args;
    int max_args;
  };
  const row_t rows[] = {
      {"not", 1, 1},         {"div", 2, 2},        {"ABS", 1, 1},     {"PI", 0, 0},
      {"SQRT", 1, 1},        {"CEIL", 1, 1},       {"TRUNC", 1, 1},   {"FLOOR", 1, 1},
      {"SIN", 1, 1},         {"COS", 1, 1},        {"TAN", 1, 1},     {"ASIN", 1, 1},
      {"ACOS", 1, 1},        {"ATAN", 1, 1},       {"SINH", 1, 1},    {"COSH", 1, 1},
      {"TANH", 1, 1},        {"SUM", 1, 32767},    {"MIN", 1, 32767}, {"MAX", 1, 32767},
      {"AVERAGE", 1, 32767}, {"STDDEV", 1, 32767}, {"IF", 3, 3},      {"COMPARE", 2, 2},
      {"SIGN", 1, 1},        {"IsODD", 1, 1},      {"IsEVEN", 1, 1},  {"IsNOT", 1, 1},
      {"IsMINUS", 1, 1},     {"IsPLUS", 1, 1},     {"AND", 1, 32767}, {"OR", 1, 32767},
  };
  EXPECT_EQ(registry.Count(), 32);
  for (const row_t& r : rows) {
    const auto e = registry.Find(r.name);
    ASSERT_NE(e, nullptr) << r.name;
    EXPECT_EQ(e->name, r.name);
    EXPECT_EQ(e->min_args, r.min_args) << r.name;
    EXPECT_EQ(e->max_args, r.max_args) << r.name;
    EXPECT_EQ(e->help.rfind(r.name == std::string("IsMINUS") ? "IsMinus" : r.name, 0), 0u)
        << "help of " << r.name << " starts with its call form";
  }
  EXPECT_EQ(registry.Find("NOT"), registry.Find("not"));
  EXPECT_EQ(registry.Find("Not"), registry.Find("not"));
  // Texts in code page 932, the ideographic space (81 40) included.
  const std::string pi_help = registry.Find("PI")->help;
  EXPECT_EQ(Cp932ToUtf8(pi_help),
            "PI()\r\n円周率を返します\r\n※ゆとり教育により「３」を返す（嘘）.\r\n"
            "　ちゃんと 3.1415926535897932385 を返します.");
  EXPECT_NE(pi_help.find("\x81\x40\x82\xBF"), std::string::npos);
  EXPECT_EQ(Cp932ToUtf8(registry.Find("ATAN")->help),
            "ATAN(X)\r\nX のアークタンジェント（逆正接）を計算します");
  EXPECT_EQ(Cp932ToUtf8(registry.Find("isplus")->help),
            "IsPLUS(Value)\r\n正数判定\r\nValue ... 対象となる値または式\r\n"
            "Value が  1以上の時、1 を返します.\r\nValue が  0以下の時、0 を返します.");
}

TEST_F(FunctionTest, IntegerFunctions) {
  ExpectAll({
      {"not(0)", "-1"},
      {"not(5.7)", "-6"},
      {"not(-1)", "0"},
      {"not(1E19)", "EInvalidOp"},
      {"div(7,2)", "3"},
      {"div(-7,2)", "-3"},
      {"div(7,-2)", "-3"},
      {"div(7,0.5)", "EDivByZero"},
      {"div(1E19,2)", "EInvalidOp"},
      {"TRUNC(-2.9)", "-2"},
      {"TRUNC(2.9)", "2"},
      {"TRUNC(1E19)", "EInvalidOp"},
      {"CEIL(2.1)", "3"},
      {"CEIL(-2.1)", "-2"},
      {"CEIL(5)", "5"},
      {"CEIL(-0.5)", "0"},
      {"FLOOR(2.1)", "2"},
      {"FLOOR(-2.1)", "-3"},
      {"FLOOR(-5)", "-5"},
      // Beyond 32 bits: score values must keep their magnitude.
      {"CEIL(3000000000.5)", "3000000001"},
      {"FLOOR(-3000000000.5)", "-3000000001"},
      {"CEIL(10000000000.25)", "10000000001"},
      {"FLOOR(4294967296.5)", "4294967296"},
      {"CEIL(1E19)", "EInvalidOp"},
      {"IsODD(-3)", "1"},
      {"IsODD(2.9)", "0"},
      {"IsEVEN(2.9)", "1"},
      {"IsEVEN(-4)", "1"},
      {"IsEVEN(-3)", "0"},
      {"IsODD(1E19)", "EInvalidOp"},
      {"IsEVEN(-1E19)", "EInvalidOp"},
  });
  // The one quotient beyond the range wraps like score arithmetic.
  EXPECT_EQ(Call("div", {-9223372036854775808.0, -1}), -9223372036854775808.0);
  EXPECT_EQ(Call("div", {-9223372036854775808.0, 2}), -4611686018427387904.0);
  EXPECT_EQ(Call("CEIL", {4611686018427387904.0}), 4611686018427387904.0);
  EXPECT_EQ(Call("FLOOR", {-9223372036854775808.0}), -9223372036854775808.0);
  EXPECT_EQ(Call("CEIL", {4503599627370495.5}), 4503599627370496.0);
  EXPECT_EQ(Call("FLOOR", {-4503599627370495.5}), -4503599627370496.0);
}

TEST_F(FunctionTest, RealFunctions) {
  ExpectAll({
      {"ABS(-2.5)", "2.5"},
      {"ABS(3)", "3"},
      {"SQRT(16)", "4"},
      {"SQRT(2)", "1.4142135623731"},
      {"SQRT(0)", "0"},
      {"SQRT(-1)", "EInvalidOp"},
      {"PI()", "3.14159265358979"},
  });
  EXPECT_EQ(Call("PI", {}), 3.141592653589793);
  EXPECT_EQ(Call("SQRT", {2.0}), std::sqrt(2.0));
}

TEST_F(FunctionTest, TrigonometricFunctions) {
  ExpectAll({
      {"SIN(0)", "0"},
      {"COS(0)", "1"},
      {"SIN(PI/2)", "1"},
      {"SIN(1E19)", "0"},
      {"COS(-1E19)", "0"},
      {"SIN(-9.3E18)", "0"},
      {"TAN(0)", "0"},
      {"TAN(1E19)", "EInvalidOp"},
      {"ASIN(1)", "1.5707963267949"},
      {"ASIN(-1)", "-1.5707963267949"},
      {"ASIN(0.5)", "0.523598775598299"},
      {"ASIN(2)", "EInvalidOp"},
      {"ACOS(-1)", "3.14159265358979"},
      {"ACOS(1)", "0"},
      {"ACOS(1.5)", "EInvalidOp"},
      {"ATAN(1)", "0.785398163397448"},
  });
  EXPECT_DOUBLE_EQ(Call("TAN", {0.5}), std::tan(0.5));
  EXPECT_DOUBLE_EQ(Call("SIN", {1.0}), std::sin(1.0));
  EXPECT_DOUBLE_EQ(Call("ACOS", {0.25}), std::acos(0.25));
  EXPECT_DOUBLE_EQ(Call("ASIN", {-0.75}), std::asin(-0.75));
}

TEST_F(FunctionTest, HyperbolicFunctions) {
  ExpectAll({
      {"SINH(0)", "0"},
      {"COSH(0)", "1"},
      {"TANH(0)", "0"},
      {"SINH(1)", "1.1752011936438"},
      {"COSH(1)", "1.54308063481524"},
      {"TANH(1)", "0.761594155955765"},
      {"TANH(5678)", "1"},
      {"TANH(6000)", "1"},
      {"TANH(-6000)", "-1"},
      {"TANH(-5678)", "-1"},
      {"SINH(1000)", "EOverflow"},   // beyond the double range
      {"SINH(12000)", "EOverflow"},  // e^X beyond the extended range
      {"COSH(12000)", "EOverflow"},
      {"SINH(-1000)", "EOverflow"},     // 0.25 / h beyond the double range
      {"SINH(-12000)", "EZeroDivide"},  // e^X becomes 0
      {"COSH(-12000)", "EZeroDivide"},
  });
  EXPECT_DOUBLE_EQ(Call("SINH", {-2.5}), std::sinh(-2.5));
  EXPECT_DOUBLE_EQ(Call("COSH", {3.0}), std::cosh(3.0));
  EXPECT_DOUBLE_EQ(Call("TANH", {0.3}), std::tanh(0.3));
}

TEST_F(FunctionTest, AggregateFunctions) {
  ExpectAll({
      {"SUM(1,2,3.5)", "6.5"},
      {"SUM(5)", "5"},
      {"SUM()", "ENotEnoughParameters"},
      // Accumulated in extended precision: no overflow on the way.
      {"SUM(1E308,1E308,-1E308)", "1E308"},
      {"SUM(1E308,1E308)", "EOverflow"},
      {"MIN(3,-5,2)", "-5"},
      {"MAX(-1,-2)", "-1"},
      {"MAX(7)", "7"},
      {"AVERAGE(1,2,4)", "2.33333333333333"},
      {"AVERAGE(1E308,1E308)", "1E308"},
      {"STDDEV(5)", "EInvalidOp"},
      {"STDDEV(1,1)", "0"},
      // Equal values have no spread, whatever the rounding of their squares.
      {"STDDEV(3.14159,3.14159,3.14159)", "0"},
      {"STDDEV(1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,1E10+0.1,"
       "1E10+0.1)",
       "0"},
  });
  EXPECT_EQ(Call("AVERAGE", {1, 2, 4}), 7.0 / 3.0);
  EXPECT_EQ(Call("STDDEV", {2, 4, 4, 4, 5, 5, 7, 9}), static_cast<double>(std::sqrt(32.0L / 7.0L)));
  // The largest argument count.
  std::string many = "SUM(1";
  for (int i = 1; i < 32767; ++i) many += ",1";
  EXPECT_EQ(Run(many + ")").text, "32767");
  EXPECT_EQ(Run(many + ",1)").error, "ETooManyParameters");
}

TEST_F(FunctionTest, LogicalFunctions) {
  ExpectAll({
      {"IF(1,2,3)", "2"},
      {"IF(0,2,3)", "3"},
      {"IF(-0.5,2,3)", "2"},
      {"IF(0,1/0,3)", "EZeroDivide"},  // every argument is evaluated first
      {"COMPARE(1,2)", "-1"},
      {"COMPARE(2,2)", "0"},
      {"COMPARE(3,2)", "1"},
      {"SIGN(-0.5)", "-1"},
      {"SIGN(0)", "0"},
      {"SIGN(7)", "1"},
      {"IsNOT(0)", "1"},
      {"IsNOT(0.0001)", "0"},
      {"IsMINUS(-0.5)", "1"},
      {"IsMINUS(0)", "0"},
      {"IsPLUS(0)", "0"},
      {"IsPLUS(0.1)", "1"},
      {"AND(1,2,3)", "1"},
      {"AND(1,0)", "0"},
      {"OR(0,0)", "0"},
      {"OR(0,-1)", "1"},
      {"isodd(3)+IsOdd(3)+ISODD(3)", "3"},
  });
}

// scb with S = 1000, L = 60, R = 10 unless a case says otherwise.
class ScbTest : public CalcTest {
 protected:
  ScbTest() {
    card.kind = scene_kind_t::SpellCard;
    card.initial_spell_card_bonus = 1000;
    card.time_limit = 60;
    card.decrease_rate = 10;
    way.kind = scene_kind_t::Way;
    way.initial_spell_card_bonus = 1000;
    way.time_limit = 60;
    way.decrease_rate = 10;
    RegisterScb(registry);
    calc.SetNodeProvider([this] { return selected; });
  }
  scene_t card;
  scene_t way;
  group_t group;
  const scene_base_t* selected = nullptr;
};

TEST_F(ScbTest, BonusBaseFromTheTimeLeft) {
  selected = &card;
  const case_t cases[] = {
      {"scb(55)", "955"},          {"scb(55.9)", "955"},
      {"scb(60)", "1000"},         {"scb(70)", "1000"},
      {"scb(0)", "405"},           {"scb(-10)", "305"},
      {"SCB(1)", "415"},           {"scb(59)", "995"},
      {"scb(1E19)", "EInvalidOp"}, {"scb(37.5)+1500*3", "5275"},
  };
  for (const case_t& c : cases) {
    const outcome_t o = Run(c.expression);
    EXPECT_EQ(o.ok ? o.text : o.error, c.expected) << c.expression;
  }
  // An odd rate gives back half a second's worth, rounded down.
  card.decrease_rate = 15;
  EXPECT_EQ(Run("scb(50)").text, "857");
  EXPECT_EQ(Run("scb()").error, "ENotEnoughParameters");
  EXPECT_EQ(Run("scb(1,2)").error, "ETooManyParameters");
  EXPECT_EQ(Cp932ToUtf8(registry.Find("scb")->help),
            "scb (残り時間)\r\nスペルカードの基本点を求める");
}

TEST_F(ScbTest, ZeroUnlessASpellCardIsSelected) {
  for (const scene_base_t* node :
       {static_cast<const scene_base_t*>(nullptr), static_cast<const scene_base_t*>(&way),
        static_cast<const scene_base_t*>(&group)}) {
    selected = node;
    EXPECT_EQ(Run("scb(30)").text, "0");
    EXPECT_EQ(Run("scb(1E19)").text, "0");
    EXPECT_FALSE(ScbValues(node).has_value());
    EXPECT_EQ(ScbHint(node), "");
  }
  for (scene_kind_t kind : {scene_kind_t::NormalAttack,
                            scene_kind_t::NormalAttackWithEnemyBulletBonus, scene_kind_t::Dummy}) {
    way.kind = kind;
    selected = &way;
    EXPECT_EQ(Run("scb(30)").text, "0");
  }
}

TEST_F(ScbTest, AnUnchangedTextKeepsItsEarlierResult) {
  calc.SetExpression("0");
  calc.SetAutoStart(true);
  selected = &card;
  calc.SetExpression("scb(30)");
  EXPECT_EQ(calc.Answer(), 705.0);
  selected = nullptr;
  calc.SetExpression("scb(30)");
  EXPECT_EQ(calc.Answer(), 705.0);
  // Evaluating afresh follows the selection.
  EXPECT_EQ(calc.Evaluate("scb(30)"), 0.0);
}

TEST_F(ScbTest, ScoreArithmeticWrapsWithoutOverflow) {
  const score_t big = std::numeric_limits<score_t>::max();
  card.initial_spell_card_bonus = big;
  card.time_limit = big;
  card.decrease_rate = big;
  // Wrapping keeps the computation defined; the result never exceeds S.
  const double v = ScbValue(&card, -9.2E18);
  EXPECT_LE(v, static_cast<double>(big));
  card.initial_spell_card_bonus = 5000000000;  // beyond 32 bits
  card.time_limit = 100;
  card.decrease_rate = 100000000;
  EXPECT_EQ(ScbValue(&card, 99), 4950000000.0);
}

TEST_F(ScbTest, HintListsTheSpellCardValues) {
  card.initial_spell_card_bonus = 3000000;
  card.time_limit = 45;
  card.decrease_rate = 15000;
  const auto values = ScbValues(&card);
  ASSERT_TRUE(values.has_value());
  EXPECT_EQ(values->initial_spell_card_bonus, 3000000);
  EXPECT_EQ(values->time_limit, 45);
  EXPECT_EQ(values->decrease_rate, 15000);
  EXPECT_EQ(Cp932ToUtf8(ScbHint(&card)),
            "「scb(撃破時の残り時間)」と入力。初期SCB: 3000000; 制限時間: 45秒; "
            "ボーナス減少レート: 15000/s");
}

TEST(ScbRegistration, EachCalculatorReadsItsOwnSelection) {
  FunctionRegistry().Clear();
  RegisterStandardFunctions();
  RegisterScb();
  EXPECT_EQ(FunctionRegistry().Count(), 33);
  scene_t card;
  card.kind = scene_kind_t::SpellCard;
  card.initial_spell_card_bonus = 1000;
  card.time_limit = 60;
  card.decrease_rate = 10;
  TCalculator with_card;
  with_card.SetNodeProvider([&card] { return &card; });
  TCalculator without_provider;
  EXPECT_EQ(with_card.Evaluate("scb(55)+ABS(-1)"), 956.0);
  EXPECT_EQ(without_provider.Evaluate("scb(55)"), 0.0);
  FunctionRegistry().Clear();
}

}  // namespace
}  // namespace qvl
