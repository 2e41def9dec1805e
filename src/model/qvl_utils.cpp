#include "model/qvl_utils.h"

#include <array>
#include <cmath>
#include <limits>
#include <ostream>

#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

// Whether text folds to lower, which is lower-case ASCII. Folding byte by byte
// gives the same answer as folding the code page's characters: a text with a
// byte of a double-byte character never equals an ASCII word either way. No
// lowered copy is made, as a load reads a kind or flag for every node.
[[nodiscard]] bool EqualsAsciiWord(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LowerAsciiChar(text[i]) != lower[i]) return false;
  }
  return true;
}

}  // namespace

namespace {

constexpr std::uint64_t kMinMagnitude = std::uint64_t{1} << 63;  // of the most negative score

// |v| in unsigned arithmetic, where even the most negative score has one.
constexpr std::uint64_t Magnitude(score_t v) {
  return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

// The score of sign and magnitude, when there is one.
checked_score_t FromMagnitude(bool negative, std::uint64_t magnitude) {
  if (negative) {
    if (magnitude > kMinMagnitude) return checked_score_t::OutOfRange();
    return static_cast<score_t>(0 - magnitude);
  }
  if (magnitude >= kMinMagnitude) return checked_score_t::OutOfRange();
  return static_cast<score_t>(magnitude);
}

}  // namespace

checked_score_t operator+(checked_score_t a, checked_score_t b) {
  if (!a.InRange() || !b.InRange()) return checked_score_t::OutOfRange();
  const score_t sum = WrapAdd(a.Value(), b.Value());
  // Out of range exactly when both have one sign and the wrapped sum the other.
  if ((a.Value() < 0) == (b.Value() < 0) && (sum < 0) != (a.Value() < 0)) {
    return checked_score_t::OutOfRange();
  }
  return sum;
}

checked_score_t operator-(checked_score_t a, checked_score_t b) {
  if (!a.InRange() || !b.InRange()) return checked_score_t::OutOfRange();
  const score_t difference = WrapSub(a.Value(), b.Value());
  if ((a.Value() < 0) != (b.Value() < 0) && (difference < 0) != (a.Value() < 0)) {
    return checked_score_t::OutOfRange();
  }
  return difference;
}

checked_score_t operator*(checked_score_t a, checked_score_t b) {
  if ((a.InRange() && a.Value() == 0) || (b.InRange() && b.Value() == 0)) return 0;
  if (!a.InRange() || !b.InRange()) return checked_score_t::OutOfRange();
  const std::uint64_t ma = Magnitude(a.Value());
  const std::uint64_t mb = Magnitude(b.Value());
  if (ma > std::numeric_limits<std::uint64_t>::max() / mb) return checked_score_t::OutOfRange();
  return FromMagnitude((a.Value() < 0) != (b.Value() < 0), ma * mb);
}

checked_score_t operator/(checked_score_t x, score_t k) {
  if (!x.InRange()) return x;
  return TruncDiv(x.Value(), k);
}

checked_score_t CheckedTrunc(long double x) {
  // 2^63 is exact in the 64-bit mantissa; every integer below it in magnitude
  // that the mantissa holds converts exactly.
  constexpr long double kLimit = 9223372036854775808.0L;
  const long double t = std::trunc(x);
  if (!std::isfinite(t) || t >= kLimit || t < -kLimit) return checked_score_t::OutOfRange();
  return static_cast<score_t>(t);
}

std::ostream& operator<<(std::ostream& out, const checked_score_t& v) {
  if (v.InRange()) return out << v.Value();
  return out << Cp932ToUtf8(Message(message_t::ValueOutOfRange));
}

void score_sum_t::Add(checked_score_t v) {
  if (!v.InRange()) {
    lost_ = true;
    return;
  }
  const std::uint64_t low = static_cast<std::uint64_t>(v.Value());
  low_ += low;
  // The carry out of the low word, and the sign extension of v into the high one.
  high_ += (low_ < low ? 1 : 0) + (v.Value() < 0 ? -1 : 0);
}

void score_sum_t::Subtract(checked_score_t v) {
  if (!v.InRange()) {
    lost_ = true;
    return;
  }
  const std::uint64_t low = static_cast<std::uint64_t>(v.Value());
  const bool borrow = low_ < low;
  low_ -= low;
  high_ -= (borrow ? 1 : 0) + (v.Value() < 0 ? -1 : 0);
}

checked_score_t score_sum_t::Result() const {
  if (lost_) return checked_score_t::OutOfRange();
  const bool negative = low_ >= kMinMagnitude;
  if (high_ != (negative ? -1 : 0)) return checked_score_t::OutOfRange();
  return static_cast<score_t>(low_);
}

score_t TruncToScore(long double x) {
  constexpr long double kTwo64 = 18446744073709551616.0L;
  long double t = std::trunc(x);
  if (!std::isfinite(t)) return 0;
  // Reduce into [0, 2^64). Integers of this magnitude are exact in the 64-bit
  // mantissa, so the reduction is exact too.
  t = std::fmod(t, kTwo64);
  if (t < 0) t += kTwo64;
  if (t >= kTwo64) t = 0;
  return static_cast<score_t>(static_cast<std::uint64_t>(t));
}

namespace {

struct difficulty_row_t {
  const char* name;
  const char* lower;
  score_t initial_cherry;
  int factor_tenths;
};

constexpr std::array<difficulty_row_t, 6> kDifficulties{{
    {"Easy", "easy", 200000, 5},
    {"Normal", "normal", 200000, 10},
    {"Hard", "hard", 250000, 12},
    {"Lunatic", "lunatic", 300000, 15},
    {"Extra", "extra", 400000, 20},
    {"Phantasm", nullptr, 400000, 20},
}};

const difficulty_row_t& Row(difficulty_t d) {
  const auto i = static_cast<std::size_t>(d);
  return kDifficulties[i < kDifficulties.size() ? i : kDifficulties.size() - 1];
}

}  // namespace

std::string DifficultyName(difficulty_t d) {
  return Row(d).name;
}

difficulty_t DifficultyFromText(std::string_view s) {
  for (std::size_t i = 0; i + 1 < kDifficulties.size(); ++i) {
    if (EqualsAsciiWord(s, kDifficulties[i].lower)) return static_cast<difficulty_t>(i);
  }
  return difficulty_t::Phantasm;
}

score_t InitialCherry(difficulty_t d) {
  return Row(d).initial_cherry;
}

long double DifficultyFactor(difficulty_t d) {
  switch (Row(d).factor_tenths) {
    case 5:
      return 0.5L;
    case 10:
      return 1.0L;
    case 12:
      return 1.2L;
    case 15:
      return 1.5L;
    default:
      return 2.0L;
  }
}

int DifficultyFactorTenths(difficulty_t d) {
  return Row(d).factor_tenths;
}

score_t FactorTimes(difficulty_t d, score_t x) {
  // f/10 × x = f × q + f × r / 10 with x = 10q + r; q and r share the sign of x,
  // so truncating the small second part truncates the whole toward zero.
  const score_t f = Row(d).factor_tenths;
  const score_t q = x / 10;
  const score_t r = x % 10;
  return WrapAdd(WrapMul(f, q), (f * r) / 10);
}

checked_score_t FactorTimes(difficulty_t d, checked_score_t x) {
  if (!x.InRange()) return x;
  const score_t f = Row(d).factor_tenths;
  return checked_score_t(f) * (x.Value() / 10) + (f * (x.Value() % 10)) / 10;
}

namespace {
constexpr std::array<const char*, 4> kSceneKinds{
    "way", "normal-attack", "normal-attack-with-enemy-bullet-bonus", "spell-card"};
constexpr std::array<const char*, 4> kGroupKinds{"root", "stage", "way", "boss"};
}  // namespace

std::string SceneKindName(scene_kind_t k) {
  const auto i = static_cast<std::size_t>(k);
  return i < kSceneKinds.size() ? kSceneKinds[i] : "dummy";
}

scene_kind_t SceneKindFromText(std::string_view s) {
  for (std::size_t i = 0; i < kSceneKinds.size(); ++i) {
    if (EqualsAsciiWord(s, kSceneKinds[i])) return static_cast<scene_kind_t>(i);
  }
  return scene_kind_t::Dummy;
}

std::string GroupKindName(group_kind_t k) {
  const auto i = static_cast<std::size_t>(k);
  return i < kGroupKinds.size() ? kGroupKinds[i] : "dummy";
}

group_kind_t GroupKindFromText(std::string_view s) {
  for (std::size_t i = 0; i < kGroupKinds.size(); ++i) {
    if (EqualsAsciiWord(s, kGroupKinds[i])) return static_cast<group_kind_t>(i);
  }
  return group_kind_t::Dummy;
}

std::string BoolText(bool b) {
  return b ? "true" : "false";
}

bool BoolFromText(std::string_view s) {
  return EqualsAsciiWord(s, "true");
}

std::string ScoreText(score_t v) {
  return std::to_string(v);
}

std::string ScoreText(checked_score_t v) {
  return v.InRange() ? ScoreText(v.Value()) : Message(message_t::ValueOutOfRange);
}

}  // namespace qvl
