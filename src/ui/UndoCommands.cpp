#include "ui/UndoCommands.h"

#include <QScopeGuard>
#include <QUndoCommand>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "ui/QtText.h"

namespace qvl {
namespace {

// One undoable change. The session has already made the change when the step
// is pushed, so the stack's first redo does nothing.
class TSessionStep : public QUndoCommand {
 public:
  TSessionStep(TDocumentSession& session, std::vector<scene_base_t*> nodes, const QString& text)
      : QUndoCommand(text), m_session(session), m_nodes(std::move(nodes)) {}

  void undo() final { Apply(false); }
  void redo() final {
    if (m_done) {
      m_done = false;
      return;
    }
    Apply(true);
  }
  [[nodiscard]] const std::vector<scene_base_t*>& Nodes() const { return m_nodes; }
  // Whether the step changed the document's contents, not only a choice.

 protected:
  // forward: the change again; otherwise its inverse.
  virtual void Apply(bool forward) = 0;
  [[nodiscard]] TDocumentSession& Session() { return m_session; }

 private:
  TDocumentSession& m_session;
  std::vector<scene_base_t*> m_nodes;
  bool m_done = true;
};

// Update, Delete and New: one pattern left a node's list and/or one came in,
// and the current pattern may have moved.
class TPatternListStep final : public TSessionStep {
 public:
  struct edit_t {
    int remove_at = -1;
    std::shared_ptr<const pattern_base_t> insert;
    int insert_at = -1;
    int current = -1;
  };

  // Each way is one edit, or two where Delete also named the pattern that
  // became current.
  TPatternListStep(TDocumentSession& session, scene_base_t& node, std::vector<edit_t> forward,
                   std::vector<edit_t> backward, const QString& text)
      : TSessionStep(session, {&node}, text),
        m_node(node),
        m_forward(std::move(forward)),
        m_backward(std::move(backward)) {}

 protected:
  void Apply(bool forward) override {
    for (const edit_t& e : forward ? m_forward : m_backward) {
      Session().RestorePatterns(m_node, e.remove_at, e.insert ? e.insert->Clone() : nullptr,
                                e.insert_at, e.current);
    }
  }

 private:
  scene_base_t& m_node;
  std::vector<edit_t> m_forward;
  std::vector<edit_t> m_backward;
};

class TMemoStep final : public TSessionStep {
 public:
  TMemoStep(TDocumentSession& session, scene_base_t& node, std::string before)
      : TSessionStep(session, {&node},
                     TUndoHistory::tr("「%1」のメモの更新").arg(ToQString(node.title))),
        m_node(node),
        m_before(std::move(before)),
        m_after(node.memo) {}

 protected:
  void Apply(bool forward) override { Session().UpdateMemo(m_node, forward ? m_after : m_before); }

 private:
  scene_base_t& m_node;
  std::string m_before;
  std::string m_after;
};

class TGroupingStep final : public TSessionStep {
 public:
  TGroupingStep(TDocumentSession& session, group_t& group, bool before)
      : TSessionStep(session, {&group},
                     (group.grouping ? TUndoHistory::tr("「%1」のまとめて記述の設定")
                                     : TUndoHistory::tr("「%1」のまとめて記述の解除"))
                         .arg(ToQString(group.title))),
        m_group(group),
        m_before(before),
        m_after(group.grouping) {}

 protected:
  void Apply(bool forward) override {
    Session().SetGrouping(m_group, forward ? m_after : m_before);
  }

 private:
  group_t& m_group;
  bool m_before;
  bool m_after;
};

// The popup menu's choice and the bulk choice by a title's part: which pattern
// is current, in one node or many.
class TChoiceStep final : public TSessionStep {
 public:
  TChoiceStep(TDocumentSession& session, std::vector<scene_base_t*> nodes,
              std::vector<current_choice_t> choices, const QString& text)
      : TSessionStep(session, std::move(nodes), text), m_choices(std::move(choices)) {}

 protected:
  void Apply(bool forward) override { Session().RestoreChoices(m_choices, forward); }

 private:
  std::vector<current_choice_t> m_choices;
};

// what: the sentence with %1 for the pattern's title.
QString PatternStepText(const pattern_base_t& p, const QString& what) {
  return what.arg(ToQString(p.title));
}

std::shared_ptr<const pattern_base_t> CopyAt(const scene_base_t& node, int index) {
  if (index < 0) return nullptr;
  return node.patterns.Items(index)->Clone();
}

std::unique_ptr<QUndoCommand> StepOf(TDocumentSession& session, const session_change_t& c) {
  using edit_t = TPatternListStep::edit_t;
  switch (c.op) {
    case session_op_t::Store: {
      std::shared_ptr<const pattern_base_t> stored = CopyAt(*c.node, c.added_index);
      const QString text = PatternStepText(*stored, TUndoHistory::tr("パターン「%1」の更新"));
      return std::make_unique<TPatternListStep>(
          session, *c.node,
          std::vector{edit_t{c.removed_index, std::move(stored), c.added_index, c.current_after}},
          std::vector{edit_t{c.added_index, c.removed, c.removed_index, c.current_before}}, text);
    }
    case session_op_t::Delete: {
      // added_index: the empty pattern that took the last one's place, if any.
      std::vector forward{
          edit_t{c.removed_index, CopyAt(*c.node, c.added_index), c.added_index, c.current_after}};
      std::vector backward{edit_t{c.added_index, c.removed, c.removed_index, c.current_before}};
      if (c.renamed_index >= 0) {
        // The new current pattern got a title: the step changes it back too.
        std::shared_ptr<const pattern_base_t> named = CopyAt(*c.node, c.renamed_index);
        std::unique_ptr<pattern_base_t> unnamed = named->Clone();
        unnamed->title.clear();
        const int i = c.renamed_index;
        forward.push_back(edit_t{i, std::move(named), i, c.current_after});
        backward.insert(backward.begin(), edit_t{i, std::move(unnamed), i, i});
      }
      return std::make_unique<TPatternListStep>(
          session, *c.node, std::move(forward), std::move(backward),
          PatternStepText(*c.removed, TUndoHistory::tr("パターン「%1」の削除")));
    }
    case session_op_t::NewPattern:
      return std::make_unique<TPatternListStep>(
          session, *c.node,
          std::vector{edit_t{-1, CopyAt(*c.node, c.added_index), c.added_index, c.current_after}},
          std::vector{edit_t{c.added_index, nullptr, -1, c.current_before}},
          TUndoHistory::tr("新しいパターンの追加"));
    case session_op_t::Memo:
      return std::make_unique<TMemoStep>(session, *c.node, c.memo_before);
    case session_op_t::Grouping: {
      auto& group = dynamic_cast<group_t&>(*c.node);
      if (group.grouping == c.grouping_before) return nullptr;
      return std::make_unique<TGroupingStep>(session, group, c.grouping_before);
    }
    case session_op_t::ChoosePattern: {
      if (c.choices.empty() || c.choices.front().before == c.choices.front().after) return nullptr;
      const current_choice_t& choice = c.choices.front();
      return std::make_unique<TChoiceStep>(
          session, std::vector<scene_base_t*>{choice.node}, c.choices,
          TUndoHistory::tr("「%1」の現行パターンの選択").arg(ToQString(choice.node->title)));
    }
    case session_op_t::ChooseByTitlePart:
      if (c.choices.empty()) return nullptr;
      return std::make_unique<TChoiceStep>(session, session.Selection(), c.choices,
                                           TUndoHistory::tr("パターンの一括指定"));
    default:
      return nullptr;
  }
}

}  // namespace

TUndoHistory::TUndoHistory(TDocumentSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
  m_stack.setUndoLimit(kMaxSteps);
  connect(&m_stack, &QUndoStack::indexChanged, this, [this] { FollowSavedState(); });
  connect(&m_stack, &QUndoStack::cleanChanged, this, [this] { FollowSavedState(); });
  m_listener = m_session.AddListener([this](const session_change_t& change) { Record(change); });
}

TUndoHistory::~TUndoHistory() {
  // The stack empties itself as it goes, which is no change of the document.
  disconnect(&m_stack, nullptr, this, nullptr);
  m_session.RemoveListener(m_listener);
}

void TUndoHistory::Record(const session_change_t& change) {
  if (m_replaying) return;
  switch (change.op) {
    case session_op_t::Load:
    case session_op_t::NewFromTemplate:
      // The old nodes are gone, and with them everything a step points at.
      m_stack.clear();
      return;
    case session_op_t::Save:
      m_stack.setClean();
      return;
    default:
      break;
  }
  if (std::unique_ptr<QUndoCommand> step = StepOf(m_session, change)) m_stack.push(step.release());
}

void TUndoHistory::FollowSavedState() {
  const int clean = m_stack.cleanIndex();
  const int index = m_stack.index();
  // A saved state that is no longer in the history cannot be reached again.
  m_session.SetDocumentModified(clean < 0 || clean != index);
}

std::vector<scene_base_t*> TUndoHistory::NodesOfStep(int index) const {
  if (index < 0 || index >= m_stack.count()) return {};
  return static_cast<const TSessionStep*>(m_stack.command(index))->Nodes();
}

std::vector<scene_base_t*> TUndoHistory::NodesToUndo() const {
  return NodesOfStep(m_stack.index() - 1);
}

std::vector<scene_base_t*> TUndoHistory::NodesToRedo() const {
  return NodesOfStep(m_stack.index());
}

void TUndoHistory::Undo() {
  Replay(&QUndoStack::undo);
}

void TUndoHistory::Redo() {
  Replay(&QUndoStack::redo);
}

void TUndoHistory::Replay(void (QUndoStack::*step)()) {
  m_replaying = true;
  const auto reset = qScopeGuard([this] { m_replaying = false; });
  (m_stack.*step)();
}

}  // namespace qvl
