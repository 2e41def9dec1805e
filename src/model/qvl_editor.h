// The pattern editor's rules that do not paint: which rows a node shows, which
// of them are forced to zero, the numbers a pattern puts into a column, and
// how an evaluated column is read back into a pattern with its questions.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/qvl_scene.h"

namespace qvl {

// Rows 1 to 10 of the input grid; index 0 is row 1.
constexpr int kEditorRows = 10;
using editor_column_t = std::array<score_t, kEditorRows>;
using editor_cells_t = std::array<double, kEditorRows>;

// What the editor needs to know of the current node. No node (nothing or
// several selected) is shown like a group.
struct editor_node_t {
  bool is_scene = false;
  scene_kind_t kind = scene_kind_t::Dummy;
};
[[nodiscard]] editor_node_t EditorNodeOf(const scene_base_t* node);

// The label of row 1..10 in column 0 (code page 932); empty where a scene's
// kind has no such row.
[[nodiscard]] std::string EditorRowLabel(const editor_node_t& node, int row);
// Rows without meaning for a scene's kind: read-only in the new column, and
// an edit of them stores 0. Never true for groups.
[[nodiscard]] bool IsForcedZeroRow(const editor_node_t& node, int row);
// Rows of the new column that the player cannot type into: the gained cherry
// (row 3), which follows the cherry max, and the forced-zero rows.
[[nodiscard]] bool IsReadOnlyRow(const editor_node_t& node, int row);
// The numbers of rows 1..10 for a pattern of the node's class.
[[nodiscard]] editor_column_t PatternColumn(const pattern_base_t& p);
// The numbers a column of the node shows for p: PatternColumn, with 0 in the
// rows a scene does not have (5 and 10).
[[nodiscard]] editor_column_t NodeColumn(const editor_node_t& node, const pattern_base_t& p);

// A calculator answer as a score: nearest integer, ties to the even one.
// Empty for a value outside the signed 64-bit range (or not finite).
[[nodiscard]] std::optional<score_t> RoundToScore(double v);

enum class spell_card_question_t {
  BaseZeroButCaptured,   // captured, but the bonus base is 0
  BaseSetButNotCaptured  // not captured, but the bonus base is not 0
};
[[nodiscard]] std::string SpellCardQuestionText(spell_card_question_t q);
[[nodiscard]] std::string EnemyBulletBonusWarningText();

// The answers the window gives while a column is read.
struct editor_prompts_t {
  std::function<bool(spell_card_question_t)> ask;  // true for Yes
  std::function<void()> warn_enemy_bullet_bonus;
};

struct editor_input_t {
  editor_cells_t cells{};           // evaluated rows 1..10 of the new column
  bool getting_spell_card = false;  // the new column's check box
  std::string title;                // code page 932; the pattern holds it as
  std::string memo;                 // NormalizeTextForFile gives it
};

struct editor_read_t {
  std::unique_ptr<pattern_base_t> pattern;  // null when refused
  editor_cells_t cells{};                   // the column as the reading leaves it
  bool getting_spell_card = false;          // the check box after the questions
  std::string error;                        // why it was refused (code page 932)
};

// Reads the new column of a scene (with the spell card questions and the enemy
// bullet bonus warning) or of a group. A row outside the score range refuses
// the whole pattern; nothing is asked after that.
[[nodiscard]] editor_read_t ReadEditorPattern(const editor_node_t& node, const editor_input_t& in,
                                              const editor_prompts_t& prompts);

}  // namespace qvl
