#include "model/qvl_scene.h"

#include <gtest/gtest.h>

namespace qvl {
namespace {

scene_t* AddScene(group_t& g, scene_kind_t kind = scene_kind_t::Way, score_t point = 0) {
  auto s = std::make_unique<scene_t>(&g);
  s->kind = kind;
  s->point = point;
  return static_cast<scene_t*>(g.AddChild(std::move(s)));
}

group_t* AddGroup(group_t& g, group_kind_t kind) {
  auto child = std::make_unique<group_t>(&g);
  child->kind = kind;
  return static_cast<group_t*>(g.AddChild(std::move(child)));
}

// Gives a scene one selected pattern with the given point items and graze.
pattern_t* SetPattern(scene_t& s, score_t point, score_t graze = 0, bool captured = false) {
  auto p = std::make_unique<pattern_t>();
  p->point = point;
  p->graze = graze;
  p->getting_spell_card = captured;
  p->selected = true;
  s.patterns.Clear();
  return static_cast<pattern_t*>(s.patterns.AddSorted(std::move(p)));
}

grouped_pattern_t* SetGroupedPattern(group_t& g, score_t point) {
  auto p = std::make_unique<grouped_pattern_t>();
  p->point = point;
  p->selected = true;
  g.patterns.Clear();
  return static_cast<grouped_pattern_t*>(g.patterns.AddSorted(std::move(p)));
}

TEST(SceneTree, NewNodesAndDefaults) {
  root_t root;
  EXPECT_EQ(root.parent(), nullptr);
  EXPECT_EQ(root.difficulty, difficulty_t::Easy);
  EXPECT_EQ(root.kind, group_kind_t::Root);
  EXPECT_FALSE(root.grouping);
  scene_t s;
  EXPECT_EQ(s.kind, scene_kind_t::Way);
  EXPECT_EQ(s.patterns.Accepts(), pattern_class_t::Scene);
  EXPECT_EQ(root.patterns.Accepts(), pattern_class_t::Grouped);

  // A node made for a parent knows it but is a child only after AddChild.
  auto loose = std::make_unique<scene_t>(&root);
  EXPECT_EQ(loose->parent(), &root);
  EXPECT_EQ(root.ChildCount(), 0);
  loose.reset();  // leaves nothing behind
  EXPECT_EQ(root.ChildCount(), 0);
}

TEST(SceneTree, StageNumbers) {
  root_t root;
  AddGroup(root, group_kind_t::Stage);
  AddGroup(root, group_kind_t::Stage);
  group_t* third = AddGroup(root, group_kind_t::Stage);
  group_t* boss = AddGroup(*third, group_kind_t::Boss);
  scene_t* spell = AddScene(*boss, scene_kind_t::SpellCard);
  scene_t* direct = AddScene(*third);
  EXPECT_EQ(third->StageNumber(), 3);
  EXPECT_EQ(boss->StageNumber(), 3);
  EXPECT_EQ(spell->StageNumber(), 3);
  EXPECT_EQ(direct->StageNumber(), 3);
  EXPECT_EQ(root.StageNumber(), 0);

  group_t* way = AddGroup(root, group_kind_t::Way);  // not a stage
  EXPECT_EQ(AddScene(*way)->StageNumber(), 0);
  EXPECT_EQ(AddScene(root)->StageNumber(), 0);
  scene_t orphan;
  EXPECT_EQ(orphan.StageNumber(), 0);
  group_t lone_stage;
  lone_stage.kind = group_kind_t::Stage;
  EXPECT_EQ(lone_stage.StageNumber(), 0);

  EXPECT_EQ(ClearBonusCount(1), 6);
  EXPECT_EQ(ClearBonusCount(6), 1);
  EXPECT_EQ(ClearBonusCount(0), 1);
  EXPECT_EQ(ClearBonusCount(7), 1);
}

TEST(SceneTree, DifficultyComesFromTheRoot) {
  scene_t orphan;
  EXPECT_EQ(orphan.GetDifficulty(), difficulty_t::Normal);
  root_t root;
  root.difficulty = difficulty_t::Lunatic;
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  group_t* boss = AddGroup(*stage, group_kind_t::Boss);
  EXPECT_EQ(AddScene(*boss)->GetDifficulty(), difficulty_t::Lunatic);
  EXPECT_EQ(stage->GetDifficulty(), difficulty_t::Lunatic);
  EXPECT_EQ(root.GetDifficulty(), difficulty_t::Lunatic);
}

TEST(SceneTree, AddChildMovesNodesBetweenGroups) {
  root_t root;
  group_t* a = AddGroup(root, group_kind_t::Stage);
  group_t* b = AddGroup(root, group_kind_t::Stage);
  scene_t* s = AddScene(*a);
  AddScene(*a);
  ASSERT_EQ(a->ChildCount(), 2);

  EXPECT_EQ(b->AddChild(s), s);
  EXPECT_EQ(a->ChildCount(), 1);
  EXPECT_EQ(b->ChildCount(), 1);
  EXPECT_EQ(b->Child(0), s);
  EXPECT_EQ(s->parent(), b);

  // Within the same group the node goes to the end, still only once.
  scene_t* t = AddScene(*b);
  EXPECT_EQ(b->AddChild(s), s);
  EXPECT_EQ(b->ChildCount(), 2);
  EXPECT_EQ(b->Child(0), t);
  EXPECT_EQ(b->Child(1), s);

  // A group cannot take itself or one of its ancestors.
  group_t* inner = AddGroup(*b, group_kind_t::Boss);
  EXPECT_EQ(inner->AddChild(b), nullptr);
  EXPECT_EQ(b->AddChild(b), nullptr);
  EXPECT_EQ(b->parent(), &root);
  EXPECT_EQ(inner->AddChild(std::unique_ptr<scene_base_t>()), nullptr);
  EXPECT_EQ(inner->AddChild(std::make_unique<root_t>()), nullptr);
  EXPECT_THROW((void)inner->Child(0), std::out_of_range);
  EXPECT_THROW((void)root.Child(-1), std::out_of_range);
}

TEST(SceneTree, RemoveChildHandsTheNodeToTheCaller) {
  root_t root;
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  scene_t* s = AddScene(*stage);
  std::unique_ptr<scene_base_t> taken = stage->RemoveChild(s);
  EXPECT_EQ(taken.get(), s);
  EXPECT_EQ(stage->ChildCount(), 0);
  EXPECT_EQ(stage->RemoveChild(s), nullptr);
  taken.reset();  // the parent no longer holds it; nothing dangles
  EXPECT_EQ(stage->ChildCount(), 0);
}

TEST(SceneTree, FreeingAStageFreesItsSubtreeAndLeavesTheRoot) {
  root_t root;
  group_t* first = AddGroup(root, group_kind_t::Stage);
  group_t* second = AddGroup(root, group_kind_t::Stage);
  AddScene(*AddGroup(*second, group_kind_t::Boss));
  AddScene(*second);
  std::unique_ptr<scene_base_t> taken = root.RemoveChild(second);
  taken.reset();
  ASSERT_EQ(root.ChildCount(), 1);
  EXPECT_EQ(root.Child(0), first);
}

TEST(SceneTree, ClearNodeResetsEveryKind) {
  root_t root;
  root.title = "t";
  root.memo = "m";
  root.grouping = true;
  root.kind = group_kind_t::Stage;
  root.difficulty = difficulty_t::Hard;
  SetGroupedPattern(root, 3);
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  scene_t* s = AddScene(*stage, scene_kind_t::SpellCard, 40);
  s->initial_spell_card_bonus = 1;
  s->time_limit = 2;
  s->decrease_rate = 3;
  s->title = "s";
  SetPattern(*s, 1);

  s->ClearNode();
  EXPECT_EQ(s->kind, scene_kind_t::Dummy);
  EXPECT_EQ(s->point, 0);
  EXPECT_EQ(s->initial_spell_card_bonus + s->time_limit + s->decrease_rate, 0);
  EXPECT_EQ(s->title, "");
  EXPECT_EQ(s->patterns.Count(), 0);

  root.ClearNode();
  EXPECT_EQ(root.ChildCount(), 0);
  EXPECT_EQ(root.kind, group_kind_t::Dummy);
  EXPECT_FALSE(root.grouping);
  EXPECT_EQ(root.title, "");
  EXPECT_EQ(root.memo, "");
  EXPECT_EQ(root.patterns.Count(), 0);
  EXPECT_EQ(root.difficulty, difficulty_t::Hard);  // the difficulty is the loader's to set
}

TEST(SceneTree, PointsAndCollectablePoints) {
  root_t root;
  EXPECT_EQ(root.GetPoint(), 0);
  root.SetPoint(9);  // groups have no points of their own
  EXPECT_EQ(root.GetPoint(), 0);
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  AddScene(*stage, scene_kind_t::NormalAttack, 20);
  AddScene(*stage, scene_kind_t::SpellCard, 30);
  AddScene(*stage, scene_kind_t::Way, 100);
  EXPECT_EQ(stage->CollectablePoints(), 130);
  group_t* boss = AddGroup(*stage, group_kind_t::Boss);
  AddScene(*boss, scene_kind_t::NormalAttackWithEnemyBulletBonus, 7);
  AddScene(*boss, scene_kind_t::NormalAttack, 1000);
  EXPECT_EQ(stage->CollectablePoints(), 137);
  EXPECT_EQ(root.CollectablePoints(), 137);
}

TEST(SceneTree, InsideGrouping) {
  root_t root;
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  group_t* boss = AddGroup(*stage, group_kind_t::Boss);
  scene_t* s = AddScene(*boss);
  stage->grouping = true;
  EXPECT_FALSE(stage->IsInsideGrouping());
  EXPECT_TRUE(boss->IsInsideGrouping());
  EXPECT_TRUE(s->IsInsideGrouping());
  EXPECT_FALSE(root.IsInsideGrouping());
  stage->grouping = false;
  EXPECT_FALSE(s->IsInsideGrouping());
}

TEST(Patterns, NormalizeGivesEveryListOneSelectedPattern) {
  root_t root;
  root.NormalizePatterns();
  ASSERT_EQ(root.patterns.Count(), 1);
  EXPECT_TRUE(root.patterns.Items(0)->selected);
  EXPECT_EQ(root.patterns.Items(0)->Class(), pattern_class_t::Grouped);

  group_t* stage = AddGroup(root, group_kind_t::Stage);
  scene_t* s = AddScene(*stage);
  auto a = std::make_unique<pattern_t>();
  a->selected = true;
  auto b = std::make_unique<pattern_t>();
  b->selected = true;
  s->patterns.AddSorted(std::move(a));
  s->patterns.AddSorted(std::move(b));
  EXPECT_TRUE(stage->LacksPattern() == false);
  root.NormalizePatterns();
  EXPECT_EQ(stage->patterns.Count(), 1);
  EXPECT_EQ(s->patterns.Count(), 2);
  EXPECT_TRUE(s->patterns.Items(0)->selected);
  EXPECT_FALSE(s->patterns.Items(1)->selected);
}

TEST(Patterns, LacksPattern) {
  root_t root;
  group_t* stage = AddGroup(root, group_kind_t::Stage);
  scene_t* s = AddScene(*stage);
  EXPECT_TRUE(s->LacksPattern());
  EXPECT_TRUE(stage->LacksPattern());
  EXPECT_TRUE(root.LacksPattern());
  stage->grouping = true;  // now only its own list counts
  EXPECT_TRUE(stage->LacksPattern());
  SetGroupedPattern(*stage, 0);
  EXPECT_FALSE(stage->LacksPattern());
  EXPECT_FALSE(root.LacksPattern());
  stage->grouping = false;
  EXPECT_TRUE(stage->LacksPattern());
  SetPattern(*s, 0);
  EXPECT_FALSE(root.LacksPattern());
}

TEST(Totals, AnEmptySceneCountsAnEmptyPatternAndStaysAsItIs) {
  scene_t s;
  const scene_base_t& reader = s;
  const grouped_pattern_t t = reader.OwnTotals();
  EXPECT_EQ(s.patterns.Count(), 0);
  EXPECT_EQ(t.point, 0);
  EXPECT_EQ(t.TotalGraze(), 0);
  EXPECT_EQ(reader.CurrentPattern().Class(), pattern_class_t::Scene);
  EXPECT_EQ(reader.CurrentPattern().cherry_max, 0);
  EXPECT_EQ(group_t().CurrentPattern().Class(), pattern_class_t::Grouped);
}

// root
//   stage 1: A(1) B(2) C(4)
//   stage 2: boss { D(8) E(16) }  F(32)
struct tree_t {
  root_t root;
  group_t* stage1;
  group_t* stage2;
  group_t* boss;
  scene_t *a, *b, *c, *d, *e, *f;
  tree_t() {
    stage1 = AddGroup(root, group_kind_t::Stage);
    stage2 = AddGroup(root, group_kind_t::Stage);
    a = AddScene(*stage1);
    b = AddScene(*stage1);
    c = AddScene(*stage1);
    boss = AddGroup(*stage2, group_kind_t::Boss);
    d = AddScene(*boss);
    e = AddScene(*boss);
    f = AddScene(*stage2);
    SetPattern(*a, 1);
    SetPattern(*b, 2, 5, true);
    SetPattern(*c, 4);
    SetPattern(*d, 8, 7);
    SetPattern(*e, 16);
    SetPattern(*f, 32);
  }
};

TEST(Totals, BeforeAndAfterFollowDocumentOrder) {
  tree_t t;
  EXPECT_EQ(t.a->TotalsBefore().point, 0);
  EXPECT_EQ(t.f->TotalsAfter().point, 0);
  EXPECT_EQ(t.b->TotalsBefore().point, 1);
  EXPECT_EQ(t.b->TotalsAfter().point, 4 + 8 + 16 + 32);
  EXPECT_EQ(t.e->TotalsBefore().point, 1 + 2 + 4 + 8);
  EXPECT_EQ(t.e->TotalsAfter().point, 32);
  EXPECT_EQ(t.boss->TotalsBefore().point, 7);
  EXPECT_EQ(t.boss->TotalsAfter().point, 32);
  EXPECT_EQ(t.stage2->OwnTotals().point, 56);
  EXPECT_EQ(t.root.OwnTotals().point, 63);
  EXPECT_EQ(t.root.TotalsBefore().point, 0);
  EXPECT_EQ(t.root.TotalsAfter().point, 0);

  grouped_pattern_t before_e = t.e->TotalsBefore();
  EXPECT_EQ(before_e.getting_spell_cards_number, 1);
  EXPECT_EQ(before_e.graze_in_getting_spell_cards, 5);
  EXPECT_EQ(before_e.graze_rest, 7);
}

TEST(Totals, GroupingReplacesTheSubtreeAndSwitchingBackRestoresIt) {
  tree_t t;
  const score_t before = t.f->TotalsBefore().point;
  EXPECT_EQ(before, 1 + 2 + 4 + 8 + 16);
  SetGroupedPattern(*t.boss, 1000);
  EXPECT_EQ(t.f->TotalsBefore().point, before);  // not grouping: its own pattern does not count
  t.boss->grouping = true;
  EXPECT_EQ(t.f->TotalsBefore().point, 1 + 2 + 4 + 1000);
  EXPECT_EQ(t.root.OwnTotals().point, 1 + 2 + 4 + 1000 + 32);
  t.boss->grouping = false;
  EXPECT_EQ(t.f->TotalsBefore().point, before);
}

TEST(Totals, AGroupingGroupWithoutPatternsCountsAnEmptyOne) {
  tree_t t;
  t.boss->grouping = true;
  grouped_pattern_t own = t.boss->OwnTotals();
  EXPECT_EQ(own.point, 0);
  EXPECT_EQ(t.f->TotalsBefore().point, 1 + 2 + 4);
  EXPECT_EQ(t.boss->patterns.Count(), 0);
}

// Every query reads through a const node and leaves the tree's text as it
// was, a tree whose lists were never normalised included.
TEST(Totals, AskingChangesNothing) {
  tree_t t;
  AddScene(*t.boss);          // no pattern at all
  t.stage1->grouping = true;  // and no grouped pattern either
  const std::string text = t.root.WriteSXML(0);
  const root_t& root = t.root;
  for (const scene_base_t* node :
       {static_cast<const scene_base_t*>(&root), static_cast<const scene_base_t*>(t.stage1),
        static_cast<const scene_base_t*>(t.boss->Child(2))}) {
    (void)node->OwnTotals();
    (void)node->CurrentValue();
    (void)node->CurrentExplanation();
    (void)node->CompareWithCurrent(node->CurrentPattern());
  }
  EXPECT_EQ(root.OwnTotals().point, 8 + 16 + 32);  // stage 1 counts as empty
  EXPECT_EQ(t.root.WriteSXML(0), text);
}

TEST(Totals, OwnTotalsOfAGroupingGroupClearsTitleAndCherryDifference) {
  tree_t t;
  grouped_pattern_t* g = SetGroupedPattern(*t.boss, 3);
  g->title = "x";
  g->cherry_max = 50;
  g->cherry_difference = 20;
  t.boss->grouping = true;
  grouped_pattern_t own = t.boss->OwnTotals();
  EXPECT_EQ(own.title, "");
  EXPECT_EQ(own.cherry_difference, 0);
  EXPECT_EQ(own.GainedCherry(), 50);
}

}  // namespace
}  // namespace qvl
