// The grid control: properties, the current cell and its events, the editor,
// keyboard, mouse, focus and scrolling. Painting is in KwGrid_Paint.cpp.
#include "grid/KwGrid.h"

#include "grid/KwGridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace qvl {

namespace {

// Qt geometry is int; content positions are 64-bit sums of sizes.
constexpr std::int64_t kCoordLimit = std::int64_t{1} << 30;

int ClampCoord(std::int64_t v) {
  return static_cast<int>(std::clamp(v, -kCoordLimit, kCoordLimit));
}

// Above this many cells an invalidation repaints the whole viewport.
constexpr std::int64_t kCellsPerInvalidate = 64;

}  // namespace

// ---------------------------------------------------------------------------
// TInnerEdit

TInnerEdit::TInnerEdit(TCustomKwGrid* grid) : QLineEdit(grid->viewport()), m_grid(grid) {
  setFrame(false);
  hide();
}

bool TInnerEdit::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
    if (tab && !(k->modifiers() & Qt::AltModifier) &&
        m_grid->Options().Contains(TKwGridOption::Tabs)) {
      m_grid->ForwardKey(k);
      k->accept();
      return true;
    }
  }
  return QLineEdit::event(e);
}

void TInnerEdit::keyPressEvent(QKeyEvent* e) {
  bool forward = false;
  switch (e->key()) {
    case Qt::Key_Escape:
      e->accept();
      return;
    case Qt::Key_Left:
      forward = cursorPosition() == 0 && !hasSelectedText();
      break;
    case Qt::Key_Right:
      forward = cursorPosition() == text().size() && !hasSelectedText();
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      forward = true;
      break;
    case Qt::Key_Home:
    case Qt::Key_End:
      forward = text().isEmpty();
      break;
    default:
      break;
  }
  if (forward && m_grid->ForwardKey(e)) {
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TInnerEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  m_grid->GainedFocus();
}

void TInnerEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (e->reason() == Qt::BacktabFocusReason && QApplication::focusWidget() == m_grid) {
    m_grid->m_skipBacktab = true;
  }
  m_grid->FocusLeft(e);
}

// ---------------------------------------------------------------------------
// Construction and properties

TCustomKwGrid::TCustomKwGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallKwGridAccessibleFactory();
  m_model.SetObserver(this);
  const QPalette& pal = palette();
  m_cellColor = pal.color(QPalette::Base);
  m_fixedCellColor = pal.color(QPalette::Button);
  m_highlightColor = pal.color(QPalette::Highlight);
  m_selTextColor = pal.color(QPalette::HighlightedText);
  setFocusPolicy(Qt::StrongFocus);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  viewport()->setMouseTracking(true);
  horizontalScrollBar()->setSingleStep(1);
  verticalScrollBar()->setSingleStep(1);
  m_editor = new TInnerEdit(this);
  ApplyImeMode(this, m_model.ImeMode());
  UpdateScrollRanges();
}

TCustomKwGrid::~TCustomKwGrid() {
  m_model.SetObserver(nullptr);
}

void TCustomKwGrid::SetColWidths(const std::vector<int>& widths) {
  BeginUpdate();
  const int n = std::min(static_cast<int>(widths.size()), ColCount());
  for (int i = 0; i < n; ++i) m_model.SetColWidth(i, widths[static_cast<std::size_t>(i)]);
  EndUpdate();
}

void TCustomKwGrid::SetRowHeights(const std::vector<int>& heights) {
  BeginUpdate();
  const int n = std::min(static_cast<int>(heights.size()), RowCount());
  for (int i = 0; i < n; ++i) m_model.SetRowHeight(i, heights[static_cast<std::size_t>(i)]);
  EndUpdate();
}

void TCustomKwGrid::SetBorderStyle(TKwBorderStyle b) {
  m_borderStyle = b;
  setFrameStyle(b == bsNone ? QFrame::NoFrame : (QFrame::StyledPanel | QFrame::Sunken));
}

void TCustomKwGrid::SetCellColor(const QColor& c) {
  m_cellColor = c;
  LooksChanged();
}

void TCustomKwGrid::SetDefaultDrawing(bool b) {
  m_defaultDrawing = b;
  InvalidateAll();
}

void TCustomKwGrid::SetEditMode(TCellEditMode m) {
  m_model.SetEditMode(m);
  if (m == ceAlwayShowEditor && FocusWithin() && !m_editing) OpenEditor();
}

void TCustomKwGrid::SetFixedCellColor(const QColor& c) {
  m_fixedCellColor = c;
  LooksChanged();
}

void TCustomKwGrid::SetGridLineColor(const QColor& c) {
  m_gridLineColor = c;
  InvalidateAll();
}

void TCustomKwGrid::SetHighlightColor(const QColor& c) {
  m_highlightColor = c;
  InvalidateAll();
}

void TCustomKwGrid::SetSelTextColor(const QColor& c) {
  m_selTextColor = c;
  InvalidateAll();
}

void TCustomKwGrid::SetHorzMargin(int m) {
  m_horzMargin = m;
  InvalidateAll();
}

void TCustomKwGrid::SetVertMargin(int m) {
  m_vertMargin = m;
  InvalidateAll();
}

void TCustomKwGrid::SetScrollBars(TKwScrollBars s) {
  m_scrollBars = s;
  const bool h = s == ssHorizontal || s == ssBoth;
  const bool v = s == ssVertical || s == ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

// ---------------------------------------------------------------------------
// Model notifications

void TCustomKwGrid::CellsChanged(const TGridRect& cells) {
  InvalidateCells(cells);
  const TCellCoord c = m_model.Current();
  if (m_editing && cells.Contains(c.Col, c.Row)) RefreshEditor();
  if (KwGridAccessibleWanted() && cells.Area() <= kCellsPerInvalidate) {
    for (int row = std::max(cells.Top, 0); row <= cells.Bottom; ++row) {
      for (int col = std::max(cells.Left, 0); col <= cells.Right; ++col) {
        NotifyAccessibleValue(col, row);
      }
    }
  }
}

void TCustomKwGrid::LooksChanged() {
  InvalidateAll();
  if (!m_editing) return;
  const TCellCoord c = m_model.Current();
  // A cell that has become read-only loses its editor.
  if (m_model.IsReadOnly(c.Col, c.Row)) {
    CloseEditor();
    return;
  }
  StyleEditor();
  PlaceEditor();
}

void TCustomKwGrid::SizesChanged() {
  if (m_editing && !m_model.Current().IsValid()) {
    // The current cell went away with the rows or columns under it.
    m_editing = false;
    TakeFocusFromEditor();
    m_editor->hide();
  }
  UpdateScrollRanges();
  InvalidateAll();
  PlaceEditor();
  if (KwGridAccessibleWanted()) {
    QAccessibleTableModelChangeEvent ev(this, QAccessibleTableModelChangeEvent::ModelReset);
    SendKwGridAccessibleEvent(&ev);
  }
}

// ---------------------------------------------------------------------------
// The current cell

bool TCustomKwGrid::FocusCell(int col, int row) {
  const TCellCoord requested{col, row};
  const TCellCoord target = m_model.ResolveTarget(requested);
  if (!m_model.CanMoveTo(target)) return false;
  if (OnSelectCell) {
    bool canSelect = true;
    OnSelectCell(*this, target.Col, target.Row, canSelect);
    if (!canSelect) return false;
  }
  if (m_editing) {
    CommitEdit();
    CloseEditor();
  }
  const TCellCoord old = m_model.Current();
  if (old.IsValid() && OnExitCell) OnExitCell(*this, old.Col, old.Row, m_model.CurrentModified());
  // The handlers may have changed the grid under the target.
  if (!m_model.Inside(target.Col, target.Row) || m_model.IsFixed(target.Col, target.Row)) {
    return false;
  }
  const TGridRect oldSelection = m_model.Selection();
  m_model.EnterCell(requested, target);
  InvalidateCell(old);
  InvalidateCells(oldSelection);
  InvalidateCells(m_model.Selection());
  MakeVisible(target.Col, target.Row);
  if (EditMode() == ceAlwayShowEditor) OpenEditor();
  if (!m_editing) {
    InvalidateCell(target);
    ApplyImeMode(this, m_model.CellImeMode(target.Col, target.Row));
  }
  NotifyAccessibleFocus();
  if (OnEnterCell) OnEnterCell(*this, target.Col, target.Row);
  if (OnCellChanged) OnCellChanged(*this, old.Col, old.Row, target.Col, target.Row);
  return true;
}

// ---------------------------------------------------------------------------
// The editor

void TCustomKwGrid::OpenEditor() {
  if (m_editing) return;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row) || m_model.IsReadOnly(c.Col, c.Row)) return;
  const bool takeFocus = FocusWithin();
  m_editing = true;
  StyleEditor();
  m_editor->setText(m_model.CellText(c.Col, c.Row));
  m_editor->setModified(false);
  m_editor->selectAll();
  PlaceEditor();
  m_editor->show();
  if (takeFocus) m_editor->setFocus(Qt::OtherFocusReason);
  ApplyImeMode(m_editor, m_model.CellImeMode(c.Col, c.Row));
  InvalidateCell(c);
  if (OnCellEditing) OnCellEditing(*this, c.Col, c.Row);
}

void TCustomKwGrid::StyleEditor() {
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row)) return;
  QColor fontColor;
  m_editor->setFont(CellFont(c.Col, c.Row, &fontColor));
  Qt::Alignment h = Qt::AlignLeft;
  switch (m_model.CellAlignment(c.Col, c.Row)) {
    case taAuto:
      h = IsNumericValue(m_model.Cells(c.Col, c.Row)) ? Qt::AlignRight : Qt::AlignLeft;
      break;
    case taLeft:
    case taEven:
      h = Qt::AlignLeft;
      break;
    case taCenter:
      h = Qt::AlignHCenter;
      break;
    case taRight:
      h = Qt::AlignRight;
      break;
  }
  Qt::Alignment v = Qt::AlignVCenter;
  switch (m_model.CellLayout(c.Col, c.Row)) {
    case tlTop:
      v = Qt::AlignTop;
      break;
    case tlCenter:
      v = Qt::AlignVCenter;
      break;
    case tlBottom:
      v = Qt::AlignBottom;
      break;
  }
  m_editor->setAlignment(h | v);
  QPalette pal = m_editor->palette();
  const TCellStyle* s = m_model.StyleAt(c.Col, c.Row);
  pal.setColor(QPalette::Base, s && s->CellColor().isValid() ? s->CellColor() : m_cellColor);
  pal.setColor(QPalette::Text, fontColor);
  m_editor->setPalette(pal);
}

void TCustomKwGrid::CommitEdit() {
  if (!m_editing) return;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row)) return;
  const bool modified = m_editor->isModified();
  // An untouched editor gives the cell's own value back, so that leaving a
  // cell never rounds a real or retypes a value through its text.
  TCellValue v = modified ? TextToCellValue(m_editor->text()) : m_model.Cells(c.Col, c.Row);
  if (OnCellEdit) OnCellEdit(*this, c.Col, c.Row, modified, v);
  if (m_model.Inside(c.Col, c.Row)) m_model.StoreEdited(c.Col, c.Row, v);
  if (OnCellEdited) OnCellEdited(*this, c.Col, c.Row, modified);
}

void TCustomKwGrid::CloseEditor() {
  if (!m_editing) return;
  m_editing = false;
  TakeFocusFromEditor();
  m_editor->hide();
  const TCellCoord c = m_model.Current();
  InvalidateCell(c);
  if (m_model.Inside(c.Col, c.Row)) ApplyImeMode(this, m_model.CellImeMode(c.Col, c.Row));
}

void TCustomKwGrid::RefreshEditor() {
  if (!m_editing) return;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row)) return;
  m_editor->setText(m_model.CellText(c.Col, c.Row));
  m_editor->setModified(false);
  m_editor->selectAll();
}

void TCustomKwGrid::PlaceEditor() {
  if (!m_editing) return;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row)) return;
  QRect r = CellRect(c.Col, c.Row);
  const TKwGridLines lines = m_model.CellLines(c.Col, c.Row);
  if (lines.Contains(goRight)) r.setRight(r.right() - 1);
  if (lines.Contains(goBottom)) r.setBottom(r.bottom() - 1);
  // A cell scrolled away under the fixed cells would put the editor over
  // them; it waits out of sight instead.
  if (c.Col >= FixedCols() && c.Col < LeftCol()) r.moveLeft(-r.width() - 16);
  if (c.Row >= FixedRows() && c.Row < TopRow()) r.moveTop(-r.height() - 16);
  m_editor->setGeometry(r);
}

void TCustomKwGrid::ApplyImeMode(QWidget* w, TImeMode mode) {
  const bool off = mode == imDisable || mode == imClose || mode == imSAlpha || mode == imAlpha;
  w->setAttribute(Qt::WA_InputMethodEnabled, !off);
  Qt::InputMethodHints hints = Qt::ImhNone;
  if (mode == imSAlpha || mode == imAlpha) hints |= Qt::ImhPreferLatin;
  w->setInputMethodHints(hints);
  if (w->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

// ---------------------------------------------------------------------------
// Focus

bool TCustomKwGrid::IsInside(const QWidget* w) const {
  return w && (w == this || isAncestorOf(w));
}

bool TCustomKwGrid::FocusWithin() const {
  return hasFocus() || m_editor->hasFocus();
}

void TCustomKwGrid::TakeFocusFromEditor() {
  // Hiding a focused editor would pass the focus on to the next control; the
  // grid takes it back without reopening the editor it is closing.
  if (!m_editor->hasFocus()) return;
  m_focusFromEditor = true;
  setFocus(Qt::OtherFocusReason);
  m_focusFromEditor = false;
}

void TCustomKwGrid::GainedFocus() {
  InvalidateAll();
  if (m_focusInside) return;
  m_focusInside = true;
  if (OnEnter) OnEnter(*this);
}

void TCustomKwGrid::FocusLeft(QFocusEvent* e) {
  if (IsInside(QApplication::focusWidget())) return;
  InvalidateAll();
  // Switching windows or opening a popup keeps the edit going.
  if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) return;
  if (m_editing) {
    CommitEdit();
    CloseEditor();
  }
  if (m_focusInside) {
    m_focusInside = false;
    if (OnExit) OnExit(*this);
  }
}

void TCustomKwGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  if (m_skipBacktab) {
    m_skipBacktab = false;
    if (e->reason() == Qt::BacktabFocusReason && focusNextPrevChild(false)) return;
  }
  GainedFocus();
  // A click opens the editor after the click has chosen the cell.
  if (EditMode() == ceAlwayShowEditor && e->reason() != Qt::MouseFocusReason &&
      !m_focusFromEditor) {
    OpenEditor();
  }
}

void TCustomKwGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  FocusLeft(e);
}

void TCustomKwGrid::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  switch (e->type()) {
    case QEvent::FontChange:
      // Cells without a font of their own and the editor follow the grid's.
      LooksChanged();
      break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
      InvalidateAll();
      break;
    default:
      break;
  }
}

void TCustomKwGrid::inputMethodEvent(QInputMethodEvent* e) {
  const TCellCoord c = m_model.Current();
  if (!m_editing && m_model.Inside(c.Col, c.Row) && !m_model.IsReadOnly(c.Col, c.Row)) {
    OpenEditor();
  }
  if (m_editing) {
    m_editor->setFocus(Qt::OtherFocusReason);
    QCoreApplication::sendEvent(m_editor, e);
    return;
  }
  QAbstractScrollArea::inputMethodEvent(e);
}

// ---------------------------------------------------------------------------
// Keyboard

bool TCustomKwGrid::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
    if (tab && !(k->modifiers() & Qt::AltModifier) && Options().Contains(TKwGridOption::Tabs)) {
      keyPressEvent(k);
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

void TCustomKwGrid::keyPressEvent(QKeyEvent* e) {
  // A key that the editor left alone passes by on its way to the window.
  const QWidget* fw = QApplication::focusWidget();
  if (fw && fw != this && isAncestorOf(fw)) {
    e->ignore();
    return;
  }
  int key = e->key();
  if (OnKeyDown) {
    OnKeyDown(*this, key, e->modifiers());
    if (key == 0) {
      e->accept();
      return;
    }
  }
  if (HandleKey(e) || TryTypeIntoEditor(e)) {
    e->accept();
    return;
  }
  e->ignore();
}

bool TCustomKwGrid::ForwardKey(QKeyEvent* e) {
  int key = e->key();
  if (OnKeyDown) {
    OnKeyDown(*this, key, e->modifiers());
    if (key == 0) return true;
  }
  return HandleKey(e);
}

bool TCustomKwGrid::HandleKey(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers();
  const bool shift = mods & Qt::ShiftModifier;
  const bool range = shift && Options().Contains(TKwGridOption::RangeSelect);
  switch (e->key()) {
    case Qt::Key_Left:
      MoveBy(TNavStep::Left, range);
      return true;
    case Qt::Key_Right:
      MoveBy(TNavStep::Right, range);
      return true;
    case Qt::Key_Up:
      MoveBy(TNavStep::Up, range);
      return true;
    case Qt::Key_Down:
      MoveBy(TNavStep::Down, range);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if (!Options().Contains(TKwGridOption::Tabs) || (mods & Qt::AltModifier)) return false;
      MoveBy(e->key() == Qt::Key_Backtab || shift ? TNavStep::TabPrev : TNavStep::TabNext, false);
      return true;
    case Qt::Key_Home:
      MoveHomeEnd(true);
      return true;
    case Qt::Key_End:
      MoveHomeEnd(false);
      return true;
    case Qt::Key_PageUp:
      PageRows(-1);
      return true;
    case Qt::Key_PageDown:
      PageRows(1);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return PressEnter(shift);
    default:
      return false;
  }
}

void TCustomKwGrid::MoveBy(TNavStep step, bool rangeMove) {
  const TGridRect before = m_model.Selection();
  if (!m_model.Current().IsValid()) {
    if (auto home = m_model.HomeCell()) FocusCell(home->Col, home->Row);
  } else if (rangeMove) {
    m_model.BeginRange();
    if (auto t = m_model.Step(step)) FocusCell(t->Col, t->Row);
    m_model.ExtendRangeToCurrent();
  } else {
    if (auto t = m_model.Step(step)) FocusCell(t->Col, t->Row);
  }
  if (!rangeMove) m_model.EndRange();
  if (!(before == m_model.Selection())) {
    InvalidateCells(before);
    InvalidateCells(m_model.Selection());
  }
}

void TCustomKwGrid::MoveHomeEnd(bool home) {
  const TGridRect before = m_model.Selection();
  SetLeftCol(FixedCols());
  SetTopRow(FixedRows());
  if (auto t = home ? m_model.HomeCell() : m_model.EndCell()) FocusCell(t->Col, t->Row);
  m_model.EndRange();
  InvalidateCells(before);
  InvalidateCells(m_model.Selection());
}

bool TCustomKwGrid::PressEnter(bool shift) {
  const TEnterDirection dir = EnterDirection();
  if (dir != edNone) {
    TNavStep step = TNavStep::TabNext;
    if (dir == edRightDown) {
      step = shift ? TNavStep::TabPrev : TNavStep::TabNext;
    } else {
      step = shift ? TNavStep::UpPrev : TNavStep::DownNext;
    }
    const TCellCoord before = m_model.Current();
    MoveBy(step, false);
    if (m_model.Current() == before && m_editing) {
      // Nowhere to go: the edit is still committed.
      CommitEdit();
      if (EditMode() == ceAlwayShowEditor) {
        RefreshEditor();
      } else {
        CloseEditor();
      }
    }
    return true;
  }
  if (EditMode() == ceAlwayShowEditor) {
    if (!m_editing) return false;
    CommitEdit();
    RefreshEditor();
    return true;
  }
  if (m_editing) {
    CommitEdit();
    CloseEditor();
    return true;
  }
  if (EditMode() == ceCanEdit) {
    OpenEditor();
    return m_editing;
  }
  return false;
}

void TCustomKwGrid::PageRows(int pages) {
  const int page = std::max(verticalScrollBar()->pageStep(), 1);
  const std::int64_t row = static_cast<std::int64_t>(TopRow()) + std::int64_t{pages} * page;
  SetTopRow(static_cast<int>(std::clamp<std::int64_t>(row, 0, RowCount())));
}

bool TCustomKwGrid::TryTypeIntoEditor(QKeyEvent* e) {
  const QString text = e->text();
  if (text.isEmpty() || !text.at(0).isPrint()) return false;
  if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row) || m_model.IsReadOnly(c.Col, c.Row)) return false;
  if (!m_editing) OpenEditor();
  if (!m_editing) return false;
  if (FocusWithin()) m_editor->setFocus(Qt::OtherFocusReason);
  QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                 static_cast<quint16>(e->count()));
  QCoreApplication::sendEvent(m_editor, &copy);
  return true;
}

// ---------------------------------------------------------------------------
// Mouse

bool TCustomKwGrid::SizingEdgeAt(QPoint p, bool* isCol, int* index) const {
  constexpr int kGrip = 2;
  const TKwGridOptions o = Options();
  if (p.y() >= 0 && p.y() < FixedHeight()) {
    for (int c = 0; c < ColCount(); ++c) {
      if (c >= FixedCols() && c < LeftCol()) continue;
      const QRect r = ContentToViewport(m_model.ColPos(c), 0, m_model.ColPos(c + 1), 1);
      if (r.left() > viewport()->width()) break;
      const bool allowed = c < FixedCols() ? o.Contains(TKwGridOption::FixedColSizing)
                                           : o.Contains(TKwGridOption::ColSizing);
      if (allowed && std::abs(p.x() - (r.right() + 1)) <= kGrip) {
        *isCol = true;
        *index = c;
        return true;
      }
    }
  }
  if (p.x() >= 0 && p.x() < FixedWidth()) {
    for (int r = 0; r < RowCount(); ++r) {
      if (r >= FixedRows() && r < TopRow()) continue;
      const QRect rr = ContentToViewport(0, m_model.RowPos(r), 1, m_model.RowPos(r + 1));
      if (rr.top() > viewport()->height()) break;
      const bool allowed = r < FixedRows() ? o.Contains(TKwGridOption::FixedRowSizing)
                                           : o.Contains(TKwGridOption::RowSizing);
      if (allowed && std::abs(p.y() - (rr.bottom() + 1)) <= kGrip) {
        *isCol = false;
        *index = r;
        return true;
      }
    }
  }
  return false;
}

void TCustomKwGrid::mousePressEvent(QMouseEvent* e) {
  const bool left = e->button() == Qt::LeftButton;
  const bool right =
      e->button() == Qt::RightButton && Options().Contains(TKwGridOption::RightSelect);
  if (!left && !right) {
    QAbstractScrollArea::mousePressEvent(e);
    return;
  }
  const QPoint p = e->position().toPoint();
  bool isCol = false;
  int index = -1;
  if (left && SizingEdgeAt(p, &isCol, &index)) {
    m_sizing = true;
    m_sizingCol = isCol;
    m_sizingIndex = index;
    m_sizingStart = isCol ? p.x() : p.y();
    m_sizingOrigin = isCol ? ColWidth(index) : RowHeight(index);
    return;
  }
  const TCellCoord c = CellAtPoint(p);
  if (!c.IsValid()) return;
  const TGridRect before = m_model.Selection();
  FocusCell(c.Col, c.Row);
  m_model.EndRange();
  InvalidateCells(before);
  InvalidateCells(m_model.Selection());
  if (left && Options().Contains(TKwGridOption::RangeSelect) && m_model.Current().IsValid()) {
    m_dragSelecting = true;
    m_dragAnchor = m_model.Current();
  }
  if (EditMode() == ceAlwayShowEditor && FocusWithin()) OpenEditor();
  if (OnCellClick) OnCellClick(*this, c.Col, c.Row);
}

void TCustomKwGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (m_sizing) {
    const int delta = (m_sizingCol ? p.x() : p.y()) - m_sizingStart;
    int size = std::max(m_sizingOrigin + delta, 0);
    if (m_sizingCol) {
      if (OnColSizing) OnColSizing(*this, m_sizingIndex, size);
      SetColWidth(m_sizingIndex, size);
    } else {
      if (OnRowSizing) OnRowSizing(*this, m_sizingIndex, size);
      SetRowHeight(m_sizingIndex, size);
    }
  } else if (m_dragSelecting && (e->buttons() & Qt::LeftButton)) {
    const QPoint inside(std::clamp(p.x(), 0, std::max(viewport()->width() - 1, 0)),
                        std::clamp(p.y(), 0, std::max(viewport()->height() - 1, 0)));
    const TCellCoord c = CellAtPoint(inside);
    if (c.IsValid() && !m_model.IsFixed(c.Col, c.Row)) {
      const TGridRect before = m_model.Selection();
      m_model.SetSelection(TGridRect::Spanning(m_dragAnchor, c));
      if (!(before == m_model.Selection())) {
        InvalidateCells(before);
        InvalidateCells(m_model.Selection());
      }
    }
  } else if (e->buttons() == Qt::NoButton) {
    bool isCol = false;
    int index = -1;
    if (SizingEdgeAt(p, &isCol, &index)) {
      viewport()->setCursor(isCol ? Qt::SplitHCursor : Qt::SplitVCursor);
    } else {
      viewport()->unsetCursor();
    }
  }
  if (OnMouseMove) OnMouseMove(*this, e->modifiers(), p.x(), p.y());
}

void TCustomKwGrid::mouseReleaseEvent(QMouseEvent* e) {
  m_sizing = false;
  m_dragSelecting = false;
  QAbstractScrollArea::mouseReleaseEvent(e);
}

void TCustomKwGrid::wheelEvent(QWheelEvent* e) {
  const int dy = e->angleDelta().y();
  if (dy == 0) {
    e->ignore();
    return;
  }
  // One notch is 120; finer wheels add up to whole notches.
  m_wheelRemainder += dy;
  const int notches = m_wheelRemainder / 120;
  m_wheelRemainder -= notches * 120;
  if (notches != 0 && m_scrollSpeed != 0) {
    const std::int64_t row =
        static_cast<std::int64_t>(TopRow()) - std::int64_t{notches} * m_scrollSpeed;
    SetTopRow(static_cast<int>(std::clamp<std::int64_t>(row, 0, RowCount())));
  }
  e->accept();
}

// ---------------------------------------------------------------------------
// Scrolling and geometry

int TCustomKwGrid::LeftCol() const {
  return FixedCols() + horizontalScrollBar()->value();
}

int TCustomKwGrid::TopRow() const {
  return FixedRows() + verticalScrollBar()->value();
}

void TCustomKwGrid::SetLeftCol(int col) {
  horizontalScrollBar()->setValue(std::max(col - FixedCols(), 0));
}

void TCustomKwGrid::SetTopRow(int row) {
  verticalScrollBar()->setValue(std::max(row - FixedRows(), 0));
}

void TCustomKwGrid::MakeVisible(int col, int row) {
  const int fc = FixedCols();
  const int fr = FixedRows();
  if (col >= fc && col < ColCount()) {
    if (col < LeftCol()) {
      SetLeftCol(col);
    } else {
      const std::int64_t room = viewport()->width() - FixedWidth();
      int left = LeftCol();
      while (left < col && m_model.ColPos(col + 1) - m_model.ColPos(left) > room) ++left;
      if (left != LeftCol()) SetLeftCol(left);
    }
  }
  if (row >= fr && row < RowCount()) {
    if (row < TopRow()) {
      SetTopRow(row);
    } else {
      const std::int64_t room = viewport()->height() - FixedHeight();
      int top = TopRow();
      while (top < row && m_model.RowPos(row + 1) - m_model.RowPos(top) > room) ++top;
      if (top != TopRow()) SetTopRow(top);
    }
  }
}

int TCustomKwGrid::FixedWidth() const {
  return ClampCoord(m_model.ColPos(std::min(FixedCols(), ColCount())));
}

int TCustomKwGrid::FixedHeight() const {
  return ClampCoord(m_model.RowPos(std::min(FixedRows(), RowCount())));
}

std::int64_t TCustomKwGrid::ScrollOffsetX() const {
  if (FixedCols() >= ColCount()) return 0;
  return m_model.ColPos(LeftCol()) - m_model.ColPos(FixedCols());
}

std::int64_t TCustomKwGrid::ScrollOffsetY() const {
  if (FixedRows() >= RowCount()) return 0;
  return m_model.RowPos(TopRow()) - m_model.RowPos(FixedRows());
}

QRect TCustomKwGrid::ContentToViewport(std::int64_t left, std::int64_t top, std::int64_t right,
                                       std::int64_t bottom) const {
  const std::int64_t ox = left < FixedWidth() ? 0 : ScrollOffsetX();
  const std::int64_t oy = top < FixedHeight() ? 0 : ScrollOffsetY();
  const int x = ClampCoord(left - ox);
  const int y = ClampCoord(top - oy);
  const int w = ClampCoord(std::max<std::int64_t>(right - left, 0));
  const int h = ClampCoord(std::max<std::int64_t>(bottom - top, 0));
  return {x, y, w, h};
}

std::pair<std::int64_t, std::int64_t> TCustomKwGrid::ViewportToContent(QPoint p) const {
  const std::int64_t x = p.x() < FixedWidth() ? p.x() : p.x() + ScrollOffsetX();
  const std::int64_t y = p.y() < FixedHeight() ? p.y() : p.y() + ScrollOffsetY();
  return {x, y};
}

QRect TCustomKwGrid::CellsToViewport(const TGridRect& r) const {
  if (r.IsEmpty()) return {};
  const int fc = FixedCols();
  const int fr = FixedRows();
  // Split a rectangle that spans both regions into parts of one region each.
  if (r.Left < fc && r.Right >= fc) {
    return CellsToViewport({r.Left, r.Top, fc - 1, r.Bottom})
        .united(CellsToViewport({fc, r.Top, r.Right, r.Bottom}));
  }
  if (r.Top < fr && r.Bottom >= fr) {
    return CellsToViewport({r.Left, r.Top, r.Right, fr - 1})
        .united(CellsToViewport({r.Left, fr, r.Right, r.Bottom}));
  }
  return ContentToViewport(m_model.ColPos(r.Left), m_model.RowPos(r.Top),
                           m_model.ColPos(r.Right + 1), m_model.RowPos(r.Bottom + 1));
}

QRect TCustomKwGrid::CellRect(int col, int row) const {
  if (!m_model.Inside(col, row)) return {};
  return CellsToViewport(m_model.CellExtent(col, row));
}

TCellCoord TCustomKwGrid::CellAtPoint(QPoint p) const {
  if (!viewport()->rect().contains(p)) return {};
  const auto [x, y] = ViewportToContent(p);
  if (x < 0 || y < 0) return {};
  // The last edge at or left of (above) the point.
  int lo = 0;
  int hi = ColCount();
  if (x >= m_model.ColPos(hi)) return {};
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (m_model.ColPos(mid) <= x) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  const int col = lo;
  lo = 0;
  hi = RowCount();
  if (y >= m_model.RowPos(hi)) return {};
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (m_model.RowPos(mid) <= y) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return {col, lo};
}

void TCustomKwGrid::UpdateScrollRanges() {
  const int fc = FixedCols();
  const int fr = FixedRows();
  const int cols = ColCount();
  const int rows = RowCount();
  // The largest first column (row) that still leaves the last one in view.
  const auto maxFirst = [](int fixed, int count, std::int64_t room, auto pos) {
    if (fixed >= count) return fixed;
    const std::int64_t total = pos(count);
    int lo = fixed;
    int hi = count - 1;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (total - pos(mid) <= room) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  };
  const auto colPos = [this](int i) { return m_model.ColPos(i); };
  const auto rowPos = [this](int i) { return m_model.RowPos(i); };
  const std::int64_t roomX = viewport()->width() - FixedWidth();
  const std::int64_t roomY = viewport()->height() - FixedHeight();
  const int maxLeft = maxFirst(fc, cols, roomX, colPos);
  const int maxTop = maxFirst(fr, rows, roomY, rowPos);
  horizontalScrollBar()->setRange(0, std::max(maxLeft - fc, 0));
  verticalScrollBar()->setRange(0, std::max(maxTop - fr, 0));
  const auto visible = [](int first, int count, std::int64_t room, auto pos) {
    int n = 0;
    while (first + n < count && pos(first + n + 1) - pos(first) <= room) ++n;
    return std::max(n, 1);
  };
  horizontalScrollBar()->setPageStep(visible(LeftCol(), cols, roomX, colPos));
  verticalScrollBar()->setPageStep(visible(TopRow(), rows, roomY, rowPos));
}

void TCustomKwGrid::scrollContentsBy(int, int) {
  viewport()->update();
  PlaceEditor();
  if (OnTopLeftChanged) OnTopLeftChanged(*this);
}

void TCustomKwGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollRanges();
  PlaceEditor();
}

// ---------------------------------------------------------------------------
// Repainting

void TCustomKwGrid::BeginUpdate() {
  ++m_updateDepth;
}

void TCustomKwGrid::EndUpdate() {
  if (m_updateDepth <= 0) return;
  if (--m_updateDepth == 0) viewport()->update();
}

void TCustomKwGrid::InvalidateAll() {
  if (m_updateDepth > 0) return;
  viewport()->update();
}

void TCustomKwGrid::InvalidateCell(TCellCoord c) {
  if (!m_model.Inside(c.Col, c.Row)) return;
  InvalidateCells(TGridRect::OfCell(c));
}

void TCustomKwGrid::InvalidateCells(const TGridRect& cells) {
  if (m_updateDepth > 0 || cells.IsEmpty()) return;
  const TGridRect r{std::max(cells.Left, 0), std::max(cells.Top, 0),
                    std::min(cells.Right, ColCount() - 1), std::min(cells.Bottom, RowCount() - 1)};
  if (r.IsEmpty()) return;
  if (r.Area() > kCellsPerInvalidate) {
    viewport()->update();
    return;
  }
  QRect area;
  for (int row = r.Top; row <= r.Bottom; ++row) {
    for (int col = r.Left; col <= r.Right; ++col) area = area.united(CellRect(col, row));
  }
  viewport()->update(area);
}

// ---------------------------------------------------------------------------
// Hints

QString TCustomKwGrid::ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  return bar < 0 ? hint : hint.left(bar);
}

QString TCustomKwGrid::LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  return bar < 0 ? hint : hint.mid(bar + 1);
}

void TCustomKwGrid::SetHint(const QString& hint) {
  if (hint == m_hint) return;
  m_hint = hint;
  const QString shortHint = ShortHint(hint);
  const QString longHint = LongHint(hint);
  setToolTip(shortHint);
  setStatusTip(longHint);
  // The mouse may rest on the grid while the hint changes under it.
  if (underMouse()) {
    QStatusTipEvent tip(longHint);
    QCoreApplication::sendEvent(this, &tip);
    if (QToolTip::isVisible()) {
      if (shortHint.isEmpty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(QCursor::pos(), shortHint, this);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Accessibility notifications

void TCustomKwGrid::NotifyAccessibleFocus() {
  if (!KwGridAccessibleWanted() || !FocusWithin()) return;
  const TCellCoord c = m_model.Current();
  if (!m_model.Inside(c.Col, c.Row)) return;
  QAccessibleEvent ev(this, QAccessible::Focus);
  ev.setChild(KwGridCellIndex(*this, c.Col, c.Row));
  SendKwGridAccessibleEvent(&ev);
}

void TCustomKwGrid::NotifyAccessibleValue(int col, int row) {
  if (!m_model.Inside(col, row)) return;
  QAccessibleValueChangeEvent ev(this, DisplayText(col, row));
  ev.setChild(KwGridCellIndex(*this, col, row));
  SendKwGridAccessibleEvent(&ev);
}

}  // namespace qvl
