// The score build-up chart on a document twenty times the size of the largest
// template (Lunatic, 1960 scenes): building the chart window with its first
// frame, and the refresh after Calculate on the last spell card (the plan's
// route computed and the chart painted again). The first build should stay
// under 100 ms, the refresh under one frame (16 ms). The window runs on the
// offscreen platform unless another one is asked for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSize>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>

#include "large_document.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/SceneTreeView.h"
#include "ui/ScoreChart.h"
#include "window_bench_main.h"

namespace {

using namespace qvl;
using namespace qvl::bench;

struct TBench {
  QTemporaryDir dir;
  TYesDialogs dialogs;
  std::unique_ptr<TMainWnd> window;
  std::unique_ptr<TChartPlan> plan;

  TBench() {
    window = std::make_unique<TMainWnd>(dialogs, QStringList{WriteLargeDocument(dir.path())});
    window->show();  // opens the file
    QCoreApplication::processEvents();
    plan = std::make_unique<TChartPlan>(window->Session());
  }
};

// Counts the paint events of the chart's viewport: a frame is known to have
// been drawn, and only one.
class TFrameCounter : public QObject {
 public:
  explicit TFrameCounter(QWidget& viewport) { viewport.installEventFilter(this); }
  int frames = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++frames;
    return false;
  }
};

// One frame as the event loop draws it after a change: the chart's layout
// request, the scene's dirty items, then the update request that paints the
// window into its backing store. Returns false when nothing was painted.
bool Frame(TFrameCounter& counter) {
  const int before = counter.frames;
  for (int i = 0; i < 8 && counter.frames == before; ++i) QCoreApplication::processEvents();
  return counter.frames != before;
}

// The chart's first size: the window otherwise opens at the size the
// settings of whoever ran the program last remember, and the figures would
// follow it.
const QSize kChartSize(900, 520);

TBench& Bench() {
  return WindowFixture<TBench>();
}

const scene_t* LastSpellCard(const scene_base_t& node) {
  if (const group_t* g = node.AsGroup()) {
    for (int i = g->ChildCount(); i-- > 0;) {
      if (const scene_t* found = LastSpellCard(*g->Child(i))) return found;
    }
    return nullptr;
  }
  const scene_t* scene = node.AsScene();
  return scene != nullptr && scene->kind == scene_kind_t::SpellCard ? scene : nullptr;
}

// The window's destruction is not part of its first build: it is closed and
// destroyed outside the timed region.
void BM_FirstBuild(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) {
    auto chart = std::make_unique<TScoreChartWindow>(b.window->Session(), *b.plan, b.dialogs);
    chart->resize(kChartSize);
    TFrameCounter counter(*chart->View().viewport());
    chart->show();
    if (!Frame(counter)) state.SkipWithError("the chart was not painted");
    state.PauseTiming();
    chart->hide();
    chart.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstBuild)->Unit(benchmark::kMillisecond);

// The chart's part of a Calculate: the changed plan's route and its frame.
void BM_RefreshAfterCalculate(benchmark::State& state) {
  TBench& b = Bench();
  TScoreChartWindow chart(b.window->Session(), *b.plan, b.dialogs);
  chart.resize(kChartSize);
  TFrameCounter counter(*chart.View().viewport());
  chart.show();
  Frame(counter);
  const scene_t* card = LastSpellCard(b.window->Document());
  auto plan = card->CurrentPattern().Clone();
  auto& p = dynamic_cast<pattern_t&>(*plan);
  for (auto _ : state) {
    p.graze += 1;
    chart.ShowPlan(*card, *plan);
    if (!Frame(counter)) state.SkipWithError("the refresh was not painted");
  }
  state.counters["positions"] = static_cast<double>(chart.View().Data().stops.size());
}
BENCHMARK(BM_RefreshAfterCalculate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return qvl::bench::RunWindowBenchmarks(argc, argv);
}
