#include "model/qvl_session.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "model/qvl_text.h"

namespace qvl {
namespace {

int CurrentIndex(const pattern_base_list_t& list) {
  return list.IndexOf(list.Current());
}

std::unique_ptr<pattern_base_t> EmptyPatternOf(const scene_base_t& node) {
  if (node.patterns.Accepts() == pattern_class_t::Scene) return std::make_unique<pattern_t>();
  return std::make_unique<grouped_pattern_t>();
}

void NameIfUntitled(pattern_base_t* p) {
  if (p != nullptr && p->title.empty()) p->title = kUntitledTitle;
}

// The node and its descendants, depth first in child order.
template <typename F>
void VisitSubtree(scene_base_t& node, const F& visit) {
  visit(node);
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) VisitSubtree(*group->Child(i), visit);
  }
}

}  // namespace

int TDocumentSession::AddListener(listener_t listener, listener_rank_t rank) const {
  const int id = m_nextListenerId++;
  // After every listener of its rank and before those of later ranks.
  const auto at = std::find_if(m_listeners.begin(), m_listeners.end(),
                               [rank](const listener_entry_t& e) { return e.rank > rank; });
  m_listeners.insert(at, listener_entry_t{id, rank, std::move(listener)});
  return id;
}

void TDocumentSession::RemoveListener(int id) const {
  std::erase_if(m_listeners, [id](const listener_entry_t& e) { return e.id == id; });
}

session_change_t TDocumentSession::Begin(session_payload_t what) const {
  session_change_t change;
  change.what = std::move(what);
  change.modified_before = m_documentModified;
  change.pattern_edited_before = m_patternEdited;
  change.memo_modified_before = m_memoModified;
  return change;
}

void TDocumentSession::Notify(const session_change_t& change) {
  // A listener may call the session again, which notifies in turn, or add
  // and remove listeners: the ones of this moment hear this change.
  const std::vector<listener_entry_t> listeners = m_listeners;
  for (const listener_entry_t& e : listeners) e.listener(change);
}

// --- the document and its file

void TDocumentSession::ResetAfterLoad() {
  // The old nodes are gone: nothing may point at them any more.
  m_selection.clear();
  m_editedIndex = -1;
  m_documentModified = m_patternEdited = m_memoModified = false;
}

bool TDocumentSession::Load(const std::filesystem::path& file, const load_failure_handler_t& ask) {
  session_change_t change = Begin(change::load_t{});
  // A failed load leaves the tree as it was, so the selection stays valid.
  if (!LoadDocument(m_root, file, ask)) return false;
  m_fileName = file;
  ResetAfterLoad();
  Notify(change);
  return true;
}

bool TDocumentSession::NewFromTemplate(const std::filesystem::path& template_file,
                                       const load_failure_handler_t& ask) {
  session_change_t change = Begin(change::template_t{});
  if (!LoadDocument(m_root, template_file, ask)) return false;
  m_fileName.clear();
  ResetAfterLoad();
  Notify(change);
  return true;
}

save_result_t TDocumentSession::SaveAs(const std::filesystem::path& file) {
  session_change_t change = Begin(change::save_t{});
  save_result_t result = SaveDocument(m_root, file);
  if (!result.ok) return result;
  m_fileName = file;
  m_documentModified = false;
  Notify(change);
  return result;
}

// --- the selection and the pattern being edited

bool TDocumentSession::Select(std::vector<scene_base_t*> nodes) {
  // Such a node counts only through its grouping ancestor's own pattern.
  if (std::any_of(nodes.begin(), nodes.end(),
                  [](const scene_base_t* n) { return n->IsInsideGrouping(); })) {
    return false;
  }
  session_change_t change = Begin(change::select_t{});
  m_selection = std::move(nodes);
  EditCurrentPattern();
  m_patternEdited = m_memoModified = false;
  Notify(change);
  return true;
}

std::vector<scene_base_t*> TDocumentSession::TopSelection() const {
  const std::unordered_set<const scene_base_t*> selected(m_selection.begin(), m_selection.end());
  std::vector<scene_base_t*> top;
  for (scene_base_t* node : m_selection) {
    bool below = false;
    for (const group_t* p = node->parent(); p != nullptr && !below; p = p->parent()) {
      below = selected.contains(p);
    }
    if (!below) top.push_back(node);
  }
  return top;
}

pattern_base_t* TDocumentSession::EditedPattern() const {
  const scene_base_t* node = CurrentNode();
  if (node == nullptr || m_editedIndex < 0 || m_editedIndex >= node->patterns.Count()) {
    return nullptr;
  }
  return node->patterns.Items(m_editedIndex);
}

void TDocumentSession::ChooseEdited(int index) {
  const scene_base_t* node = CurrentNode();
  if (node == nullptr || index < 0 || index >= node->patterns.Count()) return;
  session_change_t change = Begin(change::choose_edited_t{});
  m_editedIndex = index;
  m_patternEdited = false;
  Notify(change);
}

void TDocumentSession::SetPatternEdited(bool on) {
  if (m_patternEdited == on) return;
  session_change_t change = Begin(change::flags_t{});
  m_patternEdited = on;
  Notify(change);
}

void TDocumentSession::SetMemoModified(bool on) {
  if (m_memoModified == on) return;
  session_change_t change = Begin(change::flags_t{});
  m_memoModified = on;
  Notify(change);
}

void TDocumentSession::SetDocumentModified(bool on) {
  if (m_documentModified == on) return;
  session_change_t change = Begin(change::flags_t{});
  m_documentModified = on;
  Notify(change);
}

// --- changes of the current node's patterns

void TDocumentSession::EditCurrentPattern() {
  m_editedIndex = -1;
  scene_base_t* node = CurrentNode();
  if (node == nullptr || !node->EditsOwnPatterns()) return;
  if (node->patterns.Current() == nullptr) {
    node->NormalizePatterns();
    NameIfUntitled(node->patterns.Current());
  }
  m_editedIndex = CurrentIndex(node->patterns);
}

void TDocumentSession::Store(std::unique_ptr<pattern_base_t> p, bool make_current) {
  scene_base_t* node = CurrentNode();
  pattern_base_t* edited = EditedPattern();
  if (node == nullptr || edited == nullptr || p == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  if (p->Class() != list.Accepts()) {
    throw EWrongPatternClass("a stored pattern must be of its node's class");
  }
  // Everything that allocates comes before the list changes.
  change::store_t store{node, edited->Clone(), m_editedIndex};
  store.current_before = CurrentIndex(list);
  session_change_t change = Begin(std::move(store));
  NameIfUntitled(p.get());
  p->selected = make_current;
  if (make_current) {
    if (pattern_base_t* current = list.Current()) current->selected = false;
  }
  list.Remove(edited);
  const pattern_base_t* stored = list.AddSorted(std::move(p));
  node->NormalizePatterns();
  m_editedIndex = list.IndexOf(stored);
  auto& done = std::get<change::store_t>(change.what);
  done.added_index = m_editedIndex;
  done.current_after = CurrentIndex(list);
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::DeleteEdited() {
  scene_base_t* node = CurrentNode();
  const pattern_base_t* edited = EditedPattern();
  if (node == nullptr || edited == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  change::delete_t deleted{node, edited->Clone(), m_editedIndex};
  deleted.current_before = CurrentIndex(list);
  session_change_t change = Begin(change::flags_t{});
  list.Remove(edited);
  // An emptied list gets a new empty pattern, which becomes current.
  const bool emptied = list.Count() == 0;
  node->NormalizePatterns();
  const bool untitled = list.Current() != nullptr && list.Current()->title.empty();
  NameIfUntitled(list.Current());
  if (emptied) {
    deleted.added_index = CurrentIndex(list);
  } else if (untitled) {
    deleted.renamed_index = CurrentIndex(list);
  }
  EditCurrentPattern();
  deleted.current_after = CurrentIndex(list);
  change.what = std::move(deleted);
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::AddNewPattern(bool from_current) {
  scene_base_t* node = CurrentNode();
  if (node == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  change::new_pattern_t added_change{.node = node, .from_current = from_current};
  added_change.current_before = CurrentIndex(list);
  session_change_t change = Begin(change::flags_t{});
  // Placed by its empty title, then named: the list is not sorted again.
  pattern_base_t* added = list.AddSorted(EmptyPatternOf(*node));
  added->title = kUntitledTitle;
  m_editedIndex = list.IndexOf(added);
  added_change.added_index = m_editedIndex;
  added_change.current_after = CurrentIndex(list);
  change.what = std::move(added_change);
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

// --- other changes

void TDocumentSession::SetGrouping(group_t& group, bool on) {
  session_change_t change = Begin(change::grouping_t{&group, group.grouping});
  group.grouping = on;
  // The group shown is now edited or summed: edits of what it showed go.
  if (CurrentNode() == &group) {
    EditCurrentPattern();
    m_memoModified = false;
  }
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::UpdateMemo(scene_base_t& node, std::string memo) {
  // The same text again changes nothing in the document: only the memo box
  // holds nothing unapplied any more.
  if (memo == node.memo) {
    SetMemoModified(false);
    return;
  }
  session_change_t change = Begin(change::memo_t{&node, node.memo});
  node.memo = std::move(memo);
  m_memoModified = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::ChoosePattern(scene_base_t& node, int index) {
  if (index < 0 || index >= node.patterns.Count()) return;
  const int before = CurrentIndex(node.patterns);
  session_change_t change = Begin(change::flags_t{});
  node.patterns.Select(node.patterns.Items(index));
  change.what = change::choose_pattern_t{{&node, before, CurrentIndex(node.patterns)}};
  // The file keeps which pattern is current: a new choice is a change the
  // player must not lose by closing without a question.
  if (CurrentIndex(node.patterns) != before) m_documentModified = true;
  Notify(change);
}

void TDocumentSession::ChooseByTitlePart(std::string_view part) {
  session_change_t change = Begin(change::choose_by_title_part_t{{}, m_selection});
  auto& chosen = std::get<change::choose_by_title_part_t>(change.what);
  const std::string lower = LowerAsciiCp932(part);
  for (scene_base_t* top : TopSelection()) {
    VisitSubtree(*top, [&](scene_base_t& node) {
      pattern_base_list_t& list = node.patterns;
      for (int i = 0; i < list.Count(); ++i) {
        const pattern_base_t* pattern = list.Items(i);
        if (!ContainsCp932(LowerAsciiCp932(pattern->title), lower)) continue;
        const int before = CurrentIndex(list);
        list.Select(pattern);
        if (CurrentIndex(list) != before) chosen.choices.push_back({&node, before, i});
        return;
      }
    });
  }
  if (!chosen.choices.empty()) m_documentModified = true;
  Notify(change);
}

// --- putting back an earlier state

void TDocumentSession::RestorePatterns(scene_base_t& node, int remove_at,
                                       std::unique_ptr<pattern_base_t> insert, int insert_at,
                                       int current) {
  pattern_base_list_t& list = node.patterns;
  // Checked before anything changes, on the counts after each part.
  const int after_removal = list.Count() - (remove_at >= 0 ? 1 : 0);
  const int after_insertion = after_removal + (insert ? 1 : 0);
  if (remove_at >= list.Count() || (insert && (insert_at < 0 || insert_at > after_removal)) ||
      current < 0 || current >= after_insertion) {
    throw std::out_of_range("no such pattern to restore");
  }
  if (insert && insert->Class() != list.Accepts()) {
    throw EWrongPatternClass("a restored pattern must be of its node's class");
  }
  session_change_t change = Begin(change::restore_t{{&node}});
  if (remove_at >= 0) list.Remove(list.Items(remove_at));
  if (insert) list.Insert(insert_at, std::move(insert));
  list.Select(list.Items(current));
  if (CurrentNode() == &node && m_editedIndex >= 0) m_editedIndex = current;
  m_patternEdited = false;
  Notify(change);
}

void TDocumentSession::RestoreChoices(const std::vector<current_choice_t>& choices, bool to_after) {
  session_change_t change = Begin(change::restore_t{});
  auto& restored = std::get<change::restore_t>(change.what).nodes;
  for (const current_choice_t& choice : choices) {
    const int index = to_after ? choice.after : choice.before;
    if (choice.node == nullptr || index < 0 || index >= choice.node->patterns.Count()) {
      throw std::out_of_range("no such pattern to restore");
    }
  }
  for (const current_choice_t& choice : choices) {
    pattern_base_list_t& list = choice.node->patterns;
    const int index = to_after ? choice.after : choice.before;
    list.Select(list.Items(index));
    restored.push_back(choice.node);
  }
  Notify(change);
}

}  // namespace qvl
