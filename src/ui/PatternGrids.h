// What the pattern editor's input grid and the comparison table share: their
// looks, the styles their cells carry, the difference columns and the copy
// key, so that both grids show and read a score alike.
#pragma once

#include <QColor>
#include <QString>

#include <functional>

#include "grid/KwGrid.h"
#include "model/qvl_pattern.h"

class QWidget;

namespace qvl {

class TDialogs;

// Changes inside repaint the grid once, also when the filling stops early.
class TGridUpdate {
 public:
  explicit TGridUpdate(TKwGrid& grid) : m_grid(grid) { m_grid.BeginUpdate(); }
  ~TGridUpdate() { m_grid.EndUpdate(); }
  TGridUpdate(const TGridUpdate&) = delete;
  TGridUpdate& operator=(const TGridUpdate&) = delete;

 private:
  TKwGrid& m_grid;
};

// The grids' horizontal margin on either side of a cell's text.
inline constexpr int kCellMargin = 4;

TCellStyle& AddRangeStyle(TKwGrid& grid, int col_left, int row_top, int col_right, int row_bottom);
TCellStyle& AddCellStyle(TKwGrid& grid, int col, int row);
// The style that governs a cell, or null.
[[nodiscard]] TCellStyle* StyleOf(TKwGrid& grid, int col, int row);
void CommonGridLooks(TKwGrid& grid, const QColor& shadow);

// The names of the two patterns compared, as both grids' headers show them
// and as assistive technology names the editor's title boxes.
[[nodiscard]] QString OldPatternWord();
[[nodiscard]] QString NewPatternWord();
// The room a label needs in a grid's label column, drawn in font 0.
[[nodiscard]] int LabelRoom(const QString& text);

// A difference cell: its signed text on white (0), light blue (positive) or
// light red (negative), carried by the cell's own style, which also says the
// colour's meaning to those who do not see it.
// A difference out of the score range is neither gain nor loss: it says so.
void SetDifferenceCell(TKwGrid& grid, int col, int row, checked_score_t d);
// The text a comparison cell shows for a value out of the score range.
[[nodiscard]] QString OutOfRangeText();

// The difference column of a grid: new minus old, row by row. A cell that is
// no number stops the update with an error box, later rows keep their text;
// without dialogs, a row with a text not calculated yet has no difference
// until it is, unless kept says that its old cell is the one the difference
// was taken from: then the difference stays, said afresh.
bool UpdateDifferences(TKwGrid& grid, int old_col, int new_col, int diff_col, int rows,
                       TDialogs* dialogs, QWidget* parent,
                       const std::function<bool(int row)>& kept = {});

// Clipboard copies: a text too large for memory leaves the clipboard as it was.
void CopyToClipboard(TDialogs& dialogs, const std::function<QString()>& text);
// The copy key of both grids: C or X, with any modifiers, copies the selected
// cell's text while no editor is open.
void CopyKey(TDialogs& dialogs, TKwGrid& grid, int key);

}  // namespace qvl
