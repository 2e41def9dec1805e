#include "model/qvl_utils.h"

#include <array>
#include <cmath>

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

}  // namespace qvl
