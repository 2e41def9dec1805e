// The route: every node that counts in a document's totals, in the order of
// the game, each with its current value and the running totals around it,
// found in one pass over the tree.
#pragma once

#include <functional>
#include <span>

#include "model/qvl_scene.h"

namespace qvl {

// One stop of the route: a scene, or a grouping group standing in for every
// scene below it. The references hold only during the visit.
struct route_stop_t {
  int index;                        // 0-based position along the route
  const scene_base_t& node;         // a scene_t or a grouping group_t (AsGroup tells)
  const pattern_base_t& pattern;    // the node's current pattern
  int stage;                        // the node's StageNumber
  std::span<const int> path;        // child indexes from the walked group down to the node
  const grouped_pattern_t& own;     // the node's OwnTotals
  const grouped_pattern_t& before;  // the node's TotalsBefore: every earlier stop
  const grouped_pattern_t& after;   // the node's TotalsAfter: every later stop
  const pattern_value_t& value;     // the node's CurrentValue (no texts)
};
using route_visit_t = std::function<void(const route_stop_t&)>;

// Visits the stops below `top` in route order; a grouping top is itself the
// one stop. `before` and `after` are the totals around top, as its
// TotalsBefore and TotalsAfter give them. The whole walk costs time in
// proportion to the nodes below top. A node without a current pattern counts
// with an empty one, as CurrentPattern gives it; the walk changes nothing.
// Returns the sum of the visited values; visit may be empty.
pattern_value_t WalkRoute(const group_t& top, const grouped_pattern_t& before,
                          const grouped_pattern_t& after, const route_visit_t& visit);
// The whole document, whose root has nothing before or after it.
pattern_value_t WalkRoute(const root_t& root, const route_visit_t& visit);

// A change of plan: `pattern` (of the node's class) in place of the current
// pattern of `node`. Both stay the caller's.
struct route_change_t {
  const scene_base_t* node = nullptr;
  const pattern_base_t* pattern = nullptr;
};

// The route of the changed plan, as the comparison of the node counts it: the
// totals stay those of the document, and every stop keeps its value except
// the node's last stop (the node itself when it is a stop), whose value also
// takes the difference between CompareValues of the node and the node's
// current value, the change's effect on earlier and later scenes included.
// A node without a stop of its own (an empty group) has its difference on the
// stop before it, or on the first stop when none is before it. The returned
// sum is thus the document's value plus the comparison's difference. Throws
// std::invalid_argument, before visiting anything, for a node the walk does
// not pass: one outside the document or inside a grouping group.
pattern_value_t WalkRoute(const root_t& root, const route_change_t& change,
                          const route_visit_t& visit);

// The route's build-up: each stop with the running total of the route
// through it (the totals of every earlier stop and its own, out of range
// once any of them is). The one walk behind the score chart, its plans and
// qvl's export.
using running_visit_t = std::function<void(const route_stop_t&, checked_score_t running)>;
void WalkRunningTotals(const root_t& root, const running_visit_t& visit);
// The same along the route of a changed plan; throws as WalkRoute does.
void WalkRunningTotals(const root_t& root, const route_change_t& change,
                       const running_visit_t& visit);

// The sum that a multiple selection shows: the own totals and the current
// values of the nodes, each node with the totals of the whole document around
// it, as its CurrentValue gives them. nodes: the top of a selection (no node
// below another, as TopSelection gives them); a node inside a grouping group
// or without a pattern of its own does not count.
struct selection_sum_t {
  grouped_pattern_t own;
  pattern_value_t value;
};
[[nodiscard]] selection_sum_t SelectionSum(const root_t& root,
                                           std::span<scene_base_t* const> nodes);

}  // namespace qvl
