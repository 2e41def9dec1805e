#include "model/qvl_history.h"

#include <utility>

namespace qvl {

TSessionHistory::TSessionHistory(TDocumentSession& session) : m_session(session) {
  m_session.SetRecorder(this);
  m_listener = m_session.AddListener([this](const session_change_t& c) { Heard(c); },
                                     listener_rank_t::History);
}

TSessionHistory::~TSessionHistory() {
  m_session.RemoveListener(m_listener);
  m_session.SetRecorder(nullptr);
}

std::optional<step_name_t> TSessionHistory::UndoName() const {
  if (!CanUndo()) return std::nullopt;
  return m_steps[static_cast<std::size_t>(m_index - 1)].group.name;
}

std::optional<step_name_t> TSessionHistory::RedoName() const {
  if (!CanRedo()) return std::nullopt;
  return m_steps[static_cast<std::size_t>(m_index)].group.name;
}

void TSessionHistory::BeginGroup(const edit_group_t& group) {
  m_open = step_t{group, {}};
}

void TSessionHistory::Edit(const document_edit_t& e) {
  if (m_open) m_open->edits.push_back(e);
}

void TSessionHistory::EndGroup() {
  std::optional<step_t> done = std::exchange(m_open, std::nullopt);
  // An operation that changed nothing is no step.
  if (!done || done->edits.empty()) return;
  // A new step replaces what could be redone; a saved state among it is lost.
  m_steps.resize(static_cast<std::size_t>(m_index));
  if (m_saved > m_index) m_saved = -1;
  m_steps.push_back(std::move(*done));
  ++m_index;
  if (Count() > kMaxSteps) {
    m_steps.erase(m_steps.begin());
    --m_index;
    // A saved state before the oldest step cannot be reached again.
    if (m_saved >= 0) --m_saved;
  }
}

void TSessionHistory::Heard(const session_change_t& change) {
  switch (change.Op()) {
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
      // The old nodes are gone, and with them everything a step points at.
      m_steps.clear();
      m_index = m_saved = 0;
      break;
    case session_op_t::Save:
      m_saved = m_index;
      break;
    default:
      break;  // every change of the document comes as edits
  }
}

void TSessionHistory::Step(bool forward) {
  if (!(forward ? CanRedo() : CanUndo())) return;
  const step_t& step = m_steps[static_cast<std::size_t>(forward ? m_index : m_index - 1)];
  m_session.Replay(step.edits, forward);
  m_index += forward ? 1 : -1;
  // Every step changes what the file holds: only the saved state itself is
  // unmodified.
  m_session.SetDocumentModified(m_saved != m_index);
  m_session.Select(step.group.nodes);
}

void TSessionHistory::Undo() {
  Step(false);
}

void TSessionHistory::Redo() {
  Step(true);
}

}  // namespace qvl
