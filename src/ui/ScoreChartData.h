// The numbers of the score build-up chart: every stop of the route with its
// own total and the running total through it, the stages the stops belong to,
// and the running totals of a changed plan. Plain data without Qt, so that
// tests reach it without a window.
#pragma once

#include <string>
#include <vector>

#include "model/qvl_pattern.h"
#include "model/qvl_scene.h"

namespace qvl {

// One position of the chart: a scene, or a grouping group standing in for its
// scenes.
struct chart_stop_t {
  scene_base_t* node = nullptr;
  // The titles from the root's child down to the node, " > " between them
  // (code page 932).
  std::string path;
  score_t own = 0;      // the node's current value
  score_t running = 0;  // the document's running total through the node
};

// A stage group and the positions [first, end) of its stops.
struct chart_stage_t {
  int first = 0;
  int end = 0;
  std::string title;
};

struct score_chart_data_t {
  std::vector<chart_stop_t> stops;
  std::vector<chart_stage_t> stages;  // in route order; stages without stops left out

  // The position of node's stop, or -1 when it has none.
  [[nodiscard]] int PositionOf(const scene_base_t* node) const;
};

// The document's route with every node's current pattern.
[[nodiscard]] score_chart_data_t ScoreChartData(root_t& root);

// The running total at every position of the route when pattern (of node's
// class) takes the place of node's current pattern, as the comparison of the
// node counts it; empty when node is not on the route (outside the document or
// inside a grouping group).
[[nodiscard]] std::vector<score_t> PlanRunningTotals(root_t& root, scene_base_t& node,
                                                     const pattern_base_t& pattern);

}  // namespace qvl
