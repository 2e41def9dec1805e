// The score build-up chart on a document twenty times the size of the largest
// template (Lunatic, 1960 scenes): building the chart window with its first
// frame, and the refresh after Calculate on the last spell card (the plan's
// route computed and the chart painted again). The first build should stay
// under 100 ms, the refresh under one frame (16 ms). The window runs on the
// offscreen platform unless another one is asked for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>

#include "large_document.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/SceneTreeView.h"
#include "ui/ScoreChart.h"

namespace {

using namespace qvl;
using namespace qvl::bench;

struct TBench {
  QTemporaryDir dir;
  TYesDialogs dialogs;
  std::unique_ptr<TMainWnd> window;

  TBench() {
    window = std::make_unique<TMainWnd>(dialogs, QStringList{WriteLargeDocument(dir.path())});
    window->show();  // opens the file
    QCoreApplication::processEvents();
  }
};

// One full frame of the chart window: grab() paints every widget of it into a
// picture (on the offscreen platform repaint() leaves the chart's scene
// unpainted). Pending events first, as the event loop would run them.
void Paint(QWidget& w) {
  QCoreApplication::processEvents();
  benchmark::DoNotOptimize(w.grab());
}

TBench& Bench() {
  static TBench bench;
  return bench;
}

scene_t* LastSpellCard(scene_base_t& node) {
  if (auto* g = dynamic_cast<group_t*>(&node)) {
    for (int i = g->ChildCount(); i-- > 0;) {
      if (scene_t* found = LastSpellCard(*g->Child(i))) return found;
    }
    return nullptr;
  }
  auto* scene = dynamic_cast<scene_t*>(&node);
  return scene != nullptr && scene->kind == scene_kind_t::SpellCard ? scene : nullptr;
}

void BM_FirstBuild(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) {
    TScoreChartWindow chart(b.window->Session(), b.dialogs);
    chart.show();
    Paint(chart);
    state.PauseTiming();
    chart.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstBuild)->Unit(benchmark::kMillisecond);

// The chart's part of a Calculate: the changed plan's route and its frame.
void BM_RefreshAfterCalculate(benchmark::State& state) {
  TBench& b = Bench();
  TScoreChartWindow chart(b.window->Session(), b.dialogs);
  chart.show();
  QCoreApplication::processEvents();
  scene_t* card = LastSpellCard(b.window->Document());
  auto plan = card->CurrentPattern().Clone();
  auto& p = dynamic_cast<pattern_t&>(*plan);
  for (auto _ : state) {
    p.graze += 1;
    chart.ShowPlan(*card, *plan);
    Paint(chart);
  }
  state.counters["positions"] = static_cast<double>(chart.View().Data().stops.size());
}
BENCHMARK(BM_RefreshAfterCalculate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetUpApplication(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
