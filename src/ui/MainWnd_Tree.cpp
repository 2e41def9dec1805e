// The scene tree's questions and its popup menu, and the scene memo's.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QTreeWidgetItem>

#include "model/qvl_text.h"
#include "ui/Dialogs.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/PatternGrids.h"
#include "ui/QtText.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"

namespace qvl {
namespace {

// A title in a menu caption: "&" would be taken for an access key.
QString MenuText(const QString& s) {
  QString out = s;
  out.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return out;
}

}  // namespace

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
  if (!m_editor->ConfirmDiscardPatternEdits()) return false;
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

scene_base_t* TMainWnd::PopupNode() const {
  // A popup node whose item went away with a rebuild is no node at all.
  if (!m_popupNode.isValid()) return nullptr;
  return TSceneTreeView::NodeOf(m_scenePanel->Tree().ItemOf(m_popupNode));
}

void TMainWnd::SceneViewPopupMenuPopup() {
  const QList<QAction*> old_items = m_popupPatternItems->actions();
  for (auto it = old_items.rbegin(); it != old_items.rend(); ++it) {
    MenuAt(menu_t::ScenePopup)->removeAction(*it);
    m_popupPatternItems->removeAction(*it);
    delete *it;
  }
  const QList<QTreeWidgetItem*> selected = m_scenePanel->Tree().selectedItems();
  if (selected.isEmpty()) return;
  UpdateActions(enabled_t::GroupSelected);
  if (selected.size() >= 2) return;

  QTreeWidgetItem* item = selected.first();
  scene_base_t* node = TSceneTreeView::NodeOf(item);
  const pattern_base_t* current = node->patterns.Current();
  for (int i = 0; i < node->patterns.Count(); ++i) {
    const pattern_base_t* pattern = node->patterns.Items(i);
    if (pattern->title.empty()) continue;
    QString caption = MenuText(ToQString(pattern->title));
    if (i < 10) caption += QStringLiteral("(&%1)").arg(i);
    auto* action = new QAction(caption, MenuAt(menu_t::ScenePopup));
    action->setObjectName(QStringLiteral("PatternItem%1").arg(i));
    action->setCheckable(true);
    action->setChecked(pattern == current);
    action->setData(i);
    m_popupPatternItems->addAction(action);
    MenuAt(menu_t::ScenePopup)->addAction(action);
  }
  m_popupNode = QPersistentModelIndex(m_scenePanel->Tree().IndexOf(item));
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
  m_scenePanel->Tree().SelectItem(m_scenePanel->Tree().ItemOf(m_popupNode));
}

void TMainWnd::ScoreChartNodeClicked(const scene_base_t* node) {
  m_scenePanel->SelectNode(node);
}

void TMainWnd::Copy2Click() {
  const scene_base_t* node = PopupNode();
  if (!node) return;
  CopyToClipboard(m_dialogs, [node] { return ToQString(node->WriteSXML(0)); });
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
