#include "model/qvl_route.h"

#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace qvl {
namespace {

struct stop_t {
  const scene_base_t* node;
  const pattern_base_t* pattern;
  bool is_group;
  int stage;
  std::size_t path_begin;  // into route_t::paths
  std::size_t path_size;
  // The node's OwnTotals. For a scene it is also the subject of its
  // computation; a grouping group computes with its pattern itself, whose
  // cherry-difference a sum would clear.
  grouped_pattern_t own;
};

struct route_t {
  std::vector<stop_t> stops;
  std::vector<int> paths;  // every stop's path, one after the other
  // The changed node of a plan, and where its stops begin and end.
  const scene_base_t* changed = nullptr;
  bool changed_met = false;
  std::size_t changed_first = 0;
  std::size_t changed_last = 0;
};

void AddStop(const scene_base_t& node, bool is_group, int stage, const std::vector<int>& path,
             route_t& r) {
  const pattern_base_t& p = node.CurrentPattern();
  stop_t s{&node, &p, is_group, stage, r.paths.size(), path.size(), grouped_pattern_t()};
  if (is_group) {
    s.own.Accumulate(AsGroupedPattern(p));
  } else {
    s.own = grouped_pattern_t::FromPattern(AsScenePattern(p));
  }
  r.paths.insert(r.paths.end(), path.begin(), path.end());
  r.stops.push_back(std::move(s));
}

// Stage numbers are handed down instead of asked for: a node's StageNumber
// looks for its stage among the root's children, which would make the walk
// quadratic on a long document.
void CollectChildren(const group_t& g, int stage, std::vector<int>& path, route_t& r) {
  for (int i = 0; i < g.ChildCount(); ++i) {
    const scene_base_t& child = *g.Child(i);
    const group_t* sub = child.AsGroup();
    const int child_stage = sub != nullptr && sub->kind == group_kind_t::Stage ? i + 1 : stage;
    const bool changed = &child == r.changed;
    if (changed) {
      r.changed_met = true;
      r.changed_first = r.stops.size();
    }
    path.push_back(i);
    if (sub != nullptr && !sub->grouping) {
      CollectChildren(*sub, child_stage, path, r);
    } else {
      AddStop(child, sub != nullptr, child_stage, path, r);
    }
    path.pop_back();
    if (changed) r.changed_last = r.stops.size();
  }
}

void CollectStops(const group_t& top, route_t& r) {
  std::vector<int> path;
  if (&top == r.changed) r.changed_met = true;
  if (top.grouping) {
    AddStop(top, true, top.StageNumber(), path, r);
  } else {
    CollectChildren(top, top.StageNumber(), path, r);
  }
  if (&top == r.changed) r.changed_last = r.stops.size();
}

// v += plus − minus, term by term, exact whenever the result is in range.
void AddDifference(pattern_value_t& v, const pattern_value_t& plus, const pattern_value_t& minus) {
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) {
    score_sum_t sum;
    sum.Add(v[i].value);
    sum.Add(plus[i].value);
    sum.Subtract(minus[i].value);
    v[i].value = sum.Result();
  }
}

struct plan_t {
  std::size_t target;           // the stop that shows the difference
  pattern_value_t compare;      // CompareValues of the changed node
  pattern_value_t changed_now;  // the changed node's current value, summed over its stops
};

pattern_value_t VisitStops(route_t& r, difficulty_t d, const grouped_pattern_t& before,
                           const grouped_pattern_t& after, plan_t* plan,
                           const route_visit_t& visit) {
  const std::size_t n = r.stops.size();
  // later[i]: the totals of every stop from i on, and then `after`.
  std::vector<grouped_pattern_t> later(n + 1);
  later[n] = after;
  for (std::size_t i = n; i-- > 0;) {
    later[i] = later[i + 1];
    later[i].Accumulate(r.stops[i].own);
  }
  grouped_pattern_t earlier = before;
  pattern_value_t sum;
  for (std::size_t i = 0; i < n; ++i) {
    const stop_t& s = r.stops[i];
    const grouped_pattern_t& subject = s.is_group ? AsGroupedPattern(*s.pattern) : s.own;
    pattern_value_t v = ScoreSingle(subject, later[i + 1], s.is_group, s.stage, d, false);
    if (plan != nullptr) {
      if (i >= r.changed_first && i < r.changed_last) plan->changed_now.AddValues(v);
      if (i == plan->target) AddDifference(v, plan->compare, plan->changed_now);
    }
    if (visit) {
      visit(route_stop_t{static_cast<int>(i), *s.node, *s.pattern, s.stage,
                         std::span<const int>(r.paths).subspan(s.path_begin, s.path_size), s.own,
                         earlier, later[i + 1], v});
    }
    sum.AddValues(v);
    earlier.Accumulate(s.own);
  }
  // With no stop at all, the difference still counts in the sum.
  if (plan != nullptr && n == 0) AddDifference(sum, plan->compare, plan->changed_now);
  return sum;
}

}  // namespace

pattern_value_t WalkRoute(const group_t& top, const grouped_pattern_t& before,
                          const grouped_pattern_t& after, const route_visit_t& visit) {
  route_t r;
  CollectStops(top, r);
  return VisitStops(r, top.GetDifficulty(), before, after, nullptr, visit);
}

pattern_value_t WalkRoute(const root_t& root, const route_visit_t& visit) {
  return WalkRoute(root, grouped_pattern_t(), grouped_pattern_t(), visit);
}

pattern_value_t WalkRoute(const root_t& root, const route_change_t& change,
                          const route_visit_t& visit) {
  route_t r;
  r.changed = change.node;
  CollectStops(root, r);
  if (!r.changed_met || change.pattern == nullptr) {
    throw std::invalid_argument("the changed node is not on the document's route");
  }
  plan_t plan;
  if (r.changed_last > r.changed_first) {
    plan.target = r.changed_last - 1;
  } else {
    plan.target = r.changed_first > 0 ? r.changed_first - 1 : 0;
  }
  plan.compare = change.node->CompareValues(change.node->CurrentPattern(), *change.pattern);
  return VisitStops(r, root.GetDifficulty(), grouped_pattern_t(), grouped_pattern_t(), &plan,
                    visit);
}

namespace {

route_visit_t WithRunningTotal(const running_visit_t& visit, score_sum_t& running) {
  return [&visit, &running](const route_stop_t& stop) {
    running.Add(stop.value.Total());
    visit(stop, running.Result());
  };
}

}  // namespace

void WalkRunningTotals(const root_t& root, const running_visit_t& visit) {
  score_sum_t running;
  WalkRoute(root, WithRunningTotal(visit, running));
}

void WalkRunningTotals(const root_t& root, const route_change_t& change,
                       const running_visit_t& visit) {
  score_sum_t running;
  WalkRoute(root, change, WithRunningTotal(visit, running));
}

selection_sum_t SelectionSum(const root_t& root, std::span<scene_base_t* const> nodes) {
  std::unordered_set<const scene_base_t*> counted;
  for (const scene_base_t* node : nodes) {
    if (node->IsInsideGrouping() || node->patterns.Count() == 0) continue;
    counted.insert(node);
  }
  selection_sum_t sum;
  if (counted.empty()) return sum;
  // A counted node's totals and value are those of the route's stops at or
  // below it: one walk serves every node, and a stop counts once.
  WalkRoute(root, [&](const route_stop_t& stop) {
    for (const scene_base_t* node = &stop.node; node != nullptr; node = node->parent()) {
      if (!counted.contains(node)) continue;
      sum.own.Accumulate(stop.own);
      sum.value.AddValues(stop.value);
      return;
    }
  });
  return sum;
}

}  // namespace qvl
