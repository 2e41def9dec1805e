// How the grid shows itself to assistive technology: a table whose children
// are its cells, row by row, the way Qt's own table views do it.
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace qvl {

class TCustomKwGrid;

// Registers the interface factory once per program; the grid's constructor
// calls it.
void InstallKwGridAccessibleFactory();

// The child index of a cell: row × ColCount + column.
[[nodiscard]] int KwGridCellIndex(const TCustomKwGrid& grid, int col, int row);

// The grid's events go to the platform's accessibility bridge when one is
// active, and to a listener when one is set (code that watches the events
// without a bridge, such as the tests on the offscreen platform).
using TKwGridAccessibleListener = void (*)(QAccessibleEvent* event);
// Returns the previous listener; nullptr removes it.
TKwGridAccessibleListener SetKwGridAccessibleListener(TKwGridAccessibleListener listener);
// Whether anybody takes the events, so that building them can be skipped.
[[nodiscard]] bool KwGridAccessibleWanted();
void SendKwGridAccessibleEvent(QAccessibleEvent* event);
// The listener alone, for an event that Qt itself has sent to the bridge
// (the name change of a widget whose accessible name was set): the window's
// own watchers hear it the same way as the grid's.
void NotifyKwGridAccessibleListener(QAccessibleEvent* event);

class TKwGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TKwGridAccessible(TCustomKwGrid* grid);
  ~TKwGridAccessible() override;

  void* interface_cast(QAccessible::InterfaceType t) override;
  [[nodiscard]] TCustomKwGrid* Grid() const;

  // QAccessibleInterface
  [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Table; }
  [[nodiscard]] QString text(QAccessible::Text t) const override;
  [[nodiscard]] QAccessibleInterface* child(int index) const override;
  [[nodiscard]] int childCount() const override;
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
  [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
  [[nodiscard]] QAccessibleInterface* focusChild() const override;

  // QAccessibleTableInterface
  [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
  [[nodiscard]] int selectedCellCount() const override;
  [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
  [[nodiscard]] QString columnDescription(int column) const override;
  [[nodiscard]] QString rowDescription(int row) const override;
  [[nodiscard]] int selectedColumnCount() const override { return 0; }
  [[nodiscard]] int selectedRowCount() const override;
  [[nodiscard]] int columnCount() const override;
  [[nodiscard]] int rowCount() const override;
  [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
  [[nodiscard]] QList<int> selectedRows() const override;
  [[nodiscard]] bool isColumnSelected(int) const override { return false; }
  [[nodiscard]] bool isRowSelected(int row) const override;
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

 private:
  // The one interface of a cell, kept in Qt's cache for the table's life.
  [[nodiscard]] QAccessibleInterface* Cell(int col, int row) const;

  mutable QHash<quint64, QAccessible::Id> m_cells;
};

class TKwGridCellAccessible : public QAccessibleInterface,
                              public QAccessibleTableCellInterface,
                              public QAccessibleActionInterface {
 public:
  TKwGridCellAccessible(TCustomKwGrid* grid, int col, int row);

  void* interface_cast(QAccessible::InterfaceType t) override;
  [[nodiscard]] int Col() const { return m_col; }
  [[nodiscard]] int Row() const { return m_row; }

  // QAccessibleInterface
  [[nodiscard]] bool isValid() const override;
  [[nodiscard]] QObject* object() const override { return nullptr; }
  [[nodiscard]] QWindow* window() const override;
  [[nodiscard]] QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  [[nodiscard]] QAccessibleInterface* parent() const override;
  [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return 0; }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  [[nodiscard]] QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  [[nodiscard]] QRect rect() const override;
  [[nodiscard]] QAccessible::Role role() const override;
  [[nodiscard]] QAccessible::State state() const override;

  // QAccessibleTableCellInterface
  [[nodiscard]] bool isSelected() const override;
  [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override;
  [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override;
  [[nodiscard]] int columnIndex() const override { return m_col; }
  [[nodiscard]] int rowIndex() const override { return m_row; }
  [[nodiscard]] int columnExtent() const override;
  [[nodiscard]] int rowExtent() const override;
  [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

  // QAccessibleActionInterface: "SetFocus" makes the cell current.
  [[nodiscard]] QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
  [[nodiscard]] QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QPointer<TCustomKwGrid> m_grid;
  int m_col;
  int m_row;
};

}  // namespace qvl
