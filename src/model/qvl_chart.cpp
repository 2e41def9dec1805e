#include "model/qvl_chart.h"

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
  void Add(std::span<const int> path, checked_score_t own, checked_score_t running) {
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
    stop.running = running;
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
  const group_t* m_stage = nullptr;
};

}  // namespace

score_chart_data_t ScoreChartData(const root_t& root) {
  score_chart_data_t data;
  TChartBuilder builder(root, data);
  WalkRunningTotals(root, [&builder](const route_stop_t& stop, checked_score_t running) {
    builder.Add(stop.path, stop.value.Total(), running);
  });
  return data;
}

std::vector<checked_score_t> PlanRunningTotals(const root_t& root, const scene_base_t& node,
                                               const pattern_base_t& pattern) {
  std::vector<checked_score_t> out;
  try {
    WalkRunningTotals(
        root, route_change_t{&node, &pattern},
        [&out](const route_stop_t&, checked_score_t running) { out.push_back(running); });
  } catch (const std::invalid_argument&) {
    return {};  // the node is not on the route: nothing to show
  }
  return out;
}

TChartPlan::TChartPlan(const TDocumentSession& session) : m_session(session) {
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) {
        if (Ends(change.Kind())) Clear();
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

bool TChartPlan::Ends(change_kind_t kind) {
  switch (kind) {
    case change_kind_t::Unshown:
    case change_kind_t::Choices:
      return false;
    case change_kind_t::Editing:
    case change_kind_t::Contents:
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
