// The grid as a widget: the events of a move, the editor and its commit,
// keys, mouse, wheel, the update bracket and hints, driven through Qt Test.
#include "grid/KwGrid.h"

#include "grid_test_util.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace qvl {
namespace {

using test::EventLog;
using test::GridWindow;
using test::ValueKind;

using Events = std::vector<std::string>;

// A 5 × 5 grid with one fixed column and row, shown and focused.
class GridWidget : public testing::Test {
 protected:
  GridWidget() : grid(*w.grid) {}
  void Show(TCellEditMode mode) {
    grid.SetEditMode(mode);
    w.Show();
    ASSERT_TRUE(grid.hasFocus());
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = grid.EditorOpen() ? static_cast<QWidget*>(grid.Editor()) : &grid;
    QTest::keyClick(target, key, mods);
  }
  [[nodiscard]] TCellCoord Current() const { return {grid.CurrentCol(), grid.CurrentRow()}; }

  GridWindow w;
  TKwGrid& grid;
};

TEST_F(GridWidget, EventsOfACellChangeComeInOrder) {
  Show(ceAlwayShowEditor);
  EventLog log(grid);
  ASSERT_TRUE(grid.FocusCell(1, 1));
  EXPECT_EQ(log.events, (Events{"select 1,1", "editing 1,1", "enter 1,1", "changed -1,-1 to 1,1"}));
  ASSERT_TRUE(grid.EditorOpen());
  EXPECT_TRUE(grid.Editor()->hasFocus());

  log.events.clear();
  QTest::keyClicks(grid.Editor(), "12");
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(log.events,
            (Events{"select 1,2", "edit 1,1 modified int32", "edited 1,1 modified",
                    "exit 1,1 modified", "editing 1,2", "enter 1,2", "changed 1,1 to 1,2"}));
  EXPECT_EQ(Current(), (TCellCoord{1, 2}));
  EXPECT_EQ(std::get<std::int32_t>(grid.Cells(1, 1)), 12);

  // Leaving an untouched cell: nothing modified.
  log.events.clear();
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(log.events,
            (Events{"select 1,3", "edit 1,2 unmodified empty", "edited 1,2 unmodified",
                    "exit 1,2 unmodified", "editing 1,3", "enter 1,3", "changed 1,2 to 1,3"}));
}

TEST_F(GridWidget, SelectCellCanRefuseTheMove) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 1);
  EventLog log(grid);
  log.refuse = true;
  QTest::keyClicks(grid.Editor(), "5");
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(log.events, (Events{"select 1,2"}));
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "5");
  EXPECT_EQ(grid.Cells(1, 1).index(), 0u);
}

TEST_F(GridWidget, CellEditMayReplaceTheValue) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(2, 2);
  EventLog log(grid);
  log.replaceWith = std::make_unique<TCellValue>(std::int64_t{0});
  QTest::keyClicks(grid.Editor(), "99");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(std::get<std::int32_t>(log.lastEdited), 99);
  EXPECT_EQ(std::get<std::int64_t>(grid.Cells(2, 2)), 0);
  // The editor stays open and shows what was stored.
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "0");
}

TEST_F(GridWidget, CommitConvertsTheTypedText) {
  grid.SetRowCount(12);
  Show(ceAlwayShowEditor);
  struct row_t {
    const char* typed;
    const char* kind;
    const char* text;
  };
  const row_t rows[] = {
      {"12", "int32", "12"},    {"1.5", "real", "1.5"},  {"1+2", "string", "1+2"},
      {"-", "string", "-"},     {"", "empty", ""},       {"4000000000", "int64", "4000000000"},
      {"true", "bool", "True"}, {"x", "string", "x"},    {"-3", "int32", "-3"},
      {"2.50", "real", "2.5"},  {"1e3", "real", "1000"},
  };
  int row = 1;
  for (const row_t& r : rows) {
    ASSERT_TRUE(grid.FocusCell(1, row));
    ASSERT_TRUE(grid.EditorOpen());
    // Type, and for the empty text type and take it back again.
    QTest::keyClicks(grid.Editor(), *r.typed ? r.typed : "z");
    if (!*r.typed) QTest::keyClick(grid.Editor(), Qt::Key_Backspace);
    QTest::keyClick(grid.Editor(), Qt::Key_Return);
    EXPECT_EQ(ValueKind(grid.Cells(1, row)), r.kind) << r.typed;
    EXPECT_EQ(grid.CellText(1, row).toStdString(), r.text) << r.typed;
    ++row;
  }
}

TEST_F(GridWidget, AnUntouchedEditorKeepsTheCellsValue) {
  Show(ceAlwayShowEditor);
  const double third = 1.0 / 3.0;
  grid.SetCells(1, 1, third);
  grid.SetCells(1, 2, QString("007"));
  EventLog log(grid);
  grid.FocusCell(1, 1);
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(std::get<double>(grid.Cells(1, 1)), third);
  QTest::keyClick(grid.Editor(), Qt::Key_Down);
  EXPECT_EQ(std::get<QString>(grid.Cells(1, 2)), "007");
}

TEST_F(GridWidget, EnterInAlwaysShowModeCommitsWithoutMoving) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(2, 3);
  EventLog log(grid);
  QTest::keyClicks(grid.Editor(), "42");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(log.events, (Events{"edit 2,3 modified int32", "edited 2,3 modified"}));
  EXPECT_EQ(Current(), (TCellCoord{2, 3}));
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_EQ(std::get<std::int32_t>(grid.Cells(2, 3)), 42);
  // Again without typing: committed, not modified.
  log.events.clear();
  QTest::keyClick(grid.Editor(), Qt::Key_Enter);
  EXPECT_EQ(log.events, (Events{"edit 2,3 unmodified int32", "edited 2,3 unmodified"}));
}

TEST_F(GridWidget, EnterDirectionMovesAndShiftReverses) {
  grid.SetEnterDirection(edDownRight);
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 4);
  QTest::keyClicks(grid.Editor(), "8");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  EXPECT_EQ(std::get<std::int32_t>(grid.Cells(1, 4)), 8);
  QTest::keyClick(grid.Editor(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(Current(), (TCellCoord{1, 4}));
  grid.SetEnterDirection(edRightDown);
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(Current(), (TCellCoord{2, 4}));
  QTest::keyClick(grid.Editor(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(Current(), (TCellCoord{1, 4}));
}

TEST_F(GridWidget, CanEditModeOpensAndClosesTheEditorWithEnter) {
  Show(ceCanEdit);
  grid.SetCells(1, 1, std::int32_t{3});
  grid.FocusCell(1, 1);
  EXPECT_FALSE(grid.EditorOpen());
  EventLog log(grid);
  Key(Qt::Key_Return);
  ASSERT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "3");
  EXPECT_EQ(log.events, (Events{"editing 1,1"}));
  QTest::keyClicks(grid.Editor(), "77");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_FALSE(grid.EditorOpen());
  EXPECT_TRUE(grid.hasFocus());
  EXPECT_EQ(std::get<std::int32_t>(grid.Cells(1, 1)), 77);

  // A typed character opens the editor and goes into it.
  QTest::keyClicks(&grid, "5");
  ASSERT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "5");
  QTest::keyClick(grid.Editor(), Qt::Key_Right);  // caret at the end: moves on
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  EXPECT_FALSE(grid.EditorOpen());
  EXPECT_EQ(std::get<std::int32_t>(grid.Cells(1, 1)), 5);
}

TEST_F(GridWidget, ReadOnlyCellsNeverGetAnEditor) {
  for (TCellEditMode mode : {ceAlwayShowEditor, ceCanEdit, ceReadOnly}) {
    SCOPED_TRACE(mode);
    GridWindow win;
    TKwGrid& g = *win.grid;
    g.SetEditMode(mode);
    TCellStyle& locked = g.CellStyles().Add();
    locked.SetRect(2, 1, 2, 4);
    locked.SetReadOnly(true);
    TCellStyle& open = g.CellStyles().Add();
    open.SetColLeft(3);
    open.SetRowTop(1);
    open.SetReadOnly(false);
    win.Show();
    EventLog log(g);
    ASSERT_TRUE(g.FocusCell(2, 2));
    EXPECT_FALSE(g.EditorOpen());
    QTest::keyClick(&g, Qt::Key_Return);
    EXPECT_FALSE(g.EditorOpen());
    QTest::keyClicks(&g, "a");
    EXPECT_FALSE(g.EditorOpen());
    EXPECT_EQ(g.Cells(2, 2).index(), 0u);
    for (const std::string& e : log.events) EXPECT_EQ(e.find("edit"), std::string::npos) << e;
    // The editable cell next to it does get one when typed into.
    ASSERT_TRUE(g.FocusCell(3, 1));
    QTest::keyClicks(&g, "b");
    EXPECT_TRUE(g.EditorOpen());
  }
}

TEST_F(GridWidget, ACellBecomingReadOnlyLosesItsEditor) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 1);
  ASSERT_TRUE(grid.EditorOpen());
  TCellStyle& s = grid.CellStyles().Add();
  s.SetColLeft(1);
  s.SetRowTop(1);
  s.SetReadOnly(true);
  EXPECT_FALSE(grid.EditorOpen());
  EXPECT_TRUE(grid.hasFocus());
}

TEST_F(GridWidget, ProgramValuesReachAnOpenEditor) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 1);
  QTest::keyClicks(grid.Editor(), "1+2");
  grid.SetCells(1, 1, 3.0);
  EXPECT_EQ(grid.Editor()->text(), "3");
  EXPECT_FALSE(grid.Editor()->isModified());
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_EQ(std::get<double>(grid.Cells(1, 1)), 3.0);
}

TEST_F(GridWidget, EscapeIsSwallowedByTheEditor) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 1);
  QTest::keyClicks(grid.Editor(), "4");
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(grid.Editor(), &esc);
  EXPECT_TRUE(esc.isAccepted());
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "4");
}

TEST_F(GridWidget, LosingTheFocusCommitsTheEdit) {
  Show(ceAlwayShowEditor);
  int exits = 0;
  grid.OnExit = [&](TCustomKwGrid&) { ++exits; };
  grid.FocusCell(3, 2);
  EventLog log(grid);
  QTest::keyClicks(grid.Editor(), "2.5");
  w.other->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(log.events, (Events{"edit 3,2 modified real", "edited 3,2 modified"}));
  EXPECT_EQ(std::get<double>(grid.Cells(3, 2)), 2.5);
  EXPECT_FALSE(grid.EditorOpen());
  EXPECT_EQ(exits, 1);
  // Coming back by keyboard opens the editor on the same cell again.
  grid.setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_EQ(grid.Editor()->text(), "2.5");
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
}

TEST_F(GridWidget, ArrowKeysWithAndWithoutWrap) {
  Show(ceReadOnly);
  grid.SetWrap(false);
  grid.FocusCell(4, 2);
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{4, 2}));
  Key(Qt::Key_Left);
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  grid.SetWrap(true);
  grid.FocusCell(4, 2);
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{1, 3}));
  Key(Qt::Key_Left);
  EXPECT_EQ(Current(), (TCellCoord{4, 2}));
  Key(Qt::Key_Up);
  Key(Qt::Key_Up);
  EXPECT_EQ(Current(), (TCellCoord{3, 4}));
}

TEST_F(GridWidget, TheFirstKeyTakesTheHomeCell) {
  Show(ceReadOnly);
  ASSERT_EQ(Current(), (TCellCoord{-1, -1}));
  Key(Qt::Key_Down);
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));
}

TEST_F(GridWidget, EditorForwardsArrowsOnlyAtTheEdgesOfItsText) {
  Show(ceAlwayShowEditor);
  grid.SetWrap(false);
  grid.SetCells(2, 1, QString("abc"));
  grid.FocusCell(2, 1);
  // The whole text is selected: Left and Right only move the caret.
  QTest::keyClick(grid.Editor(), Qt::Key_Left);
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  EXPECT_FALSE(grid.Editor()->hasSelectedText());
  QTest::keyClick(grid.Editor(), Qt::Key_End);  // text not empty: the caret's key
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  // At the end of the text Right moves on.
  QTest::keyClick(grid.Editor(), Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{3, 1}));

  grid.FocusCell(2, 1);
  QTest::keyClick(grid.Editor(), Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  QTest::keyClick(grid.Editor(), Qt::Key_Home);
  EXPECT_EQ(grid.Editor()->cursorPosition(), 0);
  QTest::keyClick(grid.Editor(), Qt::Key_Left);
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));
  // Home and End move cells only from an empty editor.
  ASSERT_TRUE(grid.Editor()->text().isEmpty());
  QTest::keyClick(grid.Editor(), Qt::Key_End);
  EXPECT_EQ(Current(), (TCellCoord{4, 4}));
  // Up and Down always move.
  grid.SetCells(4, 3, QString("xyz"));
  QTest::keyClick(grid.Editor(), Qt::Key_Up);
  EXPECT_EQ(Current(), (TCellCoord{4, 3}));
  QTest::keyClick(grid.Editor(), Qt::Key_Up);
  EXPECT_EQ(Current(), (TCellCoord{4, 2}));
}

TEST_F(GridWidget, TabsOptionTakesTheTabKey) {
  Show(ceReadOnly);
  grid.SetWrap(false);
  grid.FocusCell(4, 1);
  Key(Qt::Key_Tab);
  // Without the option Tab leaves the grid.
  EXPECT_EQ(Current(), (TCellCoord{4, 1}));
  EXPECT_TRUE(w.other->hasFocus());

  grid.setFocus(Qt::OtherFocusReason);
  grid.SetOptions(
      TKwGridOptions{TKwGridOption::HorzLine, TKwGridOption::VertLine, TKwGridOption::Tabs});
  Key(Qt::Key_Tab);
  EXPECT_EQ(Current(), (TCellCoord{1, 2}));
  EXPECT_TRUE(grid.hasFocus());
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Current(), (TCellCoord{4, 1}));
  // From the editor too.
  grid.SetEditMode(ceAlwayShowEditor);
  ASSERT_TRUE(grid.EditorOpen());
  QTest::keyClick(grid.Editor(), Qt::Key_Tab);
  EXPECT_EQ(Current(), (TCellCoord{1, 2}));
}

TEST_F(GridWidget, HomeAndEnd) {
  grid.SetRowCount(40);
  Show(ceReadOnly);
  TCellStyle& barred = grid.CellStyles().Add();
  barred.SetRect(1, 1, 2, 1);
  barred.SetCanFocus(false);
  grid.FocusCell(3, 5);
  Key(Qt::Key_End);
  EXPECT_EQ(Current(), (TCellCoord{4, 39}));
  EXPECT_GT(grid.TopRow(), 1);
  EXPECT_TRUE(grid.viewport()->rect().contains(grid.CellRect(4, 39)));
  Key(Qt::Key_Home);
  EXPECT_EQ(Current(), (TCellCoord{3, 1}));
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_EQ(grid.LeftCol(), 1);
}

TEST_F(GridWidget, ShiftArrowsSelectARangeWithRangeSelect) {
  Show(ceReadOnly);
  grid.FocusCell(1, 1);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 1, 2, 1}));  // no RangeSelect: a plain move
  grid.SetOptions(TKwGridOptions{TKwGridOption::RangeSelect});
  Key(Qt::Key_Right, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 1, 3, 2}));
  Key(Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 1, 2, 2}));
  // A plain move ends the range.
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 3, 2, 3}));
}

TEST_F(GridWidget, CellsThatMayNotTakeTheFocus) {
  Show(ceReadOnly);
  grid.SetWrap(false);
  TCellStyle& barred = grid.CellStyles().Add();
  barred.SetColLeft(2);
  barred.SetRowTop(2);
  barred.SetCanFocus(false);
  grid.FocusCell(1, 2);
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  EventLog log(grid);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(2, 2));
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  EXPECT_FALSE(grid.FocusCell(2, 2));
  EXPECT_FALSE(grid.FocusCell(0, 2));  // fixed
  EXPECT_TRUE(log.events.empty());
}

TEST_F(GridWidget, MouseClicksAndDrags) {
  Show(ceReadOnly);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(3, 2));
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, w.CellCentre(1, 1));
  EXPECT_EQ(Current(), (TCellCoord{3, 2}));
  grid.SetOptions(TKwGridOptions{TKwGridOption::RightSelect, TKwGridOption::RangeSelect});
  QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, w.CellCentre(1, 1));
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));

  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(2, 2));
  QMouseEvent move(QEvent::MouseMove, w.CellCentre(4, 3),
                   grid.viewport()->mapToGlobal(w.CellCentre(4, 3)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(4, 3));
  EXPECT_EQ(Current(), (TCellCoord{2, 2}));
  EXPECT_EQ(grid.Selection(), (TGridRect{2, 2, 4, 3}));
}

TEST_F(GridWidget, AMergedCellIsOneCellForTheFocus) {
  Show(ceReadOnly);
  TCellStyle& m = grid.CellStyles().Add();
  m.SetRect(2, 2, 3, 3);
  m.SetJoint(true);
  ASSERT_TRUE(m.Merged());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(3, 3));
  EXPECT_EQ(Current(), (TCellCoord{2, 2}));
  EXPECT_EQ(grid.CellRect(3, 3), grid.CellRect(2, 2));
  EXPECT_EQ(grid.CellRect(2, 2).width(), grid.ColWidth(2) + grid.ColWidth(3));
  // Right from the lower row leaves the merged cell on that row.
  grid.FocusCell(1, 3);
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{2, 2}));
  Key(Qt::Key_Right);
  EXPECT_EQ(Current(), (TCellCoord{4, 3}));
}

TEST_F(GridWidget, OnKeyDownSeesKeysFirstAndMaySwallowThem) {
  Show(ceReadOnly);
  grid.FocusCell(1, 1);
  std::vector<int> keys;
  grid.OnKeyDown = [&](TCustomKwGrid& g, int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Control) keys.push_back(key);
    if (key == Qt::Key_Down) key = 0;
    EXPECT_FALSE(g.EditorOpen());
  };
  Key(Qt::Key_Down);
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));
  Key(Qt::Key_C, Qt::ControlModifier);
  Key(Qt::Key_X);
  EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Down, Qt::Key_C, Qt::Key_X}));
}

TEST_F(GridWidget, WheelScrollsScrollSpeedRowsPerNotch) {
  grid.SetRowCount(60);
  Show(ceReadOnly);
  grid.FocusCell(1, 1);
  const auto wheel = [&](int delta) {
    const QPoint at = w.CellCentre(1, 1);
    QWheelEvent ev(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &ev);
  };
  EXPECT_EQ(grid.TopRow(), 1);
  wheel(-120);
  EXPECT_EQ(grid.TopRow(), 2);
  grid.SetScrollSpeed(3);
  wheel(-120);
  EXPECT_EQ(grid.TopRow(), 5);
  wheel(-60);
  EXPECT_EQ(grid.TopRow(), 5);
  wheel(-60);
  EXPECT_EQ(grid.TopRow(), 8);
  wheel(240);
  EXPECT_EQ(grid.TopRow(), 2);
  grid.SetScrollSpeed(0);
  wheel(-120);
  EXPECT_EQ(grid.TopRow(), 2);
  // Scrolling never moves the current cell.
  EXPECT_EQ(Current(), (TCellCoord{1, 1}));
}

TEST_F(GridWidget, PageKeysScrollWithoutMovingTheCurrentCell) {
  grid.SetRowCount(60);
  Show(ceReadOnly);
  grid.FocusCell(2, 1);
  const int page = grid.verticalScrollBar()->pageStep();
  ASSERT_GT(page, 1);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid.TopRow(), 1 + page);
  EXPECT_EQ(Current(), (TCellCoord{2, 1}));
  Key(Qt::Key_PageUp);
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(GridWidget, CellAtPoint) {
  grid.SetRowCount(30);
  Show(ceReadOnly);
  EXPECT_EQ(grid.CellAtPoint({2, 2}), (TCellCoord{0, 0}));
  EXPECT_EQ(grid.CellAtPoint({64, 23}), (TCellCoord{0, 0}));
  EXPECT_EQ(grid.CellAtPoint({65, 24}), (TCellCoord{1, 1}));
  EXPECT_EQ(grid.CellAtPoint({-1, 5}), (TCellCoord{-1, -1}));
  // Right of the last column.
  grid.SetColCount(2);
  EXPECT_EQ(grid.CellAtPoint({200, 5}), (TCellCoord{-1, -1}));
  EXPECT_EQ(grid.CellAtPoint({100, 30}), (TCellCoord{1, 1}));
  grid.SetTopRow(10);
  EXPECT_EQ(grid.CellAtPoint({100, 30}), (TCellCoord{1, 10}));
  EXPECT_EQ(grid.CellAtPoint({100, 10}), (TCellCoord{1, 0}));
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST_F(GridWidget, TheLastClosedUpdateBracketRepaintsOnce) {
  Show(ceReadOnly);
  PaintCounter counter;
  grid.viewport()->installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;

  grid.SetCells(1, 1, std::int32_t{1});
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);

  counter.paints = 0;
  grid.BeginUpdate();
  grid.BeginUpdate();
  for (int r = 1; r < 5; ++r) grid.SetCells(2, r, std::int32_t{r});
  grid.CellStyles().Add().SetCellColor(Qt::red);
  grid.EndUpdate();
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(grid.UpdateDepth(), 1);
  grid.EndUpdate();
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  EXPECT_EQ(grid.UpdateDepth(), 0);
  grid.EndUpdate();  // unmatched: ignored
  EXPECT_EQ(grid.UpdateDepth(), 0);
}

TEST_F(GridWidget, ProgramFillingFiresNoEditEvents) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(1, 1);
  EventLog log(grid);
  grid.SetCells(1, 1, std::int64_t{5});
  grid.ClearAllCells();
  grid.SetCells(2, 2, QString("x"));
  EXPECT_TRUE(log.events.empty());
}

TEST_F(GridWidget, HintSplitsIntoToolTipAndStatusHint) {
  grid.SetHint(QString("short|long text"));
  EXPECT_EQ(grid.toolTip(), "short");
  EXPECT_EQ(grid.statusTip(), "long text");
  EXPECT_EQ(grid.Hint(), "short|long text");
  grid.SetHint(QString("both"));
  EXPECT_EQ(grid.toolTip(), "both");
  EXPECT_EQ(grid.statusTip(), "both");
  EXPECT_EQ(TCustomKwGrid::ShortHint("a|b|c"), "a");
  EXPECT_EQ(TCustomKwGrid::LongHint("a|b|c"), "b|c");
  grid.SetHint(QString());
  EXPECT_TRUE(grid.toolTip().isEmpty());
}

TEST_F(GridWidget, ShrinkingUnderTheEditorClosesIt) {
  Show(ceAlwayShowEditor);
  grid.FocusCell(4, 4);
  ASSERT_TRUE(grid.EditorOpen());
  grid.SetRowCount(3);
  EXPECT_FALSE(grid.EditorOpen());
  EXPECT_EQ(Current(), (TCellCoord{-1, -1}));
  EXPECT_TRUE(grid.hasFocus());
}

}  // namespace
}  // namespace qvl

namespace qvl {
namespace {

TEST_F(GridWidget, SizingByMouseOnlyWithTheSizingOptions) {
  Show(ceReadOnly);
  std::vector<int> asked;
  grid.OnColSizing = [&](TCustomKwGrid&, int col, int& width) {
    asked.push_back(col);
    width = std::min(width, 100);
  };
  // The edge between columns 1 and 2 in the fixed row.
  const QPoint edge(65 + 65, 10);
  const auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, grid.viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, to);
  };
  drag(edge, edge + QPoint(20, 0));
  EXPECT_EQ(grid.ColWidth(1), 65);
  EXPECT_TRUE(asked.empty());

  grid.SetOptions(TKwGridOptions{TKwGridOption::ColSizing, TKwGridOption::RowSizing});
  drag(edge, edge + QPoint(20, 0));
  EXPECT_EQ(grid.ColWidth(1), 85);
  drag(QPoint(65 + 85, 10), QPoint(65 + 85 + 50, 10));
  EXPECT_EQ(grid.ColWidth(1), 100);  // the handler's limit
  EXPECT_EQ(asked, (std::vector<int>{1, 1}));
  // Fixed columns need their own option.
  drag(QPoint(65, 10), QPoint(90, 10));
  EXPECT_EQ(grid.ColWidth(0), 65);
  // Rows are sized in the fixed column.
  drag(QPoint(10, 24 + 24), QPoint(10, 24 + 24 + 10));
  EXPECT_EQ(grid.RowHeight(1), 34);
}

TEST_F(GridWidget, ClickAndTopLeftEvents) {
  grid.SetRowCount(40);
  Show(ceReadOnly);
  std::vector<std::string> seen;
  grid.OnCellClick = [&](TCustomKwGrid&, int c, int r) {
    seen.push_back("click " + std::to_string(c) + "," + std::to_string(r));
  };
  grid.OnTopLeftChanged = [&](TCustomKwGrid& g) {
    seen.push_back("topleft " + std::to_string(g.LeftCol()) + "," + std::to_string(g.TopRow()));
  };
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(2, 3));
  grid.SetTopRow(5);
  EXPECT_EQ(seen, (std::vector<std::string>{"click 2,3", "topleft 1,5"}));
}

}  // namespace
}  // namespace qvl

namespace qvl {
namespace {

TEST_F(GridWidget, AnEditorOpenedWhileTheGridWasElsewhereTakesTheFocusOnReturn) {
  grid.SetEditMode(ceAlwayShowEditor);
  w.Show();
  w.other->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(grid.FocusCell(2, 2));
  ASSERT_TRUE(grid.EditorOpen());
  EXPECT_FALSE(grid.Editor()->hasFocus());
  grid.setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(grid.Editor()->hasFocus());

  // Leaving closes it; a click on its cell opens it again with the focus.
  w.other->setFocus(Qt::OtherFocusReason);
  EXPECT_FALSE(grid.EditorOpen());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, w.CellCentre(2, 2));
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_TRUE(grid.Editor()->hasFocus());
  EXPECT_EQ(Current(), (TCellCoord{2, 2}));
}

TEST(GridFocusChain, TabAndShiftTabOutOfTheEditorLeaveTheGrid) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* before = new QLineEdit;
  layout->addWidget(before);
  auto* grid = new TKwGrid;
  layout->addWidget(grid);
  auto* after = new QLineEdit;
  layout->addWidget(after);
  grid->SetEditMode(ceAlwayShowEditor);
  window.resize(420, 320);
  window.show();
  QApplication::setActiveWindow(&window);
  grid->setFocus(Qt::OtherFocusReason);
  grid->FocusCell(1, 1);
  ASSERT_TRUE(grid->Editor()->hasFocus());
  QTest::keyClick(grid->Editor(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(before->hasFocus());
  EXPECT_FALSE(grid->EditorOpen());
  // Tab comes back in and opens the editor; Tab again leaves forwards.
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_TRUE(grid->Editor()->hasFocus());
  QTest::keyClick(grid->Editor(), Qt::Key_Tab);
  EXPECT_TRUE(after->hasFocus());
  EXPECT_EQ(grid->CurrentCol(), 1);
  EXPECT_EQ(grid->CurrentRow(), 1);
}

}  // namespace
}  // namespace qvl
