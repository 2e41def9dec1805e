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

// The pattern marked current, -1 for none: what a current edit records, so
// that its inverse puts the marks back exactly as they were.
int MarkedIndex(const pattern_base_list_t& list) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i)->selected) return i;
  }
  return -1;
}

std::unique_ptr<pattern_base_t> EmptyPatternOf(const scene_base_t& node) {
  if (node.patterns.Accepts() == pattern_class_t::Scene) return std::make_unique<pattern_t>();
  return std::make_unique<grouped_pattern_t>();
}

// The node and its descendants, depth first in child order.
template <typename F>
void VisitSubtree(scene_base_t& node, const F& visit) {
  visit(node);
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) VisitSubtree(*group->Child(i), visit);
  }
}

template <typename... F>
struct overloaded : F... {
  using F::operator()...;
};
template <typename... F>
overloaded(F...) -> overloaded<F...>;

scene_base_t* NodeOf(const document_edit_t& e) {
  return std::visit(overloaded{[](const edit::grouping_t& g) -> scene_base_t* { return g.group; },
                               [](const auto& other) -> scene_base_t* { return other.node; }},
                    e);
}

}  // namespace

document_edit_t Inverse(const document_edit_t& e) {
  return std::visit(overloaded{
                        [](const edit::insert_t& i) -> document_edit_t {
                          return edit::remove_t{i.node, i.index, i.pattern};
                        },
                        [](const edit::remove_t& r) -> document_edit_t {
                          return edit::insert_t{r.node, r.index, r.pattern};
                        },
                        [](const edit::move_t& m) -> document_edit_t {
                          return edit::move_t{m.node, m.to, m.from};
                        },
                        [](const edit::retitle_t& t) -> document_edit_t {
                          return edit::retitle_t{t.node, t.index, t.after, t.before};
                        },
                        [](const edit::current_t& c) -> document_edit_t {
                          return edit::current_t{c.node, c.after, c.before};
                        },
                        [](const edit::memo_t& m) -> document_edit_t {
                          return edit::memo_t{m.node, m.after, m.before};
                        },
                        [](const edit::grouping_t& g) -> document_edit_t {
                          return edit::grouping_t{g.group, g.after, g.before};
                        },
                    },
                    e);
}

// One operation's edits as one group for the recorder; groups opened by an
// operation that another one calls belong to the outer one.
class TDocumentSession::group_scope_t {
 public:
  group_scope_t(TDocumentSession& session, edit_group_t group) : m_session(session) {
    if (m_session.m_groupDepth++ == 0 && m_session.m_recorder != nullptr) {
      m_session.m_recorder->BeginGroup(group);
    }
  }
  ~group_scope_t() {
    if (--m_session.m_groupDepth == 0 && m_session.m_recorder != nullptr) {
      m_session.m_recorder->EndGroup();
    }
  }
  group_scope_t(const group_scope_t&) = delete;
  group_scope_t& operator=(const group_scope_t&) = delete;

 private:
  TDocumentSession& m_session;
};

class TDocumentSession::delivery_t {
 public:
  explicit delivery_t(TDocumentSession& session) : m_session(session) { ++m_session.m_delivering; }
  ~delivery_t() { --m_session.m_delivering; }
  delivery_t(const delivery_t&) = delete;
  delivery_t& operator=(const delivery_t&) = delete;

 private:
  TDocumentSession& m_session;
};

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

void TDocumentSession::CheckNotDelivering() const {
  if (m_delivering > 0) {
    throw std::logic_error("the session was changed while a report was being delivered");
  }
}

session_change_t TDocumentSession::Begin(session_payload_t what) const {
  CheckNotDelivering();
  session_change_t change;
  change.what = std::move(what);
  change.modified_before = m_documentModified;
  change.pattern_edited_before = m_patternEdited;
  change.memo_modified_before = m_memoModified;
  return change;
}

void TDocumentSession::Notify(const session_change_t& change) {
  // A listener may add and remove listeners: the ones of this moment hear
  // this change.
  const std::vector<listener_entry_t> listeners = m_listeners;
  const delivery_t delivery(*this);
  for (const listener_entry_t& e : listeners) e.listener(change);
}

// --- the edits

void TDocumentSession::Make(const document_edit_t& e) {
  std::visit(
      overloaded{
          [](const edit::insert_t& i) { i.node->patterns.Insert(i.index, i.pattern->Clone()); },
          [this](const edit::remove_t& r) {
            pattern_base_list_t& list = r.node->patterns;
            if (list.Items(r.index) == m_edited) m_edited = nullptr;
            list.Remove(list.Items(r.index));
          },
          [](const edit::move_t& m) { m.node->patterns.Move(m.from, m.to); },
          [](const edit::retitle_t& t) { t.node->patterns.Items(t.index)->title = t.after; },
          [](const edit::current_t& c) {
            pattern_base_list_t& list = c.node->patterns;
            if (c.after >= list.Count()) throw std::out_of_range("no such pattern");
            for (int i = 0; i < list.Count(); ++i) list.Items(i)->selected = i == c.after;
          },
          [](const edit::memo_t& m) { m.node->memo = m.after; },
          [](const edit::grouping_t& g) { g.group->grouping = g.after; },
      },
      e);
}

void TDocumentSession::Apply(document_edit_t e) {
  Make(e);
  if (m_recorder != nullptr) m_recorder->Edit(e);
}

void TDocumentSession::Insert(scene_base_t& node, int index, std::unique_ptr<pattern_base_t> p) {
  pattern_base_list_t& list = node.patterns;
  if (p->Class() != list.Accepts()) {
    throw EWrongPatternClass("a pattern of the other class cannot join this list");
  }
  std::shared_ptr<const pattern_base_t> copy = p->Clone();
  list.Insert(index, std::move(p));
  if (m_recorder != nullptr) m_recorder->Edit(edit::insert_t{&node, index, std::move(copy)});
}

void TDocumentSession::RemoveAt(scene_base_t& node, int index) {
  Apply(edit::remove_t{&node, index, node.patterns.Items(index)->Clone()});
}

void TDocumentSession::MakeCurrent(scene_base_t& node, int index) {
  const int marked = MarkedIndex(node.patterns);
  if (marked != index) Apply(edit::current_t{&node, marked, index});
}

void TDocumentSession::NameIfUntitled(scene_base_t& node, int index) {
  pattern_base_list_t& list = node.patterns;
  if (index < 0 || !list.Items(index)->title.empty()) return;
  Apply(edit::retitle_t{&node, index, {}, std::string(kUntitledTitle)});
  // The others are in order: it goes after every one whose title sorts
  // before its new one or equals it.
  int to = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (i != index && !(kUntitledTitle < list.Items(i)->title)) ++to;
  }
  if (to != index) Apply(edit::move_t{&node, index, to});
}

// --- the document and its file

void TDocumentSession::ResetAfterLoad() {
  // The old nodes are gone: nothing may point at them any more.
  m_selection.clear();
  m_edited = nullptr;
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
  CheckNotDelivering();
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

int TDocumentSession::EditedIndex() const {
  const scene_base_t* node = CurrentNode();
  return node != nullptr && m_edited != nullptr ? node->patterns.IndexOf(m_edited) : -1;
}

void TDocumentSession::ChooseEdited(int index) {
  const scene_base_t* node = CurrentNode();
  if (node == nullptr || index < 0 || index >= node->patterns.Count()) return;
  session_change_t change = Begin(change::choose_edited_t{});
  m_edited = node->patterns.Items(index);
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
  m_edited = nullptr;
  scene_base_t* node = CurrentNode();
  if (node == nullptr || !node->EditsOwnPatterns()) return;
  pattern_base_list_t& list = node->patterns;
  if (list.Count() == 0) {
    // Only a list that no file filled can be empty: it gets the empty
    // pattern that loading would have given it, named as a stored one is.
    const group_scope_t group(*this, {{step_kind_t::AddPattern, {}}, {node}});
    std::unique_ptr<pattern_base_t> p = EmptyPatternOf(*node);
    p->title = kUntitledTitle;
    Insert(*node, 0, std::move(p));
    MakeCurrent(*node, 0);
  }
  m_edited = list.Current();
}

void TDocumentSession::Store(std::unique_ptr<pattern_base_t> p, bool make_current) {
  CheckNotDelivering();
  scene_base_t* node = CurrentNode();
  pattern_base_t* edited = EditedPattern();
  if (node == nullptr || edited == nullptr || p == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  if (p->Class() != list.Accepts()) {
    throw EWrongPatternClass("a stored pattern must be of its node's class");
  }
  session_change_t change = Begin(change::store_t{node});
  // Held as the file gives it back, so that its place in the list stays
  // the same after a save and a load.
  p->title = NormalizeTextForFile(p->title);
  p->memo = NormalizeTextForFile(p->memo);
  if (p->title.empty()) p->title = kUntitledTitle;
  // Whether it is current is the list's marks' business, made as an edit.
  p->selected = false;
  pattern_base_t* stored = p.get();
  {
    const group_scope_t group(*this, {{step_kind_t::StorePattern, p->title}, {node}});
    RemoveAt(*node, list.IndexOf(edited));
    const int at = list.SortedIndex(p->title);
    Insert(*node, at, std::move(p));
    if (make_current) {
      MakeCurrent(*node, at);
    } else if (MarkedIndex(list) < 0) {
      MakeCurrent(*node, 0);  // the current one was replaced: the first one is
    }
  }
  m_edited = stored;
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::DeleteEdited() {
  CheckNotDelivering();
  scene_base_t* node = CurrentNode();
  const pattern_base_t* edited = EditedPattern();
  if (node == nullptr || edited == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  session_change_t change = Begin(change::delete_t{node});
  {
    const group_scope_t group(*this, {{step_kind_t::DeletePattern, edited->title}, {node}});
    RemoveAt(*node, list.IndexOf(edited));
    if (list.Count() == 0) {
      // An emptied list gets a new empty pattern, which becomes current.
      std::unique_ptr<pattern_base_t> p = EmptyPatternOf(*node);
      p->title = kUntitledTitle;
      Insert(*node, 0, std::move(p));
    }
    if (MarkedIndex(list) < 0) MakeCurrent(*node, 0);
    NameIfUntitled(*node, CurrentIndex(list));
  }
  m_edited = list.Current();
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::AddNewPattern(bool from_current) {
  CheckNotDelivering();
  scene_base_t* node = CurrentNode();
  if (node == nullptr) return;
  pattern_base_list_t& list = node->patterns;
  session_change_t change = Begin(change::new_pattern_t{node, from_current});
  std::unique_ptr<pattern_base_t> p = EmptyPatternOf(*node);
  p->title = kUntitledTitle;
  pattern_base_t* added = p.get();
  const int at = list.SortedIndex(p->title);
  {
    const group_scope_t group(*this, {{step_kind_t::AddPattern, {}}, {node}});
    Insert(*node, at, std::move(p));
  }
  m_edited = added;
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

// --- other changes

void TDocumentSession::SetGrouping(group_t& group, bool on) {
  session_change_t change = Begin(change::grouping_t{&group, group.grouping});
  {
    const group_scope_t scope(
        *this,
        {{on ? step_kind_t::SetGrouping : step_kind_t::ClearGrouping, group.title}, {&group}});
    if (group.grouping != on) Apply(edit::grouping_t{&group, group.grouping, on});
    // The group shown is now edited or summed: edits of what it showed go.
    if (CurrentNode() == &group) {
      EditCurrentPattern();
      m_memoModified = false;
    }
  }
  m_patternEdited = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::UpdateMemo(scene_base_t& node, std::string memo) {
  memo = NormalizeTextForFile(memo);
  // The same text again changes nothing in the document: only the memo box
  // holds nothing unapplied any more.
  if (memo == node.memo) {
    SetMemoModified(false);
    return;
  }
  session_change_t change = Begin(change::memo_t{&node, node.memo});
  {
    const group_scope_t group(*this, {{step_kind_t::UpdateMemo, node.title}, {&node}});
    Apply(edit::memo_t{&node, node.memo, std::move(memo)});
  }
  m_memoModified = false;
  m_documentModified = true;
  Notify(change);
}

void TDocumentSession::ChoosePattern(scene_base_t& node, int index) {
  if (index < 0 || index >= node.patterns.Count()) return;
  const int before = CurrentIndex(node.patterns);
  session_change_t change = Begin(change::choose_pattern_t{{&node, before, index}});
  {
    const group_scope_t group(*this, {{step_kind_t::ChoosePattern, node.title}, {&node}});
    MakeCurrent(node, index);
  }
  // The file keeps which pattern is current: a new choice is a change the
  // player must not lose by closing without a question.
  if (index != before) m_documentModified = true;
  Notify(change);
}

void TDocumentSession::ChooseByTitlePart(std::string_view part) {
  session_change_t change = Begin(change::choose_by_title_part_t{{}, m_selection});
  auto& chosen = std::get<change::choose_by_title_part_t>(change.what);
  const std::string lower = LowerAsciiCp932(part);
  {
    const group_scope_t group(*this, {{step_kind_t::ChooseByTitlePart, {}}, m_selection});
    for (scene_base_t* top : TopSelection()) {
      VisitSubtree(*top, [&](scene_base_t& node) {
        pattern_base_list_t& list = node.patterns;
        for (int i = 0; i < list.Count(); ++i) {
          if (!ContainsCp932(LowerAsciiCp932(list.Items(i)->title), lower)) continue;
          const int before = CurrentIndex(list);
          MakeCurrent(node, i);
          if (i != before) chosen.choices.push_back({&node, before, i});
          return;
        }
      });
    }
  }
  if (!chosen.choices.empty()) m_documentModified = true;
  Notify(change);
}

// --- putting back an earlier state

void TDocumentSession::Replay(const std::vector<document_edit_t>& edits, bool forward) {
  session_change_t change = Begin(change::restore_t{});
  auto& nodes = std::get<change::restore_t>(change.what).nodes;
  const auto make = [&](const document_edit_t& e) {
    Make(e);
    scene_base_t* node = NodeOf(e);
    if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) nodes.push_back(node);
  };
  if (forward) {
    for (const document_edit_t& e : edits) make(e);
  } else {
    for (auto e = edits.rbegin(); e != edits.rend(); ++e) make(Inverse(*e));
  }
  m_patternEdited = false;
  Notify(change);
}

}  // namespace qvl
