// The scene tree view, its popup menu and the scene memo.
#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>

#include "model/qvl_text.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"

namespace qvl {
namespace {

// The tree's images by index: 0 a group, 1 a spell card, 3 any other scene.
enum tree_image_t { kGroupImage = 0, kSpellCardImage = 1, kSceneImage = 3 };

QIcon DrawImage(tree_image_t image) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (image) {
    case kGroupImage:  // a folder
      p.setPen(QColor(150, 110, 20));
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(QRectF(1.5, 4.5, 13, 9));
      p.drawRect(QRectF(1.5, 2.5, 5, 2));
      break;
    case kSpellCardImage: {  // a card with a star
      p.setPen(QColor(120, 40, 120));
      p.setBrush(QColor(250, 225, 250));
      p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 2, 2);
      QPainterPath star;
      for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? 5.0 : 2.2;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(8 + r * std::cos(a), 8.5 + r * std::sin(a));
        if (i == 0) {
          star.moveTo(pt);
        } else {
          star.lineTo(pt);
        }
      }
      star.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(200, 40, 90));
      p.drawPath(star);
      break;
    }
    default:  // a scene: a round mark
      p.setPen(QColor(30, 80, 160));
      p.setBrush(QColor(120, 170, 240));
      p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
      break;
  }
  return QIcon(pixmap);
}

const QIcon& TreeImage(tree_image_t image) {
  static const QIcon group = DrawImage(kGroupImage);
  static const QIcon spell_card = DrawImage(kSpellCardImage);
  static const QIcon scene = DrawImage(kSceneImage);
  switch (image) {
    case kGroupImage:
      return group;
    case kSpellCardImage:
      return spell_card;
    default:
      return scene;
  }
}

tree_image_t ImageOf(const scene_base_t& node) {
  if (const scene_t* scene = node.AsScene()) {
    return scene->kind == scene_kind_t::SpellCard ? kSpellCardImage : kSceneImage;
  }
  return kGroupImage;
}

QTreeWidgetItem* MakeItem(scene_base_t& node) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, ToQString(node.title));
  item->setIcon(0, TreeImage(ImageOf(node)));
  item->setData(0, Qt::UserRole, static_cast<int>(ImageOf(node)));
  TSceneTreeView::SetNode(item, &node);
  return item;
}

// A title in a menu caption: "&" would be taken for an access key.
QString MenuText(const QString& s) {
  QString out = s;
  out.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return out;
}

}  // namespace

void TMainWnd::AddTreeChildren(QTreeWidgetItem* parent_item, const group_t& group) {
  for (int i = 0; i < group.ChildCount(); ++i) {
    scene_base_t* child = group.Child(i);
    QTreeWidgetItem* item = MakeItem(*child);
    parent_item->addChild(item);
    if (const group_t* child_group = child->AsGroup()) {
      AddTreeChildren(item, *child_group);
    }
  }
}

void TMainWnd::RebuildSceneView() {
  // Removing the items is no selection change of the user's.
  const QSignalBlocker blocker(m_tree.sceneView);
  m_tree.sceneView->setUpdatesEnabled(false);
  m_tree.sceneView->ClearItems();
  QTreeWidgetItem* root = MakeItem(m_session.Document());
  m_tree.sceneView->addTopLevelItem(root);
  AddTreeChildren(root, m_session.Document());
  root->setExpanded(true);
  m_tree.sceneView->scrollToTop();
  m_tree.sceneView->setUpdatesEnabled(true);
}

QString TMainWnd::SceneMemoDiscardQuestion() const {
  const QString title = CurrentNode() ? ToQString(CurrentNode()->title) : QString();
  return tr("「%1」のメモの変更を破棄します。よろしいですか？").arg(title);
}

bool TMainWnd::ConfirmDiscardSceneMemo() {
  if (!MemoModified()) return true;
  if (!m_dialogs.Confirm(this, SceneMemoDiscardQuestion())) return false;
  m_session.SetMemoModified(false);
  return true;
}

bool TMainWnd::SceneViewChanging(const QList<QTreeWidgetItem*>& selected) {
  if (!ConfirmDiscardPatternEdits()) return false;
  if (!ConfirmDiscardSceneMemo()) return false;
  // A node inside a grouping group is never selected, whichever gesture
  // would select it and whatever else the same change would select.
  for (const QTreeWidgetItem* item : selected) {
    const scene_base_t* node = TSceneTreeView::NodeOf(item);
    if (node && node->IsInsideGrouping()) {
      m_dialogs.Information(this,
                            tr("親ノードの方でまとめてるのを解除してから選択してくださいな。"));
      return false;
    }
  }
  return true;
}

void TMainWnd::SceneViewOnChange() {
  std::vector<scene_base_t*> nodes;
  for (QTreeWidgetItem* item : m_tree.sceneView->selectedItems()) {
    nodes.push_back(TSceneTreeView::NodeOf(item));
  }
  m_session.Select(std::move(nodes));
}

void TMainWnd::ShowSelection() {
  ClearEditor();
  m_oldValue.reset();
  m_newValue.reset();
  m_effectPattern.reset();
  scene_base_t* const node = CurrentNode();
  SetRowLabels(node);
  if (node) {
    ShowSingleNode(*node);
  } else {
    ShowMultipleSelection();
  }
}

void TMainWnd::SceneMemoChange() {
  if (m_updateDepth <= 0) m_session.SetMemoModified(true);
}

void TMainWnd::SceneMemoApplyButtonClick() {
  scene_base_t* const node = CurrentNode();
  if (!node) return;
  // Refused before the question: the memo could not be stored as typed.
  const cp932_text_t memo = MemoFromQString(m_tree.sceneMemo->toPlainText());
  if (!memo.ok) {
    m_dialogs.Error(this, UnconvertibleMessage(memo.unconvertible));
    return;
  }
  if (!m_dialogs.Confirm(
          this, tr("「%1」のメモを更新します。よろしいですか？").arg(ToQString(node->title)))) {
    return;
  }
  m_session.UpdateMemo(*node, NormalizeTextForFile(memo.text));
}

scene_base_t* TMainWnd::PopupNode() const {
  // A popup node whose item went away with a rebuild is no node at all.
  if (!m_popupNode.isValid()) return nullptr;
  return TSceneTreeView::NodeOf(m_tree.sceneView->ItemOf(m_popupNode));
}

void TMainWnd::SceneViewPopupMenuPopup() {
  const QList<QAction*> old_items = m_tree.patternItems->actions();
  for (auto it = old_items.rbegin(); it != old_items.rend(); ++it) {
    m_tree.sceneViewPopupMenu->removeAction(*it);
    m_tree.patternItems->removeAction(*it);
    delete *it;
  }
  const QList<QTreeWidgetItem*> selected = m_tree.sceneView->selectedItems();
  if (selected.isEmpty()) return;
  m_tree.p1->setEnabled(selected.size() > 1 || selected.first()->childCount() > 0);
  if (selected.size() >= 2) return;

  QTreeWidgetItem* item = selected.first();
  scene_base_t* node = TSceneTreeView::NodeOf(item);
  const pattern_base_t* current = node->patterns.Current();
  for (int i = 0; i < node->patterns.Count(); ++i) {
    const pattern_base_t* pattern = node->patterns.Items(i);
    if (pattern->title.empty()) continue;
    QString caption = MenuText(ToQString(pattern->title));
    if (i < 10) caption += QStringLiteral("(&%1)").arg(i);
    auto* action = new QAction(caption, m_tree.sceneViewPopupMenu);
    action->setObjectName(QStringLiteral("PatternItem%1").arg(i));
    action->setCheckable(true);
    action->setChecked(pattern == current);
    action->setData(i);
    m_tree.patternItems->addAction(action);
    m_tree.sceneViewPopupMenu->addAction(action);
  }
  m_popupNode = QPersistentModelIndex(m_tree.sceneView->IndexOf(item));
}

void TMainWnd::SceneViewPopupMenuPatternOnClick(QAction* item) {
  scene_base_t* node = PopupNode();
  if (!node || !item) return;
  const int index = item->data().toInt();
  if (index < 0 || index >= node->patterns.Count()) return;
  // The session reports the choice, and the window shows what it changed.
  m_session.ChoosePattern(*node, index);
}

void TMainWnd::Edit2Click() {
  if (!PopupNode()) return;
  m_tree.sceneView->SelectItem(m_tree.sceneView->ItemOf(m_popupNode));
}

void TMainWnd::ScoreChartNodeClicked(const scene_base_t* node) {
  for (QTreeWidgetItemIterator it(m_tree.sceneView); *it != nullptr; ++it) {
    if (TSceneTreeView::NodeOf(*it) == node) {
      // A refused selection leaves the tree and the editor as they are.
      if (m_tree.sceneView->SelectItem(*it)) m_tree.sceneView->scrollToItem(*it);
      return;
    }
  }
}

void TMainWnd::Copy2Click() {
  const scene_base_t* node = PopupNode();
  if (!node) return;
  CopyToClipboard([node] { return ToQString(node->WriteSXML(0)); });
}

void TMainWnd::SceneViewPopupMenuPatternMultiSelectOnClick() {
  const std::optional<QString> text =
      m_dialogs.InputText(this, tr("パターン名に含まれる文字列を入力してください"),
                          tr("アルファベットの大文字小文字は区別しません。\n\r"
                             "一致するものが複数あれば、最も上にあるパターンが選ばれます。"));
  if (!text) return;
  const cp932_text_t part = FromQString(*text);
  if (!part.ok) {
    m_dialogs.Error(this, UnconvertibleMessage(part.unconvertible));
    return;
  }
  // The session reports the choice, and the window shows what it changed.
  // Titles are held as the file keeps them, so the part is looked for in that form.
  m_session.ChooseByTitlePart(NormalizeTextForFile(part.text));
}

}  // namespace qvl
