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
           std::initializer_list<std::string_view> labels, score_t value) {
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

// trunc(((x ÷ 1500) × 20) × k) and its relatives, in extended precision.
long double Ld(score_t x) {
  return static_cast<long double>(x);
}

}  // namespace

pattern_value_t ScoreSingle(const grouped_pattern_t& s, const grouped_pattern_t& a, bool group,
                            int stage, difficulty_t d, bool with_texts) {
  const score_t I = InitialCherry(d);
  const long double F = DifficultyFactor(d);
  const score_t m = ClearBonusCount(stage);
  const score_t gained = s.GainedCherry();
  const score_t graze = s.TotalGraze();

  pattern_value_t v;
  term_writer_t t(v, group, with_texts);

  t.Set(0, "(%d * 10) * %d", "", {I, s.border_bonus_times}, {kInitialCherry(), kBorderTimes()},
        WrapMul(WrapMul(I, 10), s.border_bonus_times));

  t.Set(1, "[(10 * %d) * %.1f] * %d", "", {s.cherry_max, F, m},
        {Message(message_t::LabelCherryMaxRaised), kFactor(),
         Message(message_t::LabelClearBonusCount)},
        WrapMul(FactorTimes(d, WrapMul(10, s.cherry_max)), m));

  t.Set(2, "(10 * %d) * ([(%d + 1) / 2] + %d)", Message(message_t::NoteCherryMaxFirst),
        {gained, s.border_bonus_times, a.border_bonus_times},
        {kGainedCherry(), kHereAnd(), Message(message_t::LabelLaterBorderTimes)},
        WrapMul(WrapMul(10, gained),
                WrapAdd(TruncDiv(WrapAdd(s.border_bonus_times, 1), 2), a.border_bonus_times)));

  {
    const std::initializer_list<term_number_t> numbers{gained, s.point, a.point};
    const std::initializer_list<std::string_view> labels{kGainedCherry(), kHereAnd(),
                                                         Message(message_t::LabelLaterPointItems)};
    if (group) {
      t.Set(3, "%d * ([%d / 2] + %d)", "", numbers, labels,
            WrapMul(gained, WrapAdd(TruncDiv(s.point, 2), a.point)));
    } else {
      t.Set(3, "%d * (%d + %d)", "", numbers, labels, WrapMul(gained, WrapAdd(s.point, a.point)));
    }
  }

  {
    const score_t k =
        WrapAdd(TruncDiv(s.graze_in_getting_spell_cards, 2), a.graze_in_getting_spell_cards);
    t.Set(4, "[(20 * (%d / %d)) * ([%d / 2] + %d)]", "",
          {gained, 1500, s.graze_in_getting_spell_cards, a.graze_in_getting_spell_cards},
          {kGainedCherry(), "1500", kHereIn(), Message(message_t::LabelLaterSpellGraze)},
          TruncToScore(((Ld(gained) / 1500.0L) * 20.0L) * Ld(k)));
  }

  t.Set(5, "(%d + (%d * %.1f)) * %d", "", {2000, 500, F, graze},
        {Message(message_t::LabelGrazePoints), kClearBonus(), kFactor(), kGraze()},
        WrapMul(WrapAdd(2000, FactorTimes(d, 500)), graze));

  {
    const std::initializer_list<term_number_t> numbers{s.bonus_item, a.bonus_item, graze};
    const std::initializer_list<std::string_view> labels{
        kHereIn(), Message(message_t::LabelLaterBonusItems), kGraze()};
    const std::string& note = Message(message_t::NoteBonusItemSteps);
    if (group) {
      const score_t k = WrapAdd(TruncDiv(s.bonus_item, 2), a.bonus_item);
      t.Set(6, "[([%d / 2] + %d) * (%d / 4)]", note, numbers, labels,
            TruncToScore((Ld(graze) / 4.0L) * Ld(k)));
    } else {
      const score_t k = WrapAdd(s.bonus_item, a.bonus_item);
      t.Set(6, "[(%d + %d) * (%d / 4)]", note, numbers, labels,
            TruncToScore((Ld(graze) / 4.0L) * Ld(k)));
    }
  }

  t.Set(7, "[((20 * (%d / %d)) + %d) * %d]", "", {I, 1500, 2500, s.graze_in_getting_spell_cards},
        {kInitialCherry(), "1500", "2500", kSpellGraze()},
        TruncToScore(((Ld(I) / 1500.0L) * 20.0L + 2500.0L) * Ld(s.graze_in_getting_spell_cards)));

  t.Set(8, "(%d + (%d * %.1f)) * %d", "", {I, 50000, F, s.point},
        {kInitialCherry(), kClearBonus(), kFactor(), kPointItems()},
        WrapMul(WrapAdd(I, FactorTimes(d, 50000)), s.point));

  t.Set(9, "%d * %d", kBonusItemNote(), {300, s.bonus_item}, {kBasePoints(), kBonusItems()},
        WrapMul(300, s.bonus_item));

  t.Set(10, "%d", "", {s.total_spell_card_bonus_base}, {Message(message_t::TermSpellCardBonusBase)},
        s.total_spell_card_bonus_base);

  t.Set(11, "%d", "", {s.total_enemy_bullet_bonus}, {Message(message_t::TermEnemyBulletBonus)},
        s.total_enemy_bullet_bonus);
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
  const score_t gained_before = b.GainedCherry();
  const score_t graze_before = b.TotalGraze();

  t.Set(0, "((%d * 10) * %d) + ((%d * 10) * (%d - %d))", "",
        {I, n.border_bonus_times, gained_before, n.border_bonus_times, o.border_bonus_times},
        {kInitialCherry(), kBorderTimes(), kCherryBefore(), kNew(), kOldTimes()},
        WrapAdd(WrapMul(WrapMul(gained_before, 10),
                        WrapSub(n.border_bonus_times, o.border_bonus_times)),
                WrapMul(WrapMul(I, 10), n.border_bonus_times)));

  t.Set(7, "[((20 * (%d / %d)) + %d) * %d] + ((20 * [%d / %d]) * (%d - %d))",
        Message(message_t::NoteMakesNoSense),
        {I, 1500, 2500, n.graze_in_getting_spell_cards, gained_before, 1500,
         n.graze_in_getting_spell_cards, o.graze_in_getting_spell_cards},
        {kInitialCherry(), "1500", "2500", kSpellGraze(), kCherryBefore(), "1500", kNew(),
         kOldTimes()},
        WrapAdd(TruncToScore(((Ld(I) / 1500.0L) * 20.0L + 2500.0L) *
                             Ld(n.graze_in_getting_spell_cards)),
                WrapMul(WrapMul(20, TruncDiv(gained_before, 1500)),
                        WrapSub(n.graze_in_getting_spell_cards, o.graze_in_getting_spell_cards))));

  t.Set(8, "((%d + (%d * %.1f)) * %d) + (%d * (%d - %d))", "",
        {I, 50000, F, n.point, gained_before, n.point, o.point},
        {kInitialCherry(), kClearBonus(), kFactor(), kPointItems(), kCherryBefore(), kNew(),
         kOldItems()},
        WrapAdd(WrapMul(gained_before, WrapSub(n.point, o.point)),
                WrapMul(WrapAdd(I, FactorTimes(d, 50000)), n.point)));

  t.Set(
      9, "(%d * %d) + (([%d / 40] * 10) * (%d - %d))", kBonusItemNote(),
      {300, n.bonus_item, graze_before, n.bonus_item, o.bonus_item},
      {kBasePoints(), kBonusItems(), Message(message_t::LabelGrazeBefore), kNew(), kOldItems()},
      WrapAdd(WrapMul(WrapMul(TruncDiv(graze_before, 40), 10), WrapSub(n.bonus_item, o.bonus_item)),
              WrapMul(300, n.bonus_item)));
  return v;
}

}  // namespace qvl
