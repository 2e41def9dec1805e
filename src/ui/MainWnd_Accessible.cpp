// What assistive technology says of the window: each control's Japanese as a
// sighted player reads it (its text, or the label beside it), never its
// object name, and the status panels' values in words.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <utility>

#include "grid/KwGridAccessible.h"
#include "model/qvl_status.h"
#include "ui/MainWnd.h"
#include "ui/SceneTreeView.h"
#include "ui/StatusPanel.h"

namespace qvl {
namespace {

// On Linux Qt says a combo box's current text as its name and leaves its
// label to a relation, so that the old and the new title box would both be
// heard as a pattern's title. Here a combo box with a name of its own says
// that, and its current text as its value; one without says its current text
// as Qt does. Every combo box gets this interface, whenever it is first asked
// for, even before the window has named its boxes.
class TComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit TComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  [[nodiscard]] QString text(QAccessible::Text t) const override {
    const auto* box = static_cast<const QComboBox*>(widget());
    if (t == QAccessible::Value || (t == QAccessible::Name && box->accessibleName().isEmpty())) {
      return box->currentText();
    }
    return QAccessibleWidget::text(t);
  }
  [[nodiscard]] QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      static_cast<QComboBox*>(widget())->showPopup();
    } else {
      QAccessibleWidget::doAction(action);
    }
  }
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
      {m_tree.sceneView, tr("場面ツリー")},
      {m_tree.sceneMemo, tr("場面別メモ")},
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
