// What assistive technology says of a combo box: its own name where it has
// one, its current text as its value, and the list of its items.
#include "ui/ComboBoxAccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include <algorithm>

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

void InstallComboBoxAccessible() {
  static const bool installed = [] {
    QAccessible::installFactory(&ComboBoxFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace qvl
