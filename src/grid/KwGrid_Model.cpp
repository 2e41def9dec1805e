// The grid's rules without a window: sizes and cells, the grid-wide
// properties that styles follow, the governing style and merges, the current
// cell, the selection and the keyboard steps.
#include "grid/KwGrid.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

namespace qvl {

namespace {

[[noreturn]] void ThrowIndex(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---------------------------------------------------------------------------
// TKwGridModel: sizes and cells

TKwGridModel::TKwGridModel() {
  SetColCount(5);
  SetRowCount(5);
}

TKwGridModel::~TKwGridModel() {
  m_observer = nullptr;
}

void TKwGridModel::SetColCount(int n) {
  n = std::max(n, 0);
  if (n == ColCount()) return;
  const std::size_t rows = m_rowHeights.size();
  TKwCols fresh;
  fresh.Width = m_defaultColWidth;
  fresh.Cells.resize(rows);
  m_cols.resize(static_cast<std::size_t>(n), fresh);
  GeometryChanged();
}

void TKwGridModel::SetRowCount(int n) {
  n = std::max(n, 0);
  if (n == RowCount()) return;
  const int old = RowCount();
  m_rowHeights.resize(static_cast<std::size_t>(n));
  for (int r = old; r < n; ++r) {
    m_rowHeights[static_cast<std::size_t>(r)] =
        r < m_fixedRows ? m_fixedRowHeight : m_defaultRowHeight;
  }
  for (TKwCols& c : m_cols) c.Cells.resize(static_cast<std::size_t>(n));
  GeometryChanged();
}

void TKwGridModel::SetFixedCols(int n) {
  m_fixedCols = std::max(n, 0);
  GeometryChanged();
}

void TKwGridModel::SetFixedRows(int n) {
  m_fixedRows = std::max(n, 0);
  GeometryChanged();
}

void TKwGridModel::SetDefaultColWidth(int w) {
  m_defaultColWidth = std::max(w, 0);
  for (int c = m_fixedCols; c < ColCount(); ++c) {
    m_cols[static_cast<std::size_t>(c)].Width = m_defaultColWidth;
  }
  GeometryChanged();
}

void TKwGridModel::SetDefaultRowHeight(int h) {
  m_defaultRowHeight = std::max(h, 0);
}

void TKwGridModel::SetFixedColWidth(int w) {
  m_fixedColWidth = std::max(w, 0);
  for (int c = 0; c < std::min(m_fixedCols, ColCount()); ++c) {
    m_cols[static_cast<std::size_t>(c)].Width = m_fixedColWidth;
  }
  GeometryChanged();
}

void TKwGridModel::SetFixedRowHeight(int h) {
  m_fixedRowHeight = std::max(h, 0);
}

int TKwGridModel::ColWidth(int col) const {
  return Column(col).Width;
}

void TKwGridModel::SetColWidth(int col, int w) {
  if (col < 0 || col >= ColCount()) ThrowIndex(col);
  m_cols[static_cast<std::size_t>(col)].Width = std::max(w, 0);
  GeometryChanged();
}

int TKwGridModel::RowHeight(int row) const {
  if (row < 0 || row >= RowCount()) ThrowIndex(row);
  return m_rowHeights[static_cast<std::size_t>(row)];
}

void TKwGridModel::SetRowHeight(int row, int h) {
  if (row < 0 || row >= RowCount()) ThrowIndex(row);
  m_rowHeights[static_cast<std::size_t>(row)] = std::max(h, 0);
  GeometryChanged();
}

std::int64_t TKwGridModel::ColPos(int col) const {
  col = std::clamp(col, 0, ColCount());
  return m_colPos[static_cast<std::size_t>(col)];
}

std::int64_t TKwGridModel::RowPos(int row) const {
  row = std::clamp(row, 0, RowCount());
  return m_rowPos[static_cast<std::size_t>(row)];
}

const TKwCols& TKwGridModel::Column(int col) const {
  if (col < 0 || col >= ColCount()) ThrowIndex(col);
  return m_cols[static_cast<std::size_t>(col)];
}

const TCellValue& TKwGridModel::Cells(int col, int row) const {
  const TKwCols& c = Column(col);
  if (row < 0 || row >= RowCount()) ThrowIndex(row);
  return c.Cells[static_cast<std::size_t>(row)];
}

TCellValue& TKwGridModel::CellRef(int col, int row) {
  if (col < 0 || col >= ColCount()) ThrowIndex(col);
  if (row < 0 || row >= RowCount()) ThrowIndex(row);
  return m_cols[static_cast<std::size_t>(col)].Cells[static_cast<std::size_t>(row)];
}

void TKwGridModel::SetCells(int col, int row, const TCellValue& v) {
  CellRef(col, row) = v;
  if (m_current == TCellCoord{col, row}) m_valueAtEntry = v;
  NotifyCells(TGridRect::OfCell({col, row}));
}

void TKwGridModel::StoreEdited(int col, int row, const TCellValue& v) {
  CellRef(col, row) = v;
  NotifyCells(TGridRect::OfCell({col, row}));
}

void TKwGridModel::ClearAllCells() {
  for (TKwCols& c : m_cols) {
    for (TCellValue& v : c.Cells) v = TCellValue();
  }
  if (m_current.IsValid()) m_valueAtEntry = TCellValue();
  NotifyCells({0, 0, ColCount() - 1, RowCount() - 1});
}

// ---------------------------------------------------------------------------
// Grid-wide properties

void TKwGridModel::SetAlignment(TKwTextAlignment a) {
  m_alignment = a;
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerAlignment) s.m_alignment = a;
  }
  NotifyLooks();
}

void TKwGridModel::SetLayout(TTextLayout l) {
  m_layout = l;
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerLayout) s.m_layout = l;
  }
  NotifyLooks();
}

void TKwGridModel::SetImeMode(TImeMode m) {
  m_imeMode = m;
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerImeMode) s.m_imeMode = m;
  }
  NotifyLooks();
}

void TKwGridModel::SetWordWrap(bool b) {
  m_wordWrap = b;
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerWordWrap) s.m_wordWrap = b;
  }
  NotifyLooks();
}

void TKwGridModel::SetEditMode(TCellEditMode m) {
  m_editMode = m;
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerReadOnly) s.m_readOnly = m == ceReadOnly;
  }
  NotifyLooks();
}

void TKwGridModel::SetOptions(TKwGridOptions o) {
  m_options = o;
  const TKwGridLines lines = GridLines();
  for (int i = 0; i < m_styles.Count(); ++i) {
    TCellStyle& s = m_styles.Item(i);
    if (s.m_ownerLines) s.m_visibleLines = lines;
  }
  if (!o.Contains(TKwGridOption::RangeSelect)) EndRange();
  NotifyLooks();
}

TKwGridLines TKwGridModel::GridLines() const {
  TKwGridLines l;
  l.Set(goRight, m_options.Contains(TKwGridOption::VertLine));
  l.Set(goBottom, m_options.Contains(TKwGridOption::HorzLine));
  return l;
}

// ---------------------------------------------------------------------------
// Governing styles and merges

void TKwGridModel::StylesChanged(bool geometry) {
  if (geometry) m_stale = true;
  NotifyLooks();
}

void TKwGridModel::FontsChanged() {
  NotifyLooks();
}

void TKwGridModel::GeometryChanged() {
  m_stale = true;
  RebuildPositions();
  KeepStateInside();
  NotifySizes();
}

void TKwGridModel::RebuildPositions() {
  m_colPos.assign(m_cols.size() + 1, 0);
  for (std::size_t c = 0; c < m_cols.size(); ++c) m_colPos[c + 1] = m_colPos[c] + m_cols[c].Width;
  m_rowPos.assign(m_rowHeights.size() + 1, 0);
  for (std::size_t r = 0; r < m_rowHeights.size(); ++r) {
    m_rowPos[r + 1] = m_rowPos[r] + m_rowHeights[r];
  }
}

void TKwGridModel::Rebuild() const {
  if (!m_stale) return;
  const int cols = ColCount();
  const int rows = RowCount();
  const std::size_t cells = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
  m_governing.assign(cells, -1);
  m_mergeOf.assign(cells, -1);
  const int count = m_styles.Count();
  const TGridRect grid{0, 0, cols - 1, rows - 1};

  // Later styles overwrite earlier ones: the last one holding a cell governs.
  for (int i = 0; i < count; ++i) {
    const TGridRect r = m_styles.Item(i).Rect();
    if (!r.Intersects(grid)) continue;
    const int l = std::max(r.Left, 0);
    const int t = std::max(r.Top, 0);
    const int rr = std::min(r.Right, cols - 1);
    const int b = std::min(r.Bottom, rows - 1);
    for (int y = t; y <= b; ++y) {
      for (int x = l; x <= rr; ++x) m_governing[CacheIndex(x, y)] = i;
    }
  }

  std::vector<char> inForce(static_cast<std::size_t>(count), 0);
  for (int i = 0; i < count; ++i) {
    const TCellStyle& s = m_styles.Item(i);
    s.m_merged = false;
    if (!s.Joint() || !s.Range()) continue;
    const TGridRect r = s.Rect();
    if (r.IsEmpty() || r.Area() < 2) continue;
    if (r.Left < 0 || r.Top < 0 || r.Right >= cols || r.Bottom >= rows) continue;
    const bool colsFixed = r.Right < m_fixedCols;
    const bool colsFree = r.Left >= m_fixedCols;
    const bool rowsFixed = r.Bottom < m_fixedRows;
    const bool rowsFree = r.Top >= m_fixedRows;
    if (!(colsFixed || colsFree) || !(rowsFixed || rowsFree)) continue;
    bool governsAll = true;
    for (int y = r.Top; y <= r.Bottom && governsAll; ++y) {
      for (int x = r.Left; x <= r.Right; ++x) {
        if (m_governing[CacheIndex(x, y)] != i) {
          governsAll = false;
          break;
        }
      }
    }
    if (governsAll) inForce[static_cast<std::size_t>(i)] = 1;
  }
  // A merge in force takes the merge from every style it overlaps.
  for (int i = 0; i < count; ++i) {
    if (!inForce[static_cast<std::size_t>(i)]) continue;
    const TGridRect r = m_styles.Item(i).Rect();
    for (int j = 0; j < count; ++j) {
      if (j != i && m_styles.Item(j).Rect().Intersects(r)) inForce[static_cast<std::size_t>(j)] = 0;
    }
  }
  for (int i = 0; i < count; ++i) {
    if (!inForce[static_cast<std::size_t>(i)]) continue;
    const TCellStyle& s = m_styles.Item(i);
    s.m_merged = true;
    const TGridRect r = s.Rect();
    for (int y = r.Top; y <= r.Bottom; ++y) {
      for (int x = r.Left; x <= r.Right; ++x) m_mergeOf[CacheIndex(x, y)] = i;
    }
  }
  m_stale = false;
}

int TKwGridModel::GoverningStyle(int col, int row) const {
  if (!Inside(col, row)) return -1;
  Rebuild();
  return m_governing[CacheIndex(col, row)];
}

const TCellStyle* TKwGridModel::StyleAt(int col, int row) const {
  const int i = GoverningStyle(col, row);
  return i < 0 ? nullptr : &m_styles.Item(i);
}

int TKwGridModel::MergeAt(int col, int row) const {
  if (!Inside(col, row)) return -1;
  Rebuild();
  return m_mergeOf[CacheIndex(col, row)];
}

TGridRect TKwGridModel::CellExtent(int col, int row) const {
  const int m = MergeAt(col, row);
  return m < 0 ? TGridRect::OfCell({col, row}) : m_styles.Item(m).Rect();
}

bool TKwGridModel::CanFocusCell(int col, int row) const {
  if (!Inside(col, row) || IsFixed(col, row)) return false;
  const TCellStyle* s = StyleAt(col, row);
  return !s || s->CanFocus();
}

bool TKwGridModel::CanSelectCell(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return !s || s->CanSelect();
}

bool TKwGridModel::IsReadOnly(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->ReadOnly() : m_editMode == ceReadOnly;
}

TKwTextAlignment TKwGridModel::CellAlignment(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->Alignment() : m_alignment;
}

TTextLayout TKwGridModel::CellLayout(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->Layout() : m_layout;
}

bool TKwGridModel::CellWordWrap(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->WordWrap() : m_wordWrap;
}

TImeMode TKwGridModel::CellImeMode(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->ImeMode() : m_imeMode;
}

TKwGridLines TKwGridModel::CellLines(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->VisibleLines() : GridLines();
}

int TKwGridModel::CellFontIndex(int col, int row) const {
  const TCellStyle* s = StyleAt(col, row);
  return s ? s->FontIndex() : -1;
}

QString TKwGridModel::ShownText(int col, int row, bool* own) const {
  QString cell = CellText(col, row);
  bool isOwn = true;
  if (const TCellStyle* s = StyleAt(col, row)) {
    switch (s->TextPriority()) {
      case tpStyle:
        isOwn = false;
        break;
      case tpCell:
        break;
      case tpAuto:
        isOwn = !cell.isEmpty();
        break;
    }
    if (!isOwn) cell = s->Text();
  }
  if (own) *own = isOwn;
  return cell;
}

// ---------------------------------------------------------------------------
// Current cell and selection

bool TKwGridModel::CurrentModified() const {
  if (!Inside(m_current.Col, m_current.Row)) return false;
  return !SameCellValue(Cells(m_current.Col, m_current.Row), m_valueAtEntry);
}

TGridRect TKwGridModel::Selection() const {
  if (!m_current.IsValid()) return {};
  TGridRect r = m_selection;
  if (m_options.Contains(TKwGridOption::RowSelect)) {
    r.Left = m_fixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

bool TKwGridModel::IsSelected(int col, int row) const {
  const TGridRect r = Selection();
  return !r.IsEmpty() && r.Contains(col, row) && CanSelectCell(col, row);
}

TCellCoord TKwGridModel::ResolveTarget(TCellCoord c) const {
  const int m = MergeAt(c.Col, c.Row);
  if (m < 0) return c;
  const TGridRect r = m_styles.Item(m).Rect();
  return {r.Left, r.Top};
}

bool TKwGridModel::CanMoveTo(TCellCoord target) const {
  return Inside(target.Col, target.Row) && !(target == m_current) &&
         CanFocusCell(target.Col, target.Row);
}

void TKwGridModel::EnterCell(TCellCoord requested, TCellCoord target) {
  const TGridRect extent = CellExtent(target.Col, target.Row);
  m_current = target;
  if (!(m_navPos.IsValid() && extent.Contains(m_navPos.Col, m_navPos.Row))) {
    m_navPos = extent.Contains(requested.Col, requested.Row) ? requested : target;
  }
  const TGridRect sel = Selection();
  if (sel.IsEmpty() || !sel.Contains(target.Col, target.Row) ||
      !m_options.Contains(TKwGridOption::RangeSelect)) {
    m_selection = TGridRect::OfCell(target);
  }
  m_valueAtEntry = Cells(target.Col, target.Row);
}

void TKwGridModel::DropCurrent() {
  m_current = {};
  m_valueAtEntry = TCellValue();
  m_navPos = {};
  m_selection = {};
  m_rangeAnchor.reset();
}

void TKwGridModel::SetSelection(const TGridRect& r) {
  m_selection = r;
}

void TKwGridModel::BeginRange() {
  if (!m_rangeAnchor && m_current.IsValid()) m_rangeAnchor = m_current;
}

void TKwGridModel::ExtendRangeToCurrent() {
  if (m_rangeAnchor && m_current.IsValid()) {
    m_selection = TGridRect::Spanning(*m_rangeAnchor, m_current);
  }
}

void TKwGridModel::EndRange() {
  m_rangeAnchor.reset();
  if (m_current.IsValid()) m_selection = TGridRect::OfCell(m_current);
}

void TKwGridModel::KeepStateInside() {
  if (!m_current.IsValid()) return;
  if (!Inside(m_current.Col, m_current.Row) || IsFixed(m_current.Col, m_current.Row)) {
    DropCurrent();
    return;
  }
  if (!Inside(m_navPos.Col, m_navPos.Row)) m_navPos = m_current;
  if (m_rangeAnchor && !Inside(m_rangeAnchor->Col, m_rangeAnchor->Row)) m_rangeAnchor.reset();
  m_selection.Right = std::min(m_selection.Right, ColCount() - 1);
  m_selection.Bottom = std::min(m_selection.Bottom, RowCount() - 1);
  if (!m_selection.Contains(m_current.Col, m_current.Row)) {
    m_selection = TGridRect::OfCell(m_current);
  }
}

// ---------------------------------------------------------------------------
// Keyboard steps

std::optional<TCellCoord> TKwGridModel::Step(TNavStep step) const {
  if (m_navPos.IsValid()) return StepFrom(m_navPos, step);
  if (m_current.IsValid()) return StepFrom(m_current, step);
  return std::nullopt;
}

std::optional<TCellCoord> TKwGridModel::StepFrom(TCellCoord from, TNavStep step) const {
  const int cols = ColCount();
  const int rows = RowCount();
  const int fc = m_fixedCols;
  const int fr = m_fixedRows;
  if (fc >= cols || fr >= rows) return std::nullopt;
  const TGridRect start =
      Inside(from.Col, from.Row) ? CellExtent(from.Col, from.Row) : TGridRect::OfCell(from);
  // Tab and the Enter steps always continue on the next line; arrows only
  // with Wrap.
  const bool wrapCols = m_wrap || step == TNavStep::TabNext || step == TNavStep::TabPrev;
  const bool wrapRows = m_wrap || step == TNavStep::DownNext || step == TNavStep::UpPrev;
  TCellCoord c = from;
  // One full round over every non-fixed cell is enough to find any target.
  const std::int64_t limit =
      static_cast<std::int64_t>(cols - fc) * static_cast<std::int64_t>(rows - fr) + 1;
  for (std::int64_t i = 0; i < limit; ++i) {
    switch (step) {
      case TNavStep::Right:
      case TNavStep::TabNext:
        if (++c.Col >= cols) {
          if (!wrapCols) return std::nullopt;
          c.Col = fc;
          if (++c.Row >= rows) c.Row = fr;
        }
        break;
      case TNavStep::Left:
      case TNavStep::TabPrev:
        if (--c.Col < fc) {
          if (!wrapCols) return std::nullopt;
          c.Col = cols - 1;
          if (--c.Row < fr) c.Row = rows - 1;
        }
        break;
      case TNavStep::Down:
      case TNavStep::DownNext:
        if (++c.Row >= rows) {
          if (!wrapRows) return std::nullopt;
          c.Row = fr;
          if (++c.Col >= cols) c.Col = fc;
        }
        break;
      case TNavStep::Up:
      case TNavStep::UpPrev:
        if (--c.Row < fr) {
          if (!wrapRows) return std::nullopt;
          c.Row = rows - 1;
          if (--c.Col < fc) c.Col = cols - 1;
        }
        break;
    }
    // A step may start outside the non-fixed cells (a fixed navigation
    // position); bring it inside first.
    c.Col = std::clamp(c.Col, fc, cols - 1);
    c.Row = std::clamp(c.Row, fr, rows - 1);
    if (start.Contains(c.Col, c.Row)) continue;
    if (c == m_current) return std::nullopt;
    if (!CanFocusCell(c.Col, c.Row)) continue;
    return c;
  }
  return std::nullopt;
}

std::optional<TCellCoord> TKwGridModel::HomeCell() const {
  for (int r = m_fixedRows; r < RowCount(); ++r) {
    for (int c = m_fixedCols; c < ColCount(); ++c) {
      if (CanFocusCell(c, r)) return TCellCoord{c, r};
    }
  }
  return std::nullopt;
}

std::optional<TCellCoord> TKwGridModel::FirstEditableCell() const {
  for (int r = m_fixedRows; r < RowCount(); ++r) {
    for (int c = m_fixedCols; c < ColCount(); ++c) {
      if (CanFocusCell(c, r) && !IsReadOnly(c, r)) return TCellCoord{c, r};
    }
  }
  return HomeCell();
}

std::optional<TCellCoord> TKwGridModel::EndCell() const {
  for (int r = RowCount() - 1; r >= m_fixedRows; --r) {
    for (int c = ColCount() - 1; c >= m_fixedCols; --c) {
      if (CanFocusCell(c, r)) return TCellCoord{c, r};
    }
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// Notifications

void TKwGridModel::NotifyCells(const TGridRect& r) {
  if (m_observer) m_observer->CellsChanged(r);
}

void TKwGridModel::NotifyLooks() {
  if (m_observer) m_observer->LooksChanged();
}

void TKwGridModel::NotifySizes() {
  if (m_observer) m_observer->SizesChanged();
}

}  // namespace qvl
