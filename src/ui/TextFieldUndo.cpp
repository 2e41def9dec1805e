#include "ui/TextFieldUndo.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace qvl {
namespace {

// The text field with the focus, if it takes typing.
QLineEdit* FocusedLine(QWidget* focus) {
  auto* line = qobject_cast<QLineEdit*>(focus);
  return line != nullptr && !line->isReadOnly() ? line : nullptr;
}

QPlainTextEdit* FocusedText(QWidget* focus) {
  auto* text = qobject_cast<QPlainTextEdit*>(focus);
  return text != nullptr && !text->isReadOnly() ? text : nullptr;
}

}  // namespace

bool IsTextField(QWidget* focus) {
  return FocusedLine(focus) != nullptr || FocusedText(focus) != nullptr;
}

bool TextFieldCanStep(QWidget* focus, bool undo) {
  if (const QLineEdit* line = FocusedLine(focus)) {
    return undo ? line->isUndoAvailable() : line->isRedoAvailable();
  }
  if (const QPlainTextEdit* text = FocusedText(focus)) {
    return undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable();
  }
  return false;
}

bool StepTextField(QWidget* focus, bool undo) {
  if (!TextFieldCanStep(focus, undo)) return false;
  if (QLineEdit* line = FocusedLine(focus)) {
    undo ? line->undo() : line->redo();
  } else if (QPlainTextEdit* text = FocusedText(focus)) {
    undo ? text->undo() : text->redo();
  }
  return true;
}

}  // namespace qvl
