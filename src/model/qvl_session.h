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
#include <vector>

#include "model/qvl_document.h"
#include "model/qvl_scene.h"

namespace qvl {

// The title a pattern gets when it is created or stored without one.
inline constexpr std::string_view kUntitledTitle = "*untitled*";

enum class session_op_t : std::uint8_t {
  Load,               // a file replaced the document; every state starts afresh
  NewFromTemplate,    // the same from a template, with no file name
  Save,               // written under a name: the file name and the modified flag
  Select,             // the selection (and with it the pattern being edited)
  ChooseEdited,       // another pattern of the current node is being edited
  Store,              // Update: the edited pattern replaced by a stored one
  Delete,             // the edited pattern removed
  NewPattern,         // an empty "*untitled*" pattern added and being edited
  Grouping,           // a group's grouping flag
  Memo,               // a node's memo
  ChoosePattern,      // one node's current pattern (the tree's popup menu)
  ChooseByTitlePart,  // the current patterns of whole subtrees by a title's part
  Restore,            // an earlier state of one node's list or of current choices
  Flags               // only the flags (pattern edited, memo modified, document modified)
};

// One node whose current pattern changed: its list index before and after.
struct current_choice_t {
  scene_base_t* node = nullptr;
  int before = -1;
  int after = -1;
};

// What one operation changed. Fields that do not belong to the operation keep
// their defaults. Together with the document after the change it is enough to
// build the inverse: the node, the indexes, the old texts and flags, and a copy
// of a pattern that left a list.
struct session_change_t {
  session_op_t op = session_op_t::Flags;
  // The node whose list, memo or grouping flag changed; null for a change of
  // the whole document, the selection or the flags.
  scene_base_t* node = nullptr;
  // Store and Delete: the pattern that left the list, as it was, and where.
  std::shared_ptr<const pattern_base_t> removed;
  int removed_index = -1;
  // Store and NewPattern: where the added pattern stands now; Delete: where
  // the empty pattern stands that took the place of the last one (else -1).
  int added_index = -1;
  // Delete: the pattern of the list that became current and, its title being
  // empty, was named "*untitled*" (else -1).
  int renamed_index = -1;
  // The index of the node's current pattern before and after (Store, Delete,
  // NewPattern; before is an index into the list as it was).
  int current_before = -1;
  int current_after = -1;
  std::string memo_before;                // Memo
  bool grouping_before = false;           // Grouping
  std::vector<current_choice_t> choices;  // ChoosePattern, ChooseByTitlePart
  // The flags before the operation; the session's accessors give them after.
  bool modified_before = false;
  bool pattern_edited_before = false;
  bool memo_modified_before = false;
};

class TDocumentSession {
 public:
  using listener_t = std::function<void(const session_change_t&)>;

  TDocumentSession() = default;
  TDocumentSession(const TDocumentSession&) = delete;
  TDocumentSession& operator=(const TDocumentSession&) = delete;

  // Listeners are called in the order they were added, after each change. A
  // listener may call the session again and add or remove listeners; a change
  // is heard by the listeners of the moment it happened.
  int AddListener(listener_t listener);
  void RemoveListener(int id);

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
  // document. A single node that shows its own patterns (a scene or a grouping
  // group) gets a current pattern if its list has none.
  void Select(std::vector<scene_base_t*> nodes);
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
  // Adds an empty "*untitled*" pattern of the node's class and edits it.
  void AddNewPattern();

  // --- other changes
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
  [[nodiscard]] session_change_t Begin(session_op_t op, scene_base_t* node = nullptr) const;
  void Notify(const session_change_t& change);
  void ResetAfterLoad();
  void EditCurrentPattern();

  root_t m_root;
  std::filesystem::path m_fileName;
  bool m_documentModified = false;
  bool m_patternEdited = false;
  bool m_memoModified = false;
  std::vector<scene_base_t*> m_selection;
  int m_editedIndex = -1;
  std::vector<std::pair<int, listener_t>> m_listeners;
  int m_nextListenerId = 1;
};

}  // namespace qvl
