// The grids' shared looks and their difference columns.
#include "ui/PatternGrids.h"

#include <QCoreApplication>
#include <QFontMetrics>

#include <new>
#include <optional>

#include "model/qvl_editor.h"
#include "model/qvl_messages.h"
#include "model/qvl_status.h"
#include "ui/AppInfo.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/QtText.h"

namespace qvl {
namespace {

// A cell as a score, rounded like a pattern read from the editor, so that a
// fractional answer of the calculator is a number like any other. Empty for
// an empty cell or a text that is no number.
std::optional<checked_score_t> CellScore(const TCellValue& v) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
  if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return RoundToScore(*d);
  if (const auto* s = std::get_if<QString>(&v)) {
    // In either language: a cell keeps the word until it is shown afresh.
    for (const language_entry_t& l : kLanguages) {
      if (*s == ToQString(Message(message_t::ValueOutOfRange, l.language))) {
        return checked_score_t::OutOfRange();
      }
    }
    const TCellValue parsed = TextToCellValue(s->trimmed());
    if (IsNumericValue(parsed)) return CellScore(parsed);
  }
  return std::nullopt;
}

QString NotAnIntegerMessage(const QString& text) {
  return QCoreApplication::translate("qvl::TPatternGrids", "「%1」は整数ではありません。")
      .arg(text);
}

}  // namespace

TCellStyle& AddRangeStyle(TKwGrid& grid, int col_left, int row_top, int col_right, int row_bottom) {
  TCellStyle& s = grid.CellStyles().Add();
  s.SetRect(col_left, row_top, col_right, row_bottom);
  return s;
}

TCellStyle& AddCellStyle(TKwGrid& grid, int col, int row) {
  TCellStyle& s = grid.CellStyles().Add();
  s.SetColLeft(col);
  s.SetRowTop(row);
  s.SetColRight(col);
  s.SetRowBottom(row);
  s.SetRange(false);
  return s;
}

TCellStyle* StyleOf(TKwGrid& grid, int col, int row) {
  const int index = grid.CellStyles().FindStyle(col, row);
  return index < 0 ? nullptr : &grid.CellStyles().Item(index);
}

QString OldPatternWord() {
  return QCoreApplication::translate("qvl::TPatternGrids", "旧パターン");
}

QString NewPatternWord() {
  return QCoreApplication::translate("qvl::TPatternGrids", "新パターン");
}

void CommonGridLooks(TKwGrid& grid, const QColor& shadow) {
  grid.SetBorderStyle(bsNone);
  grid.SetGridLineColor(shadow);
  grid.SetAlignment(taRight);
  grid.setFont(GridFont());
  grid.Fonts().Clear();
  grid.Fonts().Add(UiFont());
  grid.Fonts().Add(GridFont(), Qt::black);
}

int LabelRoom(const QString& text) {
  // Labels are drawn in font 0 between the margins, left of the grid line.
  return QFontMetrics(UiFont()).horizontalAdvance(text) + 2 * kCellMargin + 1;
}

void SetDifferenceCell(TKwGrid& grid, int col, int row, checked_score_t d) {
  TCellStyle* style = StyleOf(grid, col, row);
  if (!style) return;
  const score_t v = d.Value();
  const bool plain = v == 0 || !d.InRange();
  style->SetCellColor(plain ? QColor(Qt::white) : v > 0 ? kGainColor : kLossColor);
  style->SetDescription(plain   ? QString()
                        : v > 0 ? QCoreApplication::translate("qvl::TPatternGrids", "増加")
                                : QCoreApplication::translate("qvl::TPatternGrids", "減少"));
  grid.SetCells(col, row, ToQString(DifferenceText(d)));
}

QString OutOfRangeText() {
  return ToQString(Message(message_t::ValueOutOfRange));
}

bool UpdateDifferences(TKwGrid& grid, int old_col, int new_col, int diff_col, int rows,
                       TDialogs* dialogs, QWidget* parent,
                       const std::function<bool(int row)>& kept) {
  TGridUpdate update(grid);
  for (int r = 1; r <= rows; ++r) {
    const std::optional<checked_score_t> n = CellScore(grid.Cells(new_col, r));
    const std::optional<checked_score_t> o = CellScore(grid.Cells(old_col, r));
    if ((!n || !o) && dialogs == nullptr && kept && kept(r)) {
      if (const std::optional<checked_score_t> d = CellScore(grid.Cells(diff_col, r))) {
        SetDifferenceCell(grid, diff_col, r, *d);
      }
      continue;
    }
    if ((!n || !o) && dialogs == nullptr) {
      SetDifferenceCell(grid, diff_col, r, 0);
      grid.SetCells(diff_col, r, QString());
      continue;
    }
    if (!n || !o) {
      dialogs->Error(parent, NotAnIntegerMessage(grid.CellText(n ? old_col : new_col, r)));
      return false;
    }
    SetDifferenceCell(grid, diff_col, r, *n - *o);
  }
  return true;
}

void CopyToClipboard(TDialogs& dialogs, const std::function<QString()>& text) {
  try {
    dialogs.SetClipboardText(text());
  } catch (const std::bad_alloc&) {
    // A text too large for memory: the clipboard keeps what it held, as when
    // the platform refuses a copy; nothing to report.
  }
}

void CopyKey(TDialogs& dialogs, TKwGrid& grid, int key) {
  // Modifier keys are not looked at: C, X, Ctrl+C and Ctrl+X all copy.
  if (grid.EditorOpen() || (key != Qt::Key_C && key != Qt::Key_X)) return;
  const TGridRect selection = grid.Selection();
  if (selection.IsEmpty() || !grid.Model().Inside(selection.Left, selection.Top)) return;
  CopyToClipboard(dialogs,
                  [&grid, &selection] { return grid.CellText(selection.Left, selection.Top); });
}

}  // namespace qvl
