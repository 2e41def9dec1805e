// The scene tree and the scene memo: the document's nodes as items with their
// images, the selection both ways, the memo of the selected scene.
#include "ui/ScenePanel.h"

#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "model/qvl_text.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"
#include "ui/SceneTreeView.h"
#include "ui/ShownChange.h"

namespace qvl {
namespace {

constexpr int kSceneMemoBoxHeight = 196;

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

void AddTreeChildren(QTreeWidgetItem* parent_item, const group_t& group) {
  for (int i = 0; i < group.ChildCount(); ++i) {
    scene_base_t* child = group.Child(i);
    QTreeWidgetItem* item = MakeItem(*child);
    parent_item->addChild(item);
    if (const group_t* child_group = child->AsGroup()) {
      AddTreeChildren(item, *child_group);
    }
  }
}

}  // namespace

TScenePanel::TScenePanel(TDocumentSession& session, TDialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_session(session), m_dialogs(dialogs) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_sceneView = new TSceneTreeView(this);
  m_sceneView->setObjectName(QStringLiteral("SceneView"));
  layout->addWidget(m_sceneView, 1);

  m_sceneMemoBox = new QGroupBox(QString(), this);
  m_sceneMemoBox->setObjectName(QStringLiteral("SceneMemoGroupBox"));
  m_sceneMemoBox->setFixedHeight(kSceneMemoBoxHeight);
  auto* memo_layout = new QVBoxLayout(m_sceneMemoBox);
  memo_layout->setContentsMargins(6, 4, 6, 6);
  memo_layout->setSpacing(4);
  m_sceneMemo = new QPlainTextEdit(m_sceneMemoBox);
  m_sceneMemo->setObjectName(QStringLiteral("SceneMemo"));
  // 147 pixels where the box's caption leaves room for them; where the
  // caption's font takes more, the memo gives way, so that the button below
  // it stays whole inside the box and covers none of the memo's lines.
  m_sceneMemo->setMinimumHeight(3 * m_sceneMemo->fontMetrics().lineSpacing());
  m_sceneMemo->setMaximumHeight(147);
  m_sceneMemo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  m_sceneMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Tab moves on to the next control, as in every other box of the window.
  m_sceneMemo->setTabChangesFocus(true);
  memo_layout->addWidget(m_sceneMemo, 1);
  m_sceneMemoApplyButton = new QPushButton(QString(), m_sceneMemoBox);
  m_sceneMemoApplyButton->setObjectName(QStringLiteral("SceneMemoApplyButton"));
  m_sceneMemoApplyButton->setFixedSize(75, 25);
  m_sceneMemoApplyButton->setAutoDefault(false);
  memo_layout->addWidget(m_sceneMemoApplyButton, 0, Qt::AlignHCenter);
  layout->addWidget(m_sceneMemoBox);
  // Nothing is selected yet: no scene's memo to type.
  m_sceneMemoBox->setEnabled(false);

  // The keys pass over the scenes of a group described as a whole.
  m_sceneView->Steppable = [](const QTreeWidgetItem* item) {
    const scene_base_t* node = TSceneTreeView::NodeOf(item);
    return !node || !node->IsInsideGrouping();
  };
  connect(m_sceneView, &QTreeWidget::itemSelectionChanged, this, &TScenePanel::SceneViewOnChange);
  connect(m_sceneMemo, &QPlainTextEdit::textChanged, this, &TScenePanel::MemoChange);
  connect(m_sceneMemoApplyButton, &QPushButton::clicked, this, &TScenePanel::MemoApplyButtonClick);
  m_listener = m_session.AddListener(
      [this](const session_change_t& change) { SessionChanged(change); }, listener_rank_t::Window);
  Retranslate();
}

TScenePanel::~TScenePanel() {
  m_session.RemoveListener(m_listener);
  // The controls go after this part of the panel: what they say on the way
  // out changes no session.
  m_sceneView->disconnect(this);
  m_sceneMemo->disconnect(this);
}

void TScenePanel::changeEvent(QEvent* e) {
  if (e->type() == QEvent::LanguageChange) Retranslate();
  QWidget::changeEvent(e);
}

void TScenePanel::Retranslate() {
  m_sceneMemoBox->setTitle(tr("場面別メモ"));
  m_sceneMemoApplyButton->setText(tr("更新(&M)"));
  // What assistive technology says of the controls without a text of their
  // own. The tree's header is hidden, but assistive technology still finds
  // it: named after what the column holds, not Qt's "1".
  m_sceneView->setAccessibleName(tr("場面ツリー"));
  m_sceneMemo->setAccessibleName(tr("場面別メモ"));
  m_sceneView->setHeaderLabel(tr("場面"));
}

void TScenePanel::SessionChanged(const session_change_t& change) {
  const shown_change_t shown = ShownChange(change);
  switch (shown.what) {
    case shown_change_t::what_t::Document:
      RebuildSceneView();
      ClearMemo();
      m_sceneMemoBox->setEnabled(false);
      break;
    case shown_change_t::what_t::Selection:
      ShowSelectionInTree();
      ShowSelectedMemo();
      break;
    case shown_change_t::what_t::Memo:
      if (const scene_base_t* node = m_session.CurrentNode();
          shown.node == node && m_sceneMemo->toPlainText() != MemoToQString(node->memo)) {
        ShowMemo(MemoToQString(node->memo));
      }
      break;
    case shown_change_t::what_t::Nothing:
    case shown_change_t::what_t::Saved:
    case shown_change_t::what_t::EditedPattern:
    case shown_change_t::what_t::StoredList:
    case shown_change_t::what_t::CurrentChoices:
      break;  // nothing the tree or the memo shows
  }
}

void TScenePanel::RebuildSceneView() {
  // Removing the items is no selection change of the user's.
  const QSignalBlocker blocker(m_sceneView);
  m_sceneView->setUpdatesEnabled(false);
  m_sceneView->ClearItems();
  QTreeWidgetItem* root = MakeItem(m_session.Document());
  m_sceneView->addTopLevelItem(root);
  AddTreeChildren(root, m_session.Document());
  root->setExpanded(true);
  m_sceneView->scrollToTop();
  m_sceneView->setUpdatesEnabled(true);
}

void TScenePanel::ShowSelectionInTree() {
  const std::vector<scene_base_t*>& nodes = m_session.Selection();
  const std::unordered_set<const scene_base_t*> wanted(nodes.begin(), nodes.end());
  const QList<QTreeWidgetItem*> shown = m_sceneView->selectedItems();
  if (static_cast<std::size_t>(shown.size()) == wanted.size() &&
      std::all_of(shown.begin(), shown.end(), [&wanted](const QTreeWidgetItem* item) {
        return wanted.contains(TSceneTreeView::NodeOf(item));
      })) {
    return;  // the tree made this selection itself
  }
  QTreeWidgetItem* first = nullptr;
  {
    // The session holds this selection already: the tree follows silently.
    const QSignalBlocker blocker(m_sceneView);
    m_sceneView->clearSelection();
    for (QTreeWidgetItemIterator it(m_sceneView); *it != nullptr; ++it) {
      if (!wanted.contains(TSceneTreeView::NodeOf(*it))) continue;
      if (first == nullptr) {
        first = *it;
        m_sceneView->setCurrentItem(first, 0, QItemSelectionModel::ClearAndSelect);
      } else {
        (*it)->setSelected(true);
      }
    }
  }
  if (first != nullptr) m_sceneView->scrollToItem(first);
  m_sceneView->viewport()->update();
}

void TScenePanel::SceneViewOnChange() {
  std::vector<scene_base_t*> nodes;
  for (QTreeWidgetItem* item : m_sceneView->selectedItems()) {
    nodes.push_back(TSceneTreeView::NodeOf(item));
  }
  m_session.Select(std::move(nodes));
}

void TScenePanel::SelectRoot() {
  if (QTreeWidgetItem* top = m_sceneView->topLevelItem(0)) m_sceneView->SelectItem(top);
  m_sceneView->setFocus();
}

void TScenePanel::SelectNode(const scene_base_t* node) {
  for (QTreeWidgetItemIterator it(m_sceneView); *it != nullptr; ++it) {
    if (TSceneTreeView::NodeOf(*it) == node) {
      // A refused selection leaves the tree and the editor as they are.
      if (m_sceneView->SelectItem(*it)) m_sceneView->scrollToItem(*it);
      return;
    }
  }
}

void TScenePanel::ShowSelectedMemo() {
  // A single node's memo, shown afresh; a multiple selection has none.
  const scene_base_t* const node = m_session.CurrentNode();
  if (node) {
    ShowMemo(MemoToQString(node->memo));
  } else {
    ClearMemo();
  }
  m_sceneMemoBox->setEnabled(node != nullptr);
}

void TScenePanel::ShowMemo(const QString& text) {
  const bool showing = std::exchange(m_showing, true);
  m_sceneMemo->setPlainText(text);
  m_showing = showing;
}

void TScenePanel::ClearMemo() {
  const bool showing = std::exchange(m_showing, true);
  m_sceneMemo->clear();
  m_showing = showing;
}

void TScenePanel::MemoChange() {
  if (!m_showing) m_session.SetMemoModified(true);
}

void TScenePanel::MemoApplyButtonClick() {
  scene_base_t* const node = m_session.CurrentNode();
  if (!node) return;
  // Refused before the question: the memo could not be stored as typed.
  const cp932_text_t memo = MemoFromQString(m_sceneMemo->toPlainText());
  if (!memo.ok) {
    m_dialogs.Error(window(), UnconvertibleMessage(memo.unconvertible));
    return;
  }
  if (!m_dialogs.Confirm(
          window(), tr("「%1」のメモを更新します。よろしいですか？").arg(ToQString(node->title)))) {
    return;
  }
  m_session.UpdateMemo(*node, NormalizeTextForFile(memo.text));
}

}  // namespace qvl
