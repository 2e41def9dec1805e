#include "ui/ScoreChartData.h"

#include <span>
#include <stdexcept>

#include "model/qvl_route.h"

namespace qvl {
namespace {

// Adds the stops of the route one after the other. A stop's stage is the
// innermost stage group on its path.
class TChartBuilder {
 public:
  TChartBuilder(const root_t& root, score_chart_data_t& data) : m_root(root), m_data(data) {}

  // The stop's node is found along its path.
  void Add(std::span<const int> path, checked_score_t own) {
    chart_stop_t stop;
    stop.node = &m_root;
    const group_t* g = &m_root;
    const group_t* stage = nullptr;
    for (const int i : path) {
      const scene_base_t* child = g->Child(i);
      stop.node = child;
      if (!stop.path.empty()) stop.path += " > ";
      stop.path += child->title;
      g = child->AsGroup();
      if (g != nullptr && g->kind == group_kind_t::Stage) stage = g;
    }
    stop.own = own;
    m_running.Add(own);
    stop.running = m_running.Result();
    const int position = static_cast<int>(m_data.stops.size());
    m_data.stops.push_back(std::move(stop));
    if (stage != m_stage && stage != nullptr) {
      m_data.stages.push_back({position, position, stage->title});
    }
    m_stage = stage;
    if (stage != nullptr) m_data.stages.back().end = position + 1;
  }

 private:
  const root_t& m_root;
  score_chart_data_t& m_data;
  score_sum_t m_running;
  const group_t* m_stage = nullptr;
};

}  // namespace

score_chart_data_t ScoreChartData(const root_t& root) {
  score_chart_data_t data;
  TChartBuilder builder(root, data);
  WalkRoute(root,
            [&builder](const route_stop_t& stop) { builder.Add(stop.path, stop.value.Total()); });
  return data;
}

std::vector<checked_score_t> PlanRunningTotals(const root_t& root, const scene_base_t& node,
                                               const pattern_base_t& pattern) {
  std::vector<checked_score_t> out;
  score_sum_t running;
  try {
    WalkRoute(root, route_change_t{&node, &pattern}, [&](const route_stop_t& stop) {
      running.Add(stop.value.Total());
      out.push_back(running.Result());
    });
  } catch (const std::invalid_argument&) {
    return {};  // the node is not on the route: nothing to show
  }
  return out;
}

TChartPlan::TChartPlan(const TDocumentSession& session) : m_session(session) {
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) {
        if (Ends(change.Op())) Clear();
      },
      listener_rank_t::Chart);
}

TChartPlan::~TChartPlan() {
  m_session.RemoveListener(m_listener);
}

void TChartPlan::Set(const scene_base_t& node, const pattern_base_t& pattern) {
  m_node = &node;
  m_pattern = pattern.Clone();
}

void TChartPlan::Clear() {
  m_node = nullptr;
  m_pattern.reset();
}

bool TChartPlan::Ends(session_op_t op) {
  switch (op) {
    case session_op_t::Save:
    case session_op_t::Memo:
    case session_op_t::Flags:
    case session_op_t::ChoosePattern:
    case session_op_t::ChooseByTitlePart:
    case session_op_t::Grouping:
      return false;
    case session_op_t::Select:
    case session_op_t::ChooseEdited:
    case session_op_t::NewPattern:
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
    case session_op_t::Store:
    case session_op_t::Delete:
    case session_op_t::Restore:  // undo and redo put an earlier state back
      return true;
  }
  return true;
}

std::vector<checked_score_t> TChartPlan::RunningTotals() {
  if (m_node == nullptr) return {};
  std::vector<checked_score_t> out = PlanRunningTotals(m_session.Document(), *m_node, *m_pattern);
  if (out.empty()) Clear();
  return out;
}

int score_chart_data_t::PositionOf(const scene_base_t* node) const {
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (stops[i].node == node) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qvl
