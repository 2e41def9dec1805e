// The grid's keyboard and mouse: keys of the grid and those the editor
// passes on, clicks, drags, sizing by mouse and the wheel.
#include "grid/KwGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace qvl {

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
  if (m_editing) {
    if (FocusWithin()) m_editor->setFocus(Qt::MouseFocusReason);
  } else if (EditMode() == ceAlwayShowEditor && FocusWithin()) {
    OpenEditor();
  }
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

}  // namespace qvl
