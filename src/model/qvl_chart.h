// The numbers of the score build-up chart: every stop of the route with its
// own total and the running total through it, the stages the stops belong to,
// the running totals of a changed plan and which changes of the session end
// such a plan. Core data, so that the window's chart, its export and tests
// share it without a window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/qvl_pattern.h"
#include "model/qvl_scene.h"
#include "model/qvl_session.h"

namespace qvl {

// One position of the chart: a scene, or a grouping group standing in for its
// scenes.
struct chart_stop_t {
  const scene_base_t* node = nullptr;
  // The titles from the root's child down to the node, " > " between them
  // (code page 932).
  std::string path;
  // Either may be out of the score range: the chart then leaves it out.
  checked_score_t own = 0;      // the node's current value
  checked_score_t running = 0;  // the document's running total through the node
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
[[nodiscard]] score_chart_data_t ScoreChartData(const root_t& root);

// The running total at every position of the route when pattern (of node's
// class) takes the place of node's current pattern, as the comparison of the
// node counts it; empty when node is not on the route (outside the document or
// inside a grouping group).
[[nodiscard]] std::vector<checked_score_t> PlanRunningTotals(const root_t& root,
                                                             const scene_base_t& node,
                                                             const pattern_base_t& pattern);

// The plan of the last Calculate while it still holds: the node and the
// pattern calculated for it. It lives beside the document, not in the chart,
// so that a chart opened after Calculate shows it too. Another selection,
// another edited pattern or a change of the document's lists ends it; a
// change of current patterns or of grouping keeps it, counted afresh.
class TChartPlan {
 public:
  explicit TChartPlan(const TDocumentSession& session);
  ~TChartPlan();
  TChartPlan(const TChartPlan&) = delete;
  TChartPlan& operator=(const TChartPlan&) = delete;

  void Set(const scene_base_t& node, const pattern_base_t& pattern);
  void Clear();
  // Whether a change of this kind ends the plan (it is ended already when
  // heard here): one of what is edited or of the lists does; one of the
  // current patterns or of grouping does not.
  [[nodiscard]] static bool Ends(change_kind_t kind);
  // The plan's running totals on the document's route; empty without a plan
  // and, the plan then ended, when its node is no longer on the route.
  [[nodiscard]] std::vector<checked_score_t> RunningTotals();

 private:
  const TDocumentSession& m_session;
  int m_listener = 0;
  const scene_base_t* m_node = nullptr;
  std::unique_ptr<pattern_base_t> m_pattern;
};

}  // namespace qvl
