// The score arithmetic: twelve terms for one pattern of a node, and the
// comparison of an old and a new pattern of the same node.
#include <string>
#include <string_view>

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
      return QVL_CP932("ボーダーボーナス");
    case 1:
      return QVL_CP932("増加した桜点Maxのクリアボーナス");
    case 2:
      return QVL_CP932("桜点の増減の、ここと以降のボーダーボーナスに及ぼす影響");
    case 3:
      return group ? QVL_CP932("桜点の増減の、ここ[/2]と以降の得点アイテムの得点に及ぼす影響")
                   : QVL_CP932("桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響");
    case 4:
      return QVL_CP932(
          "桜点の増減がここ[/"
          "2]"
          "と以降の「取得するスペルカード中にかすることによるスペルカードボーナスの上昇」に及ぼす影"
          "響");
    case 5:
      return QVL_CP932("増加したかすりの得点とクリアボーナス");
    case 6:
      return group ? QVL_CP932("かすり数の増加による、ここ[/2]と以降のボーナスアイテムの得点の上昇")
                   : QVL_CP932("かすり数の増加による、ここと以降のボーナスアイテムの得点の上昇");
    case 7:
      return QVL_CP932("取得するスペルカード中のかすりによる、スペルカードボーナスの上昇");
    case 8:
      return QVL_CP932("得点アイテムとそのクリアボーナス");
    case 9:
      return QVL_CP932("ボーナスアイテム");
    case 10:
      return QVL_CP932("スペルカードボーナス基礎点");
    default:
      return QVL_CP932("敵弾消しボーナス");
  }
}

// Labels used by several terms.
const std::string& kInitialCherry() {
  return QVL_CP932("桜点初期値");
}
const std::string& kBorderTimes() {
  return QVL_CP932("ボーダーボーナスを得た回数");
}
const std::string& kFactor() {
  return QVL_CP932("難易度補正");
}
const std::string& kGainedCherry() {
  return QVL_CP932("増加した桜点");
}
const std::string& kHereAnd() {
  return QVL_CP932("ここと");
}
const std::string& kHereIn() {
  return QVL_CP932("ここで");
}
const std::string& kClearBonus() {
  return QVL_CP932("クリアボーナス");
}
const std::string& kGraze() {
  return QVL_CP932("増加したかすり数");
}
const std::string& kPointItems() {
  return QVL_CP932("回収した得点アイテム数");
}
const std::string& kBonusItems() {
  return QVL_CP932("回収したボーナスアイテム数");
}
const std::string& kBasePoints() {
  return QVL_CP932("基本点");
}
const std::string& kSpellGraze() {
  return QVL_CP932("取得したスペルカードでかすった回数");
}
const std::string& kCherryBefore() {
  return QVL_CP932("ここより以前に上昇した桜点");
}
const std::string& kNew() {
  return QVL_CP932("新");
}
const std::string& kOldTimes() {
  return QVL_CP932("旧回数");
}
const std::string& kOldItems() {
  return QVL_CP932("旧アイテム数");
}
const std::string& kBonusItemNote() {
  return QVL_CP932("Stage 6, Ex, Phで見られる弾消し桜点アイテムもこれに含まれます");
}

// Fills one term: all texts with with_texts, otherwise the value alone.
class term_writer_t {
 public:
  term_writer_t(pattern_value_t& v, bool group, bool with_texts)
      : v_(v), group_(group), with_texts_(with_texts) {}

  void Set(int index, std::string_view format, std::string_view notes,
           const std::vector<term_number_t>& numbers, const std::vector<std::string_view>& labels,
           score_t value) {
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
        {QVL_CP932("増加した桜点Max"), kFactor(), QVL_CP932("クリアボーナスを得られる回数")},
        WrapMul(FactorTimes(d, WrapMul(10, s.cherry_max)), m));

  t.Set(2, "(10 * %d) * ([(%d + 1) / 2] + %d)",
        QVL_CP932("桜点Maxが上がってからボーダーボーナスが入るのを考慮…しているつもり"),
        {gained, s.border_bonus_times, a.border_bonus_times},
        {kGainedCherry(), kHereAnd(), QVL_CP932("以降のボーダーボーナス取得回数")},
        WrapMul(WrapMul(10, gained),
                WrapAdd(TruncDiv(WrapAdd(s.border_bonus_times, 1), 2), a.border_bonus_times)));

  {
    const std::vector<term_number_t> numbers{gained, s.point, a.point};
    const std::vector<std::string_view> labels{kGainedCherry(), kHereAnd(),
                                               QVL_CP932("以降の得点アイテム数")};
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
          {kGainedCherry(), "1500", kHereIn(), QVL_CP932("以降で取得するスペルカードでのかすり数")},
          TruncToScore(((Ld(gained) / 1500.0L) * 20.0L) * Ld(k)));
  }

  t.Set(5, "(%d + (%d * %.1f)) * %d", "", {2000, 500, F, graze},
        {QVL_CP932("かすり点"), kClearBonus(), kFactor(), kGraze()},
        WrapMul(WrapAdd(2000, FactorTimes(d, 500)), graze));

  {
    const std::vector<term_number_t> numbers{s.bonus_item, a.bonus_item, graze};
    const std::vector<std::string_view> labels{
        kHereIn(), QVL_CP932("以降で回収するボーナスアイテム数"), kGraze()};
    const std::string& note = QVL_CP932("\"[n / 40] * 10\"としていないのはわざと");
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

  t.Set(10, "%d", "", {s.total_spell_card_bonus_base}, {QVL_CP932("スペルカードボーナス基礎点")},
        s.total_spell_card_bonus_base);

  t.Set(11, "%d", "", {s.total_enemy_bullet_bonus}, {QVL_CP932("敵弾消しボーナス")},
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
        QVL_CP932("わけがわかりません"),
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
      {kBasePoints(), kBonusItems(), QVL_CP932("ここ以前のかすり数"), kNew(), kOldItems()},
      WrapAdd(WrapMul(WrapMul(TruncDiv(graze_before, 40), 10), WrapSub(n.bonus_item, o.bonus_item)),
              WrapMul(300, n.bonus_item)));
  return v;
}

}  // namespace qvl
