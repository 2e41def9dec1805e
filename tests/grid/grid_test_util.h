// Shared set-up of the widget tests: a shown, focused grid on the offscreen
// platform, and a recorder of the grid's events.
#pragma once

#include "grid/KwGrid.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qvl::test {

inline std::string ValueKind(const TCellValue& v) {
  static const char* const kinds[] = {"empty", "int32", "int64", "real", "bool", "string"};
  return kinds[v.index()];
}

// A window holding a grid and a plain edit box to take the focus away.
class GridWindow {
 public:
  GridWindow() {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    grid = new TKwGrid;
    other = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(other);
    window->resize(420, 320);
  }
  void Show() {
    window->show();
    QApplication::setActiveWindow(window.get());
    grid->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }
  [[nodiscard]] QPoint CellCentre(int col, int row) const {
    return grid->CellRect(col, row).center();
  }

  std::unique_ptr<QWidget> window;
  TKwGrid* grid = nullptr;
  QLineEdit* other = nullptr;
};

// Writes every event of the grid into one list, in order.
class EventLog {
 public:
  explicit EventLog(TCustomKwGrid& grid) {
    grid.OnSelectCell = [this](TCustomKwGrid&, int c, int r, bool& can) {
      Add("select", c, r);
      can = !refuse;
    };
    grid.OnCellEdit = [this](TCustomKwGrid&, int c, int r, bool modified, TCellValue& v) {
      Add("edit", c, r, modified ? " modified " + ValueKind(v) : " unmodified " + ValueKind(v));
      lastEdited = v;
      if (replaceWith) v = *replaceWith;
    };
    grid.OnCellEdited = [this](TCustomKwGrid&, int c, int r, bool modified) {
      Add("edited", c, r, modified ? " modified" : " unmodified");
    };
    grid.OnExitCell = [this](TCustomKwGrid&, int c, int r, bool modified) {
      Add("exit", c, r, modified ? " modified" : " unmodified");
    };
    grid.OnCellEditing = [this](TCustomKwGrid&, int c, int r) { Add("editing", c, r); };
    grid.OnEnterCell = [this](TCustomKwGrid&, int c, int r) { Add("enter", c, r); };
    grid.OnCellChanged = [this](TCustomKwGrid&, int oc, int orow, int nc, int nr) {
      Add("changed", oc, orow, " to " + std::to_string(nc) + "," + std::to_string(nr));
    };
  }
  void Add(const char* what, int c, int r, const std::string& more = {}) {
    events.push_back(std::string(what) + " " + std::to_string(c) + "," + std::to_string(r) + more);
  }

  std::vector<std::string> events;
  bool refuse = false;
  std::unique_ptr<TCellValue> replaceWith;
  TCellValue lastEdited;
};

}  // namespace qvl::test
