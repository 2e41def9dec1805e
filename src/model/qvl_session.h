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

// What each operation changed: one small record per operation, enough with
// the document after the change to build the inverse. A listener visits the
// report's payload; a new operation is a new record here, and every visit
// without a case for it fails to compile.
namespace change {
struct load_t {};      // a file replaced the document; every state starts afresh
struct template_t {};  // the same from a template, with no file name
struct save_t {};      // written under a name: the file name and the modified flag
// The selection (and with it the pattern being edited).
struct select_t {};
// Another pattern of the current node is being edited.
struct choose_edited_t {};
// Update: the edited pattern replaced by a stored one.
struct store_t {
  scene_base_t* node = nullptr;
  std::shared_ptr<const pattern_base_t> removed;  // as it was, at removed_index
  int removed_index = -1;
  int added_index = -1;     // where the stored pattern stands now
  int current_before = -1;  // the current pattern's index in the list as it was
  int current_after = -1;
};
// The edited pattern removed.
struct delete_t {
  scene_base_t* node = nullptr;
  std::shared_ptr<const pattern_base_t> removed;
  int removed_index = -1;
  // The empty pattern that took the place of the last one, else -1.
  int added_index = -1;
  // The pattern that became current and, its title being empty, was named
  // "*untitled*", else -1.
  int renamed_index = -1;
  int current_before = -1;
  int current_after = -1;
};
// An empty "*untitled*" pattern added and being edited.
struct new_pattern_t {
  scene_base_t* node = nullptr;
  int added_index = -1;
  int current_before = -1;
  int current_after = -1;
  // The editor starts the new pattern from the current one's values.
  bool from_current = false;
};
struct grouping_t {
  group_t* group = nullptr;
  bool before = false;  // the flag as it was; the group holds it as it is
};
struct memo_t {
  scene_base_t* node = nullptr;
  std::string before;
};
// One node's current pattern (the tree's popup menu).
struct choose_pattern_t {
  current_choice_t choice;
};
// The current patterns of whole subtrees by a title's part: every node whose
// current pattern changed, and the selection it was done for.
struct choose_by_title_part_t {
  std::vector<current_choice_t> choices;
  std::vector<scene_base_t*> selection;
};
// Undo and redo: an earlier state of these nodes' lists or current choices.
struct restore_t {
  std::vector<scene_base_t*> nodes;
};
// Only the flags (pattern edited, memo modified, document modified).
struct flags_t {};
}  // namespace change

using session_payload_t =
    std::variant<change::load_t, change::template_t, change::save_t, change::select_t,
                 change::choose_edited_t, change::store_t, change::delete_t, change::new_pattern_t,
                 change::grouping_t, change::memo_t, change::choose_pattern_t,
                 change::choose_by_title_part_t, change::restore_t, change::flags_t>;

// The operation of a report, in the order of the payload's alternatives.
enum class session_op_t : std::uint8_t {
  Load,
  NewFromTemplate,
  Save,
  Select,
  ChooseEdited,
  Store,
  Delete,
  NewPattern,
  Grouping,
  Memo,
  ChoosePattern,
  ChooseByTitlePart,
  Restore,
  Flags
};
static_assert(std::variant_size_v<session_payload_t> == std::size_t(session_op_t::Flags) + 1);

struct session_change_t {
  session_payload_t what;
  // The flags before the operation; the session's accessors give them after.
  bool modified_before = false;
  bool pattern_edited_before = false;
  bool memo_modified_before = false;

  [[nodiscard]] session_op_t Op() const { return static_cast<session_op_t>(what.index()); }
  // The payload of operation T; throws std::bad_variant_access for another.
  template <typename T>
  [[nodiscard]] const T& As() const {
    return std::get<T>(what);
  }
};

// Listeners hear every report in this order, whatever order they were added
// in: the history records a change before anything shows it, the window shows
// it before the charts follow. Within one rank, in the order of adding.
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
  // were added; they do not change the session while a report is delivered,
  // so that every listener hears the state the report describes. A listener
  // may add or remove listeners; a change is heard by the listeners of the
  // moment it happened. Listening changes nothing of the session.
  int AddListener(listener_t listener, listener_rank_t rank) const;
  void RemoveListener(int id) const;

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
  [[nodiscard]] int EditedIndex() const { return m_editedIndex; }
  [[nodiscard]] pattern_base_t* EditedPattern() const;
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
  // In node's list, removes the pattern at remove_at (none for -1), puts
  // insert (if any) at insert_at and makes the pattern at current the current
  // one. A current node edits its current pattern next. Indexes out of range
  // throw std::out_of_range before anything changes.
  void RestorePatterns(scene_base_t& node, int remove_at, std::unique_ptr<pattern_base_t> insert,
                       int insert_at, int current);
  // Each choice's node gets its current pattern back: the one at before, or
  // with to_after the one at after.
  void RestoreChoices(const std::vector<current_choice_t>& choices, bool to_after);

 private:
  [[nodiscard]] session_change_t Begin(session_payload_t what) const;
  void Notify(const session_change_t& change);
  void ResetAfterLoad();
  // The pattern the current node edits: its current one if it edits its own
  // patterns (named if it had none), else none.
  void EditCurrentPattern();

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
  int m_editedIndex = -1;
  mutable std::vector<listener_entry_t> m_listeners;
  mutable int m_nextListenerId = 1;
};

}  // namespace qvl
