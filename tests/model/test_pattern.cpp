#include "model/qvl_pattern.h"

#include <gtest/gtest.h>

#include "model/qvl_text.h"

namespace qvl {
namespace {

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

TEST(ValueElement, SetTermFillsExpressionAndFormula) {
  value_element_t e;
  e.SetTerm(Utf8ToCp932("ボーダーボーナス"), "(%d * 10) * %d", "", {score_t{200000}, score_t{3}},
            {Utf8ToCp932("桜点初期値"), Utf8ToCp932("ボーダーボーナスを得た回数")}, 6000000);
  EXPECT_EQ(e.expr, "(200000 * 10) * 3");
  EXPECT_EQ(U(e.formula), "(桜点初期値 * 10) * ボーダーボーナスを得た回数");
  EXPECT_EQ(U(e.title), "ボーダーボーナス");
  EXPECT_EQ(e.value, 6000000);
  EXPECT_EQ(e.notes, "");
}

TEST(ValueElement, SetTermPrintsTheFactorWithOneDecimalAndNegativesWithSign) {
  value_element_t e;
  e.SetTerm("t", "[(10 * %d) * %.1f] * %d", "n",
            {score_t{5}, DifficultyFactor(difficulty_t::Hard), score_t{6}}, {"a", "b", "c"}, 360);
  EXPECT_EQ(e.expr, "[(10 * 5) * 1.2] * 6");
  EXPECT_EQ(e.formula, "[(10 * a) * b] * c");
  EXPECT_EQ(e.notes, "n");

  e.SetTerm("t", "%d - %D", "", {score_t{-42}, score_t{-9223372036854775807 - 1}}, {"x", "y"}, 0);
  EXPECT_EQ(e.expr, "-42 - -9223372036854775808");
  EXPECT_EQ(e.formula, "x - y");
}

TEST(ValueElement, HintTextJoinsExpressionFormulaTitleAndNote) {
  value_element_t e;
  e.title = "T";
  EXPECT_EQ(e.HintText(), "");  // a title alone gives no hint
  e.expr = "1 + 2";
  e.formula = "a + b";
  EXPECT_EQ(e.HintText(), "1 + 2\r\n-\r\na + b|T");
  e.notes = Utf8ToCp932("注");
  EXPECT_EQ(U(e.HintText()), "1 + 2\r\n-\r\na + b|T（注）");
}

TEST(PatternValue, TotalAndAddValues) {
  pattern_value_t v;
  EXPECT_EQ(v.Total(), 0);
  EXPECT_FALSE(v.as_here_only);
  pattern_value_t w;
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) {
    w[i].value = i + 1;
    w[i].title = "x";
  }
  v.AddValues(w);
  v.AddValues(w);
  EXPECT_EQ(v.Total(), 2 * 78);
  EXPECT_EQ(v[11].value, 24);
  EXPECT_EQ(v[0].title, "");  // texts are not added
  EXPECT_THROW((void)v[12], std::out_of_range);
}

TEST(Pattern, GainedCherryAndCherryDifference) {
  pattern_t p;
  p.cherry_max = 100;
  p.cherry_difference = -20;
  EXPECT_EQ(p.GainedCherry(), 100);
  p.cherry_difference = 30;
  EXPECT_EQ(p.GainedCherry(), 70);
  p.UpdateCherryDifference(100);
  EXPECT_EQ(p.cherry_difference, 0);
  p.UpdateCherryDifference(150);
  EXPECT_EQ(p.cherry_difference, -50);
  EXPECT_EQ(p.GainedCherry(), 100);
  p.UpdateCherryDifference(40);
  EXPECT_EQ(p.cherry_difference, 0);
}

TEST(GroupedPattern, FromPatternCapturedAndNotCaptured) {
  pattern_t p;
  p.title = "t";
  p.memo = "m";
  p.selected = true;
  p.player = 1;
  p.bomb = 2;
  p.cherry_max = 3;
  p.cherry_difference = 4;
  p.cherry_plus = 5;
  p.border_bonus_times = 6;
  p.bonus_item = 7;
  p.point = 8;
  p.graze = 30;
  p.spell_card_bonus_base = 9000;
  p.enemy_bullet_bonus = 11;

  grouped_pattern_t missed = grouped_pattern_t::FromPattern(p);
  EXPECT_EQ(missed.title, "t");
  EXPECT_EQ(missed.memo, "m");
  EXPECT_FALSE(missed.selected);
  EXPECT_EQ(missed.player, 1);
  EXPECT_EQ(missed.bomb, 2);
  EXPECT_EQ(missed.cherry_max, 3);
  EXPECT_EQ(missed.cherry_difference, 4);
  EXPECT_EQ(missed.cherry_plus, 5);
  EXPECT_EQ(missed.border_bonus_times, 6);
  EXPECT_EQ(missed.bonus_item, 7);
  EXPECT_EQ(missed.point, 8);
  EXPECT_EQ(missed.graze_rest, 30);
  EXPECT_EQ(missed.graze_in_getting_spell_cards, 0);
  EXPECT_EQ(missed.getting_spell_cards_number, 0);
  EXPECT_EQ(missed.total_spell_card_bonus_base, 0);
  EXPECT_EQ(missed.total_enemy_bullet_bonus, 11);

  p.getting_spell_card = true;
  grouped_pattern_t captured = grouped_pattern_t::FromPattern(p);
  EXPECT_EQ(captured.getting_spell_cards_number, 1);
  EXPECT_EQ(captured.graze_in_getting_spell_cards, 30);
  EXPECT_EQ(captured.graze_rest, 0);
  EXPECT_EQ(captured.total_spell_card_bonus_base, 9000);
  EXPECT_EQ(captured.total_enemy_bullet_bonus, 11);
  EXPECT_EQ(captured.TotalGraze(), 30);
}

TEST(GroupedPattern, SetTotalGrazeNeverGoesNegative) {
  grouped_pattern_t g;
  g.graze_in_getting_spell_cards = 8;
  g.SetTotalGraze(5);
  EXPECT_EQ(g.graze_rest, 0);
  g.SetTotalGraze(20);
  EXPECT_EQ(g.graze_rest, 12);
  EXPECT_EQ(g.TotalGraze(), 20);
  EXPECT_EQ(g.graze_in_getting_spell_cards, 8);
}

TEST(GroupedPattern, AccumulateAddsAndClearsTheRest) {
  grouped_pattern_t a;
  a.title = "a";
  a.memo = "m";
  a.selected = true;
  a.cherry_max = 100;
  a.cherry_difference = 30;
  a.cherry_plus = 7;
  a.point = 1;
  a.graze_rest = 2;
  a.getting_spell_cards_number = 1;
  grouped_pattern_t b = a;
  b.selected = false;
  a.Accumulate(b);
  EXPECT_EQ(a.title, "");
  EXPECT_EQ(a.memo, "");
  EXPECT_TRUE(a.selected);
  EXPECT_EQ(a.cherry_max, 200);
  EXPECT_EQ(a.cherry_difference, 0);
  EXPECT_EQ(a.cherry_plus, 0);
  EXPECT_EQ(a.GainedCherry(), 200);
  EXPECT_EQ(a.point, 2);
  EXPECT_EQ(a.graze_rest, 4);
  EXPECT_EQ(a.getting_spell_cards_number, 2);
}

TEST(GroupedPattern, AccumulateWrapsNearTheLimits) {
  grouped_pattern_t a;
  a.point = std::numeric_limits<score_t>::max();
  a.border_bonus_times = std::numeric_limits<score_t>::min();
  grouped_pattern_t b;
  b.point = 2;
  b.border_bonus_times = -1;
  a.Accumulate(b);
  EXPECT_EQ(a.point, std::numeric_limits<score_t>::min() + 1);
  EXPECT_EQ(a.border_bonus_times, std::numeric_limits<score_t>::max());
}

std::unique_ptr<pattern_t> Titled(const std::string& t, bool selected = false) {
  auto p = std::make_unique<pattern_t>();
  p->title = t;
  p->selected = selected;
  return p;
}

TEST(PatternList, AddSortedOrdersByBytes) {
  pattern_base_list_t list(pattern_class_t::Scene);
  list.AddSorted(Titled("b"));
  list.AddSorted(Titled("A"));
  list.AddSorted(Titled("a"));
  list.AddSorted(Titled("ab"));
  list.AddSorted(Titled(Utf8ToCp932("表")));  // lead byte 0x95 sorts after ASCII
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Items(0)->title, "A");
  EXPECT_EQ(list.Items(1)->title, "a");
  EXPECT_EQ(list.Items(2)->title, "ab");
  EXPECT_EQ(list.Items(3)->title, "b");
  EXPECT_EQ(U(list.Items(4)->title), "表");
  EXPECT_THROW((void)list.Items(5), std::out_of_range);
  EXPECT_THROW((void)list.Items(-1), std::out_of_range);
}

TEST(PatternList, RefusesThePatternClassOfOtherNodes) {
  pattern_base_list_t list(pattern_class_t::Scene);
  EXPECT_THROW(list.AddSorted(std::make_unique<grouped_pattern_t>()), EWrongPatternClass);
  EXPECT_EQ(list.Count(), 0);
}

TEST(PatternList, CurrentSelectAndNormalize) {
  pattern_base_list_t list(pattern_class_t::Scene);
  EXPECT_EQ(list.Current(), nullptr);
  pattern_base_t* first = list.AddSorted(Titled("1"));
  pattern_base_t* second = list.AddSorted(Titled("2", true));
  pattern_base_t* third = list.AddSorted(Titled("3", true));
  EXPECT_EQ(list.Current(), second);
  list.NormalizeSelection();
  EXPECT_FALSE(first->selected);
  EXPECT_TRUE(second->selected);
  EXPECT_FALSE(third->selected);

  list.Select(third);
  EXPECT_FALSE(second->selected);
  EXPECT_TRUE(third->selected);
  pattern_t stranger;
  list.Select(&stranger);
  EXPECT_TRUE(third->selected);

  third->selected = false;
  EXPECT_EQ(list.Current(), first);  // none selected: the first one
  list.NormalizeSelection();
  EXPECT_TRUE(first->selected);
}

TEST(PatternList, RemoveHandsThePatternBack) {
  pattern_base_list_t list(pattern_class_t::Grouped);
  auto g = std::make_unique<grouped_pattern_t>();
  pattern_base_t* raw = list.AddSorted(std::move(g));
  std::unique_ptr<pattern_base_t> taken = list.Remove(raw);
  EXPECT_EQ(taken.get(), raw);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Remove(raw), nullptr);
  list.AddSorted(std::move(taken));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(Pattern, CloneCopiesEveryField) {
  pattern_t p;
  p.title = "x";
  p.graze = 12;
  p.getting_spell_card = true;
  auto c = p.Clone();
  auto* copy = dynamic_cast<pattern_t*>(c.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->title, "x");
  EXPECT_EQ(copy->graze, 12);
  EXPECT_TRUE(copy->getting_spell_card);
}

}  // namespace
}  // namespace qvl
