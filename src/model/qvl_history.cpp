#include "model/qvl_history.h"

#include <utility>
#include <variant>

namespace qvl {
namespace {

// A visitor made of one lambda per alternative: an alternative without its
// own lambda does not compile.
template <typename... F>
struct overloaded : F... {
  using F::operator()...;
};
// Clang before 17 deduces no template arguments for aggregates by itself.
template <typename... F>
overloaded(F...) -> overloaded<F...>;

// One change of a node's list, as RestorePatterns takes it.
struct pattern_edit_t {
  int remove_at = -1;
  std::shared_ptr<const pattern_base_t> insert;
  int insert_at = -1;
  int current = -1;
};

// Update, Delete and New: each way is one edit, or two where Delete also
// named the pattern that became current.
struct patterns_step_t {
  scene_base_t* node;
  std::vector<pattern_edit_t> forward;
  std::vector<pattern_edit_t> backward;
};
struct memo_step_t {
  scene_base_t* node;
  std::string before;
  std::string after;
};
struct grouping_step_t {
  group_t* group;
  bool before;
  bool after;
};
// The popup menu's choice and the choice by a title's part.
struct choices_step_t {
  std::vector<current_choice_t> choices;
};

std::shared_ptr<const pattern_base_t> CopyAt(const scene_base_t& node, int index) {
  if (index < 0) return nullptr;
  return node.patterns.Items(index)->Clone();
}

}  // namespace

struct TSessionHistory::step_t {
  step_name_t name;
  // Selected after the step is undone or redone.
  std::vector<scene_base_t*> nodes;
  std::variant<patterns_step_t, memo_step_t, grouping_step_t, choices_step_t> change;
};

TSessionHistory::TSessionHistory(TDocumentSession& session) : m_session(session) {
  m_listener = m_session.AddListener([this](const session_change_t& c) { Record(c); },
                                     listener_rank_t::History);
}

TSessionHistory::~TSessionHistory() {
  m_session.RemoveListener(m_listener);
}

std::optional<step_name_t> TSessionHistory::UndoName() const {
  if (!CanUndo()) return std::nullopt;
  return m_steps[static_cast<std::size_t>(m_index - 1)]->name;
}

std::optional<step_name_t> TSessionHistory::RedoName() const {
  if (!CanRedo()) return std::nullopt;
  return m_steps[static_cast<std::size_t>(m_index)]->name;
}

void TSessionHistory::Record(const session_change_t& change) {
  if (m_replaying) return;
  using step_ptr = std::unique_ptr<step_t>;
  const auto step = [](step_name_t name, scene_base_t* node, auto what) {
    return std::make_unique<step_t>(step_t{std::move(name), {node}, std::move(what)});
  };
  // Every operation decides here whether and how it is undone.
  step_ptr made = std::visit(
      overloaded{
          [this](const change::load_t&) -> step_ptr {
            // The old nodes are gone, and with them everything a step points at.
            m_steps.clear();
            m_index = m_saved = 0;
            return nullptr;
          },
          [this](const change::template_t&) -> step_ptr {
            m_steps.clear();
            m_index = m_saved = 0;
            return nullptr;
          },
          [this](const change::save_t&) -> step_ptr {
            m_saved = m_index;
            return nullptr;
          },
          // What the editor shows and the flags are no change of the document.
          [](const change::select_t&) -> step_ptr { return nullptr; },
          [](const change::choose_edited_t&) -> step_ptr { return nullptr; },
          [](const change::flags_t&) -> step_ptr { return nullptr; },
          // Undo and redo themselves.
          [](const change::restore_t&) -> step_ptr { return nullptr; },
          [&step](const change::store_t& c) -> step_ptr {
            std::shared_ptr<const pattern_base_t> stored = CopyAt(*c.node, c.added_index);
            step_name_t name{step_kind_t::StorePattern, stored->title};
            return step(std::move(name), c.node,
                        patterns_step_t{
                            c.node,
                            {{c.removed_index, std::move(stored), c.added_index, c.current_after}},
                            {{c.added_index, c.removed, c.removed_index, c.current_before}}});
          },
          [&step](const change::delete_t& c) -> step_ptr {
            // added_index: the empty pattern that took the last one's place, if any.
            patterns_step_t s{
                c.node,
                {{c.removed_index, CopyAt(*c.node, c.added_index), c.added_index, c.current_after}},
                {{c.added_index, c.removed, c.removed_index, c.current_before}}};
            if (c.renamed_index >= 0) {
              // The new current pattern got a title: the step changes it back too.
              std::shared_ptr<const pattern_base_t> named = CopyAt(*c.node, c.renamed_index);
              std::shared_ptr<pattern_base_t> unnamed = named->Clone();
              unnamed->title.clear();
              const int i = c.renamed_index;
              s.forward.push_back({i, std::move(named), i, c.current_after});
              s.backward.insert(s.backward.begin(), {i, std::move(unnamed), i, i});
            }
            return step({step_kind_t::DeletePattern, c.removed->title}, c.node, std::move(s));
          },
          [&step](const change::new_pattern_t& c) -> step_ptr {
            return step({step_kind_t::AddPattern, {}}, c.node,
                        patterns_step_t{
                            c.node,
                            {{-1, CopyAt(*c.node, c.added_index), c.added_index, c.current_after}},
                            {{c.added_index, nullptr, -1, c.current_before}}});
          },
          [&step](const change::memo_t& c) -> step_ptr {
            return step({step_kind_t::UpdateMemo, c.node->title}, c.node,
                        memo_step_t{c.node, c.before, c.node->memo});
          },
          [&step](const change::grouping_t& c) -> step_ptr {
            const bool after = c.group->grouping;
            if (after == c.before) return nullptr;
            return step(
                {after ? step_kind_t::SetGrouping : step_kind_t::ClearGrouping, c.group->title},
                c.group, grouping_step_t{c.group, c.before, after});
          },
          [&step](const change::choose_pattern_t& c) -> step_ptr {
            if (c.choice.before == c.choice.after) return nullptr;
            return step({step_kind_t::ChoosePattern, c.choice.node->title}, c.choice.node,
                        choices_step_t{{c.choice}});
          },
          [](const change::choose_by_title_part_t& c) -> step_ptr {
            if (c.choices.empty()) return nullptr;
            return std::make_unique<step_t>(step_t{
                {step_kind_t::ChooseByTitlePart, {}}, c.selection, choices_step_t{c.choices}});
          },
      },
      change.what);
  if (made) Push(std::move(made));
}

void TSessionHistory::Push(std::unique_ptr<step_t> step) {
  // A new step replaces what could be redone; a saved state among it is lost.
  m_steps.resize(static_cast<std::size_t>(m_index));
  if (m_saved > m_index) m_saved = -1;
  m_steps.push_back(std::move(step));
  ++m_index;
  if (Count() > kMaxSteps) {
    m_steps.erase(m_steps.begin());
    --m_index;
    // A saved state before the oldest step cannot be reached again.
    if (m_saved >= 0) --m_saved;
  }
}

void TSessionHistory::Replay(const step_t& step, bool forward) {
  m_replaying = true;
  struct reset_t {
    bool& flag;
    ~reset_t() { flag = false; }
  } reset{m_replaying};
  TDocumentSession& s = m_session;
  std::visit(
      overloaded{
          [&](const patterns_step_t& p) {
            for (const pattern_edit_t& e : forward ? p.forward : p.backward) {
              s.RestorePatterns(*p.node, e.remove_at, e.insert ? e.insert->Clone() : nullptr,
                                e.insert_at, e.current);
            }
          },
          [&](const memo_step_t& m) { s.UpdateMemo(*m.node, forward ? m.after : m.before); },
          [&](const grouping_step_t& g) { s.SetGrouping(*g.group, forward ? g.after : g.before); },
          [&](const choices_step_t& c) { s.RestoreChoices(c.choices, forward); },
      },
      step.change);
}

void TSessionHistory::Undo() {
  if (!CanUndo()) return;
  const step_t& step = *m_steps[static_cast<std::size_t>(m_index - 1)];
  Replay(step, false);
  --m_index;
  // Every step changes what the file holds: only the saved state itself is
  // unmodified.
  m_session.SetDocumentModified(m_saved != m_index);
  m_session.Select(step.nodes);
}

void TSessionHistory::Redo() {
  if (!CanRedo()) return;
  const step_t& step = *m_steps[static_cast<std::size_t>(m_index)];
  Replay(step, true);
  ++m_index;
  m_session.SetDocumentModified(m_saved != m_index);
  m_session.Select(step.nodes);
}

}  // namespace qvl
