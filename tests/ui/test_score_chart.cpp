// The score build-up chart of the real window: opened with Ctrl+G, its lines
// against the route's running totals, the plan after Calculate, clicks that
// select a node, following Update and Delete, and the saved pictures.
#include <QCategoryAxis>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMenu>
#include <QToolTip>
#include <QValueAxis>
#include <QXmlStreamReader>

#include <cmath>
#include <vector>

#include "EditorFixture.h"
#include "model/qvl_route.h"
#include "ui/ScoreChart.h"

namespace qvl {
namespace {

// The running totals of the route walk.
std::vector<score_t> RouteRunningTotals(root_t& root) {
  std::vector<score_t> out;
  score_t running = 0;
  WalkRoute(root, [&](const route_stop_t& stop) {
    running = WrapAdd(running, stop.value.Total());
    out.push_back(running);
  });
  return out;
}

// Numbers in every scene's current pattern, different from scene to scene.
void PlayEveryScene(scene_base_t& node, int& n) {
  if (auto* g = dynamic_cast<group_t*>(&node)) {
    for (int i = 0; i < g->ChildCount(); ++i) PlayEveryScene(*g->Child(i), n);
    return;
  }
  auto& p = dynamic_cast<pattern_t&>(node.CurrentPattern());
  ++n;
  p.border_bonus_times = n % 3;
  p.cherry_max = 100 * (n % 11);
  p.graze = 7 * n;
  p.point = n % 13;
  p.bonus_item = n % 5;
}

class ScoreChartTest : public PatternEditorTest {
 protected:
  TScoreChartWindow& OpenChart() {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : window.get(), Qt::Key_G, Qt::ControlModifier);
    TScoreChartWindow* chart = window->ScoreChart();
    EXPECT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    return *chart;
  }
  QList<QPointF> Points(const QString& name) const {
    for (QAbstractSeries* s : window->ScoreChart()->View().chart()->series()) {
      if (s->name() == name) return static_cast<QLineSeries*>(s)->points();
    }
    ADD_FAILURE() << "no series " << name.toStdString();
    return {};
  }
  // Both value axes tick at whole numbers (scores are whole), at least one apart.
  void ExpectWholeTicks() {
    for (QAbstractAxis* a : window->ScoreChart()->View().chart()->axes(Qt::Vertical)) {
      const auto* axis = qobject_cast<QValueAxis*>(a);
      ASSERT_NE(axis, nullptr);
      ASSERT_GE(axis->tickCount(), 2);
      const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
      EXPECT_GE(step, 1) << axis->titleText().toStdString();
      EXPECT_EQ(step, std::round(step)) << axis->titleText().toStdString();
      EXPECT_EQ(axis->min(), std::round(axis->min()));
    }
  }
  QList<QPointF> Running() const { return Points(QStringLiteral("累計スコア")); }
  QList<QPointF> Plan() const { return Points(QStringLiteral("新パターンでの累計")); }
  double Total() { return static_cast<double>(window->Document().CurrentValue().Total()); }
  void ClickPosition(int position) {
    TScoreChartView& view = window->ScoreChart()->View();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.PointOf(position));
  }
};

TEST_F(ScoreChartTest, LinesAreTheRouteOfATemplateWithItsStages) {
  root_t root;
  const QString lunatic = QCoreApplication::applicationDirPath() + "/template/qvl_lunatic.pat";
  ASSERT_TRUE(
      LoadDocument(root, ToPath(lunatic), [](const std::string&) { return load_answer_t::Abort; }));
  int n = 0;
  PlayEveryScene(root, n);
  const QString path = TempPath(QStringLiteral("played.pat"));
  ASSERT_TRUE(SaveDocument(root, ToPath(path)).ok);
  Make({path});
  TScoreChartWindow& chart = OpenChart();

  const std::vector<score_t> expected = RouteRunningTotals(window->Document());
  const QList<QPointF> running = Running();
  ASSERT_EQ(running.size(), static_cast<qsizetype>(expected.size()));
  const std::vector<chart_stop_t>& stops = chart.View().Data().stops;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(running[static_cast<qsizetype>(i)].y(), static_cast<double>(expected[i])) << i;
    EXPECT_EQ(stops[i].own, expected[i] - (i == 0 ? 0 : expected[i - 1])) << i;
  }
  // Resting on the last position names it and its totals (the scene's own
  // hint handling has nothing to say there and must not have the last word).
  TScoreChartView& view = chart.View();
  const QPoint at = view.PointOf(static_cast<int>(expected.size()) - 1);
  QHelpEvent rest(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
  QApplication::sendEvent(view.viewport(), &rest);
  EXPECT_TRUE(QToolTip::isVisible());
  const QLocale japanese(QLocale::Japanese);
  EXPECT_EQ(QToolTip::text(),
            ToQString(root.Child(root.ChildCount() - 1)->title + " > " +
                      stops.back().node->parent()->title + " > " + stops.back().node->title) +
                QStringLiteral("\nこの位置のスコア: ") +
                japanese.toString(qint64{stops.back().own}) + QStringLiteral("\n累計スコア: ") +
                japanese.toString(qint64{expected.back()}));
  // Moving on shows the next position's figures at once.
  const QPointF first = view.PointOf(0);
  QMouseEvent move(QEvent::MouseMove, first, view.viewport()->mapToGlobal(first), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  EXPECT_TRUE(QToolTip::text().startsWith(ToQString(stops.front().path + "\n")));
  // One stage per stage group of the template, in its order, and its title
  // on the route axis.
  ASSERT_EQ(chart.View().Data().stages.size(), static_cast<std::size_t>(root.ChildCount()));
  auto* axis = qobject_cast<QCategoryAxis*>(view.chart()->axes(Qt::Horizontal).front());
  ASSERT_NE(axis, nullptr);
  QStringList titles;
  for (int i = 0; i < root.ChildCount(); ++i) titles << ToQString(root.Child(i)->title);
  EXPECT_EQ(axis->categoriesLabels(), titles);
  EXPECT_EQ(chart.View().Data().stages.back().title, root.Child(root.ChildCount() - 1)->title);
  EXPECT_EQ(chart.View().Data().stages.back().end, static_cast<int>(expected.size()));
}

TEST_F(ScoreChartTest, AnUnplayedTemplateHasWholeNumberTicks) {
  Make({QCoreApplication::applicationDirPath() + "/template/qvl_hard.pat"});
  OpenChart();
  ASSERT_EQ(Running().back().y(), 0);
  ExpectWholeTicks();
}

TEST_F(ScoreChartTest, CalculateAddsThePlanThatEndsAtTheTotalPlusTheDifference) {
  Open();
  OpenChart();
  Select("通常");
  EXPECT_TRUE(Plan().isEmpty());
  SetNew(2, QStringLiteral("1000+500"));
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  const score_t difference = window->NewValue()->Total() - window->OldValue()->Total();
  ASSERT_NE(difference, 0);
  const QList<QPointF> plan = Plan();
  const QList<QPointF> running = Running();
  ASSERT_EQ(plan.size(), running.size());
  EXPECT_EQ(plan.back().y(), Total() + static_cast<double>(difference));
  EXPECT_EQ(plan.front().y(), running.front().y());  // before the changed node
  EXPECT_EQ(window->ScoreChart()->View().PlanGapText(),
            (difference > 0 ? QStringLiteral("+") : QStringLiteral("−")) +
                QLocale(QLocale::Japanese).toString(static_cast<qint64>(std::abs(difference))));
  // Another selection starts another plan.
  Select("道中");
  EXPECT_TRUE(Plan().isEmpty());
}

TEST_F(ScoreChartTest, ClickingAPositionSelectsItsNodeUnlessTheTreeRefuses) {
  Open();
  OpenChart();
  Select("道中");
  const int last = static_cast<int>(Running().size()) - 1;
  ClickPosition(last);
  EXPECT_EQ(window->CurrentNode(), Node("2面道中"));

  // Unapplied edits: the tree asks, No keeps everything as it is.
  SetNew(2, QStringLiteral("7"));
  TypeInto(2, QStringLiteral("8"));
  Commit();
  ASSERT_TRUE(window->PatternEdited());
  dialogs.confirms.push_back(false);
  ClickPosition(0);
  EXPECT_EQ(dialogs.Texts(QStringLiteral("confirm")).size(), 1);
  EXPECT_EQ(window->CurrentNode(), Node("2面道中"));
  EXPECT_TRUE(window->PatternEdited());
  EXPECT_EQ(NewText(2), QStringLiteral("8"));
}

TEST_F(ScoreChartTest, KeysWalkThePositionsAndEnterSelectsOne) {
  Open();
  TScoreChartView& view = OpenChart().View();
  const int last = static_cast<int>(view.Data().stops.size()) - 1;
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_End);
  EXPECT_EQ(view.KeyPosition(), last);
  QTest::keyClick(&view, Qt::Key_Left);
  ASSERT_EQ(view.KeyPosition(), last - 1);
  EXPECT_EQ(QToolTip::text(), view.HoverText(last - 1));
  EXPECT_EQ(view.accessibleDescription(), view.HoverText(last - 1));
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(window->CurrentNode(), view.Data().stops[static_cast<std::size_t>(last - 1)].node);
  QTest::keyClick(&view, Qt::Key_Home);
  EXPECT_EQ(view.KeyPosition(), 0);
  // A click moves the keys' position too.
  ClickPosition(3);
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(view.KeyPosition(), 4);
}

TEST_F(ScoreChartTest, FollowsUpdateDeleteAndGrouping) {
  Open();
  OpenChart();
  Select("道中");
  const double before = Running().back().y();
  ASSERT_EQ(before, Total());

  SetNew(2, QStringLiteral("5000"));
  dialogs.confirms.push_back(true);
  QTest::mouseClick(Button("ApplyButton"), Qt::LeftButton);
  EXPECT_NE(Running().back().y(), before);
  EXPECT_EQ(Running().back().y(), Total());

  dialogs.confirms.push_back(true);
  QTest::mouseClick(Button("DeleteButton"), Qt::LeftButton);
  EXPECT_EQ(Running().back().y(), Total());

  // The boss described as a whole: one position for its two spell cards.
  const qsizetype positions = Running().size();
  Select("ボス");
  QTest::mouseClick(Grouping(), Qt::LeftButton);
  EXPECT_EQ(Running().size(), positions - 1);
  EXPECT_EQ(Running().back().y(), Total());
  // The shorter route's positions are where the clicks land.
  ClickPosition(static_cast<int>(positions) - 2);
  EXPECT_EQ(window->CurrentNode(), Node("2面道中"));
}

// The popup's pattern choice redraws the line, and the total axis keeps every
// point of both lines in sight as the plan changes.
TEST_F(ScoreChartTest, FollowsThePopupsPatternChoiceWithEveryPointOnTheAxis) {
  Open();
  TScoreChartWindow& chart = OpenChart();
  Select("通常");
  SetNew(2, QStringLiteral("90000000"));
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  ASSERT_FALSE(Plan().isEmpty());
  const double before = Running().back().y();

  Click(Item("道中"), {}, Qt::RightButton);
  const QPoint at = Tree()->visualItemRect(Item("道中")).center();
  QContextMenuEvent context(QContextMenuEvent::Mouse, at, Tree()->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(Tree()->viewport(), &context);
  auto* menu = window->findChild<QMenu*>(QStringLiteral("SceneViewPopupMenu"));
  ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }));
  QTest::keyClick(menu, Qt::Key_1);  // 稼ぎ(&1)
  ASSERT_EQ(ToQString(Node("道中")->CurrentPattern().title), QStringLiteral("稼ぎ"));
  EXPECT_NE(Running().back().y(), before);
  EXPECT_EQ(Running().back().y(), Total());

  ExpectWholeTicks();
  const auto* axis = qobject_cast<QValueAxis*>(chart.View().chart()->axes(Qt::Vertical).front());
  ASSERT_NE(axis, nullptr);
  for (const QList<QPointF>& line : {Running(), Plan()}) {
    for (const QPointF& p : line) {
      EXPECT_GE(p.y(), axis->min());
      EXPECT_LE(p.y(), axis->max());
    }
  }
}

TEST_F(ScoreChartTest, ClosesWithTheProgram) {
  Open();
  TScoreChartWindow& chart = OpenChart();
  Activate();
  Key(Qt::Key_F, Qt::AltModifier);  // ファイル(&F)
  Key(Qt::Key_X);                   // 終了(&X)
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(chart.isVisible());
}

TEST_F(ScoreChartTest, SavesThePictureByTheChosenExtension) {
  Open();
  TScoreChartWindow& chart = OpenChart();
  auto* save = chart.findChild<QPushButton*>(QStringLiteral("ScoreChartSaveButton"));
  ASSERT_NE(save, nullptr);
  // Shrunk as far as it goes, the window still shows the whole button.
  chart.resize(1, 1);
  QCoreApplication::processEvents();
  EXPECT_TRUE(chart.rect().contains(save->geometry())) << chart.width() << "x" << chart.height();
  EXPECT_GE(chart.View().height(), 200);
  const QString png = TempPath(QStringLiteral("chart.png"));
  const QString svg = TempPath(QStringLiteral("chart.svg"));
  const QString jpg = TempPath(QStringLiteral("chart.jpg"));
  for (const QString& name : {png, svg, jpg}) {
    dialogs.save_names.push_back(name);
    QTest::mouseClick(save, Qt::LeftButton);
  }
  // The first picture is offered beside the document, named after it.
  ASSERT_FALSE(dialogs.file_specs.empty());
  EXPECT_EQ(dialogs.file_specs.front().directory, QFileInfo(document).absolutePath());
  EXPECT_EQ(dialogs.file_specs.front().file_name, QStringLiteral("editor.png"));
  EXPECT_FALSE(QImage(png, "PNG").isNull());
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  ASSERT_TRUE(xml.readNextStartElement());
  EXPECT_EQ(xml.name(), QStringLiteral("svg"));
  while (!xml.atEnd()) xml.readNext();
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_FALSE(QFile::exists(jpg));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{QStringLiteral("「chart.jpg」には保存できません。拡張子を .png か .svg "
                                       "にしてください。")});
}

}  // namespace
}  // namespace qvl
