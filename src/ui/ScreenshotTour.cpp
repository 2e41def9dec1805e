// Takes the README's pictures of a first plan: the Hard template with a
// played route (every other scene's numbers), a spell card's pattern updated
// once, then a new plan typed with scb of the time left
// and calculated (the differences coloured), the hover hint of a term, and the
// score build-up chart with the new plan's line.
// Every question is answered Yes. Usage: qvl_screenshot_tour [--lang ja|en]
// TEMPLATE OUTDIR (run under a real display such as Xvfb: the hint is a window
// of its own). The pictures are in Japanese unless English is asked for, which
// gives the English guide its own.
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidgetItem>

#include <cstdio>

#include "grid/KwGrid.h"
#include "model/qvl_session.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"
#include "ui/ScoreChart.h"

namespace {

using namespace qvl;

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void Type(TKwGrid& grid, const std::vector<std::pair<int, const char*>>& cells) {
  for (const auto& [row, text] : cells) grid.SetCells(2, row, QString::fromUtf8(text));
}

bool Save(const QPixmap& picture, const QString& file) {
  const bool saved = picture.save(file, "PNG");
  std::fprintf(stderr, saved ? "wrote %s\n" : "could not write %s\n", qPrintable(file));
  return saved;
}

// Numbers for every scene's current pattern but keep's, as a played route
// would have them, so that the chart has a build-up to show: stored through
// the session's operations, as the editor's Update stores them.
void PlayRoute(TDocumentSession& session, scene_base_t& node, const QString& keep, int& n) {
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) PlayRoute(session, *group->Child(i), keep, n);
    return;
  }
  const scene_t* scene = node.AsScene();
  if (scene == nullptr || ToQString(scene->title) == keep || !session.Select({&node})) return;
  std::unique_ptr<pattern_base_t> stored = node.CurrentPattern().Clone();
  pattern_t& p = AsScenePattern(*stored);
  ++n;
  p.border_bonus_times = n % 3 == 0 ? 1 : 0;
  p.cherry_max = 300 + (n * 37) % 500;
  p.graze = 30 + (n * 53) % 90;
  p.point = 20 + (n * 29) % 40;
  p.bonus_item = n % 6;
  if (scene->kind == scene_kind_t::SpellCard) {
    p.getting_spell_card = n % 4 != 0;
    p.spell_card_bonus_base = p.getting_spell_card ? 1500000 + 250000 * (n % 9) : 0;
  }
  session.Store(std::move(stored), true);
}

// The template with a played route, written to a file of dir; empty when
// the template cannot be read or the file written.
QString PlayedTemplate(const QString& template_file, const QString& keep, const QDir& dir) {
  TDocumentSession session;
  if (!session.Load(ToPath(template_file), nullptr)) return {};
  int played = 0;
  PlayRoute(session, session.Document(), keep, played);
  // Named as the template, which the caption shows.
  const QString file = dir.filePath(QFileInfo(template_file).fileName());
  return session.SaveAs(ToPath(file)).ok ? file : QString();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  // Settings of its own: the pictures must not follow the sizes the user's
  // windows remember, nor the tour's documents join the user's recent files.
  QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QStringList args = QApplication::arguments();
  const language_option_t lang = TakeLanguageOption(args);
  if (!lang.error.isEmpty() || args.size() != 3) {
    std::fprintf(stderr, "usage: qvl_screenshot_tour [--lang %s] TEMPLATE OUTDIR\n",
                 qPrintable(LanguageCodes()));
    return 2;
  }
  SetWindowLanguage(lang.language.value_or(language_t::Japanese));
  const QDir out(args[2]);
  const QString card = QStringLiteral("霧符「朝霧の重ね衣」");
  QTemporaryDir work;
  const QString played = PlayedTemplate(args[1], card, QDir(work.path()));
  if (played.isEmpty()) {
    std::fprintf(stderr, "could not play the route of %s\n", qPrintable(args[1]));
    return 1;
  }
  TYesDialogs dialogs;
  TMainWnd window(dialogs, {played});
  window.move(0, 0);
  window.show();
  Wait(300);

  auto* tree = window.findChild<TSceneTreeView*>(QStringLiteral("SceneView"));
  auto* input = window.findChild<TKwGrid*>(QStringLiteral("InputKwGrid"));
  auto* output = window.findChild<TKwGrid*>(QStringLiteral("OutputKwGrid"));
  const QList<QTreeWidgetItem*> found =
      tree->findItems(card, Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty()) {
    std::fprintf(stderr, "the spell card is not in %s\n", qPrintable(args[1]));
    return 1;
  }
  for (QTreeWidgetItem* p = found.first()->parent(); p; p = p->parent()) p->setExpanded(true);
  tree->SelectItem(found.first());
  tree->scrollToItem(found.first());

  // The plan so far, stored as the current pattern.
  Type(*input, {{1, "1"}, {2, "8000"}, {4, "200"}, {6, "40"}, {7, "30"}, {9, "6000"}});
  window.Editor().ApplyButtonClick();
  // A new plan: less graze, more bonus items, the card captured with 30 s left.
  Type(*input, {{2, "8000+2500"}, {4, "120"}, {7, "30+6"}, {8, "scb(30)"}, {9, "6000"}});
  window.Editor().CalcButtonClick();
  input->FocusCell(2, 8);  // the scb hint in the status bar
  Wait(500);
  if (!Save(window.grab(), out.filePath(QStringLiteral("screenshot-plan.png")))) return 1;

  // Hover over a term of the new pattern: the tool tip and the status bar explain it.
  const QPoint cell = output->CellRect(3, 3).center();
  QCursor::setPos(output->viewport()->mapToGlobal(cell));
  QMouseEvent move(QEvent::MouseMove, QPointF(cell), output->viewport()->mapToGlobal(QPointF(cell)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(output->viewport(), &move);
  // The tool tip the resting mouse would bring up.
  QToolTip::showText(output->viewport()->mapToGlobal(cell), output->toolTip(), output);
  // Without a window manager the tip soon takes the pointer's crossing for a
  // leave; the picture is taken before that.
  Wait(150);
  // The window and the tip, which may reach beyond it, on a plain ground.
  QScreen* screen = window.screen();
  QList<QRect> parts{window.frameGeometry()};
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->inherits("QTipLabel")) parts << w->frameGeometry();
  }
  QRect area;
  for (const QRect& r : parts) area = area.united(r);
  QPixmap hint(area.size());
  hint.fill(QColor(240, 240, 240));
  {
    QPainter p(&hint);
    for (const QRect& r : parts) {
      p.drawPixmap(r.topLeft() - area.topLeft(),
                   screen->grabWindow(0, r.x(), r.y(), r.width(), r.height()));
    }
  }
  if (!Save(hint, out.filePath(QStringLiteral("screenshot-hint.png")))) return 1;

  // The score build-up chart with the new plan's line: opened from its menu,
  // then the plan calculated again for it to show.
  QToolTip::hideText();
  window.ScoreChart1Click();
  TScoreChartWindow* chart = window.ScoreChart();
  chart->resize(1000, 560);
  chart->move(0, 0);
  window.Editor().CalcButtonClick();
  Wait(300);
  return Save(chart->grab(), out.filePath(QStringLiteral("screenshot-chart.png"))) ? 0 : 1;
}
