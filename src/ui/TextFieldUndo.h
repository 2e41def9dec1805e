// The text fields' own undo and redo: a title box, a cell's editor or a memo
// that takes typing steps through its own typing before the window's items
// step the document's history.
#pragma once

class QWidget;

namespace qvl {

// Whether focus is a text field that takes typing.
[[nodiscard]] bool IsTextField(QWidget* focus);
// Whether the text field focus has typing of its own to undo (or redo).
[[nodiscard]] bool TextFieldCanStep(QWidget* focus, bool undo);
// Undoes (or redoes) the typing of the text field focus; false when it has
// none to step through.
bool StepTextField(QWidget* focus, bool undo);

}  // namespace qvl
