// The scene tree view: a read-only tree of the document's nodes with multiple
// selection, whose selection changes by mouse, keyboard or program can be
// refused before they happen.
#pragma once

#include <QItemSelectionModel>
#include <QTreeWidget>

#include <functional>

namespace qvl {

class scene_base_t;

// The tree's selection model: every change of the selection, whatever gesture
// or call brings it about (press, release, Shift range, Ctrl toggle, select
// all, keys, the program), is put to one check before anyone sees it. A
// refused change leaves the selection and the current item as they were; a
// change that selects what was selected already asks nothing and says
// nothing.
class TCheckedSelectionModel : public QItemSelectionModel {
  Q_OBJECT
 public:
  // selected: what the selection would hold after the change. False refuses
  // the whole change.
  using TCheck = std::function<bool(const QModelIndexList& selected)>;

  TCheckedSelectionModel(QAbstractItemModel* model, TCheck check, QObject* parent);

  using QItemSelectionModel::select;
  void select(const QItemSelection& selection, SelectionFlags command) override;
  void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;

  // Whether the last change asked for was refused.
  [[nodiscard]] bool Refused() const { return m_refused; }

  // One gesture of the user (a key, a press, a release) may change the
  // selection in several steps; once one is refused the rest are refused
  // without asking again.
  void BeginGesture();
  void EndGesture() { m_inGesture = false; }

  // Changes by the program that need no check (emptying the tree).
  void SetChecking(bool on) { m_checking = on; }
  [[nodiscard]] bool Checking() const { return m_checking; }

 private:
  TCheck m_check;
  bool m_refused = false;
  bool m_checking = true;
  bool m_inGesture = false;
  bool m_gestureRefused = false;
};

class TSceneTreeView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TSceneTreeView(QWidget* parent = nullptr);

  // Asked before the selection changes, with the items it would hold after
  // the change; false refuses the change and nothing moves.
  std::function<bool(const QList<QTreeWidgetItem*>& selected)> OnChanging;

  // Whether the keys may step onto an item. Arrow keys, Home, End and the
  // page keys step over the items it refuses, which only a click asks
  // OnChanging about (and hears why not); without it every item may be stepped on.
  std::function<bool(const QTreeWidgetItem* item)> Steppable;

  // Makes item the only selected item through OnChanging; false if refused.
  // Nothing is asked when it is the only selected item already.
  bool SelectItem(QTreeWidgetItem* item);

  // Removes every item; no check, since no node is selected by it.
  void ClearItems();

  // The node an item stands for.
  [[nodiscard]] static scene_base_t* NodeOf(const QTreeWidgetItem* item);
  static void SetNode(QTreeWidgetItem* item, scene_base_t* node);

  // Whether some ancestor item of item is selected.
  [[nodiscard]] static bool HasSelectedAncestor(const QTreeWidgetItem* item);

  // Model indexes, for references that must not outlive the items.
  [[nodiscard]] QModelIndex IndexOf(QTreeWidgetItem* item) const { return indexFromItem(item); }
  [[nodiscard]] QTreeWidgetItem* ItemOf(const QModelIndex& index) const {
    return itemFromIndex(index);
  }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyboardSearch(const QString& search) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  [[nodiscard]] bool Allows(const QModelIndexList& selected) const;
  [[nodiscard]] bool CanStepOn(const QModelIndex& index) const;
  // The items keep a selected flag of their own, which the tree widget
  // updates only for the selection model it was built with.
  void SyncItemFlags(const QItemSelection& selected, const QItemSelection& deselected);

  TCheckedSelectionModel* m_selection = nullptr;
};

}  // namespace qvl
