// The grid's accessible table and cells.
#include "grid/KwGridAccessible.h"

#include "grid/KwGrid.h"

#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace qvl {

namespace {

quint64 CellKey(int col, int row) {
  return (static_cast<quint64>(static_cast<quint32>(row)) << 32) | static_cast<quint32>(col);
}

QAccessibleInterface* KwGridFactory(const QString& className, QObject* object) {
  // The factory is asked once per class up the hierarchy, most derived first.
  if (className != QLatin1String(TKwGrid::staticMetaObject.className()) &&
      className != QLatin1String(TCustomKwGrid::staticMetaObject.className())) {
    return nullptr;
  }
  auto* grid = qobject_cast<TCustomKwGrid*>(object);
  return grid ? new TKwGridAccessible(grid) : nullptr;
}

}  // namespace

void InstallKwGridAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&KwGridFactory);
    return true;
  }();
  (void)installed;
}

int KwGridCellIndex(const TCustomKwGrid& grid, int col, int row) {
  const std::int64_t index = static_cast<std::int64_t>(row) * grid.ColCount() + col;
  return index > std::numeric_limits<int>::max() ? -1 : static_cast<int>(index);
}

namespace {
TKwGridAccessibleListener g_listener = nullptr;
}  // namespace

TKwGridAccessibleListener SetKwGridAccessibleListener(TKwGridAccessibleListener listener) {
  const TKwGridAccessibleListener previous = g_listener;
  g_listener = listener;
  return previous;
}

bool KwGridAccessibleWanted() {
  return g_listener || QAccessible::isActive();
}

void SendKwGridAccessibleEvent(QAccessibleEvent* event) {
  NotifyKwGridAccessibleListener(event);
  QAccessible::updateAccessibility(event);
}

void NotifyKwGridAccessibleListener(QAccessibleEvent* event) {
  if (g_listener) g_listener(event);
}

// ---------------------------------------------------------------------------
// The table

TKwGridAccessible::TKwGridAccessible(TCustomKwGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table) {}

TKwGridAccessible::~TKwGridAccessible() {
  for (const QAccessible::Id id : std::as_const(m_cells))
    QAccessible::deleteAccessibleInterface(id);
}

QString TKwGridAccessible::text(QAccessible::Text t) const {
  // Qt would say the tool tip, which is the hint of whatever cell the mouse
  // rests on: a description of the whole table must not change with it.
  if (t == QAccessible::Description) return widget()->accessibleDescription();
  return QAccessibleWidget::text(t);
}

void* TKwGridAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

TCustomKwGrid* TKwGridAccessible::Grid() const {
  return static_cast<TCustomKwGrid*>(widget());
}

QAccessibleInterface* TKwGridAccessible::Cell(int col, int row) const {
  TCustomKwGrid* grid = Grid();
  if (!grid || !grid->Model().Inside(col, row)) return nullptr;
  const quint64 key = CellKey(col, row);
  const auto found = m_cells.constFind(key);
  if (found != m_cells.constEnd()) {
    if (QAccessibleInterface* iface = QAccessible::accessibleInterface(*found)) return iface;
  }
  auto* cell = new TKwGridCellAccessible(grid, col, row);
  m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

QAccessibleInterface* TKwGridAccessible::child(int index) const {
  const TCustomKwGrid* grid = Grid();
  if (!grid || index < 0 || index >= childCount()) return nullptr;
  return Cell(index % grid->ColCount(), index / grid->ColCount());
}

int TKwGridAccessible::childCount() const {
  const TCustomKwGrid* grid = Grid();
  if (!grid) return 0;
  const std::int64_t n = static_cast<std::int64_t>(grid->ColCount()) * grid->RowCount();
  return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                             : static_cast<int>(n);
}

int TKwGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* cell = dynamic_cast<const TKwGridCellAccessible*>(child);
  const TCustomKwGrid* grid = Grid();
  if (!cell || !grid || !grid->Model().Inside(cell->Col(), cell->Row())) return -1;
  return KwGridCellIndex(*grid, cell->Col(), cell->Row());
}

QAccessibleInterface* TKwGridAccessible::childAt(int x, int y) const {
  const TCustomKwGrid* grid = Grid();
  if (!grid) return nullptr;
  const TCellCoord c = grid->CellAtPoint(grid->viewport()->mapFromGlobal(QPoint(x, y)));
  return c.IsValid() ? Cell(c.Col, c.Row) : nullptr;
}

QAccessibleInterface* TKwGridAccessible::focusChild() const {
  const TCustomKwGrid* grid = Grid();
  if (!grid || grid->CurrentCol() < 0) return nullptr;
  return Cell(grid->CurrentCol(), grid->CurrentRow());
}

QAccessibleInterface* TKwGridAccessible::cellAt(int row, int column) const {
  return Cell(column, row);
}

int TKwGridAccessible::selectedCellCount() const {
  return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> TKwGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  const TCustomKwGrid* grid = Grid();
  if (!grid) return cells;
  const TGridRect sel = grid->Selection();
  if (sel.IsEmpty()) return cells;
  for (int row = std::max(sel.Top, 0); row <= std::min(sel.Bottom, grid->RowCount() - 1); ++row) {
    for (int col = std::max(sel.Left, 0); col <= std::min(sel.Right, grid->ColCount() - 1); ++col) {
      if (grid->Model().IsSelected(col, row)) cells.append(Cell(col, row));
    }
  }
  return cells;
}

QString TKwGridAccessible::columnDescription(int column) const {
  TCustomKwGrid* grid = Grid();
  if (!grid || grid->FixedRows() < 1 || !grid->Model().Inside(column, 0)) return {};
  return grid->SpokenText(column, 0);
}

QString TKwGridAccessible::rowDescription(int row) const {
  // A row is named by every label cell it has, left to right: a group label
  // that spans several rows names each of them together with the row's own
  // label ("Cherry: On later border bonuses"), and a label merged across the
  // label columns counts once.
  TCustomKwGrid* grid = Grid();
  if (!grid || !grid->Model().Inside(0, row)) return {};
  QStringList parts;
  for (int col = 0; col < std::min(grid->FixedCols(), grid->ColCount());) {
    const TGridRect ext = grid->Model().CellExtent(col, row);
    const QString text = grid->SpokenText(col, row);
    if (!text.isEmpty() && (parts.isEmpty() || parts.back() != text)) parts << text;
    col = std::max(col + 1, ext.Right + 1);
  }
  return parts.join(QStringLiteral(": "));
}

int TKwGridAccessible::selectedRowCount() const {
  return static_cast<int>(selectedRows().size());
}

QList<int> TKwGridAccessible::selectedRows() const {
  QList<int> rows;
  const TCustomKwGrid* grid = Grid();
  if (!grid || !grid->Options().Contains(TKwGridOption::RowSelect)) return rows;
  const TGridRect sel = grid->Selection();
  for (int row = std::max(sel.Top, 0); !sel.IsEmpty() && row <= sel.Bottom; ++row) rows.append(row);
  return rows;
}

bool TKwGridAccessible::isRowSelected(int row) const {
  return selectedRows().contains(row);
}

int TKwGridAccessible::columnCount() const {
  const TCustomKwGrid* grid = Grid();
  return grid ? grid->ColCount() : 0;
}

int TKwGridAccessible::rowCount() const {
  const TCustomKwGrid* grid = Grid();
  return grid ? grid->RowCount() : 0;
}

void TKwGridAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
  // Cells keep their identity while they exist; those that went away go.
  const TCustomKwGrid* grid = Grid();
  for (auto it = m_cells.begin(); it != m_cells.end();) {
    const int col = static_cast<int>(static_cast<quint32>(it.key()));
    const int row = static_cast<int>(it.key() >> 32);
    if (!grid || !grid->Model().Inside(col, row)) {
      QAccessible::deleteAccessibleInterface(it.value());
      it = m_cells.erase(it);
    } else {
      ++it;
    }
  }
}

// ---------------------------------------------------------------------------
// A cell

TKwGridCellAccessible::TKwGridCellAccessible(TCustomKwGrid* grid, int col, int row)
    : m_grid(grid), m_col(col), m_row(row) {}

void* TKwGridCellAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableCellInterface)
    return static_cast<QAccessibleTableCellInterface*>(this);
  if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
  return nullptr;
}

bool TKwGridCellAccessible::isValid() const {
  return m_grid && m_grid->Model().Inside(m_col, m_row);
}

QWindow* TKwGridCellAccessible::window() const {
  return m_grid ? m_grid->window()->windowHandle() : nullptr;
}

QAccessibleInterface* TKwGridCellAccessible::parent() const {
  return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
}

QString TKwGridCellAccessible::text(QAccessible::Text t) const {
  if (!isValid()) return {};
  switch (t) {
    case QAccessible::Name:
    case QAccessible::Value:
      return m_grid->SpokenText(m_col, m_row);
    case QAccessible::Description: {
      const TCellStyles& styles = m_grid->CellStyles();
      const int style = styles.FindStyle(m_col, m_row);
      return style < 0 ? QString() : styles.Item(style).Description();
    }
    default:
      return {};
  }
}

QRect TKwGridCellAccessible::rect() const {
  if (!isValid()) return {};
  const QRect r = m_grid->CellRect(m_col, m_row);
  return {m_grid->viewport()->mapToGlobal(r.topLeft()), r.size()};
}

QAccessible::Role TKwGridCellAccessible::role() const {
  if (!isValid()) return QAccessible::Cell;
  if (m_row < m_grid->FixedRows()) return QAccessible::ColumnHeader;
  if (m_col < m_grid->FixedCols()) return QAccessible::RowHeader;
  return QAccessible::Cell;
}

QAccessible::State TKwGridCellAccessible::state() const {
  QAccessible::State s;
  if (!isValid()) {
    s.invalid = true;
    return s;
  }
  const TKwGridModel& model = m_grid->Model();
  const bool fixed = model.IsFixed(m_col, m_row);
  const TCellCoord current = model.Current();
  s.readOnly = model.IsReadOnly(m_col, m_row);
  s.editable = !s.readOnly && !fixed;
  s.focusable = model.CanFocusCell(m_col, m_row);
  s.focused = current == TCellCoord{m_col, m_row} && (m_grid->hasFocus() || m_grid->EditorOpen());
  s.active = current == TCellCoord{m_col, m_row};
  s.selectable = !fixed && model.CanSelectCell(m_col, m_row);
  s.selected = model.IsSelected(m_col, m_row);
  s.invisible = !m_grid->viewport()->rect().intersects(m_grid->CellRect(m_col, m_row));
  s.disabled = !m_grid->isEnabled();
  return s;
}

bool TKwGridCellAccessible::isSelected() const {
  return isValid() && m_grid->Model().IsSelected(m_col, m_row);
}

QList<QAccessibleInterface*> TKwGridCellAccessible::columnHeaderCells() const {
  QList<QAccessibleInterface*> cells;
  QAccessibleInterface* t = table();
  if (!isValid() || !t) return cells;
  for (int row = 0; row < std::min(m_grid->FixedRows(), m_row); ++row) {
    if (QAccessibleInterface* c = t->tableInterface()->cellAt(row, m_col)) cells.append(c);
  }
  return cells;
}

QList<QAccessibleInterface*> TKwGridCellAccessible::rowHeaderCells() const {
  QList<QAccessibleInterface*> cells;
  QAccessibleInterface* t = table();
  if (!isValid() || !t) return cells;
  // A label merged over several cells is one header, named by its top-left cell.
  for (int col = 0; col < std::min(m_grid->FixedCols(), m_col);) {
    const TGridRect ext = m_grid->Model().CellExtent(col, m_row);
    if (QAccessibleInterface* c = t->tableInterface()->cellAt(ext.Top, ext.Left)) {
      if (!cells.contains(c)) cells.append(c);
    }
    col = std::max(col + 1, ext.Right + 1);
  }
  return cells;
}

int TKwGridCellAccessible::columnExtent() const {
  if (!isValid()) return 1;
  const TGridRect r = m_grid->Model().CellExtent(m_col, m_row);
  return r.Left == m_col && r.Top == m_row ? r.Right - r.Left + 1 : 1;
}

int TKwGridCellAccessible::rowExtent() const {
  if (!isValid()) return 1;
  const TGridRect r = m_grid->Model().CellExtent(m_col, m_row);
  return r.Left == m_col && r.Top == m_row ? r.Bottom - r.Top + 1 : 1;
}

QStringList TKwGridCellAccessible::actionNames() const {
  if (!isValid() || !m_grid->Model().CanFocusCell(m_col, m_row)) return {};
  return {setFocusAction()};
}

void TKwGridCellAccessible::doAction(const QString& actionName) {
  if (!isValid() || actionName != setFocusAction()) return;
  m_grid->setFocus(Qt::OtherFocusReason);
  m_grid->FocusCell(m_col, m_row);
}

}  // namespace qvl
