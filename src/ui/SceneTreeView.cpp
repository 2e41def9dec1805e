#include "ui/SceneTreeView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "model/qvl_scene.h"

namespace qvl {
namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

}  // namespace

TSceneTreeView::TSceneTreeView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setRootIsDecorated(false);
  setIndentation(19);
  setExpandsOnDoubleClick(true);
  setDragEnabled(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  // The selection stays visible while another control has the focus.
  QPalette p = palette();
  for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
  }
  setPalette(p);
}

scene_base_t* TSceneTreeView::NodeOf(const QTreeWidgetItem* item) {
  if (!item) return nullptr;
  return static_cast<scene_base_t*>(item->data(0, kNodeRole).value<void*>());
}

void TSceneTreeView::SetNode(QTreeWidgetItem* item, scene_base_t* node) {
  item->setData(0, kNodeRole, QVariant::fromValue(static_cast<void*>(node)));
}

bool TSceneTreeView::HasSelectedAncestor(const QTreeWidgetItem* item) {
  for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent()) {
    if (p->isSelected()) return true;
  }
  return false;
}

bool TSceneTreeView::Allows(QTreeWidgetItem* item) const {
  return !OnChanging || OnChanging(item);
}

bool TSceneTreeView::SelectItem(QTreeWidgetItem* item) {
  if (!item) return false;
  if (!Allows(item)) return false;
  setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
  return true;
}

void TSceneTreeView::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  QTreeWidgetItem* item = itemAt(pos);
  if (!item) {
    // A click beside the items keeps the selection: there is no node to check.
    setFocus(Qt::MouseFocusReason);
    e->accept();
    return;
  }
  {
    const QModelIndex index = indexFromItem(item);
    // A click on the expand button left of the text only folds the branch.
    const bool on_branch = pos.x() < visualRect(index).left();
    const auto command = selectionCommand(index, e);
    const bool alone_and_current =
        item == currentItem() && selectedItems().size() == 1 && item->isSelected();
    const bool changes = !on_branch && command != QItemSelectionModel::NoUpdate &&
                         !(alone_and_current && e->modifiers() == Qt::NoModifier);
    if (changes && !Allows(item)) {
      e->accept();
      return;
    }
  }
  QTreeWidget::mousePressEvent(e);
}

void TSceneTreeView::mouseMoveEvent(QMouseEvent* e) {
  // Dragging over items does not extend the selection: every change goes
  // through a click or a key, where it can be refused.
  if (e->buttons() != Qt::NoButton) {
    e->accept();
    return;
  }
  QTreeWidget::mouseMoveEvent(e);
}

void TSceneTreeView::mouseDoubleClickEvent(QMouseEvent* e) {
  // A double click is a press (already checked) followed by folding.
  QTreeWidgetItem* item = itemAt(e->position().toPoint());
  if (item && !item->isSelected() && !Allows(item)) {
    e->accept();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(e);
}

QTreeWidgetItem* TSceneTreeView::KeyTarget(QKeyEvent* e) {
  QTreeWidgetItem* current = currentItem();
  if (e->matches(QKeySequence::SelectAll)) return current ? current : topLevelItem(0);
  const bool ctrl_only =
      (e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::ShiftModifier);
  switch (e->key()) {
    case Qt::Key_Space:
      return ctrl_only || !current || !current->isSelected() ? current : nullptr;
    case Qt::Key_Left:
      if (!current) return nullptr;
      if (current->isExpanded() && current->childCount() > 0) return nullptr;  // folds
      return ctrl_only ? nullptr : current->parent();
    case Qt::Key_Right:
      if (!current || current->childCount() == 0) return nullptr;
      if (!current->isExpanded()) return nullptr;  // unfolds
      return ctrl_only ? nullptr : current->child(0);
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
      if (ctrl_only) return nullptr;  // moves the focus without selecting
      CursorAction action = MoveDown;
      switch (e->key()) {
        case Qt::Key_Up:
          action = MoveUp;
          break;
        case Qt::Key_PageUp:
          action = MovePageUp;
          break;
        case Qt::Key_PageDown:
          action = MovePageDown;
          break;
        case Qt::Key_Home:
          action = MoveHome;
          break;
        case Qt::Key_End:
          action = MoveEnd;
          break;
        default:
          break;
      }
      QTreeWidgetItem* target = itemFromIndex(moveCursor(action, e->modifiers()));
      return target == current && !(e->modifiers() & Qt::ShiftModifier) ? nullptr : target;
    }
    default:
      return nullptr;
  }
}

void TSceneTreeView::keyPressEvent(QKeyEvent* e) {
  QTreeWidgetItem* target = KeyTarget(e);
  if (target && !Allows(target)) {
    e->accept();
    return;
  }
  QTreeWidget::keyPressEvent(e);
}

void TSceneTreeView::keyboardSearch(const QString& search) {
  // Typing a title's first letters selects the next item that starts with them.
  if (search.isEmpty()) return;
  QTreeWidgetItemIterator it(this);
  QTreeWidgetItem* start = currentItem();
  bool past = start == nullptr;
  QTreeWidgetItem* first_match = nullptr;
  for (; *it; ++it) {
    QTreeWidgetItem* item = *it;
    if (item->isHidden()) continue;
    bool visible = true;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) visible &= p->isExpanded();
    if (!visible) continue;
    const bool match = item->text(0).startsWith(search, Qt::CaseInsensitive);
    if (match && !first_match) first_match = item;
    if (past && match) {
      SelectItem(item);
      return;
    }
    if (item == start) past = true;
  }
  if (first_match && first_match != start) SelectItem(first_match);
}

}  // namespace qvl
