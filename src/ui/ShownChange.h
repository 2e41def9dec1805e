// What the window's panels show afresh after a change of the session. Each
// operation is told here once, as one of a few ways of being shown; the
// panels follow those and need nothing for a new operation that is shown like
// an existing one.
#pragma once

#include "model/qvl_session.h"

namespace qvl {

struct shown_change_t {
  enum class what_t {
    Nothing,         // no figure, list or text the panels show
    Document,        // another document: everything afresh, nothing selected
    Saved,           // the same document under a file name
    Selection,       // the selection shown afresh: a group as editable or as a sum
    EditedPattern,   // another pattern of the shown node is being edited
    StoredList,      // node's list changed: its title boxes, columns and effect
    CurrentChoices,  // other patterns became current: the old side afresh
    Memo,            // node's scene memo
  };
  what_t what = what_t::Nothing;
  scene_base_t* node = nullptr;  // StoredList and Memo: whose list or memo
  // StoredList: the new column shows the current pattern instead of the one
  // being edited (a pattern started from the old one); the effect shown too.
  bool new_column_current = false;
  bool effect_current = false;
};

[[nodiscard]] shown_change_t ShownChange(const session_change_t& change);

}  // namespace qvl
