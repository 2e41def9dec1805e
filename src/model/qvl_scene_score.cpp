// The score arithmetic: twelve terms for one pattern of a node, and the
// comparison of an old and a new pattern of the same node.
#include <initializer_list>
#include <string>
#include <string_view>

#include "model/qvl_messages.h"
#include "model/qvl_scene.h"
#include "model/qvl_text.h"

namespace qvl {

score_t ClearBonusCount(int stage) {
  return stage >= 1 && stage <= 6 ? 7 - stage : 1;
}

namespace {

// Term titles, by index.
const std::string& Title(int index, bool group) {
  switch (index) {
    case 0:
      return Message(message_t::TermBorderBonus);
    case 1:
      return Message(message_t::TermCherryMaxClearBonus);
    case 2:
      return Message(message_t::TermCherryOnBorderBonuses);
    case 3:
      return Message(group ? message_t::TermCherryOnPointItemsGroup
                           : message_t::TermCherryOnPointItems);
    case 4:
      return Message(message_t::TermCherryOnSpellCardGraze);
    case 5:
      return Message(message_t::TermGrazeScore);
    case 6:
      return Message(group ? message_t::TermGrazeOnBonusItemsGroup
                           : message_t::TermGrazeOnBonusItems);
    case 7:
      return Message(message_t::TermSpellCardGrazeBonus);
    case 8:
      return Message(message_t::TermPointItems);
    case 9:
      return Message(message_t::TermBonusItems);
    case 10:
      return Message(message_t::TermSpellCardBonusBase);
    default:
      return Message(message_t::TermEnemyBulletBonus);
  }
}

}  // namespace

const std::string& TermTitle(int index) {
  return Title(index, false);
}

namespace {

// Labels used by several terms.
const std::string& kInitialCherry() {
  return Message(message_t::LabelInitialCherry);
}
const std::string& kBorderTimes() {
  return Message(message_t::LabelBorderTimes);
}
const std::string& kFactor() {
  return Message(message_t::LabelFactor);
}
const std::string& kGainedCherry() {
  return Message(message_t::LabelGainedCherry);
}
const std::string& kHereAnd() {
  return Message(message_t::LabelHereAnd);
}
const std::string& kHereIn() {
  return Message(message_t::LabelHereIn);
}
const std::string& kClearBonus() {
  return Message(message_t::LabelClearBonus);
}
const std::string& kGraze() {
  return Message(message_t::LabelGraze);
}
const std::string& kPointItems() {
  return Message(message_t::LabelPointItems);
}
const std::string& kBonusItems() {
  return Message(message_t::LabelBonusItems);
}
const std::string& kBasePoints() {
  return Message(message_t::LabelBasePoints);
}
const std::string& kSpellGraze() {
  return Message(message_t::LabelSpellGraze);
}
const std::string& kCherryBefore() {
  return Message(message_t::LabelCherryBefore);
}
const std::string& kNew() {
  return Message(message_t::LabelNew);
}
const std::string& kOldTimes() {
  return Message(message_t::LabelOldTimes);
}
const std::string& kOldItems() {
  return Message(message_t::LabelOldItems);
}
const std::string& kBonusItemNote() {
  return Message(message_t::NoteBonusItems);
}

// Fills one term: all texts with with_texts, otherwise the value alone.
class term_writer_t {
 public:
  term_writer_t(pattern_value_t& v, bool group, bool with_texts)
      : v_(v), group_(group), with_texts_(with_texts) {}

  // The numbers and labels come as lists on the caller's stack: the route
  // walk scores every position without texts, and a heap copy of them per
  // term was a fifth of a chart's refresh.
  void Set(int index, std::string_view format, std::string_view notes,
           std::initializer_list<term_number_t> numbers,
           std::initializer_list<std::string_view> labels, checked_score_t value) {
    value_element_t& e = v_[index];
    if (with_texts_) {
      e.SetTerm(Title(index, group_), format, notes, numbers, labels, value);
    } else {
      e.value = value;
    }
  }

 private:
  pattern_value_t& v_;
  bool group_;
  bool with_texts_;
};

// trunc(((x ÷ 1500) × 20) × k) and its relatives, in extended precision. A
// factor out of range has no number to compute with; the term is then out of
// range too, unless the other factor is 0.
using C = checked_score_t;

long double Ld(score_t x) {
  return static_cast<long double>(x);
}
checked_score_t TruncProduct(long double a, checked_score_t k) {
  if (!k.InRange()) return a == 0.0L ? C(0) : k;
  return CheckedTrunc(a * Ld(k.Value()));
}

}  // namespace

pattern_value_t ScoreSingle(const grouped_pattern_t& s, const grouped_pattern_t& a, bool group,
                            int stage, difficulty_t d, bool with_texts) {
  const score_t I = InitialCherry(d);
  const long double F = DifficultyFactor(d);
  const score_t m = ClearBonusCount(stage);
  const C gained = s.CheckedGainedCherry();
  const C graze = s.CheckedTotalGraze();
  // Every count as a checked score: a sum of later scenes may be out of range.
  const auto S = [&s](score_t grouped_pattern_t::*f) { return s.Checked(f); };
  const auto A = [&a](score_t grouped_pattern_t::*f) { return a.Checked(f); };
  using G = grouped_pattern_t;

  pattern_value_t v;
  term_writer_t t(v, group, with_texts);

  t.Set(0, "(%d * 10) * %d", "", {I, S(&G::border_bonus_times)}, {kInitialCherry(), kBorderTimes()},
        C(I) * 10 * S(&G::border_bonus_times));

  t.Set(1, "[(10 * %d) * %.1f] * %d", "", {S(&G::cherry_max), F, m},
        {Message(message_t::LabelCherryMaxRaised), kFactor(),
         Message(message_t::LabelClearBonusCount)},
        FactorTimes(d, C(10) * S(&G::cherry_max)) * m);

  t.Set(2, "(10 * %d) * ([(%d + 1) / 2] + %d)", Message(message_t::NoteCherryMaxFirst),
        {gained, S(&G::border_bonus_times), A(&G::border_bonus_times)},
        {kGainedCherry(), kHereAnd(), Message(message_t::LabelLaterBorderTimes)},
        (C(10) * gained) * ((S(&G::border_bonus_times) + 1) / 2 + A(&G::border_bonus_times)));

  {
    const std::initializer_list<term_number_t> numbers{gained, S(&G::point), A(&G::point)};
    const std::initializer_list<std::string_view> labels{kGainedCherry(), kHereAnd(),
                                                         Message(message_t::LabelLaterPointItems)};
    if (group) {
      t.Set(3, "%d * ([%d / 2] + %d)", "", numbers, labels,
            gained * (S(&G::point) / 2 + A(&G::point)));
    } else {
      t.Set(3, "%d * (%d + %d)", "", numbers, labels, gained * (S(&G::point) + A(&G::point)));
    }
  }

  {
    const C here = S(&G::graze_in_getting_spell_cards);
    const C later = A(&G::graze_in_getting_spell_cards);
    const C k = here / 2 + later;
    const long double per = gained.InRange() ? (Ld(gained.Value()) / 1500.0L) * 20.0L : 0.0L;
    t.Set(4, "[(20 * (%d / %d)) * ([%d / 2] + %d)]", "", {gained, 1500, here, later},
          {kGainedCherry(), "1500", kHereIn(), Message(message_t::LabelLaterSpellGraze)},
          gained.InRange() ? TruncProduct(per, k)
                           : (k == C(0) ? C(0) : checked_score_t::OutOfRange()));
  }

  t.Set(5, "(%d + (%d * %.1f)) * %d", "", {2000, 500, F, graze},
        {Message(message_t::LabelGrazePoints), kClearBonus(), kFactor(), kGraze()},
        (C(2000) + FactorTimes(d, 500)) * graze);

  {
    const std::initializer_list<term_number_t> numbers{S(&G::bonus_item), A(&G::bonus_item), graze};
    const std::initializer_list<std::string_view> labels{
        kHereIn(), Message(message_t::LabelLaterBonusItems), kGraze()};
    const std::string& note = Message(message_t::NoteBonusItemSteps);
    const C k =
        group ? S(&G::bonus_item) / 2 + A(&G::bonus_item) : S(&G::bonus_item) + A(&G::bonus_item);
    const C value = graze.InRange() ? TruncProduct(Ld(graze.Value()) / 4.0L, k)
                                    : (k == C(0) ? C(0) : checked_score_t::OutOfRange());
    t.Set(6, group ? "[([%d / 2] + %d) * (%d / 4)]" : "[(%d + %d) * (%d / 4)]", note, numbers,
          labels, value);
  }

  t.Set(7, "[((20 * (%d / %d)) + %d) * %d]", "",
        {I, 1500, 2500, S(&G::graze_in_getting_spell_cards)},
        {kInitialCherry(), "1500", "2500", kSpellGraze()},
        TruncProduct((Ld(I) / 1500.0L) * 20.0L + 2500.0L, S(&G::graze_in_getting_spell_cards)));

  t.Set(8, "(%d + (%d * %.1f)) * %d", "", {I, 50000, F, S(&G::point)},
        {kInitialCherry(), kClearBonus(), kFactor(), kPointItems()},
        (C(I) + FactorTimes(d, 50000)) * S(&G::point));

  t.Set(9, "%d * %d", kBonusItemNote(), {300, S(&G::bonus_item)}, {kBasePoints(), kBonusItems()},
        C(300) * S(&G::bonus_item));

  t.Set(10, "%d", "", {S(&G::total_spell_card_bonus_base)},
        {Message(message_t::TermSpellCardBonusBase)}, S(&G::total_spell_card_bonus_base));

  t.Set(11, "%d", "", {S(&G::total_enemy_bullet_bonus)}, {Message(message_t::TermEnemyBulletBonus)},
        S(&G::total_enemy_bullet_bonus));
  return v;
}

pattern_value_t ScoreCompare(const grouped_pattern_t& o, const grouped_pattern_t& n,
                             const grouped_pattern_t& b, const grouped_pattern_t& a, bool group,
                             int stage, difficulty_t d, bool with_texts) {
  pattern_value_t v = ScoreSingle(n, a, group, stage, d, with_texts);
  v.as_here_only = true;
  term_writer_t t(v, group, with_texts);

  const score_t I = InitialCherry(d);
  const long double F = DifficultyFactor(d);
  const C gained_before = b.CheckedGainedCherry();
  const C graze_before = b.CheckedTotalGraze();
  using G = grouped_pattern_t;
  const auto N = [&n](score_t G::*f) { return n.Checked(f); };
  const auto O = [&o](score_t G::*f) { return o.Checked(f); };

  t.Set(0, "((%d * 10) * %d) + ((%d * 10) * (%d - %d))", "",
        {I, N(&G::border_bonus_times), gained_before, N(&G::border_bonus_times),
         O(&G::border_bonus_times)},
        {kInitialCherry(), kBorderTimes(), kCherryBefore(), kNew(), kOldTimes()},
        gained_before * 10 * (N(&G::border_bonus_times) - O(&G::border_bonus_times)) +
            C(I) * 10 * N(&G::border_bonus_times));

  t.Set(7, "[((20 * (%d / %d)) + %d) * %d] + ((20 * [%d / %d]) * (%d - %d))",
        Message(message_t::NoteMakesNoSense),
        {I, 1500, 2500, N(&G::graze_in_getting_spell_cards), gained_before, 1500,
         N(&G::graze_in_getting_spell_cards), O(&G::graze_in_getting_spell_cards)},
        {kInitialCherry(), "1500", "2500", kSpellGraze(), kCherryBefore(), "1500", kNew(),
         kOldTimes()},
        TruncProduct((Ld(I) / 1500.0L) * 20.0L + 2500.0L, N(&G::graze_in_getting_spell_cards)) +
            C(20) * (gained_before / 1500) *
                (N(&G::graze_in_getting_spell_cards) - O(&G::graze_in_getting_spell_cards)));

  t.Set(8, "((%d + (%d * %.1f)) * %d) + (%d * (%d - %d))", "",
        {I, 50000, F, N(&G::point), gained_before, N(&G::point), O(&G::point)},
        {kInitialCherry(), kClearBonus(), kFactor(), kPointItems(), kCherryBefore(), kNew(),
         kOldItems()},
        gained_before * (N(&G::point) - O(&G::point)) +
            (C(I) + FactorTimes(d, 50000)) * N(&G::point));

  t.Set(9, "(%d * %d) + (([%d / 40] * 10) * (%d - %d))", kBonusItemNote(),
        {300, N(&G::bonus_item), graze_before, N(&G::bonus_item), O(&G::bonus_item)},
        {kBasePoints(), kBonusItems(), Message(message_t::LabelGrazeBefore), kNew(), kOldItems()},
        (graze_before / 40) * 10 * (N(&G::bonus_item) - O(&G::bonus_item)) +
            C(300) * N(&G::bonus_item));
  return v;
}

}  // namespace qvl
