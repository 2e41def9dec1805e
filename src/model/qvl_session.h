// The document session: the one open document with its file name, its flags,
// the selection and the pattern being edited, and every change of the document
// as one call that either completes or changes nothing and then tells its
// listeners what it changed. Questions are the caller's: the session decides
// nothing that needs a person.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/qvl_document.h"
#include "model/qvl_scene.h"

namespace qvl {

// The title a pattern gets when it is created or stored without one.
inline constexpr std::string_view kUntitledTitle = "*untitled*";

// One node whose current pattern changed: its list index before and after.
struct current_choice_t {
  scene_base_t* node = nullptr;
  int before = -1;
  int after = -1;
};

// The small edits that every change of the document is made of. The session
// makes each one as it goes and tells its recorder at once, so what is
// recorded is exactly what happened, in order, whatever the operation. Each
// edit's inverse is an edit too: a recorded group is undone by applying the
// inverses in reverse order and redone by applying it again in order. An
// index means the list as it is at that moment of the group.
namespace edit {
// A pattern put into a node's list at index, as it went in.
struct insert_t {
  scene_base_t* node = nullptr;
  int index = -1;
  std::shared_ptr<const pattern_base_t> pattern;
};
// The pattern at index taken out, as it was.
struct remove_t {
  scene_base_t* node = nullptr;
  int index = -1;
  std::shared_ptr<const pattern_base_t> pattern;
};
// The pattern at from moved to to, the others keeping their order.
struct move_t {
  scene_base_t* node = nullptr;
  int from = -1;
  int to = -1;
};
struct retitle_t {
  scene_base_t* node = nullptr;
  int index = -1;
  std::string before;
  std::string after;
};
// The pattern marked current: the index of the one marked, -1 for none.
struct current_t {
  scene_base_t* node = nullptr;
  int before = -1;
  int after = -1;
};
struct memo_t {
  scene_base_t* node = nullptr;
  std::string before;
  std::string after;
};
struct grouping_t {
  group_t* group = nullptr;
  bool before = false;
  bool after = false;
};
}  // namespace edit

using document_edit_t = std::variant<edit::insert_t, edit::remove_t, edit::move_t, edit::retitle_t,
                                     edit::current_t, edit::memo_t, edit::grouping_t>;

// The edit that takes e back.
[[nodiscard]] document_edit_t Inverse(const document_edit_t& e);

// What an operation did, for the menu to name its group.
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
  step_kind_t kind = step_kind_t::StorePattern;
  std::string title;  // code page 932
};

// The name an operation gives its edits, and the nodes that are selected
// once they are undone or redone.
struct edit_group_t {
  step_name_t name;
  std::vector<scene_base_t*> nodes;
};

// Hears the session's edits as they happen, grouped by operation: one
// BeginGroup, the edits, one EndGroup. Edits that put back an earlier state
// (undo and redo) are not told.
class edit_recorder_t {
 public:
  virtual ~edit_recorder_t() = default;
  virtual void BeginGroup(const edit_group_t& group) = 0;
  virtual void Edit(const document_edit_t& e) = 0;
  virtual void EndGroup() = 0;
};

// The kind of what an operation changed, for listeners that follow kinds of
// change rather than each operation (the chart and its plan).
enum class change_kind_t : std::uint8_t {
  Unshown,   // nothing the figures depend on: the file name, a memo, the flags
  Editing,   // what is selected or being edited; the document's values stay
  Choices,   // which patterns are current, or grouping: the same lists counted afresh
  Contents,  // the patterns of the lists, or the whole document
};

// What each operation changed, for those who show the document: one small
// record per operation, with the kind of its change. A listener visits the
// report's payload, switches on its operation or on its kind; a new operation
// is a new record here.
namespace change {
// A file replaced the document; every state starts afresh.
struct load_t {
  static constexpr change_kind_t kKind = change_kind_t::Contents;
};
// The same from a template, with no file name.
struct template_t {
  static constexpr change_kind_t kKind = change_kind_t::Contents;
};
// Written under a name: the file name and the modified flag.
struct save_t {
  static constexpr change_kind_t kKind = change_kind_t::Unshown;
};
// The selection (and with it the pattern being edited).
struct select_t {
  static constexpr change_kind_t kKind = change_kind_t::Editing;
};
// Another pattern of the current node is being edited.
struct choose_edited_t {
  static constexpr change_kind_t kKind = change_kind_t::Editing;
};
// Update: the edited pattern replaced by a stored one, which is edited next.
struct store_t {
  static constexpr change_kind_t kKind = change_kind_t::Contents;
  scene_base_t* node = nullptr;
};
// The edited pattern removed; the current one is edited next.
struct delete_t {
  static constexpr change_kind_t kKind = change_kind_t::Contents;
  scene_base_t* node = nullptr;
};
// An empty "*untitled*" pattern added and being edited; no current pattern
// changes.
struct new_pattern_t {
  static constexpr change_kind_t kKind = change_kind_t::Editing;
  scene_base_t* node = nullptr;
  // The editor starts the new pattern from the current one's values.
  bool from_current = false;
};
struct grouping_t {
  static constexpr change_kind_t kKind = change_kind_t::Choices;
  group_t* group = nullptr;
  bool before = false;  // the flag as it was; the group holds it as it is
};
struct memo_t {
  static constexpr change_kind_t kKind = change_kind_t::Unshown;
  scene_base_t* node = nullptr;
  std::string before;
};
// One node's current pattern (the tree's popup menu).
struct choose_pattern_t {
  static constexpr change_kind_t kKind = change_kind_t::Choices;
  current_choice_t choice;
};
// The current patterns of whole subtrees by a title's part: every node whose
// current pattern changed, and the selection it was done for.
struct choose_by_title_part_t {
  static constexpr change_kind_t kKind = change_kind_t::Choices;
  std::vector<current_choice_t> choices;
  std::vector<scene_base_t*> selection;
};
// Undo and redo: an earlier state of these nodes' lists, memos or grouping.
struct restore_t {
  static constexpr change_kind_t kKind = change_kind_t::Contents;
  std::vector<scene_base_t*> nodes;
};
// Only the flags (pattern edited, memo modified, document modified).
struct flags_t {
  static constexpr change_kind_t kKind = change_kind_t::Unshown;
};
}  // namespace change

using session_payload_t =
    std::variant<change::load_t, change::template_t, change::save_t, change::select_t,
                 change::choose_edited_t, change::store_t, change::delete_t, change::new_pattern_t,
                 change::grouping_t, change::memo_t, change::choose_pattern_t,
                 change::choose_by_title_part_t, change::restore_t, change::flags_t>;

namespace detail {
template <typename T, typename V>
struct payload_index;
template <typename T, typename... Ts>
struct payload_index<T, std::variant<Ts...>> {
  static constexpr std::uint8_t Find() {
    constexpr bool is[] = {std::is_same_v<T, Ts>...};
    std::uint8_t i = 0;
    while (!is[i]) ++i;
    return i;
  }
  static constexpr std::uint8_t value = Find();
};
template <typename T>
inline constexpr std::uint8_t kPayloadIndex = payload_index<T, session_payload_t>::value;
}  // namespace detail

// The operation of a report: each is the index of its own payload record, so
// the two cannot fall out of step.
enum class session_op_t : std::uint8_t {
  Load = detail::kPayloadIndex<change::load_t>,
  NewFromTemplate = detail::kPayloadIndex<change::template_t>,
  Save = detail::kPayloadIndex<change::save_t>,
  Select = detail::kPayloadIndex<change::select_t>,
  ChooseEdited = detail::kPayloadIndex<change::choose_edited_t>,
  Store = detail::kPayloadIndex<change::store_t>,
  Delete = detail::kPayloadIndex<change::delete_t>,
  NewPattern = detail::kPayloadIndex<change::new_pattern_t>,
  Grouping = detail::kPayloadIndex<change::grouping_t>,
  Memo = detail::kPayloadIndex<change::memo_t>,
  ChoosePattern = detail::kPayloadIndex<change::choose_pattern_t>,
  ChooseByTitlePart = detail::kPayloadIndex<change::choose_by_title_part_t>,
  Restore = detail::kPayloadIndex<change::restore_t>,
  Flags = detail::kPayloadIndex<change::flags_t>,
};
// And none is left without a name.
static_assert(std::variant_size_v<session_payload_t> == std::size_t(session_op_t::Flags) + 1);

struct session_change_t {
  session_payload_t what;
  // The flags before the operation; the session's accessors give them after.
  bool modified_before = false;
  bool pattern_edited_before = false;
  bool memo_modified_before = false;

  [[nodiscard]] session_op_t Op() const { return static_cast<session_op_t>(what.index()); }
  [[nodiscard]] change_kind_t Kind() const {
    return std::visit([](const auto& payload) { return payload.kKind; }, what);
  }
  // The payload of operation T; throws std::bad_variant_access for another.
  template <typename T>
  [[nodiscard]] const T& As() const {
    return std::get<T>(what);
  }
};

// Listeners hear every report in this order, whatever order they were added
// in: the history hears a load or a save before anything shows it, the window
// shows a change before the charts follow. Within one rank, in the order of
// adding.
enum class listener_rank_t : std::uint8_t { History, Window, Chart };

class TDocumentSession {
 public:
  using listener_t = std::function<void(const session_change_t&)>;

  // An empty document, with the one empty pattern of its root that every
  // document has: saved before anything is selected, it reads back the same.
  TDocumentSession() { m_root.NormalizePatterns(); }
  TDocumentSession(const TDocumentSession&) = delete;
  TDocumentSession& operator=(const TDocumentSession&) = delete;

  // Listeners are called after each change, by rank, then in the order they
  // were added. They do not change the session while a report is delivered,
  // so that every listener hears the state the report describes: an
  // operation called then throws std::logic_error and changes nothing. A
  // listener may add or remove listeners; a change is heard by the listeners
  // of the moment it happened. Listening changes nothing of the session.
  int AddListener(listener_t listener, listener_rank_t rank) const;
  void RemoveListener(int id) const;
  // The one recorder of edits (the history), or none.
  void SetRecorder(edit_recorder_t* recorder) { m_recorder = recorder; }

  // --- the document and its file
  [[nodiscard]] root_t& Document() { return m_root; }
  [[nodiscard]] const root_t& Document() const { return m_root; }
  // Empty for a document made from a template (the next save asks for one).
  [[nodiscard]] const std::filesystem::path& FileName() const { return m_fileName; }
  [[nodiscard]] bool DocumentModified() const { return m_documentModified; }
  // Unapplied edits of the editor's new pattern and of the scene memo box.
  [[nodiscard]] bool PatternEdited() const { return m_patternEdited; }
  [[nodiscard]] bool MemoModified() const { return m_memoModified; }

  // Replaces the document by the file's; false (nothing changed) when it
  // cannot be read. The file name becomes file as given.
  [[nodiscard]] bool Load(const std::filesystem::path& file, const load_failure_handler_t& ask);
  // The same from a template, which is never overwritten: no file name.
  [[nodiscard]] bool NewFromTemplate(const std::filesystem::path& template_file,
                                     const load_failure_handler_t& ask);
  // Writes the document to file; on success it is the file name and the
  // document counts as saved. A failure changes nothing.
  [[nodiscard]] save_result_t SaveAs(const std::filesystem::path& file);

  // --- the selection and the pattern being edited
  // The selected nodes in selection order. Every node must belong to the
  // document. A node inside a grouping group is never selected: false, and
  // nothing changes. A single node that edits its own patterns gets a current
  // pattern if its list has none.
  bool Select(std::vector<scene_base_t*> nodes);
  [[nodiscard]] const std::vector<scene_base_t*>& Selection() const { return m_selection; }
  // The selected nodes without those below another selected node.
  [[nodiscard]] std::vector<scene_base_t*> TopSelection() const;
  // The single selected node; null for none or several.
  [[nodiscard]] scene_base_t* CurrentNode() const {
    return m_selection.size() == 1 ? m_selection.front() : nullptr;
  }
  // The index in the current node's list of the pattern the editor edits, -1
  // for none.
  [[nodiscard]] int EditedIndex() const;
  [[nodiscard]] pattern_base_t* EditedPattern() const { return m_edited; }
  // Edits another pattern of the current node; unapplied edits are dropped.
  void ChooseEdited(int index);

  // --- the flags
  void SetPatternEdited(bool on);
  void SetMemoModified(bool on);
  // Whether the document differs from its file, for a history that knows
  // when it went back to the saved state.
  void SetDocumentModified(bool on);

  // --- changes of the current node's patterns
  // Update: the edited pattern is replaced by p (a pattern of the node's class)
  // and, with make_current, p becomes the current pattern. p is edited next.
  void Store(std::unique_ptr<pattern_base_t> p, bool make_current);
  // Removes the edited pattern; the current pattern is edited next.
  void DeleteEdited();
  // Adds an empty "*untitled*" pattern of the node's class and edits it;
  // from_current: the editor starts it from the current pattern's values.
  void AddNewPattern(bool from_current = false);

  // --- other changes
  // A current group edits its current pattern next (a grouping one) or
  // nothing (one that sums its scenes); its unapplied edits are dropped.
  void SetGrouping(group_t& group, bool on);
  // The node's memo; the same text as before is no change of the document.
  void UpdateMemo(scene_base_t& node, std::string memo);
  // Makes the pattern at index the node's current one; another pattern than
  // before marks the document modified.
  void ChoosePattern(scene_base_t& node, int index);
  // In every node of the top selection's subtrees, the first pattern whose
  // title contains part (ASCII letter case ignored) becomes current. An empty
  // part matches nothing. A node whose current pattern changes marks the
  // document modified.
  void ChooseByTitlePart(std::string_view part);

  // --- putting back an earlier state (undo and redo); the modified flag is
  // the caller's, who knows which state was saved
  // Applies the edits in order, or their inverses in reverse order, without
  // telling the recorder, and reports the nodes they touched. They must be
  // a group the session recorded, and the document as that group left it
  // (forward: as it found it).
  void Replay(const std::vector<document_edit_t>& edits, bool forward);

 private:
  class group_scope_t;
  class delivery_t;
  [[nodiscard]] session_change_t Begin(session_payload_t what) const;
  void Notify(const session_change_t& change);
  void ResetAfterLoad();
  // The pattern the current node edits: its current one if it edits its own
  // patterns (named if it had none), else none.
  void EditCurrentPattern();
  // Every change of a list, a memo or a flag of grouping goes through here:
  // it is made, the edited pattern follows it, and the recorder hears of it.
  void Apply(document_edit_t e);
  void Make(const document_edit_t& e);
  // Edits made by the current operation.
  void Insert(scene_base_t& node, int index, std::unique_ptr<pattern_base_t> p);
  void RemoveAt(scene_base_t& node, int index);
  void MakeCurrent(scene_base_t& node, int index);
  // Names an untitled pattern and moves it to its sorted place.
  void NameIfUntitled(scene_base_t& node, int index);
  // Throws std::logic_error while a report is being delivered.
  void CheckNotDelivering() const;

  struct listener_entry_t {
    int id;
    listener_rank_t rank;
    listener_t listener;
  };

  root_t m_root;
  std::filesystem::path m_fileName;
  bool m_documentModified = false;
  bool m_patternEdited = false;
  bool m_memoModified = false;
  std::vector<scene_base_t*> m_selection;
  // A pattern of the current node's list, followed wherever edits move it.
  pattern_base_t* m_edited = nullptr;
  edit_recorder_t* m_recorder = nullptr;
  int m_groupDepth = 0;
  int m_delivering = 0;
  mutable std::vector<listener_entry_t> m_listeners;
  mutable int m_nextListenerId = 1;
};

}  // namespace qvl
