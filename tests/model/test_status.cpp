#include "model/qvl_status.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/qvl_text.h"

namespace qvl {
namespace {

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

scene_t* AddSpellCard(group_t& g, bool captured, score_t bonus_item = 0) {
  auto s = std::make_unique<scene_t>(&g);
  s->kind = scene_kind_t::SpellCard;
  auto p = std::make_unique<pattern_t>();
  p->getting_spell_card = captured;
  p->bonus_item = bonus_item;
  p->cherry_max = 100;
  p->graze = 3;
  p->point = 2;
  p->selected = true;
  s->patterns.AddSorted(std::move(p));
  return static_cast<scene_t*>(g.AddChild(std::move(s)));
}

TEST(StatusPanels, FirstSceneOfAnEasyDocumentShowsNothingBeforeIt) {
  root_t root;
  root.difficulty = difficulty_t::Easy;
  auto stage = std::make_unique<group_t>(&root);
  stage->kind = group_kind_t::Stage;
  group_t* s1 = static_cast<group_t*>(root.AddChild(std::move(stage)));
  scene_t* first = AddSpellCard(*s1, true);
  const auto panels = StatusPanelTexts(*first);
  EXPECT_EQ(U(panels[0]), "☆:     0");
  EXPECT_EQ(panels[1], "G:     0");
  EXPECT_EQ(panels[2], "P:    0");
  EXPECT_EQ(panels[3], "C:  200000/ 200000");
  EXPECT_EQ(panels[4], "C+: 1000");
}

TEST(StatusPanels, LaterScenesCountCapturedSpellCardsBeforeThem) {
  root_t root;
  root.difficulty = difficulty_t::Hard;
  AddSpellCard(root, true, 5);
  AddSpellCard(root, false, 5);
  AddSpellCard(root, true, 5);
  AddSpellCard(root, true, 5);
  scene_t* later = AddSpellCard(root, false);
  auto panels = StatusPanelTexts(*later);
  EXPECT_EQ(panels[4], "C+: 1300");
  EXPECT_EQ(U(panels[0]), "☆:    20");
  EXPECT_EQ(panels[1], "G:    12");
  EXPECT_EQ(panels[2], "P:    8");
  EXPECT_EQ(panels[3], "C:  250400/ 250400");

  // Heard: the values without padding, after what they count.
  const auto spoken = StatusPanels(*later).spoken;
  const char* const expected[] = {"ボーナスアイテム 20", "かすり 12", "得点アイテム 8",
                                  "桜点 250400 / 最大 250400", "桜点プラス 1300"};
  for (std::size_t i = 0; i < spoken.size(); ++i) EXPECT_EQ(U(spoken[i]), expected[i]);

  // The root shows its own totals and the captured count.
  panels = StatusPanelTexts(root);
  EXPECT_EQ(panels[4], "Spell:  3");
  EXPECT_EQ(U(panels[0]), "☆:    20");
  EXPECT_EQ(panels[3], "C:  250500/ 250500");
  EXPECT_EQ(U(StatusPanels(root).spoken[4]), "取得スペルカード枚数 3");
}

TEST(StatusPanels, LongNumbersAreNeverCut) {
  EXPECT_EQ(PadScore(1234567, 4), "1234567");
  EXPECT_EQ(PadScore(-5, 4), "  -5");
  EXPECT_EQ(PadScore(std::numeric_limits<score_t>::min(), 2), "-9223372036854775808");
  const auto initial = InitialStatusPanelTexts();
  EXPECT_EQ(U(initial[0]), "☆");
  EXPECT_EQ(initial[4], "Spell/C+");
  const auto subjects = InitialStatusPanelSpoken();
  EXPECT_EQ(U(subjects[2]), "得点アイテム");
  EXPECT_EQ(U(subjects[3]), "桜点 / 最大");
}

TEST(DifferenceText, SignAndMagnitude) {
  EXPECT_EQ(DifferenceText(5), "+5");
  EXPECT_EQ(DifferenceText(0), "0");
  EXPECT_EQ(DifferenceText(-12), "-12");
  EXPECT_EQ(DifferenceText(-200), "-200");
  EXPECT_EQ(DifferenceText(std::numeric_limits<score_t>::min()), "-9223372036854775808");
  EXPECT_EQ(DifferenceText(std::numeric_limits<score_t>::max()), "+9223372036854775807");
}

}  // namespace
}  // namespace qvl
