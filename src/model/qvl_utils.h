// The shared vocabulary of the scoring model: the score type and its wrapping
// arithmetic, difficulty, scene and group kinds with their text forms, and the
// per-difficulty constants of the score formulas.
#pragma once

#include <cstdint>
#include <iosfwd>
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

// A score as the formulas define it: the exact value when it lies in the score
// range, else only the fact that it does not. The window and qvl show an exact
// value as it is and report the other instead of showing a wrapped number.
class checked_score_t {
 public:
  constexpr checked_score_t() = default;
  constexpr checked_score_t(score_t v) : value_(v) {}  // NOLINT: an exact score reads naturally
  [[nodiscard]] static constexpr checked_score_t OutOfRange() {
    checked_score_t c;
    c.in_range_ = false;
    return c;
  }
  [[nodiscard]] constexpr bool InRange() const { return in_range_; }
  // The exact value; 0 for a value out of range, which has none to give.
  [[nodiscard]] constexpr score_t Value() const { return value_; }
  friend constexpr bool operator==(const checked_score_t&, const checked_score_t&) = default;

 private:
  score_t value_ = 0;
  bool in_range_ = true;
};

// The checked arithmetic of the score formulas. A part out of range makes the
// result out of range, except that anything times an exact 0 is an exact 0.
[[nodiscard]] checked_score_t operator+(checked_score_t a, checked_score_t b);
[[nodiscard]] checked_score_t operator-(checked_score_t a, checked_score_t b);
[[nodiscard]] checked_score_t operator*(checked_score_t a, checked_score_t b);
// [x / k] for a positive constant k.
[[nodiscard]] checked_score_t operator/(checked_score_t x, score_t k);
// The truncation toward zero of an extended-precision result.
[[nodiscard]] checked_score_t CheckedTrunc(long double x);
// "-12", or Message OutOfRange's word for a value out of range; for tests'
// failure messages too.
std::ostream& operator<<(std::ostream& out, const checked_score_t& v);

// A sum of many scores, kept exact beyond the score range while it is built,
// so that a sum that leaves the range and comes back is still exact.
class score_sum_t {
 public:
  void Add(checked_score_t v);
  void Subtract(checked_score_t v);
  [[nodiscard]] checked_score_t Result() const;

 private:
  // Two's complement in 128 bits: high word, low word.
  std::int64_t high_ = 0;
  std::uint64_t low_ = 0;
  bool lost_ = false;  // a part was out of range: the sum is unknown
};

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
// The same for a checked value; one out of range reads "桁あふれ" / "overflow".
[[nodiscard]] std::string ScoreText(checked_score_t v);
// trunc(DifficultyFactor(d) × x) for a checked x.
[[nodiscard]] checked_score_t FactorTimes(difficulty_t d, checked_score_t x);

}  // namespace qvl
