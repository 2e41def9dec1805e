// Undo and redo in the window: the 編集 menu's first two items, the text
// fields' own undo, and the selection of what a step brought back.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <algorithm>
#include <optional>

#include "model/qvl_history.h"
#include "ui/MainWnd.h"
#include "ui/PatternEditor.h"
#include "ui/QtText.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/TextFieldUndo.h"

namespace qvl {

void TMainWnd::Undo1Click() {
  StepHistory(true);
}

void TMainWnd::Redo1Click() {
  StepHistory(false);
}

namespace {

// A menu item's new text, told to assistive technology too: it reads the
// item's name once and keeps it until it hears of a change.
void SetItemText(QAction& item, const QString& text) {
  if (item.text() == text) return;
  item.setText(text);
  if (!QAccessible::isActive()) return;
  for (QObject* o : item.associatedObjects()) {
    auto* menu = qobject_cast<QMenu*>(o);
    QAccessibleInterface* iface = menu ? QAccessible::queryAccessibleInterface(menu) : nullptr;
    if (iface == nullptr) continue;
    if (QAccessibleInterface* child =
            iface->child(static_cast<int>(menu->actions().indexOf(&item)))) {
      QAccessibleEvent changed(child, QAccessible::NameChanged);
      QAccessible::updateAccessibility(&changed);
    }
  }
}

// How the menu names a step, e.g. "パターン「B案」の更新".
// Whole sentences with the title as %1, so that each language can place it.
QString StepText(const step_name_t& name) {
  const QString title = ToQString(name.title);
  switch (name.kind) {
    case step_kind_t::StorePattern:
      return TMainWnd::tr("パターン「%1」の更新").arg(title);
    case step_kind_t::DeletePattern:
      return TMainWnd::tr("パターン「%1」の削除").arg(title);
    case step_kind_t::AddPattern:
      return TMainWnd::tr("新しいパターンの追加");
    case step_kind_t::UpdateMemo:
      return TMainWnd::tr("「%1」のメモの更新").arg(title);
    case step_kind_t::SetGrouping:
      return TMainWnd::tr("「%1」のまとめて記述の設定").arg(title);
    case step_kind_t::ClearGrouping:
      return TMainWnd::tr("「%1」のまとめて記述の解除").arg(title);
    case step_kind_t::ChoosePattern:
      return TMainWnd::tr("「%1」の現行パターンの選択").arg(title);
    case step_kind_t::ChooseByTitlePart:
      return TMainWnd::tr("パターンの一括指定");
  }
  return {};
}

}  // namespace

QWidget* TMainWnd::WorkingFocus() const {
  // The menu bar has the keyboard while a menu is open from the keyboard; it
  // gives the focus back to the control before it when the menu closes, and
  // that is where the menu's items act.
  QWidget* focus = focusWidget();
  if (qobject_cast<QMenuBar*>(focus) != nullptr) return m_focusBeforeMenu;
  return focus;
}

void TMainWnd::FocusChanged(QWidget* now) {
  if (now != nullptr && isAncestorOf(now) && qobject_cast<QMenuBar*>(now) == nullptr) {
    m_focusBeforeMenu = now;
  }
  UpdateUndoActions();
}

QString TMainWnd::FieldName(const QWidget* field) const {
  if (field == m_editor->Grid().Editor()) return tr("セルへの入力");
  if (field == &m_editor->NewTitleEdit()) return tr("タイトルへの入力");
  if (field == &m_editor->NewMemo()) return tr("メモへの入力");
  if (field == &m_scenePanel->Memo()) return tr("場面別メモへの入力");
  return tr("入力欄への入力");
}

bool TMainWnd::StepFocusedText(bool undo) {
  // A text field keeps Ctrl+Z and Ctrl+Y for its own typing, whatever keys
  // the platform gives the field itself. With nothing of its own to step
  // through (the cell editor opens after every command), the keys step the
  // document's history.
  return StepTextField(WorkingFocus(), undo);
}

bool TMainWnd::LeaveUndoKeyToWindow(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::ShortcutOverride || watched != QApplication::focusWidget()) return false;
  // A text field claims its platform's undo and redo keys before any
  // shortcut; with nothing to step through it lets the window's items have
  // them.
  const auto* key = static_cast<QKeyEvent*>(e);
  const bool undo = key->matches(QKeySequence::Undo);
  if (!undo && !key->matches(QKeySequence::Redo)) return false;
  if (TextFieldCanStep(WorkingFocus(), undo)) return false;
  e->ignore();
  return true;
}

void TMainWnd::StepHistory(bool undo) {
  if (StepFocusedText(undo)) {
    UpdateUndoActions();
    return;
  }
  if (!(undo ? m_history->CanUndo() : m_history->CanRedo())) return;
  // The history selects the step's nodes afresh, which drops unapplied
  // edits: asked about first, as for any other selection change.
  if (!m_editor->ConfirmDiscardPatternEdits() || !ConfirmDiscardSceneMemo()) return;
  undo ? m_history->Undo() : m_history->Redo();
}

bool TMainWnd::UndoItemEnabled(bool undo) const {
  // In a text field the item stays enabled, so that its keys reach the field
  // once it has typing of its own; the menu brings the text up to date when
  // it opens.
  if (IsTextField(WorkingFocus())) return true;
  return undo ? m_history->CanUndo() : m_history->CanRedo();
}

void TMainWnd::UpdateUndoActions() {
  const TSessionHistory& history = *m_history;
  QWidget* const focus = WorkingFocus();
  const auto show = [&](action_t id, bool undo) {
    QAction& item = *ActionAt(id);
    const QString name = ActionText(id);
    if (TextFieldCanStep(focus, undo)) {
      // The item stands for the field's own undo or redo, and says so, e.g.
      // "元に戻す(&U): セルへの入力".
      SetItemText(item, QStringLiteral("%1: %2").arg(name, FieldName(focus)));
      return;
    }
    // The step's name after the item's own text, e.g.
    // "元に戻す(&U): パターン「B案」の更新".
    const std::optional<step_name_t> step = undo ? history.UndoName() : history.RedoName();
    SetItemText(item, step ? QStringLiteral("%1: %2").arg(name, StepText(*step)) : name);
  };
  UpdateActions(enabled_t::Undo);
  UpdateActions(enabled_t::Redo);
  show(action_t::Undo, true);
  show(action_t::Redo, false);
}

}  // namespace qvl
