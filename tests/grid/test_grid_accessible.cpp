// The grid read back the way assistive technology reads it.
#include "grid/KwGrid.h"
#include "grid/KwGridAccessible.h"

#include "grid_test_util.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvl {
namespace {

using test::GridWindow;

struct seen_t {
  QAccessible::Event type;
  int child;
};
std::vector<seen_t>* g_seen = nullptr;

void RecordEvent(QAccessibleEvent* e) {
  if (g_seen) g_seen->push_back({e->type(), e->child()});
}

class GridAccessible : public testing::Test {
 protected:
  GridAccessible() : grid(*w.grid) {
    grid.SetEditMode(ceAlwayShowEditor);
    TCellStyle& header = grid.CellStyles().Add();
    header.SetRect(1, 0, 4, 0);
    header.SetText("head");
    TCellStyle& locked = grid.CellStyles().Add();
    locked.SetRect(4, 1, 4, 4);
    locked.SetReadOnly(true);
    w.Show();
  }
  [[nodiscard]] QAccessibleInterface* Table() const {
    return QAccessible::queryAccessibleInterface(&grid);
  }
  [[nodiscard]] QAccessibleInterface* CellAt(int col, int row) const {
    QAccessibleInterface* t = Table();
    return t && t->tableInterface() ? t->tableInterface()->cellAt(row, col) : nullptr;
  }
  void Type(int col, int row, const char* text) {
    ASSERT_TRUE(grid.FocusCell(col, row) || (grid.CurrentCol() == col && grid.CurrentRow() == row));
    QTest::keyClicks(grid.Editor(), text);
    QTest::keyClick(grid.Editor(), Qt::Key_Return);
  }

  GridWindow w;
  TKwGrid& grid;
};

TEST_F(GridAccessible, TheGridIsATableOfItsCells) {
  QAccessibleInterface* t = Table();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->role(), QAccessible::Table);
  ASSERT_NE(t->tableInterface(), nullptr);
  EXPECT_EQ(t->tableInterface()->rowCount(), 5);
  EXPECT_EQ(t->tableInterface()->columnCount(), 5);
  EXPECT_EQ(t->childCount(), 25);
  grid.SetRowCount(7);
  EXPECT_EQ(t->tableInterface()->rowCount(), 7);
  EXPECT_EQ(t->childCount(), 35);

  QAccessibleInterface* cell = CellAt(2, 3);
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(cell->tableCellInterface(), nullptr);
  EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 2);
  EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 3);
  EXPECT_EQ(cell->parent(), t);
  EXPECT_EQ(cell->tableCellInterface()->table(), t);
  // One interface per cell, reached the same way by index.
  EXPECT_EQ(CellAt(2, 3), cell);
  EXPECT_EQ(t->indexOfChild(cell), 3 * 5 + 2);
  EXPECT_EQ(t->child(3 * 5 + 2), cell);
  EXPECT_EQ(CellAt(5, 0), nullptr);
  EXPECT_EQ(CellAt(0, 0)->role(), QAccessible::ColumnHeader);
  EXPECT_EQ(CellAt(0, 2)->role(), QAccessible::RowHeader);
  EXPECT_EQ(cell->role(), QAccessible::Cell);
}

TEST_F(GridAccessible, CellTextsAndTheCurrentCellAfterEdits) {
  grid.SetCells(0, 1, QString("label"));
  Type(1, 1, "12");
  Type(2, 1, "1+2");
  Type(3, 2, "1.5");
  Type(1, 3, "");
  EXPECT_EQ(CellAt(1, 1)->text(QAccessible::Name), "12");
  EXPECT_EQ(CellAt(2, 1)->text(QAccessible::Name), "1+2");
  EXPECT_EQ(CellAt(3, 2)->text(QAccessible::Name), "1.5");
  EXPECT_EQ(CellAt(3, 2)->text(QAccessible::Value), "1.5");
  EXPECT_EQ(CellAt(1, 3)->text(QAccessible::Name), "");
  EXPECT_EQ(CellAt(0, 1)->text(QAccessible::Name), "label");
  EXPECT_EQ(CellAt(2, 0)->text(QAccessible::Name), "head");  // the style's text
  // A style's description is said of the cells it governs, and only of them.
  grid.CellStyles().Item(1).SetDescription("locked");
  EXPECT_EQ(CellAt(4, 2)->text(QAccessible::Description), "locked");
  EXPECT_EQ(CellAt(3, 2)->text(QAccessible::Description), "");
  EXPECT_EQ(Table()->tableInterface()->columnDescription(3), "head");
  EXPECT_EQ(Table()->tableInterface()->rowDescription(1), "label");

  // The current cell is the table's focus child, and focused.
  QAccessibleInterface* focus = Table()->focusChild();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus, CellAt(1, 3));
  EXPECT_TRUE(focus->state().focused);
  EXPECT_TRUE(focus->state().active);
  EXPECT_FALSE(CellAt(1, 1)->state().focused);
  QTest::keyClick(grid.Editor(), Qt::Key_Up);
  EXPECT_EQ(Table()->focusChild(), CellAt(1, 2));
  EXPECT_TRUE(CellAt(1, 2)->tableCellInterface()->isSelected());
}

TEST_F(GridAccessible, ReadOnlyAndFocusStates) {
  EXPECT_TRUE(CellAt(4, 2)->state().readOnly);
  EXPECT_FALSE(CellAt(4, 2)->state().editable);
  EXPECT_FALSE(CellAt(3, 2)->state().readOnly);
  EXPECT_TRUE(CellAt(3, 2)->state().editable);
  EXPECT_TRUE(CellAt(3, 2)->state().focusable);
  EXPECT_FALSE(CellAt(0, 2)->state().focusable);
  TCellStyle& barred = grid.CellStyles().Add();
  barred.SetColLeft(2);
  barred.SetRowTop(2);
  barred.SetCanFocus(false);
  EXPECT_FALSE(CellAt(2, 2)->state().focusable);
}

TEST_F(GridAccessible, AutomationCanMoveTheCurrentCell) {
  QAccessibleInterface* cell = CellAt(3, 4);
  QAccessibleActionInterface* action = cell->actionInterface();
  ASSERT_NE(action, nullptr);
  ASSERT_TRUE(action->actionNames().contains(QAccessibleActionInterface::setFocusAction()));
  action->doAction(QAccessibleActionInterface::setFocusAction());
  EXPECT_EQ(grid.CurrentCol(), 3);
  EXPECT_EQ(grid.CurrentRow(), 4);
  EXPECT_TRUE(grid.EditorOpen());
  EXPECT_TRUE(CellAt(0, 1)->actionInterface()->actionNames().isEmpty());
}

TEST_F(GridAccessible, MergedCellsReportTheirExtent) {
  TCellStyle& m = grid.CellStyles().Add();
  m.SetRect(1, 2, 3, 3);
  m.SetJoint(true);
  m.SetText("merged");
  EXPECT_EQ(CellAt(1, 2)->tableCellInterface()->columnExtent(), 3);
  EXPECT_EQ(CellAt(1, 2)->tableCellInterface()->rowExtent(), 2);
  EXPECT_EQ(CellAt(2, 3)->tableCellInterface()->columnExtent(), 1);
  EXPECT_EQ(CellAt(2, 3)->text(QAccessible::Name), "merged");
  EXPECT_EQ(CellAt(1, 2)->rect(), CellAt(3, 3)->rect());
}

TEST_F(GridAccessible, FocusAndValueChangesAreAnnounced) {
  std::vector<seen_t> seen;
  g_seen = &seen;
  const TKwGridAccessibleListener previous = SetKwGridAccessibleListener(&RecordEvent);

  grid.FocusCell(2, 1);
  grid.SetCells(3, 2, std::int32_t{9});
  Type(2, 1, "5");
  w.other->setFocus(Qt::OtherFocusReason);
  grid.FocusCell(3, 3);  // not focused: no focus event
  grid.SetRowCount(6);

  SetKwGridAccessibleListener(previous);
  g_seen = nullptr;

  const auto count = [&](QAccessible::Event type, int child) {
    int n = 0;
    for (const seen_t& s : seen) n += s.type == type && s.child == child;
    return n;
  };
  EXPECT_EQ(count(QAccessible::Focus, 1 * 5 + 2), 1);
  EXPECT_EQ(count(QAccessible::Focus, 3 * 5 + 3), 0);
  EXPECT_EQ(count(QAccessible::ValueChanged, 2 * 5 + 3), 1);
  EXPECT_GE(count(QAccessible::ValueChanged, 1 * 5 + 2), 1);
  EXPECT_EQ(count(QAccessible::TableModelChanged, -1), 1);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&grid)->tableInterface()->rowCount(), 6);
}

}  // namespace
}  // namespace qvl
