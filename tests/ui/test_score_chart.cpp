// The score build-up chart of the real window: opened with Ctrl+G, its lines
// against the route's running totals, the plan after Calculate, clicks that
// select a node, following Update and Delete, the saved pictures, the gap
// plot, the labels at every size and the keys and places of the window.
#include <QCategoryAxis>
#include <QChart>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
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
std::vector<score_t> RouteRunningTotals(const root_t& root) {
  std::vector<score_t> out;
  score_t running = 0;
  WalkRoute(root, [&](const route_stop_t& stop) {
    running = WrapAdd(running, stop.value.Total().Value());
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
  auto& p = dynamic_cast<pattern_t&>(*node.patterns.Current());
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
  // Makes the chart the active window, its view holding the focus.
  void ActivateChart() {
    TScoreChartWindow* chart = window->ScoreChart();
    QApplication::setActiveWindow(chart);
    ASSERT_TRUE(QTest::qWaitForWindowActive(chart));
    chart->View().setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &chart->View());
  }
  QList<QPointF> Running() const { return Points(QStringLiteral("累計スコア")); }
  QList<QPointF> Plan() const { return Points(QStringLiteral("新パターンでの累計")); }
  double Total() { return static_cast<double>(window->Document().CurrentValue().Total().Value()); }
  void ClickPosition(int position) {
    TScoreChartView& view = window->ScoreChart()->View();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.PointOf(position));
  }
  // The picture the save button writes under name.
  QString SavePicture(TScoreChartWindow& chart, const QString& name) {
    const QString path = TempPath(name);
    dialogs.save_names.push_back(path);
    QTest::mouseClick(chart.findChild<QPushButton*>(QStringLiteral("ScoreChartSaveButton")),
                      Qt::LeftButton);
    return path;
  }
  // The texts of a saved SVG picture that show something, joined in their
  // order: a text drawn in several fonts is written as several pieces.
  QString SvgText(TScoreChartWindow& chart) {
    QFile file(SavePicture(chart, QStringLiteral("texts.svg")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString texts;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QStringLiteral("text")) {
        texts += xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
      }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return texts.remove(QChar(0x200B));
  }
  // A played Hard document opened with its chart; first_title_utf8, when
  // given, is the first stage's title.
  TScoreChartWindow& OpenPlayedHard(const char* first_title_utf8 = nullptr) {
    root_t root;
    const QString hard = QCoreApplication::applicationDirPath() + "/template/qvl_hard.pat";
    EXPECT_TRUE(
        LoadDocument(root, ToPath(hard), [](const std::string&) { return load_answer_t::Abort; }));
    int n = 0;
    PlayEveryScene(root, n);
    if (first_title_utf8 != nullptr) root.Child(0)->title = Utf8ToCp932(first_title_utf8);
    const QString path = TempPath(QStringLiteral("hard.pat"));
    EXPECT_TRUE(SaveDocument(root, ToPath(path)).ok);
    Make({path});
    return OpenChart();
  }
};

// Whether label is title or a visible shortening of it: a beginning of at
// least its first word followed by "…", or its leading number.
bool IsLabelOf(const QString& label, const QString& title) {
  if (label == title) return true;
  qsizetype word = 0;
  while (word < title.size() && !title[word].isSpace()) ++word;
  if (label.endsWith(QChar(0x2026))) {
    const QString start = label.chopped(1);
    return start.size() >= word && title.startsWith(start);
  }
  static const QRegularExpression number(QStringLiteral("^\\d+"));
  return label == number.match(title).captured(0) && !label.isEmpty();
}

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
                japanese.toString(qint64{stops.back().own.Value()}) +
                QStringLiteral("\n累計スコア: ") + japanese.toString(qint64{expected.back()}));
  // Moving on shows the next position's figures at once.
  const QPointF first = view.PointOf(0);
  QMouseEvent move(QEvent::MouseMove, first, view.viewport()->mapToGlobal(first), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.viewport(), &move);
  EXPECT_TRUE(QToolTip::text().startsWith(ToQString(stops.front().path + "\n")));
  // One stage per stage group of the template, in its order, and its title
  // on the route axis.
  ASSERT_EQ(chart.View().Data().stages.size(), static_cast<std::size_t>(root.ChildCount()));
  ASSERT_GE(view.StageLabels().size(), static_cast<std::size_t>(root.ChildCount()));
  for (int i = 0; i < root.ChildCount(); ++i) {
    EXPECT_TRUE(IsLabelOf(view.StageLabels()[static_cast<std::size_t>(i)]->text(),
                          ToQString(root.Child(i)->title)));
  }
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
  const score_t difference =
      (window->Comparison().NewValue()->Total() - window->Comparison().OldValue()->Total()).Value();
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
  // Lines and columns stay shapes in the drawing, none a bitmap.
  int images = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("image")) {
      ++images;
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(images, 0);
  EXPECT_FALSE(QFile::exists(jpg));
  EXPECT_EQ(dialogs.Texts(QStringLiteral("error")),
            QStringList{QStringLiteral("「chart.jpg」には保存できません。拡張子を .png か .svg "
                                       "にしてください。")});
}

// At the first size and at the smallest, every stage keeps a label that is its
// title or visibly shortened, inside the chart and apart from its neighbours,
// and every value axis label is a whole number, in 億 or 万 where the digits
// do not fit.
TEST_F(ScoreChartTest, EveryStageAndTickKeepsAWholeLabelAtEverySize) {
  // A first stage whose title is far longer than its stage is wide.
  TScoreChartWindow& chart = OpenPlayedHard("1面 朝霧の畦道を越えて遥か彼方の山の向こうまで");
  const root_t& root = window->Document();
  TScoreChartView& view = chart.View();
  static const QRegularExpression whole(QStringLiteral("^-?[0-9,]+(万|億)?$"));
  for (const QSize size : {QSize(900, 520), QSize(1, 1)}) {
    SCOPED_TRACE(size.width());
    chart.resize(size);
    QCoreApplication::processEvents();
    const QString texts = SvgText(chart);
    const std::vector<QGraphicsSimpleTextItem*>& labels = view.StageLabels();
    ASSERT_GE(labels.size(), static_cast<std::size_t>(root.ChildCount()));
    const QRectF inside = view.chart()->rect();
    QRectF previous;
    for (int i = 0; i < root.ChildCount(); ++i) {
      const QString title = ToQString(root.Child(i)->title);
      const QGraphicsSimpleTextItem* label = labels[static_cast<std::size_t>(i)];
      EXPECT_TRUE(label->isVisible()) << i;
      EXPECT_TRUE(IsLabelOf(label->text(), title)) << label->text().toStdString();
      EXPECT_TRUE(texts.contains(label->text())) << label->text().toStdString();
      const QRectF at = label->mapRectToItem(view.chart(), label->boundingRect());
      EXPECT_TRUE(inside.contains(at)) << i;
      EXPECT_GE(at.left(), previous.right()) << i;
      previous = at;
      // Under its own stage, between the grid lines at the stage's ends.
      const chart_stage_t& stage = view.Data().stages[static_cast<std::size_t>(i)];
      QAbstractSeries* running = nullptr;
      for (QAbstractSeries* series : view.chart()->series()) {
        if (series->name() == QStringLiteral("累計スコア")) running = series;
      }
      ASSERT_NE(running, nullptr);
      const double from = view.chart()->mapToPosition(QPointF(stage.first - 0.5, 0), running).x();
      const double to = view.chart()->mapToPosition(QPointF(stage.end - 0.5, 0), running).x();
      EXPECT_GE(at.left(), from - 0.5) << i;
      EXPECT_LE(at.right(), to + 0.5) << i << " " << label->text().toStdString();
    }
    EXPECT_NE(labels.front()->text(), ToQString(root.Child(0)->title));
    bool units = false;
    for (QAbstractAxis* a : view.chart()->axes(Qt::Vertical)) {
      auto* axis = qobject_cast<QCategoryAxis*>(a);
      ASSERT_NE(axis, nullptr);
      ASSERT_GE(axis->categoriesLabels().size(), 2);
      for (const QString& label : axis->categoriesLabels()) {
        EXPECT_TRUE(whole.match(label).hasMatch()) << label.toStdString();
        EXPECT_TRUE(texts.contains(label)) << label.toStdString();
        units =
            units || label.endsWith(QStringLiteral("万")) || label.endsWith(QStringLiteral("億"));
      }
    }
    // Nothing that Qt cut short: the only ellipses are the stage labels'.
    const auto shortened = std::count_if(labels.begin(), labels.end(), [](auto* l) {
      return l->isVisible() && l->text().endsWith(QChar(0x2026));
    });
    EXPECT_EQ(texts.count(QChar(0x2026)), shortened) << texts.toStdString();
    if (size.width() == 1) {
      EXPECT_TRUE(units);
    }
  }
  ExpectWholeTicks();
}

// Esc and Ctrl+W close the chart; Ctrl+G goes to the main window and back.
TEST_F(ScoreChartTest, KeysCloseTheChartAndGoBetweenItAndTheMainWindow) {
  Open();
  for (const QKeyCombination key :
       {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_W)}) {
    TScoreChartWindow& chart = OpenChart();
    ActivateChart();
    QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    EXPECT_FALSE(chart.isVisible());
  }
  TScoreChartWindow& chart = OpenChart();
  ActivateChart();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(WaitUntil([this] { return QApplication::activeWindow() == window.get(); }));
  EXPECT_TRUE(chart.isVisible());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(WaitUntil([&chart] { return QApplication::activeWindow() == &chart; }));
}

// A chart opened after Calculate shows that plan with its gap plot; another
// selection ends it, and a chart opened then has none.
TEST_F(ScoreChartTest, AChartOpenedAfterCalculateShowsThePlan) {
  Open();
  Select("通常");
  SetNew(2, QStringLiteral("1000+500"));
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  const score_t difference =
      (window->Comparison().NewValue()->Total() - window->Comparison().OldValue()->Total()).Value();
  TScoreChartWindow& chart = OpenChart();
  ASSERT_EQ(Plan().size(), Running().size());
  EXPECT_EQ(Plan().back().y(), Total() + static_cast<double>(difference));
  EXPECT_FALSE(chart.View().GapPlotArea().isEmpty());
  chart.close();
  Activate();
  Select("道中");
  OpenChart();
  EXPECT_TRUE(Plan().isEmpty());
  EXPECT_TRUE(chart.View().GapPlotArea().isEmpty());
}

// The gap plot: under the main plot and as wide, in the table's colour of
// the gap's sign, and its positions are clicked like the main plot's.
TEST_F(ScoreChartTest, TheGapPlotSitsUnderThePlotInTheGapsColourAndTakesClicks) {
  Open();
  TScoreChartWindow& chart = OpenChart();
  TScoreChartView& view = chart.View();
  Select("通常");
  EXPECT_TRUE(view.GapPlotArea().isEmpty());
  SetNew(2, QStringLiteral("90000000"));
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  const QRectF plot = view.chart()->plotArea();
  const QRectF gap = view.GapPlotArea();
  ASSERT_FALSE(gap.isEmpty());
  EXPECT_EQ(gap.left(), plot.left());
  EXPECT_EQ(gap.right(), plot.right());
  EXPECT_GT(gap.top(), plot.bottom());
  EXPECT_LT(gap.height(), plot.height());
  // The last position's gap is the plan's gain: its column is filled blue.
  const int last = static_cast<int>(Running().size()) - 1;
  ASSERT_GT(Plan().back().y(), Running().back().y());
  const QImage image = view.grab().toImage();
  const QPoint column = view.mapFromScene(view.chart()->mapToScene(
      QPointF(view.chart()->mapToPosition(QPointF(last, 0), view.chart()->series().front()).x(),
              gap.bottom() - 6)));
  const qreal ratio = image.devicePixelRatio();
  EXPECT_EQ(image.pixelColor(column * ratio), kGainColor);
  // A click in the gap plot selects the position's node.
  if (window->PatternEdited()) dialogs.confirms.push_back(true);  // drop the calculated edits
  QTest::mouseClick(
      view.viewport(), Qt::LeftButton, {},
      view.mapFromScene(view.chart()->mapToScene(
          QPointF(view.chart()->mapToPosition(QPointF(0, 0), view.chart()->series().front()).x(),
                  gap.center().y()))));
  EXPECT_EQ(window->CurrentNode(), view.Data().stops.front().node);
}

// The key marker stays on screen but never in a saved picture.
TEST_F(ScoreChartTest, SavedPicturesLeaveTheKeyMarkerOut) {
  Open();
  TScoreChartWindow& chart = OpenChart();
  const QImage before(SavePicture(chart, QStringLiteral("before.png")), "PNG");
  ASSERT_FALSE(before.isNull());
  chart.View().setFocus();
  QTest::keyClick(&chart.View(), Qt::Key_End);
  ASSERT_GE(chart.View().KeyPosition(), 0);
  const QImage after(SavePicture(chart, QStringLiteral("after.png")), "PNG");
  EXPECT_EQ(after, before);
  EXPECT_NE(chart.View().grab().toImage().convertToFormat(before.format()), before);
}

// Without a document: one short note in the middle, nothing else.
TEST_F(ScoreChartTest, WithoutADocumentTheChartSaysSoInItsMiddle) {
  Make();
  TScoreChartWindow& chart = OpenChart();
  EXPECT_EQ(SvgText(chart), QStringLiteral("文書がありません"));
  const QImage image(SavePicture(chart, QStringLiteral("empty.png")), "PNG");
  ASSERT_FALSE(image.isNull());
  // The drawn pixels: those unlike the middle of the chart's background.
  const QColor background = image.pixelColor(20, image.height() / 4);
  QRect drawn;
  for (int y = 20; y < image.height() - 20; ++y) {
    for (int x = 20; x < image.width() - 20; ++x) {
      if (image.pixelColor(x, y) != background) drawn |= QRect(x, y, 1, 1);
    }
  }
  ASSERT_FALSE(drawn.isEmpty());
  EXPECT_LT(std::abs(drawn.center().x() - image.width() / 2), image.width() / 20);
  EXPECT_LT(std::abs(drawn.center().y() - image.height() / 2), image.height() / 10);
  EXPECT_LT(drawn.width(), image.width() / 3);
  // A document opened afterwards brings the chart back.
  Activate();
  dialogs.open_names.push_back(document);
  Key(Qt::Key_O, Qt::ControlModifier);
  EXPECT_FALSE(Running().isEmpty());
  EXPECT_TRUE(SvgText(chart).contains(QStringLiteral("累計スコア")));
}

// The first opening goes beside the main window where the screen has room,
// else over its right part below the menu bar; later ones keep their place.
TEST_F(ScoreChartTest, FirstOpensBesideTheMainWindowThenWhereItWasLeft) {
  QSettings().remove(QStringLiteral("ScoreChart/pos"));
  Open();
  TScoreChartWindow& chart = OpenChart();
  const QRect main = window->frameGeometry();
  const QRect placed = chart.frameGeometry();
  const QRect screen = window->screen()->availableGeometry();
  auto* bar = window->menuBar();
  const QRect menu(bar->mapToGlobal(QPoint(0, 0)), bar->size());
  EXPECT_FALSE(placed.intersects(menu));
  if (screen.right() - main.right() >= placed.width()) {
    EXPECT_GT(placed.left(), main.right());
  } else if (main.left() - screen.left() < placed.width()) {
    EXPECT_EQ(placed.right(), std::min(main.right(), screen.right()));
    EXPECT_TRUE(screen.contains(placed));
  }
  chart.move(placed.topLeft() + QPoint(10, 20));
  const QPoint moved = chart.pos();
  ActivateChart();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_FALSE(chart.isVisible());
  OpenChart();
  EXPECT_EQ(chart.pos(), moved);
}

TEST_F(ScoreChartTest, PositionsBeyond64BitsAreLeftOutAndTheLegendSaysWhy) {
  Open();
  Select("道中");
  SetNew(2, QStringLiteral("987654321098"));
  SetNew(4, QStringLiteral("98765432109"));
  SetNew(6, QStringLiteral("1234567890123"));
  SetNew(7, QStringLiteral("123456789012"));
  QTest::mouseClick(Button("CalcButton"), Qt::LeftButton);
  TScoreChartWindow& chart = OpenChart();
  // The plan's running total leaves the range at the changed scene, the first
  // position, and stays beyond it: no plan position is drawn.
  const std::size_t positions = chart.View().Data().stops.size();
  EXPECT_TRUE(Plan().isEmpty());
  const QString name =
      QStringLiteral("累計スコア（%1 か所は値が64ビット整数の範囲を超えるため描いていません）")
          .arg(positions);
  EXPECT_EQ(Points(name).size(), static_cast<qsizetype>(positions));
  EXPECT_EQ(chart.View().PlanGapText(), QStringLiteral("桁あふれ"));
}

}  // namespace
}  // namespace qvl
