#include "ui/SceneTreeView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

#include "model/qvl_scene.h"

namespace qvl {
namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

}  // namespace

TCheckedSelectionModel::TCheckedSelectionModel(QAbstractItemModel* model, TCheck check,
                                               QObject* parent)
    : QItemSelectionModel(model, parent), m_check(std::move(check)) {}

namespace {

// Brackets one gesture of the user on the tree.
class TGesture {
 public:
  explicit TGesture(TCheckedSelectionModel& m) : m_model(m) { m_model.BeginGesture(); }
  ~TGesture() { m_model.EndGesture(); }
  TGesture(const TGesture&) = delete;
  TGesture& operator=(const TGesture&) = delete;

 private:
  TCheckedSelectionModel& m_model;
};

}  // namespace

void TCheckedSelectionModel::BeginGesture() {
  m_inGesture = true;
  m_gestureRefused = false;
}

void TCheckedSelectionModel::select(const QItemSelection& selection, SelectionFlags command) {
  m_refused = false;
  if (!m_checking) {
    QItemSelectionModel::select(selection, command);
    return;
  }
  const QItemSelection before_ranges = this->selection();
  const QModelIndexList before = selectedIndexes();
  {
    // Tried out of sight: nobody may hear of a change that is then refused.
    const QSignalBlocker quiet(this);
    QItemSelectionModel::select(selection, command);
  }
  const QModelIndexList after = selectedIndexes();
  const QSet<QModelIndex> before_set(before.begin(), before.end());
  const QSet<QModelIndex> after_set(after.begin(), after.end());
  if (before_set == after_set) return;

  QItemSelection selected;
  for (const QModelIndex& i : after) {
    if (!before_set.contains(i)) selected.select(i, i);
  }
  const bool refused = (m_inGesture && m_gestureRefused) || (m_check && !m_check(after));
  if (refused) {
    m_refused = true;
    m_gestureRefused = m_inGesture;
    const QSignalBlocker quiet(this);
    QItemSelectionModel::select(before_ranges, ClearAndSelect);
    return;
  }
  QItemSelection deselected;
  for (const QModelIndex& i : before) {
    if (!after_set.contains(i)) deselected.select(i, i);
  }
  emit selectionChanged(selected, deselected);
}

void TCheckedSelectionModel::setCurrentIndex(const QModelIndex& index, SelectionFlags command) {
  m_refused = false;
  if (command != NoUpdate) {
    select(index, command);
    // The current item stays with a refused selection.
    if (m_refused) return;
  }
  QItemSelectionModel::setCurrentIndex(index, NoUpdate);
}

TSceneTreeView::TSceneTreeView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_selection = new TCheckedSelectionModel(
      model(), [this](const QModelIndexList& selected) { return Allows(selected); }, this);
  setSelectionModel(m_selection);
  // The tree widget follows the model it was built with only: the items'
  // flags first, then the announcement.
  connect(m_selection, &QItemSelectionModel::selectionChanged, this,
          &TSceneTreeView::SyncItemFlags);
  connect(m_selection, &QItemSelectionModel::selectionChanged, this,
          &QTreeWidget::itemSelectionChanged);
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

bool TSceneTreeView::Allows(const QModelIndexList& selected) const {
  if (!OnChanging) return true;
  QList<QTreeWidgetItem*> items;
  for (const QModelIndex& i : selected) {
    if (QTreeWidgetItem* item = itemFromIndex(i)) items << item;
  }
  return OnChanging(items);
}

bool TSceneTreeView::SelectItem(QTreeWidgetItem* item) {
  if (!item) return false;
  setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
  return !m_selection->Refused();
}

void TSceneTreeView::mousePressEvent(QMouseEvent* e) {
  if (!itemAt(e->position().toPoint())) {
    // A click beside the items keeps the selection: there is no node to check.
    setFocus(Qt::MouseFocusReason);
    e->accept();
    return;
  }
  // The view makes the pressed item current before it selects it; a refused
  // selection puts the current item back.
  const QPersistentModelIndex current = currentIndex();
  const TGesture gesture(*m_selection);
  QTreeWidget::mousePressEvent(e);
  if (m_selection->Refused()) m_selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
}

void TSceneTreeView::mouseReleaseEvent(QMouseEvent* e) {
  const TGesture gesture(*m_selection);
  QTreeWidget::mouseReleaseEvent(e);
}

void TSceneTreeView::mouseDoubleClickEvent(QMouseEvent* e) {
  const TGesture gesture(*m_selection);
  QTreeWidget::mouseDoubleClickEvent(e);
}

void TSceneTreeView::keyPressEvent(QKeyEvent* e) {
  // Shift+F10 opens the popup menu as the menu key does: keyboards without
  // that key have only this one.
  if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
    QTreeWidgetItem* item = currentItem();
    emit customContextMenuRequested(item != nullptr ? visualItemRect(item).center()
                                                    : viewport()->rect().center());
    e->accept();
    return;
  }
  const TGesture gesture(*m_selection);
  QTreeWidget::keyPressEvent(e);
}

void TSceneTreeView::SyncItemFlags(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
  // Setting an item's flag selects it in the model once more, which changes
  // nothing there and needs no check.
  const bool checking = m_selection->Checking();
  m_selection->SetChecking(false);
  for (const QModelIndex& i : selected.indexes()) {
    if (QTreeWidgetItem* item = itemFromIndex(i)) item->setSelected(true);
  }
  for (const QModelIndex& i : deselected.indexes()) {
    if (QTreeWidgetItem* item = itemFromIndex(i)) item->setSelected(false);
  }
  m_selection->SetChecking(checking);
}

void TSceneTreeView::ClearItems() {
  m_selection->SetChecking(false);
  clear();
  m_selection->SetChecking(true);
}

void TSceneTreeView::mouseMoveEvent(QMouseEvent* e) {
  // Dragging over items does not extend the selection: every change comes
  // from a click or a key, and asks at most once.
  if (e->buttons() != Qt::NoButton) {
    e->accept();
    return;
  }
  QTreeWidget::mouseMoveEvent(e);
}

bool TSceneTreeView::CanStepOn(const QModelIndex& index) const {
  return !Steppable || Steppable(itemFromIndex(index));
}

QModelIndex TSceneTreeView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex from = currentIndex();
  QModelIndex to = QTreeWidget::moveCursor(action, modifiers);
  if (!to.isValid() || to == from || CanStepOn(to)) return to;
  // Onwards in the direction of the key past the items that cannot be
  // selected; where none follows, the key does nothing rather than ask on
  // every press why it may not go there.
  bool down = false;
  switch (action) {
    case MoveDown:
    case MoveNext:
    case MovePageDown:
    case MoveHome:
      down = true;
      break;
    case MoveUp:
    case MovePrevious:
    case MovePageUp:
    case MoveEnd:
      down = false;
      break;
    default:
      return from;
  }
  do {
    to = down ? indexBelow(to) : indexAbove(to);
  } while (to.isValid() && !CanStepOn(to));
  return to.isValid() ? to : from;
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
