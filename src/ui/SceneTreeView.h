// The scene tree view: a read-only tree of the document's nodes with multiple
// selection, whose selection changes by mouse, keyboard or program can be
// refused before they happen.
#pragma once

#include <QTreeWidget>

#include <functional>

namespace qvl {

class scene_base_t;

class TSceneTreeView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TSceneTreeView(QWidget* parent = nullptr);

  // Asked before the selection changes, with the item that is to become the
  // selected (current) one; false refuses the change and nothing moves.
  std::function<bool(QTreeWidgetItem* item)> OnChanging;

  // Makes item the only selected item through OnChanging; false if refused.
  bool SelectItem(QTreeWidgetItem* item);

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
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyboardSearch(const QString& search) override;

 private:
  [[nodiscard]] bool Allows(QTreeWidgetItem* item) const;
  // The item a navigation key would make current, or null when the key does
  // not move the selection.
  [[nodiscard]] QTreeWidgetItem* KeyTarget(QKeyEvent* e);
};

}  // namespace qvl
