// The editor's requests on a document twenty times the size of the largest
// template (Lunatic): showing the root, showing the last scene, showing the
// sum of every stage selected together, and Calculate on a late spell card.
// Each request recomputes its totals from the tree, as the window does; a
// request should fit in one frame (16 ms). The window runs on the offscreen
// platform unless another one is asked for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <cstdio>
#include <functional>
#include <memory>

#include "grid/KwGrid.h"
#include "large_document.h"
#include "model/qvl_document.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "window_bench_main.h"

namespace {

using namespace qvl;

using namespace qvl::bench;

struct TBench {
  QTemporaryDir dir;
  TYesDialogs dialogs;
  std::unique_ptr<TMainWnd> window;
  TSceneTreeView* tree = nullptr;

  TBench() {
    const QString path = WriteLargeDocument(dir.path());
    window = std::make_unique<TMainWnd>(dialogs, QStringList{path});
    window->show();  // opens the file
    QCoreApplication::processEvents();
    tree = window->findChild<TSceneTreeView*>("SceneView");
  }

  // Selects the items without the window hearing of it; the timed request
  // then shows the selection afresh.
  void Select(const QList<QTreeWidgetItem*>& items) {
    const QSignalBlocker blocker(tree);
    tree->clearSelection();
    for (QTreeWidgetItem* item : items) item->setSelected(true);
  }
};

TBench& Bench() {
  return WindowFixture<TBench>();
}

QTreeWidgetItem* Root() {
  return Bench().tree->topLevelItem(0);
}

QTreeWidgetItem* LastItem(QTreeWidgetItem* item) {
  while (item->childCount() > 0) item = item->child(item->childCount() - 1);
  return item;
}

// The last spell card of the document.
QTreeWidgetItem* LastSpellCard() {
  QTreeWidgetItem* found = nullptr;
  std::function<void(QTreeWidgetItem*)> visit = [&](QTreeWidgetItem* item) {
    const auto* scene = dynamic_cast<const scene_t*>(TSceneTreeView::NodeOf(item));
    if (scene && scene->kind == scene_kind_t::SpellCard) found = item;
    for (int i = 0; i < item->childCount(); ++i) visit(item->child(i));
  };
  visit(Root());
  return found;
}

// With argument 1 the window also paints the frame that shows the result.
void PaintIfAsked(benchmark::State& state) {
  if (state.range(0) == 0) return;
  Bench().window->repaint();
}

void ShowSelection(benchmark::State& state, const QList<QTreeWidgetItem*>& items) {
  TBench& b = Bench();
  b.Select(items);
  state.SetLabel(state.range(0) != 0 ? "request and paint" : "request");
  for (auto _ : state) {
    b.window->findChild<TScenePanel*>()->SceneViewOnChange();
    PaintIfAsked(state);
  }
}

void BM_ShowRoot(benchmark::State& state) {
  ShowSelection(state, {Root()});
}
BENCHMARK(BM_ShowRoot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShowLastScene(benchmark::State& state) {
  ShowSelection(state, {LastItem(Root())});
}
BENCHMARK(BM_ShowLastScene)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ShowSumOfEveryStage(benchmark::State& state) {
  QList<QTreeWidgetItem*> stages;
  for (int i = 0; i < Root()->childCount(); ++i) stages << Root()->child(i);
  ShowSelection(state, stages);
}
BENCHMARK(BM_ShowSumOfEveryStage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CalculateOnALateSpellCard(benchmark::State& state) {
  TBench& b = Bench();
  b.Select({LastSpellCard()});
  b.window->findChild<TScenePanel*>()->SceneViewOnChange();
  auto* grid = b.window->findChild<TKwGrid*>("InputKwGrid");
  state.SetLabel(state.range(0) != 0 ? "request and paint" : "request");
  for (auto _ : state) {
    grid->SetCells(2, 2, QStringLiteral("1000+500"));
    grid->SetCells(2, 7, QStringLiteral("12*3"));
    grid->SetCells(2, 8, QStringLiteral("scb(30)"));
    b.window->Editor().CalcButtonClick();
    PaintIfAsked(state);
  }
}
BENCHMARK(BM_CalculateOnALateSpellCard)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return qvl::bench::RunWindowBenchmarks(argc, argv);
}
