// Undo and redo in the window: the 編集 menu's first two items, the text
// fields' own undo, and the selection of what a step brought back.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>
#include <QUndoStack>

#include <unordered_set>

#include "ui/MainWnd.h"
#include "ui/SceneTreeView.h"
#include "ui/UndoCommands.h"

namespace qvl {

void TMainWnd::Undo1Click() {
  StepHistory(true);
}

void TMainWnd::Redo1Click() {
  StepHistory(false);
}

namespace {

// The text field with the focus, if it takes typing: a title box, a cell's
// editor, a memo.
QLineEdit* FocusedLine() {
  auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  return line != nullptr && !line->isReadOnly() ? line : nullptr;
}

QPlainTextEdit* FocusedText() {
  auto* text = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
  return text != nullptr && !text->isReadOnly() ? text : nullptr;
}

}  // namespace

bool TMainWnd::StepFocusedText(bool undo) {
  // A text field keeps Ctrl+Z and Ctrl+Y for its own typing, whatever keys
  // the platform gives the field itself.
  if (QLineEdit* line = FocusedLine()) {
    undo ? line->undo() : line->redo();
    return true;
  }
  if (QPlainTextEdit* text = FocusedText()) {
    undo ? text->undo() : text->redo();
    return true;
  }
  return false;
}

void TMainWnd::StepHistory(bool undo) {
  if (StepFocusedText(undo)) return;
  const std::vector<scene_base_t*> nodes =
      undo ? m_history->NodesToUndo() : m_history->NodesToRedo();
  if (nodes.empty()) return;
  // The step's nodes will be selected afresh, which drops unapplied edits:
  // asked about first, as for any other selection change.
  if (!ConfirmDiscardPatternEdits() || !ConfirmDiscardSceneMemo()) return;
  undo ? m_history->Undo() : m_history->Redo();
  SelectNodes(nodes);
}

void TMainWnd::SelectNodes(const std::vector<scene_base_t*>& nodes) {
  const std::unordered_set<const scene_base_t*> wanted(nodes.begin(), nodes.end());
  QTreeWidgetItem* first = nullptr;
  {
    // One selection change, reported once below.
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
  SceneViewOnChange();
}

void TMainWnd::UpdateUndoActions() {
  if (FocusedLine() != nullptr || FocusedText() != nullptr) {
    // The items stand for the field's own undo and redo.
    m_undo1->setEnabled(true);
    m_undo1->setText(QStringLiteral("元に戻す(&U)"));
    m_redo1->setEnabled(true);
    m_redo1->setText(QStringLiteral("やり直し(&R)"));
    return;
  }
  const QUndoStack& stack = m_history->Stack();
  // The step's name after the item's own text, e.g.
  // "元に戻す(&U): パターン「B案」の更新".
  const auto text = [](const QString& item, const QString& step) {
    return step.isEmpty() ? item : item + QStringLiteral(": ") + step;
  };
  m_undo1->setEnabled(stack.canUndo());
  m_undo1->setText(text(QStringLiteral("元に戻す(&U)"), stack.undoText()));
  m_redo1->setEnabled(stack.canRedo());
  m_redo1->setText(text(QStringLiteral("やり直し(&R)"), stack.redoText()));
}

}  // namespace qvl
