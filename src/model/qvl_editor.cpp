#include "model/qvl_editor.h"

#include <cmath>

#include "model/qvl_messages.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_text.h"

namespace qvl {

editor_node_t EditorNodeOf(const scene_base_t* node) {
  if (const scene_t* scene = node != nullptr ? node->AsScene() : nullptr) {
    return {true, scene->kind};
  }
  return {};
}

namespace {

bool HasSpellCardRows(scene_kind_t k) {
  return k == scene_kind_t::SpellCard;
}
bool HasEnemyBulletBonus(scene_kind_t k) {
  return k == scene_kind_t::NormalAttackWithEnemyBulletBonus || k == scene_kind_t::SpellCard;
}

// A scene shows no part of its graze and no count of captured cards.
bool IsGroupOnlyRow(int row) {
  return row == 5 || row == 10;
}

// The rows of a column into the fields that the editor shows as they are,
// by the field table's editor rows.
void FillFromColumn(pattern_base_t& p, const editor_column_t& v) {
  ForEachPatternField(p, [&v](const auto& f, auto& pattern) {
    if (f.editor_row > 0) pattern.*f.score = v[static_cast<std::size_t>(f.editor_row - 1)];
  });
}

}  // namespace

std::string EditorRowLabel(const editor_node_t& node, int row) {
  switch (row) {
    case 1:
      return Message(message_t::RowBorderTimes);
    case 2:
      return Message(message_t::RowCherryMax);
    case 3:
      return Message(message_t::RowGainedCherry);
    case 4:
      return Message(message_t::RowGraze);
    case 5:
      return node.is_scene ? std::string() : Message(message_t::RowSpellGraze);
    case 6:
      return node.is_scene && node.kind == scene_kind_t::NormalAttack
                 ? std::string()
                 : Message(message_t::RowPointItems);
    case 7:
      return Message(message_t::RowBonusItems);
    case 8:
      if (!node.is_scene) return Message(message_t::RowSpellCardBonusBaseTotal);
      return HasSpellCardRows(node.kind) ? Message(message_t::RowSpellCardBonusBase)
                                         : std::string();
    case 9:
      if (!node.is_scene) return Message(message_t::RowEnemyBulletBonusTotal);
      return HasEnemyBulletBonus(node.kind) ? Message(message_t::RowEnemyBulletBonus)
                                            : std::string();
    case 10:
      return node.is_scene ? std::string() : Message(message_t::RowSpellCardsCaptured);
    default:
      return {};
  }
}

bool IsForcedZeroRow(const editor_node_t& node, int row) {
  if (!node.is_scene) return false;
  if (IsGroupOnlyRow(row)) return true;
  switch (row) {
    case 6:
      return node.kind == scene_kind_t::NormalAttack;
    case 8:
      return node.kind != scene_kind_t::SpellCard;
    case 9:
      return node.kind == scene_kind_t::Way || node.kind == scene_kind_t::NormalAttack;
    default:
      return false;
  }
}

editor_column_t PatternColumn(const pattern_base_t& p) {
  editor_column_t c{};
  ForEachPatternField(p, [&c](const auto& f, const auto& pattern) {
    if (f.editor_row > 0) c[static_cast<std::size_t>(f.editor_row - 1)] = pattern.*f.score;
  });
  // The rows that show a figure computed from the fields.
  c[2] = p.GainedCherry();
  if (p.Class() == pattern_class_t::Grouped) c[3] = AsGroupedPattern(p).TotalGraze();
  return c;
}

editor_column_t NodeColumn(const editor_node_t& node, const pattern_base_t& p) {
  editor_column_t c = PatternColumn(p);
  if (node.is_scene) {
    for (int r = 1; r <= kEditorRows; ++r) {
      if (IsGroupOnlyRow(r)) c[static_cast<std::size_t>(r - 1)] = 0;
    }
  }
  return c;
}

bool IsReadOnlyRow(const editor_node_t& node, int row) {
  return row == 3 || IsForcedZeroRow(node, row);
}

std::optional<score_t> RoundToScore(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = std::nearbyint(v);  // the default rounding mode: ties to even
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return std::nullopt;
  return static_cast<score_t>(r);
}

std::string SpellCardQuestionText(spell_card_question_t q) {
  if (q == spell_card_question_t::BaseZeroButCaptured) {
    return Message(message_t::QuestionBaseZeroButCaptured);
  }
  return Message(message_t::QuestionBaseSetButNotCaptured);
}

std::string EnemyBulletBonusWarningText() {
  return Message(message_t::WarningEnemyBulletBonusZero);
}

editor_read_t ReadEditorPattern(const editor_node_t& node, const editor_input_t& in,
                                const editor_prompts_t& prompts) {
  editor_read_t out;
  out.cells = in.cells;
  out.getting_spell_card = in.getting_spell_card;

  // Every row must be a score before anything is asked or stored.
  editor_column_t v{};
  for (int i = 0; i < kEditorRows; ++i) {
    const std::optional<score_t> rounded = RoundToScore(in.cells[static_cast<std::size_t>(i)]);
    if (!rounded) {
      const int row = i + 1;
      std::string label = EditorRowLabel(node, row);
      if (label.empty()) label = std::to_string(row);
      out.error = FormatMessage(message_t::EditorValueTooLarge, {label});
      return out;
    }
    v[static_cast<std::size_t>(i)] = *rounded;
  }

  if (node.is_scene) {
    bool captured = in.getting_spell_card;
    if (captured && v[7] == 0 && prompts.ask &&
        prompts.ask(spell_card_question_t::BaseZeroButCaptured)) {
      captured = false;
    }
    if (!captured) {
      if (v[7] != 0 && prompts.ask && prompts.ask(spell_card_question_t::BaseSetButNotCaptured)) {
        captured = true;
      }
      if (!captured) {
        out.cells[7] = 0;
        v[7] = 0;
      }
    }
    if (HasEnemyBulletBonus(node.kind) && v[8] == 0 && prompts.warn_enemy_bullet_bonus) {
      prompts.warn_enemy_bullet_bonus();
    }
    auto p = std::make_unique<pattern_t>();
    FillFromColumn(*p, v);
    out.cells[2] = out.cells[1];
    p->UpdateCherryDifference(p->cherry_max);
    p->getting_spell_card = captured;
    out.getting_spell_card = captured;
    p->memo = NormalizeTextForFile(in.memo);
    p->title = NormalizeTextForFile(in.title);
    out.pattern = std::move(p);
    return out;
  }

  // The captured part of the graze cannot exceed the whole graze.
  v[4] = std::min(v[4], v[3]);
  out.cells[4] = static_cast<double>(v[4]);
  auto g = std::make_unique<grouped_pattern_t>();
  FillFromColumn(*g, v);
  g->title = NormalizeTextForFile(in.title);
  out.cells[2] = out.cells[1];
  g->UpdateCherryDifference(g->cherry_max);
  if (out.cells[2] > static_cast<double>(g->cherry_max)) {
    // A fractional row 2 rounded down: the gained cherry shows the stored value.
    g->UpdateCherryDifference(g->cherry_max);
    out.cells[2] = static_cast<double>(g->cherry_max);
  }
  g->SetTotalGraze(v[3]);
  g->memo = NormalizeTextForFile(in.memo);
  out.pattern = std::move(g);
  return out;
}

}  // namespace qvl
