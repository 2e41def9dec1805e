// The document's history: the session's edits as they happen, one step per
// operation. A step is undone by applying the inverses of its edits in
// reverse order and redone by applying them again, so the history knows no
// command: whatever the session does through its edits can be undone. A
// step keeps only what its edits touched (a pattern, a memo text, a flag),
// never a copy of the document.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/qvl_session.h"

namespace qvl {

class TSessionHistory final : private edit_recorder_t {
 public:
  // Older steps are forgotten beyond this many.
  static constexpr int kMaxSteps = 200;

  explicit TSessionHistory(TDocumentSession& session);
  ~TSessionHistory() override;
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
  struct step_t {
    edit_group_t group;
    std::vector<document_edit_t> edits;
  };

  void BeginGroup(const edit_group_t& group) override;
  void Edit(const document_edit_t& e) override;
  void EndGroup() override;
  // Loading and saving: the session's reports, not edits.
  void Heard(const session_change_t& change);
  void Step(bool forward);

  TDocumentSession& m_session;
  int m_listener = 0;
  std::vector<step_t> m_steps;
  int m_index = 0;
  // The operation being recorded.
  std::optional<step_t> m_open;
  // The number of done steps at which the document was saved (or loaded);
  // -1 when that state is no longer in the history.
  int m_saved = 0;
};

}  // namespace qvl
