#include "model/qvl_utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>

namespace qvl {
namespace {

TEST(Difficulty, TextFormsAndConstants) {
  struct row_t {
    difficulty_t d;
    const char* name;
    score_t initial;
    int tenths;
  };
  const row_t rows[] = {
      {difficulty_t::Easy, "Easy", 200000, 5},    {difficulty_t::Normal, "Normal", 200000, 10},
      {difficulty_t::Hard, "Hard", 250000, 12},   {difficulty_t::Lunatic, "Lunatic", 300000, 15},
      {difficulty_t::Extra, "Extra", 400000, 20}, {difficulty_t::Phantasm, "Phantasm", 400000, 20}};
  for (const row_t& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(DifficultyName(r.d), r.name);
    EXPECT_EQ(InitialCherry(r.d), r.initial);
    EXPECT_EQ(DifficultyFactorTenths(r.d), r.tenths);
    EXPECT_EQ(DifficultyFromText(r.name), r.d);
  }
  const auto beyond = static_cast<difficulty_t>(200);
  EXPECT_EQ(DifficultyName(beyond), "Phantasm");
  EXPECT_EQ(InitialCherry(beyond), 400000);
  EXPECT_EQ(DifficultyFactor(beyond), 2.0L);
}

TEST(Difficulty, ReadingIgnoresCaseAndFallsBackToPhantasm) {
  EXPECT_EQ(DifficultyFromText("HARD"), difficulty_t::Hard);
  EXPECT_EQ(DifficultyFromText("eAsY"), difficulty_t::Easy);
  EXPECT_EQ(DifficultyFromText("phantasm"), difficulty_t::Phantasm);
  EXPECT_EQ(DifficultyFromText(""), difficulty_t::Phantasm);
  EXPECT_EQ(DifficultyFromText("hard "), difficulty_t::Phantasm);
}

TEST(Difficulty, FactorProductsAreExactIntegers) {
  // trunc(F × 10n), trunc(F × 500), trunc(F × 50000) per difficulty.
  const int per_ten[] = {5, 10, 12, 15, 20, 20};
  const score_t per_500[] = {250, 500, 600, 750, 1000, 1000};
  const score_t per_50000[] = {25000, 50000, 60000, 75000, 100000, 100000};
  for (int i = 0; i < 6; ++i) {
    const auto d = static_cast<difficulty_t>(i);
    SCOPED_TRACE(DifficultyName(d));
    for (score_t n : {0, 1, 5, 7, 1000, 123456789, -3, -1000}) {
      EXPECT_EQ(FactorTimes(d, 10 * n), per_ten[i] * n) << n;
      // The extended-precision product truncates to the same integer.
      EXPECT_EQ(TruncToScore(DifficultyFactor(d) * static_cast<long double>(10 * n)),
                per_ten[i] * n)
          << n;
    }
    EXPECT_EQ(FactorTimes(d, 500), per_500[i]);
    EXPECT_EQ(FactorTimes(d, 50000), per_50000[i]);
  }
  // A value that is not a multiple of ten truncates toward zero.
  EXPECT_EQ(FactorTimes(difficulty_t::Hard, 7), 8);    // 8.4
  EXPECT_EQ(FactorTimes(difficulty_t::Hard, -7), -8);  // -8.4
  EXPECT_EQ(FactorTimes(difficulty_t::Easy, -3), -1);  // -1.5
}

TEST(Difficulty, FactorPrintsWithOneDecimal) {
  char buffer[16];
  const char* expected[] = {"0.5", "1.0", "1.2", "1.5", "2.0", "2.0"};
  for (int i = 0; i < 6; ++i) {
    std::snprintf(buffer, sizeof buffer, "%.1Lf", DifficultyFactor(static_cast<difficulty_t>(i)));
    EXPECT_STREQ(buffer, expected[i]);
  }
}

TEST(Kinds, SceneAndGroupKindTextForms) {
  EXPECT_EQ(SceneKindFromText("Spell-Card"), scene_kind_t::SpellCard);
  EXPECT_EQ(SceneKindFromText("normal-attack-with-enemy-bullet-bonus"),
            scene_kind_t::NormalAttackWithEnemyBulletBonus);
  EXPECT_EQ(SceneKindFromText("dummy"), scene_kind_t::Dummy);
  EXPECT_EQ(SceneKindFromText("boss"), scene_kind_t::Dummy);
  EXPECT_EQ(SceneKindName(SceneKindFromText("whatever")), "dummy");
  EXPECT_EQ(SceneKindName(static_cast<scene_kind_t>(250)), "dummy");
  EXPECT_EQ(SceneKindName(scene_kind_t::NormalAttack), "normal-attack");

  EXPECT_EQ(GroupKindFromText("STAGE"), group_kind_t::Stage);
  EXPECT_EQ(GroupKindFromText("spell-card"), group_kind_t::Dummy);
  EXPECT_EQ(GroupKindName(group_kind_t::Boss), "boss");
  EXPECT_EQ(GroupKindName(static_cast<group_kind_t>(9)), "dummy");
}

TEST(Kinds, BooleanTextForms) {
  EXPECT_EQ(BoolText(true), "true");
  EXPECT_EQ(BoolText(false), "false");
  EXPECT_TRUE(BoolFromText("TRUE"));
  EXPECT_TRUE(BoolFromText("True"));
  EXPECT_FALSE(BoolFromText("1"));
  EXPECT_FALSE(BoolFromText("yes"));
  EXPECT_FALSE(BoolFromText(""));
  EXPECT_FALSE(BoolFromText(" true"));
}

TEST(ScoreArithmetic, WrapsModulo2To64WithoutOverflow) {
  constexpr score_t kMax = std::numeric_limits<score_t>::max();
  constexpr score_t kMin = std::numeric_limits<score_t>::min();
  EXPECT_EQ(WrapAdd(kMax, 1), kMin);
  EXPECT_EQ(WrapSub(kMin, 1), kMax);
  EXPECT_EQ(WrapMul(kMax, 2), -2);
  EXPECT_EQ(WrapMul(kMin, -1), kMin);
  EXPECT_EQ(TruncDiv(kMin, 2), kMin / 2);
  EXPECT_EQ(TruncDiv(-7, 2), -3);
}

TEST(ScoreArithmetic, TruncationOfExtendedValues) {
  EXPECT_EQ(TruncToScore(2.9L), 2);
  EXPECT_EQ(TruncToScore(-2.9L), -2);
  EXPECT_EQ(TruncToScore(9223372036854775807.0L), std::numeric_limits<score_t>::max());
  // Beyond the range the value wraps like the integer arithmetic would.
  EXPECT_EQ(TruncToScore(9223372036854775808.0L), std::numeric_limits<score_t>::min());
  EXPECT_EQ(TruncToScore(18446744073709551616.0L + 6.0L), 6);
  EXPECT_EQ(TruncToScore(-18446744073709551616.0L - 4.0L), -4);
}

TEST(ScoreArithmetic, CheckedResultsAreExactOrOutOfRange) {
  constexpr score_t kMax = std::numeric_limits<score_t>::max();
  constexpr score_t kMin = std::numeric_limits<score_t>::min();
  const checked_score_t out = checked_score_t::OutOfRange();
  struct row_t {
    const char* what;
    checked_score_t got;
    checked_score_t expected;
  };
  const row_t rows[] = {
      {"max + 1", checked_score_t(kMax) + 1, out},
      {"min + -1", checked_score_t(kMin) + -1, out},
      {"max + min", checked_score_t(kMax) + kMin, -1},
      {"min - 1", checked_score_t(kMin) - 1, out},
      {"-1 - max", checked_score_t(-1) - kMax, kMin},
      {"0 - min", checked_score_t(0) - kMin, out},
      {"min * -1", checked_score_t(kMin) * -1, out},
      {"min * 1", checked_score_t(kMin) * 1, kMin},
      {"2^62 * -2", checked_score_t(score_t{1} << 62) * -2, kMin},
      {"2^62 * 2", checked_score_t(score_t{1} << 62) * 2, out},
      {"987654321098 * 1234567890123", checked_score_t(987654321098) * 1234567890123, out},
      {"out * 0", out * 0, 0},
      {"out + 0", out + 0, out},
      {"out / 2", out / 2, out},
      {"min / 2", checked_score_t(kMin) / 2, kMin / 2},
      {"trunc 2^63", CheckedTrunc(9223372036854775808.0L), out},
      {"trunc -2^63", CheckedTrunc(-9223372036854775808.0L), kMin},
      {"trunc -2.9", CheckedTrunc(-2.9L), -2},
  };
  for (const row_t& r : rows) EXPECT_EQ(r.got, r.expected) << r.what;

  // A sum that leaves the range on the way and comes back is exact.
  score_sum_t sum;
  sum.Add(kMax);
  sum.Add(kMax);
  EXPECT_EQ(sum.Result(), out);
  sum.Add(kMin);
  sum.Add(kMin);
  EXPECT_EQ(sum.Result(), -2);
  sum.Subtract(kMin);
  EXPECT_EQ(sum.Result(), kMax - 1);
  sum.Add(out);
  EXPECT_EQ(sum.Result(), out);
}

}  // namespace
}  // namespace qvl
