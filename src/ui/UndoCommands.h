// The document's history: every undoable change of the session becomes one
// step that knows the change and its inverse, kept in a QUndoStack. The
// history hears the session's change reports, so a command of the window needs
// nothing of its own to be undoable. A step keeps only what its change touched
// (a pattern, a memo text, a flag, current-pattern indexes), never a copy of
// the document.
#pragma once

#include <QObject>
#include <QUndoStack>

#include <vector>

#include "model/qvl_session.h"

namespace qvl {

class TUndoHistory : public QObject {
  Q_OBJECT
 public:
  // Older steps are forgotten beyond this many.
  static constexpr int kMaxSteps = 200;

  explicit TUndoHistory(TDocumentSession& session, QObject* parent = nullptr);
  ~TUndoHistory() override;
  TUndoHistory(const TUndoHistory&) = delete;
  TUndoHistory& operator=(const TUndoHistory&) = delete;

  [[nodiscard]] QUndoStack& Stack() { return m_stack; }
  // The nodes that the next undo or redo changes (the selection to show
  // after it); empty when there is nothing to undo or redo.
  [[nodiscard]] std::vector<scene_base_t*> NodesToUndo() const;
  [[nodiscard]] std::vector<scene_base_t*> NodesToRedo() const;
  void Undo();
  void Redo();

 private:
  void Record(const session_change_t& change);
  // The session's modified flag: every step changes what the file holds, so
  // only the saved state itself is unmodified.
  void FollowSavedState();
  [[nodiscard]] std::vector<scene_base_t*> NodesOfStep(int index) const;
  void Replay(void (QUndoStack::*step)());

  TDocumentSession& m_session;
  int m_listener = 0;
  QUndoStack m_stack;
  // Undo and redo call the session, whose reports must not become new steps.
  bool m_replaying = false;
};

}  // namespace qvl
