// The shared vocabulary of the scoring model: the score type and its wrapping
// arithmetic, difficulty, scene and group kinds with their text forms, and the
// per-difficulty constants of the score formulas.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvl {

// Every count, score and bonus of the model.
using score_t = std::int64_t;

// Score arithmetic wraps modulo 2^64 as two's complement, like the game's own
// counters; it goes through unsigned arithmetic so that it never overflows.
[[nodiscard]] constexpr score_t WrapAdd(score_t a, score_t b) {
  return static_cast<score_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
[[nodiscard]] constexpr score_t WrapSub(score_t a, score_t b) {
  return static_cast<score_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
[[nodiscard]] constexpr score_t WrapMul(score_t a, score_t b) {
  return static_cast<score_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}
// [x / k]: integer division truncated toward zero, for a positive constant k.
[[nodiscard]] constexpr score_t TruncDiv(score_t x, score_t k) {
  return x / k;
}

// The truncation toward zero of an extended-precision result. A value beyond
// the score range wraps modulo 2^64 like the integer arithmetic around it
// instead of being an undefined conversion.
[[nodiscard]] score_t TruncToScore(long double x);

enum class difficulty_t : std::uint8_t { Easy = 0, Normal, Hard, Lunatic, Extra, Phantasm };

// "Easy" ... "Phantasm"; any value above Extra gives "Phantasm".
[[nodiscard]] std::string DifficultyName(difficulty_t d);
// Lower-cased comparison with "easy" ... "extra"; anything else is Phantasm.
[[nodiscard]] difficulty_t DifficultyFromText(std::string_view s);
// The initial cherry value ("桜点初期値").
[[nodiscard]] score_t InitialCherry(difficulty_t d);
// The difficulty correction factor ("難易度補正") in extended precision.
[[nodiscard]] long double DifficultyFactor(difficulty_t d);
// The same factor in tenths (5, 10, 12, 15, 20), from which the products of
// the score formulas are computed exactly on every platform.
[[nodiscard]] int DifficultyFactorTenths(difficulty_t d);
// trunc(DifficultyFactor(d) × x): the exact truncated product (12 × n, 600 and
// 60000 on Hard for 10 × n, 500 and 50000), wrapping like score arithmetic.
[[nodiscard]] score_t FactorTimes(difficulty_t d, score_t x);

enum class scene_kind_t : std::uint8_t {
  Way = 0,
  NormalAttack,
  NormalAttackWithEnemyBulletBonus,
  SpellCard,
  Dummy
};
[[nodiscard]] std::string SceneKindName(scene_kind_t k);
[[nodiscard]] scene_kind_t SceneKindFromText(std::string_view s);

enum class group_kind_t : std::uint8_t { Root = 0, Stage, Way, Boss, Dummy };
[[nodiscard]] std::string GroupKindName(group_kind_t k);
[[nodiscard]] group_kind_t GroupKindFromText(std::string_view s);

[[nodiscard]] std::string BoolText(bool b);
// True exactly for "true" in any letter case.
[[nodiscard]] bool BoolFromText(std::string_view s);

// Decimal text of a score value, with "-" before a negative one.
[[nodiscard]] std::string ScoreText(score_t v);

}  // namespace qvl
