#include "ui/ScoreChartData.h"

#include <functional>
#include <span>

namespace qvl {
namespace {

// Adds the stops of the route one after the other. A stop's stage is the
// innermost stage group on its path.
class TChartBuilder {
 public:
  TChartBuilder(root_t& root, score_chart_data_t& data) : m_root(root), m_data(data) {}

  void Add(scene_base_t& node, std::span<const int> path, score_t own) {
    chart_stop_t stop;
    stop.node = &node;
    const group_t* g = &m_root;
    const group_t* stage = nullptr;
    for (const int i : path) {
      const scene_base_t* child = g->Child(i);
      if (!stop.path.empty()) stop.path += " > ";
      stop.path += child->title;
      g = dynamic_cast<const group_t*>(child);
      if (g != nullptr && g->kind == group_kind_t::Stage) stage = g;
    }
    stop.own = own;
    m_running = WrapAdd(m_running, own);
    stop.running = m_running;
    const int position = static_cast<int>(m_data.stops.size());
    m_data.stops.push_back(std::move(stop));
    if (stage != m_stage && stage != nullptr) {
      m_data.stages.push_back({position, position, stage->title});
    }
    m_stage = stage;
    if (stage != nullptr) m_data.stages.back().end = position + 1;
  }

 private:
  root_t& m_root;
  score_chart_data_t& m_data;
  score_t m_running = 0;
  const group_t* m_stage = nullptr;
};

// Until the one-pass walk is here: every counted node in document order.
void Walk(group_t& g, std::vector<int>& path,
          const std::function<void(scene_base_t&, std::span<const int>)>& visit) {
  for (int i = 0; i < g.ChildCount(); ++i) {
    scene_base_t& child = *g.Child(i);
    path.push_back(i);
    auto* sub = dynamic_cast<group_t*>(&child);
    if (sub != nullptr && !sub->grouping) {
      Walk(*sub, path, visit);
    } else {
      visit(child, path);
    }
    path.pop_back();
  }
}

}  // namespace

score_chart_data_t ScoreChartData(root_t& root) {
  root.NormalizePatterns();
  score_chart_data_t data;
  TChartBuilder builder(root, data);
  std::vector<int> path;
  Walk(root, path, [&](scene_base_t& node, std::span<const int> p) {
    builder.Add(node, p, node.CurrentValue().Total());
  });
  return data;
}

std::vector<score_t> PlanRunningTotals(root_t& root, scene_base_t& node,
                                       const pattern_base_t& pattern) {
  if (node.IsInsideGrouping()) return {};
  std::vector<score_t> out;
  std::vector<int> path;
  score_t running = 0;
  bool met = false;
  Walk(root, path, [&](scene_base_t& stop, std::span<const int>) {
    running = WrapAdd(running, stop.CurrentValue().Total());
    if (&stop == &node) {
      met = true;
      running = WrapAdd(
          running, WrapSub(node.CompareWithCurrent(pattern).Total(), node.CurrentValue().Total()));
    }
    out.push_back(running);
  });
  if (!met) return {};
  return out;
}

int score_chart_data_t::PositionOf(const scene_base_t* node) const {
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (stops[i].node == node) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qvl
