#include "model/qvl_route.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

#include "model/qvl_document.h"

namespace qvl {
namespace {

using rng_t = std::mt19937_64;

// Counts in every field, a few of them negative.
std::unique_ptr<pattern_base_t> RandomPattern(pattern_class_t c, rng_t& rng) {
  std::uniform_int_distribution<score_t> some(-500, 5000);
  std::unique_ptr<pattern_base_t> p;
  if (c == pattern_class_t::Scene) {
    auto s = std::make_unique<pattern_t>();
    s->graze = some(rng);
    s->getting_spell_card = rng() % 2 == 0;
    s->spell_card_bonus_base = some(rng) * 1000;
    s->enemy_bullet_bonus = some(rng);
    p = std::move(s);
  } else {
    auto g = std::make_unique<grouped_pattern_t>();
    g->graze_in_getting_spell_cards = some(rng);
    g->graze_rest = some(rng);
    g->getting_spell_cards_number = some(rng) / 500;
    g->total_spell_card_bonus_base = some(rng) * 1000;
    g->total_enemy_bullet_bonus = some(rng);
    p = std::move(g);
  }
  for (score_t pattern_base_t::*f :
       {&pattern_base_t::border_bonus_times, &pattern_base_t::cherry_max,
        &pattern_base_t::cherry_difference, &pattern_base_t::bonus_item, &pattern_base_t::point}) {
    (*p).*f = some(rng);
  }
  return p;
}

// Every node gets up to three patterns, none, one or two of them selected (an
// empty list is normalised by whoever asks first); about one group in four
// groups.
void Scramble(scene_base_t& node, rng_t& rng) {
  node.patterns.Clear();
  for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
    auto p = RandomPattern(node.patterns.Accepts(), rng);
    p->title = std::string(1, static_cast<char>('a' + rng() % 3));
    p->selected = rng() % 3 == 0;
    node.patterns.AddSorted(std::move(p));
  }
  if (group_t* g = node.AsGroup()) {
    g->grouping = rng() % 4 == 0;
    for (int i = 0; i < g->ChildCount(); ++i) Scramble(*g->Child(i), rng);
  }
}

void AddRandomChildren(group_t& g, int depth, rng_t& rng) {
  const int count = static_cast<int>(rng() % 5);
  for (int i = 0; i < count; ++i) {
    if (depth < 4 && rng() % 2 == 0) {
      auto sub = std::make_unique<group_t>(&g);
      sub->kind = static_cast<group_kind_t>(1 + rng() % 3);
      AddRandomChildren(*sub, depth + 1, rng);
      g.AddChild(std::move(sub));
    } else {
      auto scene = std::make_unique<scene_t>(&g);
      scene->kind = static_cast<scene_kind_t>(rng() % 4);
      g.AddChild(std::move(scene));
    }
  }
}

std::string Text(const sxmlable_t& x) {
  return x.WriteSXML(0);
}

std::vector<checked_score_t> Values(const pattern_value_t& v) {
  std::vector<checked_score_t> values;
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) values.push_back(v[i].value);
  return values;
}

// The nodes that count on their own, found the slow way.
void CountedNodes(scene_base_t& node, std::vector<scene_base_t*>& out) {
  group_t* g = node.AsGroup();
  if (g == nullptr || g->grouping) {
    out.push_back(&node);
    return;
  }
  for (int i = 0; i < g->ChildCount(); ++i) CountedNodes(*g->Child(i), out);
}

// Compares every stop of the walk with what its node answers on its own, and
// every group's value with the sum of its children's.
void ExpectWalkAsAskedNodeByNode(root_t& root) {
  std::vector<scene_base_t*> counted;
  CountedNodes(root, counted);
  pattern_value_t sum;
  int visited = 0;
  const pattern_value_t walked = WalkRoute(root, [&](const route_stop_t& stop) {
    ASSERT_LT(visited, static_cast<int>(counted.size()));
    scene_base_t& node = *counted[static_cast<std::size_t>(visited)];
    EXPECT_EQ(stop.index, visited);
    ++visited;
    ASSERT_EQ(&stop.node, &node);
    scene_base_t* at = &root;
    for (const int i : stop.path) at = at->AsGroup()->Child(i);
    EXPECT_EQ(at, &node);
    EXPECT_EQ(&stop.pattern, &node.CurrentPattern());
    EXPECT_EQ(stop.stage, node.StageNumber());
    EXPECT_EQ(Text(stop.own), Text(node.OwnTotals()));
    EXPECT_EQ(Text(stop.before), Text(node.TotalsBefore()));
    EXPECT_EQ(Text(stop.after), Text(node.TotalsAfter()));
    EXPECT_EQ(Values(stop.value), Values(node.CurrentValue())) << node.title;
    sum.AddValues(stop.value);
  });
  EXPECT_EQ(visited, static_cast<int>(counted.size()));
  EXPECT_EQ(Values(walked), Values(sum));
  EXPECT_EQ(Values(walked), Values(root.CurrentValue()));
}

// A group's value (through its own walk) is the sum of its children's
// current values, at every depth.
void ExpectGroupsSumTheirChildren(group_t& g) {
  if (!g.grouping && !g.IsInsideGrouping()) {
    pattern_value_t children;
    for (int i = 0; i < g.ChildCount(); ++i) children.AddValues(g.Child(i)->CurrentValue());
    EXPECT_EQ(Values(g.CurrentValue()), Values(children)) << g.title;
  }
  for (int i = 0; i < g.ChildCount(); ++i) {
    if (group_t* sub = g.Child(i)->AsGroup()) ExpectGroupsSumTheirChildren(*sub);
  }
}

TEST(RouteWalk, EveryTemplateAsAskedNodeByNode) {
  for (const char* file : {"qvl_easy.pat", "qvl_normal.pat", "qvl_hard.pat", "qvl_lunatic.pat",
                           "qvl_extra.pat", "qvl_phantasm.pat"}) {
    SCOPED_TRACE(file);
    root_t root;
    ASSERT_TRUE(LoadDocument(root, std::filesystem::path(QVL_TEMPLATE_DIR) / file, nullptr));
    rng_t rng(7);
    Scramble(root, rng);
    root.grouping = false;
    ExpectWalkAsAskedNodeByNode(root);
    ExpectGroupsSumTheirChildren(root);
  }
}

TEST(RouteWalk, RandomDocumentsAsAskedNodeByNode) {
  for (std::uint64_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE(seed);
    rng_t rng(seed);
    root_t root;
    root.difficulty = static_cast<difficulty_t>(rng() % 6);
    AddRandomChildren(root, 0, rng);
    Scramble(root, rng);
    root.grouping = seed % 15 == 0;  // a grouping root is its own one stop
    ExpectWalkAsAskedNodeByNode(root);
    ExpectGroupsSumTheirChildren(root);
  }
}

void AllNodes(scene_base_t& node, std::vector<scene_base_t*>& out) {
  out.push_back(&node);
  if (group_t* g = node.AsGroup()) {
    for (int i = 0; i < g->ChildCount(); ++i) AllNodes(*g->Child(i), out);
  }
}

bool IsBelow(const scene_base_t* node, const scene_base_t* above) {
  for (const scene_base_t* n = node->parent(); n != nullptr; n = n->parent()) {
    if (n == above) return true;
  }
  return false;
}

// A multiple selection's sum against each counted node's own totals and
// current value, added up the slow way: a grouping group counts with its own
// pattern, nodes inside it and nodes without patterns not at all.
TEST(RouteSelection, SumsEachCountedNodeOfTheSelectionOnce) {
  root_t root;
  ASSERT_TRUE(
      LoadDocument(root, std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_hard.pat", nullptr));
  rng_t rng(11);
  Scramble(root, rng);
  root.grouping = false;
  std::vector<scene_base_t*> nodes;
  AllNodes(root, nodes);
  int counted_some = 0;
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    // Up to four nodes, none below another, as a selection's top gives them.
    std::vector<scene_base_t*> top;
    for (int i = 1 + static_cast<int>(rng() % 4); i > 0; --i) {
      scene_base_t* n = nodes[rng() % nodes.size()];
      const bool overlaps = std::any_of(top.begin(), top.end(), [n](const scene_base_t* t) {
        return t == n || IsBelow(n, t) || IsBelow(t, n);
      });
      if (!overlaps) top.push_back(n);
    }
    std::vector<scene_base_t*> counted;
    for (scene_base_t* n : top) {
      if (!n->IsInsideGrouping() && n->patterns.Count() > 0) counted.push_back(n);
    }
    const selection_sum_t sum = SelectionSum(root, top);
    grouped_pattern_t own;
    pattern_value_t value;
    for (scene_base_t* n : counted) {
      own.Accumulate(n->OwnTotals());
      value.AddValues(n->CurrentValue());
    }
    EXPECT_EQ(Text(sum.own), Text(own));
    EXPECT_EQ(Values(sum.value), Values(value));
    if (counted.size() > 1) ++counted_some;
  }
  EXPECT_GT(counted_some, 3);  // some rounds did sum several nodes
}

// ---- The changed plan ----

void Ungroup(group_t& g) {
  g.grouping = false;
  for (int i = 0; i < g.ChildCount(); ++i) {
    if (group_t* sub = g.Child(i)->AsGroup()) Ungroup(*sub);
  }
}

// The stop that shows a change of the node at `path`: the last one at or
// before the node's end in document order, the first one when none is.
std::size_t ExpectedTarget(const std::vector<std::vector<int>>& stops,
                           const std::vector<int>& path) {
  std::size_t target = 0;
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const std::size_t n = std::min(stops[i].size(), path.size());
    if (!std::lexicographical_compare(path.begin(), path.end(), stops[i].begin(),
                                      stops[i].begin() + static_cast<std::ptrdiff_t>(n))) {
      target = i;
    }
  }
  return target;
}

TEST(RouteWalk, PlanCountsTheComparisonAtTheChangedNodesLastStop) {
  struct plan_case_t {
    const char* name;
    std::vector<int> path;  // of the changed node
  };
  // Stage 1 is emptied and stage 2's first boss groups its attacks.
  const plan_case_t cases[] = {
      {"scene", {2, 3, 4}},          {"stage", {2}}, {"grouping boss", {1, 1}},
      {"scene of a way", {1, 0, 0}}, {"root", {}},   {"empty first stage", {0}},
  };
  for (const plan_case_t& c : cases) {
    SCOPED_TRACE(c.name);
    root_t root;
    ASSERT_TRUE(
        LoadDocument(root, std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_hard.pat", nullptr));
    rng_t rng(11);
    Scramble(root, rng);
    Ungroup(root);
    root.Child(0)->ClearNode();
    root.Child(1)->AsGroup()->Child(1)->AsGroup()->grouping = true;
    scene_base_t* changed = &root;
    for (const int i : c.path) changed = changed->AsGroup()->Child(i);
    const auto plan_pattern = RandomPattern(changed->patterns.Accepts(), rng);

    std::vector<pattern_value_t> now;
    std::vector<std::vector<int>> paths;
    const pattern_value_t total = WalkRoute(root, [&](const route_stop_t& s) {
      now.push_back(s.value);
      paths.emplace_back(s.path.begin(), s.path.end());
    });
    std::vector<pattern_value_t> plan;
    const pattern_value_t plan_total =
        WalkRoute(root, route_change_t{changed, plan_pattern.get()},
                  [&](const route_stop_t& s) { plan.push_back(s.value); });

    const pattern_value_t compare =
        changed->CompareValues(changed->CurrentPattern(), *plan_pattern);
    const pattern_value_t current = changed->CurrentValue();
    const std::size_t target = ExpectedTarget(paths, c.path);
    ASSERT_EQ(plan.size(), now.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
      std::vector<checked_score_t> expected = Values(now[i]);
      if (i == target) {
        for (int t = 0; t < pattern_value_t::kTermCount; ++t) {
          checked_score_t& e = expected[static_cast<std::size_t>(t)];
          e = e + compare[t].value - current[t].value;
        }
      }
      EXPECT_EQ(Values(plan[i]), expected) << "stop " << i;
    }
    EXPECT_EQ(plan_total.Total(), total.Total() + compare.Total() - current.Total());
  }
}

TEST(RouteWalk, PlanOfANodeOffTheRouteIsRefused) {
  root_t root;
  auto* stage = static_cast<group_t*>(root.AddChild(std::make_unique<group_t>(&root)));
  scene_base_t* scene = stage->AddChild(std::make_unique<scene_t>(stage));
  stage->grouping = true;
  scene_t stray;
  const pattern_t p;
  int visits = 0;
  for (scene_base_t* node : {scene, static_cast<scene_base_t*>(&stray)}) {
    EXPECT_THROW(
        (void)WalkRoute(root, route_change_t{node, &p}, [&](const route_stop_t&) { ++visits; }),
        std::invalid_argument);
  }
  EXPECT_EQ(visits, 0);
}

}  // namespace
}  // namespace qvl
