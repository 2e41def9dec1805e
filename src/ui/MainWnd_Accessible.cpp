// What assistive technology says of the window: each control's Japanese as a
// sighted player reads it (its text, or the label beside it), never its
// object name, and the status panels' values in words.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <algorithm>
#include <utility>

#include "grid/KwGridAccessible.h"
#include "model/qvl_status.h"
#include "ui/MainWnd.h"
#include "ui/ScenePanel.h"
#include "ui/SceneTreeView.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

// On Linux Qt says a combo box's current text as its name and leaves its
// label to a relation, so that the old and the new title box would both be
// heard as a pattern's title. Here a combo box with a name of its own says
// that, and its current text as its value and as its text, which a screen
// reader says after the name ("旧パターン, B案"); one without says its current
// text as Qt does. Its one child is the list of its items, the current one
// selected. Every combo box gets this interface, whenever it is first asked
// for, even before the window has named its boxes.
class TComboBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
    // The list shows the current item as selected only while it is open:
    // assistive technology reads it closed too.
    const auto follow = [box] {
      QAbstractItemView* view = box->view();
      const QModelIndex current =
          box->model()->index(box->currentIndex(), box->modelColumn(), box->rootModelIndex());
      if (view->selectionModel() && !view->selectionModel()->isSelected(current)) {
        view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
      }
    };
    QObject::connect(box, &QComboBox::currentIndexChanged, box, follow);
    follow();
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  [[nodiscard]] QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value || (t == QAccessible::Name && Box()->accessibleName().isEmpty())) {
      return Box()->currentText();
    }
    return QAccessibleWidget::text(t);
  }
  [[nodiscard]] int childCount() const override { return 1; }
  [[nodiscard]] QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
  }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == Box()->view() ? 0 : -1;
  }
  [[nodiscard]] QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      Box()->showPopup();
    } else {
      QAccessibleWidget::doAction(action);
    }
  }

  // QAccessibleTextInterface: the current text, read-only, without a caret.
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  [[nodiscard]] int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  [[nodiscard]] int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  [[nodiscard]] QString text(int start, int end) const override {
    const QString all = Box()->currentText();
    if (end < 0 || end > all.size()) end = static_cast<int>(all.size());
    start = std::clamp(start, 0, end);
    return all.mid(start, end - start);
  }
  [[nodiscard]] int characterCount() const override {
    return static_cast<int>(Box()->currentText().size());
  }
  [[nodiscard]] QRect characterRect(int) const override { return {}; }
  [[nodiscard]] int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  [[nodiscard]] QString attributes(int offset, int* start, int* end) const override {
    *start = 0;
    *end = std::max(offset, characterCount());
    return {};
  }

 private:
  [[nodiscard]] QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ComboBoxFactory(const QString& class_name, QObject* object) {
  auto* box = qobject_cast<QComboBox*>(object);
  return class_name == QLatin1String("QComboBox") && box ? new TComboBoxAccessible(box) : nullptr;
}

}  // namespace

void TMainWnd::InstallAccessibleFactories() {
  static const bool installed = [] {
    QAccessible::installFactory(&ComboBoxFactory);
    return true;
  }();
  (void)installed;
}

void TMainWnd::NameForAssistiveTechnology() {
  // Buttons, check boxes with a text of their own and labels are said by
  // their text; these have none, or share it with another control.
  const std::pair<QWidget*, QString> names[] = {
      {&m_scenePanel->Tree(), tr("場面ツリー")},
      {&m_scenePanel->Memo(), tr("場面別メモ")},
      {m_editor.outputKwGrid, tr("出力")},
      {m_editor.inputKwGrid, tr("入力")},
      {m_editor.oldMemo, tr("旧パターンのメモ")},
      {m_editor.newMemo, tr("新パターンのメモ")},
      {m_editor.newTitleLabeledEdit, tr("タイトル")},
      {m_editor.oldTitleComboBox, tr("旧パターン")},
      {m_editor.newTitleComboBox, tr("新パターン")},
      {m_editor.oldGetSpellCheckBox, tr("スペルカード取得（旧パターン）")},
      {m_editor.newGetSpellCheckBox, tr("スペルカード取得（新パターン）")},
      {statusBar(), tr("ステータスバー")},
  };
  for (const auto& [widget, name] : names) widget->setAccessibleName(name);
  // The tree's header is hidden, but assistive technology still finds it:
  // named after what the column holds, not Qt's "1".
  m_scenePanel->Tree().setHeaderLabel(tr("場面"));
  // The title boxes cover the input grid's old and new header cells: a cell
  // of those columns is heard with the column it belongs to.
  m_editor.inputKwGrid->SetSpokenHeader(1, 0, tr("旧パターン"));
  m_editor.inputKwGrid->SetSpokenHeader(2, 0, tr("新パターン"));
  // Panel 0 is said by its text, the current hint; the others by what they
  // count, until they show a value.
  const std::array<std::string, 5> subjects = InitialStatusPanelSpoken();
  for (int i = 1; i <= 5; ++i)
    SpeakStatusPanel(i, ToQString(subjects[static_cast<std::size_t>(i - 1)]));
}

void TMainWnd::SpeakStatusPanel(int index, const QString& spoken) {
  auto* panel = m_status.panels.at(static_cast<std::size_t>(index));
  if (panel->accessibleName() == spoken) return;
  // Qt tells an active bridge of the new name, as it does when a label
  // without a name of its own changes its text.
  panel->setAccessibleName(spoken);
  QAccessibleEvent changed(panel, QAccessible::NameChanged);
  NotifyKwGridAccessibleListener(&changed);
}

}  // namespace qvl
