// What the grid looks like: the grid rendered to an image and its pixels
// read back.
#include "grid/KwGrid.h"

#include "grid_test_util.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace qvl {
namespace {

using test::GridWindow;

const QColor kCell(250, 250, 250);
const QColor kFixed(200, 200, 210);
const QColor kLine(192, 192, 192);
const QColor kHighlight(0, 0, 200);
const QColor kSelText(0, 255, 0);
const QColor kInk(255, 0, 255);

std::string Name(QColor c) {
  return c.name().toStdString();
}

class GridPaint : public testing::Test {
 protected:
  GridPaint() : grid(*w.grid) {
    grid.SetCellColor(kCell);
    grid.SetFixedCellColor(kFixed);
    grid.SetHighlightColor(kHighlight);
    grid.SetSelTextColor(kSelText);
    QFont big = grid.font();
    big.setPixelSize(18);
    big.setBold(true);
    grid.Fonts().Add(big, kInk);
  }
  QImage Grab() {
    QApplication::processEvents();
    return grid.viewport()->grab().toImage();
  }
  // A point inside a cell, clear of lines, margins and text.
  [[nodiscard]] QPoint Inner(int col, int row) const {
    return grid.CellRect(col, row).topLeft() + QPoint(2, 2);
  }
  // The bounding box of the pixels in the cell that differ from `background`,
  // lines excluded.
  static QRect Ink(const QImage& img, const QRect& cell, QColor background) {
    QRect box;
    for (int y = cell.top(); y < cell.bottom(); ++y) {
      for (int x = cell.left(); x < cell.right(); ++x) {
        if (img.pixelColor(x, y) != background) box = box.united(QRect(x, y, 1, 1));
      }
    }
    return box;
  }
  static int Count(const QImage& img, const QRect& cell, QColor c) {
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x) n += img.pixelColor(x, y) == c;
    }
    return n;
  }
  TCellStyle& InkStyle(int col, int row, const QString& text) {
    TCellStyle& s = grid.CellStyles().Add();
    s.SetColLeft(col);
    s.SetRowTop(row);
    s.SetFontIndex(0);
    grid.SetCells(col, row, text);
    return s;
  }

  GridWindow w;
  TKwGrid& grid;
};

TEST_F(GridPaint, BackgroundsAndLinesOfStyledCells) {
  TCellStyle& red = grid.CellStyles().Add();
  red.SetColLeft(2);
  red.SetRowTop(2);
  red.SetCellColor(QColor(255, 0, 0));
  red.SetRightLineColor(QColor(0, 0, 255));
  // A later style with the default colour over an earlier coloured range.
  TCellStyle& range = grid.CellStyles().Add();
  range.SetRect(0, 3, 4, 3);
  range.SetCellColor(QColor(0, 128, 0));
  TCellStyle& plain = grid.CellStyles().Add();
  plain.SetRect(0, 3, 3, 3);
  w.Show();
  const QImage img = Grab();

  const QRect r22 = grid.CellRect(2, 2);
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 2))), Name(QColor(255, 0, 0)));
  EXPECT_EQ(Name(img.pixelColor(r22.right(), r22.center().y())), Name(QColor(0, 0, 255)));
  EXPECT_EQ(Name(img.pixelColor(r22.center().x(), r22.bottom())), Name(kLine));
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 2))), Name(kCell));
  EXPECT_EQ(Name(img.pixelColor(Inner(0, 2))), Name(kFixed));
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 0))), Name(kFixed));
  // The default colour of the governing style: the grid's colours.
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 3))), Name(kCell));
  EXPECT_EQ(Name(img.pixelColor(Inner(0, 3))), Name(kFixed));
  EXPECT_EQ(Name(img.pixelColor(Inner(4, 3))), Name(QColor(0, 128, 0)));
}

TEST_F(GridPaint, LineOptionsAndVisibleLines) {
  grid.SetOptions(TKwGridOptions{TKwGridOption::HorzLine});
  TCellStyle& s = grid.CellStyles().Add();
  s.SetColLeft(3);
  s.SetRowTop(1);
  s.SetVisibleLines(TKwGridLines{goRight});
  w.Show();
  const QImage img = Grab();
  const QRect r = grid.CellRect(1, 1);
  EXPECT_EQ(Name(img.pixelColor(r.right(), r.center().y())), Name(kCell));
  EXPECT_EQ(Name(img.pixelColor(r.center().x(), r.bottom())), Name(kLine));
  const QRect r3 = grid.CellRect(3, 1);
  EXPECT_EQ(Name(img.pixelColor(r3.right(), r3.center().y())), Name(kLine));
  EXPECT_EQ(Name(img.pixelColor(r3.center().x(), r3.bottom())), Name(kCell));
}

TEST_F(GridPaint, HighlightedCells) {
  grid.SetOptions(TKwGridOptions{TKwGridOption::HorzLine, TKwGridOption::VertLine,
                                 TKwGridOption::RangeSelect, TKwGridOption::AlwayShowSelect});
  TCellStyle& unselectable = grid.CellStyles().Add();
  unselectable.SetColLeft(1);
  unselectable.SetRowTop(2);
  unselectable.SetCanSelect(false);
  w.Show();
  grid.FocusCell(1, 1);
  QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
  ASSERT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 2}));
  // The focus leaves: AlwayShowSelect keeps the selection shown.
  w.other->setFocus(Qt::OtherFocusReason);
  QImage img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 1))), Name(kHighlight));
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 1))), Name(kHighlight));
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 2))), Name(kCell));  // CanSelect false
  EXPECT_EQ(Name(img.pixelColor(Inner(3, 2))), Name(kCell));  // outside
  // The current cell is highlighted only with FocusHighlight.
  EXPECT_EQ(grid.CurrentCol(), 2);
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 2))), Name(kCell));
  grid.FocusCell(1, 1);
  QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
  img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 1))), Name(kHighlight));
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 1))), Name(kCell));  // current
  grid.SetOptions(grid.Options().Include(TKwGridOption::FocusHighlight));
  img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(2, 1))), Name(kHighlight));

  // Without AlwayShowSelect an unfocused grid shows no selection.
  grid.SetOptions(grid.Options().Exclude(TKwGridOption::AlwayShowSelect));
  img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 1))), Name(kCell));
  grid.setFocus(Qt::OtherFocusReason);
  img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(1, 1))), Name(kHighlight));
}

TEST_F(GridPaint, AMergedRectangleIsPaintedAsOneCell) {
  TCellStyle& m = grid.CellStyles().Add();
  m.SetRect(1, 3, 3, 3);
  m.SetJoint(true);
  m.SetCellColor(QColor(0, 160, 0));
  TCellStyle& notMerged = grid.CellStyles().Add();
  notMerged.SetRect(1, 1, 3, 1);
  notMerged.SetCellColor(QColor(0, 160, 0));
  w.Show();
  ASSERT_TRUE(m.Merged());
  const QImage img = Grab();
  const int y = grid.CellRect(1, 3).top() + 3;
  // Where the lines between columns 1, 2 and 3 would be: all green.
  const int firstEdge = 65 + grid.ColWidth(1) - 1;
  const int secondEdge = firstEdge + grid.ColWidth(2);
  EXPECT_EQ(Name(img.pixelColor(firstEdge, y)), Name(QColor(0, 160, 0)));
  EXPECT_EQ(Name(img.pixelColor(secondEdge, y)), Name(QColor(0, 160, 0)));
  // The merged cell's own right and bottom lines are drawn.
  const QRect r = grid.CellRect(2, 3);
  EXPECT_EQ(r, grid.CellRect(1, 3));
  EXPECT_EQ(Name(img.pixelColor(r.right(), y)), Name(kLine));
  EXPECT_EQ(Name(img.pixelColor(r.center().x(), r.bottom())), Name(kLine));
  // The same rectangle without Joint keeps its inner lines.
  const int y1 = grid.CellRect(1, 1).top() + 3;
  EXPECT_EQ(Name(img.pixelColor(firstEdge, y1)), Name(kLine));
}

TEST_F(GridPaint, AMergedCellScrolledPartlyAwayIsStillPainted) {
  grid.SetColCount(12);
  TCellStyle& m = grid.CellStyles().Add();
  m.SetRect(1, 2, 3, 2);
  m.SetJoint(true);
  m.SetCellColor(QColor(0, 160, 0));
  w.Show();
  grid.SetLeftCol(2);
  ASSERT_EQ(grid.LeftCol(), 2);
  const QImage img = Grab();
  // Columns 2 and 3 of the merge now start right after the fixed column.
  EXPECT_EQ(Name(img.pixelColor(67, grid.CellRect(4, 2).top() + 3)), Name(QColor(0, 160, 0)));
  // The fixed column is not painted over.
  EXPECT_EQ(Name(img.pixelColor(30, grid.CellRect(4, 2).top() + 3)), Name(kFixed));
}

TEST_F(GridPaint, FocusRectangleOnlyWhileFocusedAndNotEditing) {
  w.Show();
  grid.FocusCell(2, 2);
  const QRect r = grid.CellRect(2, 2);
  const QRect frame(r.left() + 1, r.top() + 1, r.width() - 2, 1);
  QImage img = Grab();
  EXPECT_LT(Count(img, frame, kCell), frame.width());
  w.other->setFocus(Qt::OtherFocusReason);
  img = Grab();
  EXPECT_EQ(Count(img, frame, kCell), frame.width());
}

TEST_F(GridPaint, TextColoursFollowHighlightAndEnabledState) {
  grid.SetColWidth(2, 120);
  InkStyle(2, 2, "MMMM");
  w.Show();
  QImage img = Grab();
  const QRect r = grid.CellRect(2, 2);
  if (Ink(img, r, kCell).isEmpty()) GTEST_SKIP() << "no font to draw text with";
  EXPECT_GT(Count(img, r, kInk), 0);

  grid.SetOptions(TKwGridOptions{TKwGridOption::AlwayShowSelect, TKwGridOption::FocusHighlight});
  grid.FocusCell(2, 2);
  img = Grab();
  EXPECT_EQ(Count(img, r, kInk), 0);
  EXPECT_GT(Count(img, r, kSelText), 0);

  grid.setEnabled(false);
  img = Grab();
  const QColor grey = grid.palette().color(QPalette::Disabled, QPalette::Text);
  EXPECT_EQ(Count(img, r, kInk), 0);
  EXPECT_EQ(Count(img, r, kSelText), 0);
  EXPECT_GT(Count(img, r, grey), 0);
}

TEST_F(GridPaint, AlignmentMarginsLayoutAndWrap) {
  grid.SetColCount(2);
  grid.SetColWidth(1, 200);
  grid.SetRowCount(9);
  for (int row = 1; row < 9; ++row) grid.SetRowHeight(row, 60);
  grid.SetHorzMargin(10);
  InkStyle(1, 1, "x");
  grid.SetCells(1, 1, std::int32_t{1111});
  InkStyle(1, 2, "IIII");
  InkStyle(1, 3, "IIII").SetAlignment(taCenter);
  InkStyle(1, 4, "IIII").SetAlignment(taEven);
  InkStyle(1, 5, "IIII").SetLayout(tlTop);
  InkStyle(1, 6, "IIII").SetLayout(tlBottom);
  const QString words = "IIII IIII IIII IIII IIII IIII IIII IIII IIII IIII IIII IIII";
  InkStyle(1, 7, words).SetWordWrap(true);
  InkStyle(1, 8, words);
  w.window->resize(600, 700);
  w.Show();
  const QImage img = Grab();
  const auto ink = [&](int row) { return Ink(img, grid.CellRect(1, row), kCell); };
  ASSERT_TRUE(grid.viewport()->rect().contains(grid.CellRect(1, 8)));
  if (ink(2).isEmpty()) GTEST_SKIP() << "no font to draw text with";

  const QRect cell = grid.CellRect(1, 1);
  const int mid = cell.center().x();
  // taAuto: numbers right, text left, inside the margins.
  EXPECT_GT(ink(1).left(), mid);
  EXPECT_LE(ink(1).right(), cell.right() - 10);
  EXPECT_LT(ink(2).right(), mid);
  EXPECT_GE(ink(2).left(), cell.left() + 10);
  // taCenter: about the same room on both sides.
  const QRect c = ink(3);
  EXPECT_LE(std::abs((c.left() - cell.left()) - (cell.right() - c.right())), 3);
  // taEven: from one margin to the other.
  const QRect e = ink(4);
  EXPECT_LE(e.left() - (cell.left() + 10), 3);
  EXPECT_LE((cell.right() - 10) - e.right(), 4);
  // Layout: top and bottom halves.
  EXPECT_LT(ink(5).bottom(), grid.CellRect(1, 5).center().y());
  EXPECT_GT(ink(6).top(), grid.CellRect(1, 6).center().y());
  // Word wrap breaks the text into lines; without it the text stays on one.
  EXPECT_GT(ink(7).height(), 2 * ink(8).height());
  EXPECT_GE(ink(7).left(), cell.left() + 10);
}

TEST_F(GridPaint, OwnerDrawingWithoutDefaultDrawing) {
  TCellStyle& m = grid.CellStyles().Add();
  m.SetRect(1, 3, 2, 3);
  m.SetJoint(true);
  std::vector<std::string> seen;
  grid.OnDrawCell = [&](TCustomKwGrid&, QPainter& p, int col, int row, const QRect& r,
                        TKwGridDrawState st, bool& handled) {
    std::string flags = std::to_string(col) + "," + std::to_string(row) + ":";
    if (st.Selected) flags += "S";
    if (st.Current) flags += "C";
    if (st.Fixed) flags += "F";
    if (st.Merged) flags += "M";
    seen.push_back(flags);
    if (col == 3 && row == 1) {
      p.fillRect(r, QColor(255, 255, 0));
      handled = true;
    }
  };
  w.Show();
  grid.FocusCell(2, 2);
  QImage img = Grab();
  // With DefaultDrawing on, the event is not offered.
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(Name(img.pixelColor(Inner(3, 1))), Name(kCell));

  grid.SetDefaultDrawing(false);
  img = Grab();
  EXPECT_EQ(Name(img.pixelColor(Inner(3, 1))), Name(QColor(255, 255, 0)));
  EXPECT_EQ(Name(img.pixelColor(Inner(4, 1))), Name(kCell));
  const auto has = [&](const std::string& s) {
    return std::find(seen.begin(), seen.end(), s) != seen.end();
  };
  EXPECT_TRUE(has("2,2:C"));
  EXPECT_TRUE(has("0,1:F"));
  EXPECT_TRUE(has("1,3:M"));
  EXPECT_FALSE(has("2,3:M"));  // the merge is offered once, by its top-left cell
}

TEST_F(GridPaint, TextFormatChangesOnlyTheCellsOwnText) {
  TCellStyle& s = InkStyle(1, 1, "");
  s.SetText("style");
  grid.SetCells(2, 1, std::int32_t{5});
  std::vector<std::string> asked;
  grid.OnTextFormat = [&](TCustomKwGrid&, int col, int row, QString& text) {
    asked.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + text.toStdString());
    text = "<" + text + ">";
  };
  EXPECT_EQ(grid.DisplayText(1, 1), "style");
  EXPECT_EQ(grid.DisplayText(2, 1), "<5>");
  EXPECT_EQ(asked, (std::vector<std::string>{"2,1=5"}));
}

}  // namespace
}  // namespace qvl
