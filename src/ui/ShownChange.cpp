// Each operation of the session told as the way the panels show it.
#include "ui/ShownChange.h"

namespace qvl {

shown_change_t ShownChange(const session_change_t& change) {
  using what_t = shown_change_t::what_t;
  switch (change.Op()) {
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
      return {.what = what_t::Document};
    case session_op_t::Save:
      return {.what = what_t::Saved};
    case session_op_t::Select:
    case session_op_t::Grouping:
      return {.what = what_t::Selection};
    case session_op_t::ChooseEdited:
      return {.what = what_t::EditedPattern};
    case session_op_t::Store:
      return {.what = what_t::StoredList, .node = change.As<change::store_t>().node};
    case session_op_t::Delete:
      return {.what = what_t::StoredList,
              .node = change.As<change::delete_t>().node,
              .new_column_current = true,
              .effect_current = true};
    case session_op_t::NewPattern: {
      const auto& added = change.As<change::new_pattern_t>();
      return {
          .what = what_t::StoredList, .node = added.node, .new_column_current = added.from_current};
    }
    case session_op_t::ChoosePattern:
    case session_op_t::ChooseByTitlePart:
      // A current pattern of the shown node, or of one before it, is another.
      return {.what = what_t::CurrentChoices};
    case session_op_t::Memo:
      return {.what = what_t::Memo, .node = change.As<change::memo_t>().node};
    case session_op_t::Restore:  // the history selects the step's nodes afresh after it
    case session_op_t::Flags:
      return {.what = what_t::Nothing};
  }
  return {};
}

}  // namespace qvl
