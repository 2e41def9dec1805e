#include <gtest/gtest.h>

#include <limits>

#include "model/qvl_scene.h"
#include "model/qvl_text.h"

namespace qvl {
namespace {

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

std::unique_ptr<pattern_t> MakePattern(score_t border, score_t cherry_max, score_t point,
                                       score_t bonus_item, score_t graze, bool captured,
                                       score_t bonus_base = 0) {
  auto p = std::make_unique<pattern_t>();
  p->border_bonus_times = border;
  p->cherry_max = cherry_max;
  p->point = point;
  p->bonus_item = bonus_item;
  p->graze = graze;
  p->getting_spell_card = captured;
  p->spell_card_bonus_base = bonus_base;
  return p;
}

scene_t* AddScene(group_t& g, std::unique_ptr<pattern_t> p) {
  auto s = std::make_unique<scene_t>(&g);
  p->selected = true;
  s->patterns.AddSorted(std::move(p));
  return static_cast<scene_t*>(g.AddChild(std::move(s)));
}

group_t* AddStage(group_t& g) {
  auto child = std::make_unique<group_t>(&g);
  child->kind = group_kind_t::Stage;
  return static_cast<group_t*>(g.AddChild(std::move(child)));
}

// The worked example: Normal, stage 2; X is the subject, W before it gives the
// earlier totals (cherry 3000, graze 600) and Y after it the later ones.
struct worked_t {
  root_t root;
  scene_t* x;
  scene_t* w;
  worked_t() {
    root.difficulty = difficulty_t::Normal;
    AddStage(root);
    group_t* stage2 = AddStage(root);
    w = AddScene(*stage2, MakePattern(0, 3000, 0, 0, 600, false));
    x = AddScene(*stage2, MakePattern(2, 1000, 50, 10, 100, true, 5000000));
    AddScene(*stage2, MakePattern(20, 0, 800, 100, 500, true));
  }
  static std::unique_ptr<pattern_t> Old() { return MakePattern(1, 1000, 40, 8, 80, true, 5000000); }
  static std::unique_ptr<pattern_t> New() {
    return MakePattern(2, 1000, 50, 10, 100, true, 5000000);
  }
};

TEST(SingleComputation, WorkedExampleToTheLastDigit) {
  worked_t t;
  const pattern_value_t v = t.x->CurrentExplanation();
  const score_t expected[12] = {4000000, 50000,  210000,   850000, 7333,    250000,
                                2750,    516666, 12500000, 3000,   5000000, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(v[i].value, expected[i]) << "term " << i;
  EXPECT_EQ(v.Total(), 23389749);
  EXPECT_FALSE(v.as_here_only);

  EXPECT_EQ(v[1].expr, "[(10 * 1000) * 1.0] * 5");
  EXPECT_EQ(v[2].expr, "(10 * 1000) * ([(2 + 1) / 2] + 20)");
  EXPECT_EQ(U(v[2].formula),
            "(10 * 増加した桜点) * ([(ここと + 1) / 2] + 以降のボーダーボーナス取得回数)");
  EXPECT_EQ(U(v[2].notes), "桜点Maxが上がってからボーダーボーナスが入るのを考慮…しているつもり");
  EXPECT_EQ(U(v[0].title), "ボーダーボーナス");
  EXPECT_EQ(U(v[3].title), "桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響");
  EXPECT_EQ(v[4].expr, "[(20 * (1000 / 1500)) * ([100 / 2] + 500)]");
  EXPECT_EQ(v[6].expr, "[(10 + 100) * (100 / 4)]");
  EXPECT_EQ(U(v[6].notes), "\"[n / 40] * 10\"としていないのはわざと");
  EXPECT_EQ(v[7].expr, "[((20 * (200000 / 1500)) + 2500) * 100]");
  EXPECT_EQ(v[8].expr, "(200000 + (50000 * 1.0)) * 50");
  EXPECT_EQ(U(v[9].notes), "Stage 6, Ex, Phで見られる弾消し桜点アイテムもこれに含まれます");
  EXPECT_EQ(U(v[10].formula), "スペルカードボーナス基礎点");
  EXPECT_EQ(v[10].expr, "5000000");
  EXPECT_EQ(
      U(v[0].HintText()),
      "(200000 * 10) * 2\r\n-\r\n(桜点初期値 * 10) * ボーダーボーナスを得た回数|ボーダーボーナス");

  // Without texts the values are the same and every text is empty.
  const pattern_value_t bare = t.x->CurrentValue();
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(bare[i].value, expected[i]) << "term " << i;
    EXPECT_EQ(bare[i].title, "");
    EXPECT_EQ(bare[i].HintText(), "");
  }
}

TEST(Comparison, WorkedExampleToTheLastDigit) {
  worked_t t;
  t.x->patterns.Clear();
  auto old_pattern = worked_t::Old();
  old_pattern->selected = true;
  t.x->patterns.AddSorted(std::move(old_pattern));
  const std::unique_ptr<pattern_t> n = worked_t::New();

  const pattern_value_t v = t.x->CompareWithCurrent(*n);
  EXPECT_TRUE(v.as_here_only);
  EXPECT_EQ(v[0].value, 4030000);
  EXPECT_EQ(v[7].value, 517466);
  EXPECT_EQ(v[8].value, 12530000);
  EXPECT_EQ(v[9].value, 3300);
  const score_t unchanged[] = {50000, 210000, 850000, 7333, 250000, 2750};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(v[i].value, unchanged[i - 1]) << "term " << i;
  EXPECT_EQ(v[10].value, 5000000);
  EXPECT_EQ(v[11].value, 0);
  EXPECT_EQ(v.Total(), 23450849);

  EXPECT_EQ(v[9].expr, "(300 * 10) + (([600 / 40] * 10) * (10 - 8))");
  EXPECT_EQ(
      U(v[0].formula),
      "((桜点初期値 * 10) * ボーダーボーナスを得た回数) + ((ここより以前に上昇した桜点 * 10) * "
      "(新 - 旧回数))");
  EXPECT_EQ(v[7].expr,
            "[((20 * (200000 / 1500)) + 2500) * 100] + ((20 * [3000 / 1500]) * (100 - 80))");
  EXPECT_EQ(U(v[7].notes), "わけがわかりません");
  EXPECT_EQ(v[8].expr, "((200000 + (50000 * 1.0)) * 50) + (3000 * (50 - 40))");
  EXPECT_EQ(U(v[0].title), "ボーダーボーナス");

  // The same through the explicit slots, with and without texts.
  const grouped_pattern_t before = t.x->TotalsBefore();
  const grouped_pattern_t after = t.x->TotalsAfter();
  const pattern_value_t bare = t.x->CompareValuesWith(t.x->CurrentPattern(), *n, before, after);
  EXPECT_EQ(bare.Total(), 23450849);
  EXPECT_EQ(bare[0].formula, "");
  EXPECT_TRUE(bare.as_here_only);
  EXPECT_EQ(t.x->CompareValues(t.x->CurrentPattern(), *n).Total(), 23450849);
}

TEST(Comparison, OldEqualToNewGivesTheSingleValues) {
  worked_t t;
  const pattern_value_t single = t.x->CurrentExplanation();
  const pattern_value_t same = t.x->CompareWithCurrent(t.x->CurrentPattern());
  EXPECT_TRUE(same.as_here_only);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(same[i].value, single[i].value) << "term " << i;
}

TEST(Comparison, EarlierGainsBelowAStepAddNothing) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  AddScene(*stage, MakePattern(0, 1499, 0, 0, 39, false));
  scene_t* x = AddScene(*stage, MakePattern(0, 0, 0, 0, 0, true));
  auto n = MakePattern(0, 0, 0, 5, 100, true);
  const pattern_value_t v = x->CompareWithCurrent(*n);
  const pattern_value_t single = x->ExplainWith(*n, x->TotalsBefore(), x->TotalsAfter());
  EXPECT_EQ(v[9].value, single[9].value);  // [39 / 40] = 0
  EXPECT_EQ(v[7].value, single[7].value);  // [1499 / 1500] = 0
}

TEST(Comparison, NegativeChangesSubtractTruncatingTowardZero) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  AddScene(*stage, MakePattern(0, 3000, 0, 0, 80, false));
  scene_t* x = AddScene(*stage, MakePattern(5, 0, 10, 10, 0, false));
  auto n = MakePattern(3, 0, 4, 7, 0, false);
  const pattern_value_t v = x->CompareWithCurrent(*n);
  EXPECT_EQ(v[0].value, 3000 * 10 * (3 - 5) + 200000 * 10 * 3);
  EXPECT_EQ(v[8].value, 3000 * (4 - 10) + 250000 * 4);
  EXPECT_EQ(v[9].value, (80 / 40) * 10 * (7 - 10) + 300 * 7);
  EXPECT_EQ(v[0].expr, "((200000 * 10) * 3) + ((3000 * 10) * (3 - 5))");
}

TEST(SingleComputation, HardFactorProductsAreExact) {
  root_t root;
  root.difficulty = difficulty_t::Hard;
  group_t* stage = AddStage(root);
  scene_t* x = AddScene(*stage, MakePattern(0, 5, 1, 0, 1, false));
  const pattern_value_t v = x->CurrentExplanation();
  EXPECT_EQ(v[1].value, 60 * 6);  // 12 × 5 per clear bonus, stage 1 gives 6
  EXPECT_EQ(v[5].value, 2600);
  EXPECT_EQ(v[8].value, 310000);
  EXPECT_EQ(v[1].expr, "[(10 * 5) * 1.2] * 6");
  EXPECT_EQ(v[5].expr, "(2000 + (500 * 1.2)) * 1");
}

TEST(SingleComputation, ClearBonusCountFollowsTheStage) {
  for (int stage_count = 1; stage_count <= 8; ++stage_count) {
    root_t root;
    root.difficulty = difficulty_t::Normal;
    group_t* last = nullptr;
    for (int i = 0; i < stage_count; ++i) last = AddStage(root);
    scene_t* x = AddScene(*last, MakePattern(0, 1, 0, 0, 0, false));
    const score_t m = stage_count <= 6 ? 7 - stage_count : 1;
    EXPECT_EQ(x->CurrentValue()[1].value, 10 * m) << "stage " << stage_count;
  }
  root_t root;
  root.difficulty = difficulty_t::Normal;
  scene_t* outside = AddScene(root, MakePattern(0, 1, 0, 0, 0, false));
  EXPECT_EQ(outside->CurrentValue()[1].value, 10);  // stage 0: one clear bonus
}

TEST(SingleComputation, UncapturedSpellCardEarnsNoBonusBase) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  scene_t* x = AddScene(*stage, MakePattern(0, 1500, 0, 4, 40, false, 7000000));
  AddScene(*stage, MakePattern(0, 0, 0, 0, 300, true));
  const pattern_value_t v = x->CurrentValue();
  EXPECT_EQ(v[10].value, 0);
  EXPECT_EQ(v[7].value, 0);
  EXPECT_EQ(v[4].value, 20 * 300);  // only the later captured graze counts
  EXPECT_EQ(v[5].value, 2500 * 40);
  EXPECT_EQ(v[6].value, 10 * 4);  // (40 / 4) × 4
}

TEST(SingleComputation, CherryDifferenceReducesTheGainedCherryOnly) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  auto p = MakePattern(1, 100, 10, 0, 0, true);
  p->cherry_difference = 30;
  p->graze = 300;
  scene_t* x = AddScene(*stage, std::move(p));
  const pattern_value_t v = x->CurrentValue();
  EXPECT_EQ(v[1].value, 1000 * 6);
  EXPECT_EQ(v[2].value, 10 * 70 * 1);
  EXPECT_EQ(v[3].value, 70 * 10);
  EXPECT_EQ(v[4].value, TruncToScore((70.0L / 1500.0L) * 20.0L * 150.0L));
}

TEST(SingleComputation, GroupsHalveTheirOwnCounts) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  stage->grouping = true;
  auto g = std::make_unique<grouped_pattern_t>();
  g->cherry_max = 10;
  g->point = 51;
  g->bonus_item = 9;
  g->graze_rest = 8;
  g->selected = true;
  stage->patterns.AddSorted(std::move(g));
  const pattern_value_t v = stage->CurrentExplanation();
  EXPECT_EQ(v[3].value, 10 * 25);
  EXPECT_EQ(v[3].expr, "10 * ([51 / 2] + 0)");
  EXPECT_EQ(U(v[3].title), "桜点の増減の、ここ[/2]と以降の得点アイテムの得点に及ぼす影響");
  EXPECT_EQ(U(v[6].title), "かすり数の増加による、ここ[/2]と以降のボーナスアイテムの得点の上昇");
  EXPECT_EQ(v[6].value, 2 * 4);  // (8 / 4) × [9 / 2]
  EXPECT_EQ(v[6].expr, "[([9 / 2] + 0) * (8 / 4)]");

  // The same numbers for a scene use the whole count.
  root_t other;
  other.difficulty = difficulty_t::Normal;
  group_t* other_stage = AddStage(other);
  scene_t* s = AddScene(*other_stage, MakePattern(0, 10, 51, 9, 8, false));
  EXPECT_EQ(s->CurrentValue()[3].value, 10 * 51);
  EXPECT_EQ(s->CurrentValue()[6].value, 2 * 9);
}

TEST(SingleComputation, GroupWithoutGroupingSumsItsChildren) {
  worked_t t;
  pattern_value_t expected;
  auto* stage2 = static_cast<group_t*>(t.root.Child(1));
  for (int i = 0; i < stage2->ChildCount(); ++i)
    expected.AddValues(stage2->Child(i)->CurrentValue());
  const pattern_value_t v = stage2->CurrentExplanation();
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(v[i].value, expected[i].value) << "term " << i;
    EXPECT_EQ(v[i].HintText(), "");
  }
  EXPECT_EQ(t.root.CurrentExplanation().Total(), expected.Total());
  EXPECT_NE(expected.Total(), 0);
}

// Every counted node asked on its own, the way a player would add them up.
void SumCountedOneByOne(scene_base_t& node, pattern_value_t& sum) {
  auto* g = dynamic_cast<group_t*>(&node);
  if (g == nullptr || g->grouping) {
    sum.AddValues(node.CurrentValue());
    return;
  }
  for (int i = 0; i < g->ChildCount(); ++i) SumCountedOneByOne(*g->Child(i), sum);
}

TEST(SingleComputation, GroupSumsMatchAskingEveryNodeOnItsOwn) {
  root_t root;
  root.difficulty = difficulty_t::Lunatic;
  score_t seed = 7;
  auto next = [&seed] {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % 997;
  };
  for (int st = 0; st < 4; ++st) {
    group_t* stage = AddStage(root);
    for (int b = 0; b < 3; ++b) {
      auto boss = std::make_unique<group_t>(stage);
      boss->kind = group_kind_t::Boss;
      auto* g = static_cast<group_t*>(stage->AddChild(std::move(boss)));
      for (int k = 0; k < 4; ++k) {
        auto p = MakePattern(next() % 5, next(), next(), next() % 50, next(), next() % 2 == 0,
                             next() * 1000);
        p->cherry_difference = static_cast<score_t>(next() % 300) - 100;
        AddScene(*g, std::move(p));
      }
      if (b == 1) {
        auto gp = std::make_unique<grouped_pattern_t>();
        gp->cherry_max = next();
        gp->point = next();
        gp->graze_rest = next();
        gp->selected = true;
        g->patterns.AddSorted(std::move(gp));
        g->grouping = st % 2 == 0;
      }
    }
    // A scene without any pattern, normalised on the way.
    auto bare = std::make_unique<scene_t>(stage);
    stage->AddChild(std::move(bare));
  }
  pattern_value_t expected;
  SumCountedOneByOne(root, expected);
  const pattern_value_t v = root.CurrentExplanation();
  for (int i = 0; i < 12; ++i) EXPECT_EQ(v[i].value, expected[i].value) << "term " << i;
  EXPECT_NE(v.Total(), 0);
  auto* stage2 = static_cast<group_t*>(root.Child(1));
  pattern_value_t stage_expected;
  SumCountedOneByOne(*stage2, stage_expected);
  EXPECT_EQ(stage2->CurrentValue().Total(), stage_expected.Total());
}

TEST(SingleComputation, TheLastSceneCountsOnlyItself) {
  root_t root;
  root.difficulty = difficulty_t::Normal;
  group_t* stage = AddStage(root);
  scene_t* last = AddScene(*stage, MakePattern(3, 1000, 20, 8, 400, true));
  const pattern_value_t v = last->CurrentValue();
  EXPECT_EQ(v[2].value, 10000 * 2);  // [(3 + 1) / 2]
  EXPECT_EQ(v[3].value, 1000 * 20);
  EXPECT_EQ(v[4].value, TruncToScore((1000.0L / 1500.0L) * 20.0L * 200.0L));
  EXPECT_EQ(v[6].value, 100 * 8);
}

TEST(WrongPatternClass, StopsBeforeComputing) {
  worked_t t;
  grouped_pattern_t grouped;
  pattern_t plain;
  const grouped_pattern_t empty;
  EXPECT_THROW((void)t.x->ValueWith(grouped, empty, empty), EWrongPatternClass);
  EXPECT_THROW((void)t.x->ExplainWith(grouped, empty, empty), EWrongPatternClass);
  EXPECT_THROW((void)t.x->CompareExplainWith(plain, grouped, empty, empty), EWrongPatternClass);
  EXPECT_THROW((void)t.x->CompareWithCurrent(grouped), EWrongPatternClass);
  EXPECT_THROW((void)t.root.ValueWith(plain, empty, empty), EWrongPatternClass);
  EXPECT_THROW((void)t.root.CompareValuesWith(grouped, plain, empty, empty), EWrongPatternClass);

  // A bare group without grouping would not use the pattern, but still refuses it
  // before asking any child for its value.
  group_t g;
  auto s = std::make_unique<scene_t>(&g);
  scene_t* child = static_cast<scene_t*>(g.AddChild(std::move(s)));
  EXPECT_THROW((void)g.ValueWith(plain, empty, empty), EWrongPatternClass);
  EXPECT_EQ(child->patterns.Count(), 0);
}

TEST(Extremes, ValuesBeyondTheLimitsAreOutOfRangeWithoutUndefinedBehaviour) {
  constexpr score_t kMax = std::numeric_limits<score_t>::max();
  constexpr score_t kMin = std::numeric_limits<score_t>::min();
  for (difficulty_t d : {difficulty_t::Easy, difficulty_t::Hard, difficulty_t::Phantasm}) {
    root_t root;
    root.difficulty = d;
    group_t* stage = AddStage(root);
    AddScene(*stage, MakePattern(kMax, kMin, kMax, kMin, kMax, false));
    auto p = MakePattern(kMax, kMax, kMin, kMax, kMin, true, kMax);
    p->cherry_difference = kMin;
    p->enemy_bullet_bonus = kMax;
    scene_t* x = AddScene(*stage, std::move(p));
    AddScene(*stage, MakePattern(kMin, kMax, kMax, kMax, kMax, true));
    const pattern_value_t single = x->CurrentExplanation();
    auto n = MakePattern(kMin, kMin, kMax, kMin, kMax, true, kMin);
    const pattern_value_t compared = x->CompareWithCurrent(*n);
    (void)single.Total();
    (void)compared.Total();
    (void)root.CurrentExplanation().Total();
    // A term beyond the range says so instead of wrapping; one at the limit is exact.
    EXPECT_EQ(single[0].value, checked_score_t::OutOfRange());
    EXPECT_EQ(single[9].value, checked_score_t::OutOfRange());
    EXPECT_EQ(single.Total(), checked_score_t::OutOfRange());
    EXPECT_EQ(single[11].value, kMax);
  }
}

}  // namespace
}  // namespace qvl
