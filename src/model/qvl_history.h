// The document's history: every undoable change of the session becomes one
// step that knows the change and its inverse. The history hears the session's
// change reports before anyone else, so a command of the window needs nothing
// of its own to be undoable, and it undoes and redoes through the session's
// own operations. A step keeps only what its change touched (a pattern, a
// memo text, a flag, current-pattern indexes), never a copy of the document.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/qvl_session.h"

namespace qvl {

// What a step did, for the menu to name it.
enum class step_kind_t : std::uint8_t {
  StorePattern,       // title: the stored pattern's
  DeletePattern,      // title: the deleted pattern's
  AddPattern,         // no title
  UpdateMemo,         // title: the node's
  SetGrouping,        // title: the group's
  ClearGrouping,      // title: the group's
  ChoosePattern,      // title: the node's
  ChooseByTitlePart,  // no title
};
struct step_name_t {
  step_kind_t kind;
  std::string title;  // code page 932
};

class TSessionHistory {
 public:
  // Older steps are forgotten beyond this many.
  static constexpr int kMaxSteps = 200;

  explicit TSessionHistory(TDocumentSession& session);
  ~TSessionHistory();
  TSessionHistory(const TSessionHistory&) = delete;
  TSessionHistory& operator=(const TSessionHistory&) = delete;

  // The steps held and how many of them are done (the rest can be redone).
  [[nodiscard]] int Count() const { return static_cast<int>(m_steps.size()); }
  [[nodiscard]] int Index() const { return m_index; }
  [[nodiscard]] bool CanUndo() const { return m_index > 0; }
  [[nodiscard]] bool CanRedo() const { return m_index < Count(); }
  [[nodiscard]] std::optional<step_name_t> UndoName() const;
  [[nodiscard]] std::optional<step_name_t> RedoName() const;
  // The step's inverse (or the step again), then the session's modified flag
  // as the saved state says, then the step's nodes selected, to be shown
  // afresh. Nothing to undo or redo changes nothing.
  void Undo();
  void Redo();

 private:
  struct step_t;
  void Record(const session_change_t& change);
  void Push(std::unique_ptr<step_t> step);
  void Replay(const step_t& step, bool forward);

  TDocumentSession& m_session;
  int m_listener = 0;
  std::vector<std::unique_ptr<step_t>> m_steps;
  int m_index = 0;
  // The number of done steps at which the document was saved (or loaded);
  // -1 when that state is no longer in the history.
  int m_saved = 0;
  // Undo and redo call the session, whose reports must not become new steps.
  bool m_replaying = false;
};

}  // namespace qvl
