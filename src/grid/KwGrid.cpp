// The grid control: properties, model notifications, the current cell and its
// events, the editor, focus, hints and accessibility notifications. Keys and
// mouse are in KwGrid_Input.cpp, geometry and painting in KwGrid_Paint.cpp.
#include "grid/KwGrid.h"

#include "grid/KwGridAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace qvl {

namespace {

// Above this many changed cells the grid announces no value change per cell.
constexpr std::int64_t kCellsPerAccessibleEvent = 64;

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
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusMoved(now); });
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
  // The colour is the control's: the area beyond the last row and column
  // shows it too.
  QPalette pal = viewport()->palette();
  pal.setColor(viewport()->backgroundRole(), c);
  viewport()->setPalette(pal);
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
  if (KwGridAccessibleWanted() && cells.Area() <= kCellsPerAccessibleEvent) {
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
  updateGeometry();  // the size hint follows the cells
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

bool TCustomKwGrid::ApplyEdit() {
  if (!m_editing || !m_editor->isModified()) return false;
  CommitEdit();
  if (EditMode() == ceAlwayShowEditor) {
    RefreshEditor();
  } else {
    CloseEditor();
  }
  return true;
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
  // Switching windows, opening a popup or going into the menu bar with the
  // keyboard keeps the edit going: the menu bar gives the focus back to the
  // editor when it closes without a command.
  if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason ||
      e->reason() == Qt::MenuBarFocusReason) {
    return;
  }
  Left();
}

void TCustomKwGrid::Left() {
  if (m_editing) {
    CommitEdit();
    CloseEditor();
  }
  if (m_focusInside) {
    m_focusInside = false;
    if (OnExit) OnExit(*this);
  }
}

void TCustomKwGrid::FocusMoved(QWidget* now) {
  // From the menu bar, which kept the edit going, on to another control of
  // this window: the grid is left after all.
  if (!m_focusInside || now == nullptr || IsInside(now) || now->window() != window()) return;
  if (qobject_cast<QMenuBar*>(now) != nullptr || qobject_cast<QMenu*>(now) != nullptr) return;
  InvalidateAll();
  Left();
}

void TCustomKwGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  if (m_skipBacktab) {
    m_skipBacktab = false;
    if (e->reason() == Qt::BacktabFocusReason && focusNextPrevChild(false)) return;
  }
  GainedFocus();
  // A click deals with the editor after the click has chosen the cell.
  if (e->reason() == Qt::MouseFocusReason || m_focusFromEditor) return;
  // Come in by Tab without a current cell, the grid shows where the keys act:
  // the first cell that takes typing, so that the arrows go on from there.
  const bool by_tab = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
  if (by_tab && !m_model.Current().IsValid()) {
    if (auto first = m_model.FirstEditableCell()) FocusCell(first->Col, first->Row);
  }
  if (m_editing) {
    // Opened by the program while the grid was elsewhere.
    m_editor->setFocus(Qt::OtherFocusReason);
  } else if (EditMode() == ceAlwayShowEditor) {
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
        // As long as the hint first shown: without a duration Qt would
        // take the changed tip down after a few seconds.
        QToolTip::showText(QCursor::pos(), shortHint, this, QRect(), toolTipDuration());
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
