// The grid's rules without a window: values, styles, merges, selection and
// keyboard steps.
#include "grid/KwGrid_Model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace qvl {
namespace {

std::string Describe(const TCellValue& v) {
  switch (v.index()) {
    case 0:
      return "empty";
    case 1:
      return "int32 " + std::to_string(std::get<std::int32_t>(v));
    case 2:
      return "int64 " + std::to_string(std::get<std::int64_t>(v));
    case 3:
      return "real " + std::to_string(std::get<double>(v));
    case 4:
      return std::get<bool>(v) ? "bool true" : "bool false";
    default:
      return "string \"" + std::get<QString>(v).toStdString() + "\"";
  }
}

TEST(CellValue, CommitConversionOfEditorText) {
  struct row_t {
    const char* text;
    TCellValue expected;
  };
  const row_t rows[] = {
      {"12", std::int32_t{12}},
      {"1.5", 1.5},
      {"1+2", QString("1+2")},
      {"-", QString("-")},
      {"+", QString("+")},
      {"", TCellValue()},
      {"0", std::int32_t{0}},
      {"-7", std::int32_t{-7}},
      {"+7", std::int32_t{7}},
      {"2147483647", std::int32_t{2147483647}},
      {"-2147483648", std::int32_t{std::numeric_limits<std::int32_t>::min()}},
      {"2147483648", std::int64_t{2147483648LL}},
      {"-2147483649", std::int64_t{-2147483649LL}},
      {"9223372036854775807", std::int64_t{std::numeric_limits<std::int64_t>::max()}},
      {"9223372036854775808", 9223372036854775808.0},
      {"1e5", 100000.0},
      {"-2.5E-1", -0.25},
      {".5", 0.5},
      {"5.", 5.0},
      {" 12 ", std::int32_t{12}},
      {"1e999", QString("1e999")},
      {"true", true},
      {"FALSE", false},
      {"True", true},
      {"a", QString("a")},
      {".", QString(".")},
      {"e5", QString("e5")},
      {"0x10", QString("0x10")},
      {"1,000", QString("1,000")},
      {"inf", QString("inf")},
      {"nan", QString("nan")},
      {"\xef\xbc\x91\xef\xbc\x92", QString::fromUtf8("\xef\xbc\x91\xef\xbc\x92")},  // full-width
      {"scb(30)", QString("scb(30)")},
      {"1 2", QString("1 2")},
  };
  for (const row_t& r : rows) {
    const TCellValue got = TextToCellValue(QString::fromUtf8(r.text));
    EXPECT_TRUE(SameCellValue(got, r.expected))
        << "\"" << r.text << "\" gave " << Describe(got) << ", expected " << Describe(r.expected);
  }
}

TEST(CellValue, TextOfValues) {
  struct row_t {
    TCellValue value;
    const char* text;
  };
  const row_t rows[] = {
      {TCellValue(), ""},
      {std::int32_t{-5}, "-5"},
      {std::int64_t{-9223372036854775807LL - 1}, "-9223372036854775808"},
      {1.5, "1.5"},
      {1500.0, "1500"},
      {-0.0, "0"},
      {1e15, "1000000000000000"},
      {-123456789012345678.0, "-123456789012345680"},
      {1e18, "1e+18"},
      {1e20, "1e+20"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {true, "True"},
      {false, "False"},
      {QString("abc"), "abc"},
  };
  for (const row_t& r : rows) {
    EXPECT_EQ(CellValueText(r.value).toStdString(), r.text) << Describe(r.value);
  }
  // Non-finite reals are printed, not converted to integers.
  EXPECT_FALSE(CellValueText(std::numeric_limits<double>::infinity()).isEmpty());
  EXPECT_FALSE(CellValueText(std::nan("")).isEmpty());
}

TEST(CellValue, TextOfIntegersAndBooleansReadsBackUnchanged) {
  const TCellValue values[] = {
      std::int32_t{42}, std::int32_t{-1}, std::int64_t{5000000000LL}, true, false,
      QString("x+y"),   TCellValue()};
  for (const TCellValue& v : values) {
    EXPECT_TRUE(SameCellValue(TextToCellValue(CellValueText(v)), v)) << Describe(v);
  }
}

TEST(CellValue, SameMeansSameKindAndValue) {
  EXPECT_TRUE(SameCellValue(std::int32_t{1}, std::int32_t{1}));
  EXPECT_FALSE(SameCellValue(std::int32_t{1}, std::int64_t{1}));
  EXPECT_FALSE(SameCellValue(std::int32_t{1}, 1.0));
  EXPECT_FALSE(SameCellValue(QString("1"), std::int32_t{1}));
  EXPECT_FALSE(SameCellValue(TCellValue(), QString()));
  EXPECT_TRUE(SameCellValue(TCellValue(), TCellValue()));
  EXPECT_TRUE(IsNumericValue(std::int64_t{3}));
  EXPECT_TRUE(IsNumericValue(2.5));
  EXPECT_FALSE(IsNumericValue(true));
  EXPECT_FALSE(IsNumericValue(QString("3")));
}

TEST(GridRect, AreasSaturateInsteadOfOverflowing) {
  EXPECT_EQ((TGridRect{1, 1, 3, 2}.Area()), 6);
  EXPECT_EQ((TGridRect{3, 3, 2, 2}.Area()), 0);
  constexpr int lo = std::numeric_limits<int>::min();
  constexpr int hi = std::numeric_limits<int>::max();
  EXPECT_EQ((TGridRect{lo, lo, hi, hi}.Area()), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ((TGridRect{lo, 0, hi, 0}.Area()), std::int64_t{1} << 32);
  EXPECT_TRUE((TGridRect{0, 0, 4, 4}.Intersects({4, 4, 9, 9})));
  EXPECT_FALSE((TGridRect{0, 0, 4, 4}.Intersects({5, 0, 9, 9})));
  EXPECT_EQ(TGridRect::Spanning({4, 1}, {2, 3}), (TGridRect{2, 1, 4, 3}));
  // A huge joint style is no merge and governs the whole grid.
  TKwGridModel m;
  TCellStyle& s = m.CellStyles().Add();
  s.SetRect(lo, lo, hi, hi);
  s.SetJoint(true);
  EXPECT_FALSE(s.Merged());
  EXPECT_EQ(m.CellStyles().FindStyle(4, 4), 0);
}

TEST(GridModel, SizesOfNewColumnsAndRows) {
  TKwGridModel m;
  EXPECT_EQ(m.ColCount(), 5);
  EXPECT_EQ(m.RowCount(), 5);
  m.SetDefaultColWidth(40);
  m.SetFixedRowHeight(30);
  m.SetDefaultRowHeight(20);
  m.SetFixedRows(2);
  m.SetRowCount(0);
  m.SetRowCount(4);
  EXPECT_EQ(m.RowHeight(0), 30);
  EXPECT_EQ(m.RowHeight(1), 30);
  EXPECT_EQ(m.RowHeight(2), 20);
  EXPECT_EQ(m.RowHeight(3), 20);
  m.SetColCount(7);
  EXPECT_EQ(m.ColWidth(6), 40);
  EXPECT_EQ(m.ColPos(7), 65 + 6 * 40);
  EXPECT_EQ(m.RowPos(4), 30 + 30 + 20 + 20);

  // Default and fixed widths reset their columns; a negative fixed width is 0.
  m.SetColWidth(3, 99);
  m.SetDefaultColWidth(50);
  EXPECT_EQ(m.ColWidth(3), 50);
  EXPECT_EQ(m.ColWidth(0), 65);
  m.SetFixedColWidth(-4);
  EXPECT_EQ(m.FixedColWidth(), 0);
  EXPECT_EQ(m.ColWidth(0), 0);
  EXPECT_EQ(m.ColWidth(1), 50);
}

TEST(GridModel, CellsOutsideTheGridAreAnIndexError) {
  TKwGridModel m;
  m.SetCells(4, 4, std::int32_t{1});
  EXPECT_THROW((void)m.Cells(5, 0), std::out_of_range);
  EXPECT_THROW((void)m.Cells(0, 5), std::out_of_range);
  EXPECT_THROW((void)m.Cells(-1, 0), std::out_of_range);
  EXPECT_THROW(m.SetCells(0, -1, std::int32_t{1}), std::out_of_range);
  EXPECT_THROW(m.SetColWidth(9, 1), std::out_of_range);
  EXPECT_THROW((void)m.CellStyles().Item(0), std::out_of_range);
}

TEST(GridModel, ClearAllCellsKeepsSizesAndStyles) {
  TKwGridModel m;
  m.SetColWidth(2, 77);
  m.CellStyles().Add().SetRect(1, 1, 2, 2);
  for (int c = 0; c < 5; ++c) m.SetCells(c, c, QString("x"));
  m.ClearAllCells();
  for (int c = 0; c < 5; ++c) {
    for (int r = 0; r < 5; ++r) EXPECT_EQ(m.Cells(c, r).index(), 0u) << c << "," << r;
  }
  EXPECT_EQ(m.ColWidth(2), 77);
  EXPECT_EQ(m.CellStyles().Count(), 1);
}

TEST(CellStyles, NewStylesTakeTheSmallestFreeName) {
  TKwGridModel m;
  TCellStyles& s = m.CellStyles();
  EXPECT_EQ(s.Add().Name(), "CellStyle1");
  EXPECT_EQ(s.Add().Name(), "CellStyle2");
  EXPECT_EQ(s.Add().Name(), "CellStyle3");
  s.Item(1).SetName("Header");
  EXPECT_EQ(s.Add().Name(), "CellStyle2");
  s.Delete(0);
  EXPECT_EQ(s.Add().Name(), "CellStyle1");
  EXPECT_EQ(s.Add().Name(), "CellStyle4");
  EXPECT_EQ(s.Item(2).Index(), 2);
  EXPECT_EQ(&s.Item(2).Collection()->Item(2), &s.Item(2));
}

TEST(CellStyles, TheLastStyleHoldingACellGovernsItAlone) {
  TKwGridModel m;
  m.Fonts().Add(QFont("Sans", 9));
  m.Fonts().Add(QFont("Sans", 12));
  TCellStyle& wide = m.CellStyles().Add();
  wide.SetRect(1, 1, 4, 4);
  wide.SetCellColor(Qt::red);
  wide.SetFontIndex(1);
  wide.SetAlignment(taCenter);
  wide.SetText("wide");
  wide.SetCanFocus(false);
  TCellStyle& single = m.CellStyles().Add();
  single.SetColLeft(2);
  single.SetRowTop(2);
  single.SetColRight(4);  // ignored: Range is false
  single.SetRowBottom(4);

  EXPECT_EQ(m.CellStyles().FindStyle(2, 2), 1);
  EXPECT_EQ(m.CellStyles().FindStyle(3, 3), 0);
  EXPECT_EQ(m.CellStyles().FindStyle(1, 1), 0);
  EXPECT_EQ(m.CellStyles().FindStyle(0, 0), -1);
  // Nothing of the earlier style reaches the cell, not even fields that the
  // later style leaves at their defaults.
  const TCellStyle* s = m.StyleAt(2, 2);
  ASSERT_EQ(s, &single);
  EXPECT_FALSE(s->CellColor().isValid());
  EXPECT_EQ(m.CellFontIndex(2, 2), -1);
  EXPECT_EQ(m.CellAlignment(2, 2), taAuto);
  EXPECT_EQ(m.ShownText(2, 2), "");
  EXPECT_TRUE(m.CanFocusCell(2, 2));
  EXPECT_FALSE(m.CanFocusCell(3, 3));
  EXPECT_EQ(m.CellFontIndex(3, 3), 1);
  EXPECT_EQ(m.ShownText(3, 3), "wide");
  // Cells without a style take the grid's values.
  m.SetAlignment(taRight);
  EXPECT_EQ(m.CellAlignment(0, 4), taRight);
}

TEST(CellStyles, AStylePartlyOutsideGovernsOnlyCellsInside) {
  TKwGridModel m;
  m.CellStyles().Add().SetRect(3, 3, 10, 10);
  EXPECT_EQ(m.CellStyles().FindStyle(4, 4), 0);
  EXPECT_EQ(m.CellStyles().FindStyle(5, 5), -1);
  EXPECT_EQ(m.CellStyles().FindStyle(-1, 3), -1);
  m.SetColCount(8);
  m.SetRowCount(8);
  EXPECT_EQ(m.CellStyles().FindStyle(7, 7), 0);
  // A free-standing collection has no grid to bound it.
  TCellStyles free;
  free.Add().SetRect(3, 3, 10, 10);
  EXPECT_EQ(free.FindStyle(9, 9), 0);
}

TEST(CellStyles, TextPriority) {
  TKwGridModel m;
  TCellStyle& s = m.CellStyles().Add();
  s.SetRect(1, 1, 3, 1);
  s.SetText("label");
  m.SetCells(2, 1, std::int32_t{7});
  struct row_t {
    TCellTextPriority priority;
    const char* emptyCell;
    const char* filledCell;
  };
  const row_t rows[] = {{tpAuto, "label", "7"}, {tpCell, "", "7"}, {tpStyle, "label", "label"}};
  for (const row_t& r : rows) {
    s.SetTextPriority(r.priority);
    bool own = true;
    EXPECT_EQ(m.ShownText(1, 1, &own).toStdString(), r.emptyCell) << r.priority;
    EXPECT_EQ(own, r.priority == tpCell) << r.priority;
    EXPECT_EQ(m.ShownText(2, 1, &own).toStdString(), r.filledCell) << r.priority;
    EXPECT_EQ(own, r.priority != tpStyle) << r.priority;
  }
}

TEST(CellStyles, StylesFollowTheGridUntilTheyAreSetThemselves) {
  TKwGridModel m;
  m.SetEditMode(ceCanEdit);
  TCellStyle& s = m.CellStyles().Add();
  EXPECT_TRUE(s.OwnerAlignment());
  EXPECT_TRUE(s.OwnerReadOnly());
  EXPECT_FALSE(s.ReadOnly());
  EXPECT_EQ(s.Layout(), tlCenter);
  EXPECT_TRUE(s.VisibleLines().Contains(goRight));
  EXPECT_TRUE(s.VisibleLines().Contains(goBottom));

  m.SetAlignment(taRight);
  m.SetLayout(tlTop);
  m.SetWordWrap(true);
  m.SetImeMode(imHira);
  m.SetEditMode(ceReadOnly);
  m.SetOptions(TKwGridOptions{TKwGridOption::HorzLine});
  EXPECT_EQ(s.Alignment(), taRight);
  EXPECT_EQ(s.Layout(), tlTop);
  EXPECT_TRUE(s.WordWrap());
  EXPECT_EQ(s.ImeMode(), imHira);
  EXPECT_TRUE(s.ReadOnly());
  EXPECT_FALSE(s.VisibleLines().Contains(goRight));
  EXPECT_TRUE(s.VisibleLines().Contains(goBottom));

  // Setting the style's own value stops the following.
  s.SetAlignment(taLeft);
  s.SetReadOnly(false);
  EXPECT_FALSE(s.OwnerAlignment());
  EXPECT_FALSE(s.OwnerReadOnly());
  m.SetAlignment(taCenter);
  m.SetEditMode(ceAlwayShowEditor);
  m.SetEditMode(ceReadOnly);
  EXPECT_EQ(s.Alignment(), taLeft);
  EXPECT_FALSE(s.ReadOnly());
  // Turning the flag back on copies the grid's value at once.
  s.SetOwnerAlignment(true);
  EXPECT_EQ(s.Alignment(), taCenter);
  s.SetOwnerReadOnly(true);
  EXPECT_TRUE(s.ReadOnly());
}

TEST(CellStyles, AStyleWithoutAGridStartsWithItsOwnDefaults) {
  TCellStyles free;
  TCellStyle& s = free.Add();
  EXPECT_EQ(s.Name(), "CellStyle1");
  EXPECT_FALSE(s.OwnerAlignment());
  EXPECT_FALSE(s.OwnerLines());
  EXPECT_EQ(s.Layout(), tlCenter);
  EXPECT_EQ(s.ImeMode(), imDontCare);
  EXPECT_FALSE(s.ReadOnly());
  EXPECT_EQ(s.FontIndex(), -1);
  EXPECT_FALSE(s.Merged());
}

TEST(Merges, WhenAMergeIsInForce) {
  struct row_t {
    const char* what;
    TGridRect rect;
    bool joint;
    bool range;
    bool merged;
  };
  // Grid of 6 × 6 with one fixed column and row.
  const row_t rows[] = {
      {"two free cells", {1, 1, 2, 1}, true, true, true},
      {"block of free cells", {2, 2, 4, 5}, true, true, true},
      {"fixed column cells", {0, 1, 0, 3}, true, true, true},
      {"fixed row cells", {1, 0, 3, 0}, true, true, true},
      {"not joint", {1, 1, 2, 1}, false, true, false},
      {"not a range", {1, 1, 2, 1}, true, false, false},
      {"one cell", {2, 2, 2, 2}, true, true, false},
      {"across the fixed column", {0, 1, 1, 1}, true, true, false},
      {"across the fixed row", {1, 0, 1, 1}, true, true, false},
      {"partly outside", {4, 4, 6, 4}, true, true, false},
      {"inverted", {3, 3, 2, 2}, true, true, false},
  };
  for (const row_t& r : rows) {
    TKwGridModel m;
    m.SetColCount(6);
    m.SetRowCount(6);
    TCellStyle& s = m.CellStyles().Add();
    s.SetRect(r.rect.Left, r.rect.Top, r.rect.Right, r.rect.Bottom);
    s.SetRange(r.range);
    s.SetJoint(r.joint);
    EXPECT_EQ(s.Merged(), r.merged) << r.what;
    EXPECT_EQ(m.MergeAt(r.rect.Left, r.rect.Top) == 0, r.merged) << r.what;
  }
}

TEST(Merges, ALaterStyleInsideTheRectangleBreaksTheMerge) {
  TKwGridModel m;
  TCellStyle& merge = m.CellStyles().Add();
  merge.SetRect(1, 1, 3, 2);
  merge.SetJoint(true);
  EXPECT_TRUE(merge.Merged());
  EXPECT_EQ(m.CellExtent(3, 2), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(m.ResolveTarget({2, 2}), (TCellCoord{1, 1}));

  TCellStyle& inner = m.CellStyles().Add();
  inner.SetColLeft(2);
  inner.SetRowTop(2);
  EXPECT_FALSE(merge.Merged());
  EXPECT_EQ(m.CellExtent(3, 2), (TGridRect{3, 2, 3, 2}));
  EXPECT_EQ(m.ResolveTarget({2, 2}), (TCellCoord{2, 2}));

  // Moving the single-cell style away restores the merge.
  inner.SetColLeft(4);
  EXPECT_TRUE(merge.Merged());
  m.CellStyles().Delete(1);
  EXPECT_TRUE(merge.Merged());
}

TEST(Merges, ALaterMergeTakesTheMergeFromTheEarlierOne) {
  TKwGridModel m;
  m.SetColCount(8);
  TCellStyle& first = m.CellStyles().Add();
  first.SetRect(1, 1, 3, 1);
  first.SetJoint(true);
  TCellStyle& second = m.CellStyles().Add();
  second.SetRect(3, 1, 5, 1);
  second.SetJoint(true);
  EXPECT_FALSE(first.Merged());
  EXPECT_TRUE(second.Merged());
  EXPECT_EQ(m.CellExtent(1, 1), (TGridRect{1, 1, 1, 1}));
  EXPECT_EQ(m.CellExtent(4, 1), (TGridRect{3, 1, 5, 1}));
}

TEST(Merges, LostWhenTheGridShrinksOrFixedCountsChange) {
  TKwGridModel m;
  TCellStyle& s = m.CellStyles().Add();
  s.SetRect(2, 2, 4, 4);
  s.SetJoint(true);
  EXPECT_TRUE(s.Merged());
  m.SetRowCount(4);
  EXPECT_FALSE(s.Merged());
  m.SetRowCount(5);
  EXPECT_TRUE(s.Merged());
  m.SetFixedCols(3);
  EXPECT_FALSE(s.Merged());
  m.SetFixedCols(2);
  EXPECT_TRUE(s.Merged());
}

// A 5 × 4 grid with one fixed column and row: free cells (1..4) × (1..3).
class Navigation : public testing::Test {
 protected:
  Navigation() {
    m.SetRowCount(4);
    Enter(1, 1);
  }
  void Enter(int col, int row) {
    const TCellCoord t = m.ResolveTarget({col, row});
    m.EnterCell({col, row}, t);
  }
  TCellCoord StepFrom(int col, int row, TNavStep step) {
    Enter(col, row);
    const auto c = m.Step(step);
    return c ? *c : TCellCoord{};
  }
  TKwGridModel m;
};

TEST_F(Navigation, ArrowsWithWrap) {
  m.SetWrap(true);
  struct row_t {
    TCellCoord from;
    TNavStep step;
    TCellCoord to;
  };
  const row_t rows[] = {
      {{2, 2}, TNavStep::Right, {3, 2}}, {{4, 1}, TNavStep::Right, {1, 2}},
      {{4, 3}, TNavStep::Right, {1, 1}}, {{1, 2}, TNavStep::Left, {4, 1}},
      {{1, 1}, TNavStep::Left, {4, 3}},  {{2, 3}, TNavStep::Down, {3, 1}},
      {{4, 3}, TNavStep::Down, {1, 1}},  {{3, 1}, TNavStep::Up, {2, 3}},
      {{2, 2}, TNavStep::Up, {2, 1}},
  };
  for (const row_t& r : rows) {
    EXPECT_EQ(StepFrom(r.from.Col, r.from.Row, r.step), r.to)
        << r.from.Col << "," << r.from.Row << " step " << static_cast<int>(r.step);
  }
}

TEST_F(Navigation, ArrowsWithoutWrapStopAtTheEdgeButTabGoesOn) {
  m.SetWrap(false);
  EXPECT_FALSE(StepFrom(4, 1, TNavStep::Right).IsValid());
  EXPECT_FALSE(StepFrom(1, 2, TNavStep::Left).IsValid());
  EXPECT_FALSE(StepFrom(2, 3, TNavStep::Down).IsValid());
  EXPECT_FALSE(StepFrom(2, 1, TNavStep::Up).IsValid());
  EXPECT_EQ(StepFrom(3, 2, TNavStep::Right), (TCellCoord{4, 2}));
  EXPECT_EQ(StepFrom(4, 1, TNavStep::TabNext), (TCellCoord{1, 2}));
  EXPECT_EQ(StepFrom(4, 3, TNavStep::TabNext), (TCellCoord{1, 1}));
  EXPECT_EQ(StepFrom(1, 1, TNavStep::TabPrev), (TCellCoord{4, 3}));
  EXPECT_EQ(StepFrom(2, 3, TNavStep::DownNext), (TCellCoord{3, 1}));
  EXPECT_EQ(StepFrom(3, 1, TNavStep::UpPrev), (TCellCoord{2, 3}));
}

TEST_F(Navigation, MovesSkipCellsThatMayNotTakeTheFocus) {
  m.SetWrap(false);
  TCellStyle& barred = m.CellStyles().Add();
  barred.SetRect(2, 1, 3, 1);
  barred.SetCanFocus(false);
  EXPECT_EQ(StepFrom(1, 1, TNavStep::Right), (TCellCoord{4, 1}));
  EXPECT_EQ(StepFrom(4, 1, TNavStep::Left), (TCellCoord{1, 1}));
  EXPECT_EQ(StepFrom(2, 2, TNavStep::Up).IsValid(), false);
  barred.SetColRight(4);
  EXPECT_FALSE(StepFrom(1, 1, TNavStep::Right).IsValid());
  EXPECT_FALSE(m.CanMoveTo({3, 1}));
  EXPECT_FALSE(m.CanMoveTo({0, 1}));  // fixed
  EXPECT_FALSE(m.CanMoveTo({1, 1}));  // current
  EXPECT_TRUE(m.CanMoveTo({1, 2}));
}

TEST_F(Navigation, MovesLeaveTheMergedRectangleTheyStartFrom) {
  m.SetWrap(false);
  TCellStyle& merge = m.CellStyles().Add();
  merge.SetRect(2, 1, 3, 2);
  merge.SetJoint(true);
  // Entering by the lower row keeps that row as the navigation position.
  Enter(1, 2);
  auto t = m.Step(TNavStep::Right);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (TCellCoord{2, 2}));
  Enter(t->Col, t->Row);
  EXPECT_EQ(m.Current(), (TCellCoord{2, 1}));
  EXPECT_EQ(m.NavPos(), (TCellCoord{2, 2}));
  t = m.Step(TNavStep::Right);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (TCellCoord{4, 2}));
  t = m.Step(TNavStep::Down);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (TCellCoord{2, 3}));
  t = m.Step(TNavStep::Left);
  ASSERT_TRUE(t);
  EXPECT_EQ(*t, (TCellCoord{1, 2}));
}

TEST_F(Navigation, AMoveThatComesBackToTheCurrentCellStops) {
  m.SetWrap(true);
  TCellStyle& barred = m.CellStyles().Add();
  barred.SetRect(1, 1, 4, 3);
  barred.SetCanFocus(false);
  TCellStyle& open = m.CellStyles().Add();
  open.SetColLeft(3);
  open.SetRowTop(2);
  Enter(3, 2);
  EXPECT_EQ(m.Current(), (TCellCoord{3, 2}));
  for (TNavStep s : {TNavStep::Right, TNavStep::Left, TNavStep::Up, TNavStep::Down,
                     TNavStep::TabNext, TNavStep::TabPrev}) {
    EXPECT_FALSE(m.Step(s).has_value()) << static_cast<int>(s);
  }
}

TEST_F(Navigation, HomeAndEndFindTheFirstAndLastFocusableCells) {
  TCellStyle& barred = m.CellStyles().Add();
  barred.SetRect(1, 1, 2, 1);
  barred.SetCanFocus(false);
  TCellStyle& barredEnd = m.CellStyles().Add();
  barredEnd.SetRect(3, 3, 4, 3);
  barredEnd.SetCanFocus(false);
  EXPECT_EQ(m.HomeCell(), (TCellCoord{3, 1}));
  EXPECT_EQ(m.EndCell(), (TCellCoord{2, 3}));
  m.SetFixedCols(5);
  EXPECT_FALSE(m.HomeCell().has_value());
  EXPECT_FALSE(m.EndCell().has_value());
}

TEST_F(Navigation, EnteringACellSetsTheValueAtEntryAndTheSelection) {
  m.SetCells(2, 2, std::int32_t{5});
  Enter(2, 2);
  EXPECT_EQ(m.Current(), (TCellCoord{2, 2}));
  EXPECT_EQ(m.Selection(), (TGridRect{2, 2, 2, 2}));
  EXPECT_FALSE(m.CurrentModified());
  // A value stored by the program moves the value at entry along...
  m.SetCells(2, 2, std::int32_t{6});
  EXPECT_FALSE(m.CurrentModified());
  // ...a committed edit does not, and neither does a change of kind.
  m.StoreEdited(2, 2, std::int64_t{6});
  EXPECT_TRUE(m.CurrentModified());
  m.StoreEdited(2, 2, std::int32_t{6});
  EXPECT_FALSE(m.CurrentModified());
}

TEST_F(Navigation, RangesSpanTheAnchorAndTheCurrentCell) {
  m.SetOptions(TKwGridOptions{TKwGridOption::RangeSelect});
  Enter(2, 2);
  m.BeginRange();
  Enter(3, 3);
  m.ExtendRangeToCurrent();
  m.BeginRange();  // the range goes on from the same anchor
  Enter(4, 3);
  m.ExtendRangeToCurrent();
  EXPECT_EQ(m.Selection(), (TGridRect{2, 2, 4, 3}));
  EXPECT_TRUE(m.IsSelected(3, 2));
  EXPECT_FALSE(m.IsSelected(1, 2));
  m.EndRange();
  EXPECT_EQ(m.Selection(), (TGridRect{4, 3, 4, 3}));
  EXPECT_FALSE(m.RangeAnchor().has_value());

  // Whole rows with RowSelect; CanSelect keeps a cell out.
  m.SetOptions(TKwGridOptions{TKwGridOption::RowSelect});
  EXPECT_EQ(m.Selection(), (TGridRect{1, 3, 4, 3}));
  TCellStyle& s = m.CellStyles().Add();
  s.SetColLeft(2);
  s.SetRowTop(3);
  s.SetCanSelect(false);
  EXPECT_FALSE(m.IsSelected(2, 3));
  EXPECT_TRUE(m.IsSelected(1, 3));
}

TEST_F(Navigation, ShrinkingTheGridDropsACurrentCellOutside) {
  Enter(4, 3);
  m.SetColCount(4);
  EXPECT_FALSE(m.Current().IsValid());
  EXPECT_EQ(m.Selection(), TGridRect{});
  Enter(2, 2);
  m.SetFixedRows(3);
  EXPECT_FALSE(m.Current().IsValid());
}

TEST(EvenSpacing, CharactersSpreadOverTheWidth) {
  // One character is centred.
  EXPECT_EQ(EvenPositions({10}, 50), (std::vector<int>{20}));
  // 3 characters of 10 in 57: 27 free, gaps 13 and 14 → the first gap takes
  // the remainder pixel.
  EXPECT_EQ(EvenPositions({10, 10, 10}, 57), (std::vector<int>{0, 24, 47}));
  // 4 characters of 5 in 31: 11 free over 3 gaps: 4, 4, 3.
  EXPECT_EQ(EvenPositions({5, 5, 5, 5}, 31), (std::vector<int>{0, 9, 18, 26}));
  // Too wide: side by side from the left.
  EXPECT_EQ(EvenPositions({10, 10}, 15), (std::vector<int>{0, 10}));
  EXPECT_TRUE(EvenPositions({}, 10).empty());
}

}  // namespace
}  // namespace qvl
