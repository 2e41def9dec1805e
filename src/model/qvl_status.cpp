#include "model/qvl_status.h"

#include "model/qvl_text.h"

namespace qvl {

std::string PadScore(score_t v, int width) {
  std::string digits = ScoreText(v);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
  }
  return digits;
}

std::array<std::string, 5> StatusPanelTexts(scene_base_t& node) {
  const bool is_root = dynamic_cast<root_t*>(&node) != nullptr;
  const grouped_pattern_t t = is_root ? node.OwnTotals() : node.TotalsBefore();
  const score_t base = InitialCherry(node.GetDifficulty());
  std::array<std::string, 5> panels;
  panels[0] = QVL_CP932("☆: ") + PadScore(t.bonus_item, 5);
  panels[1] = "G: " + PadScore(t.TotalGraze(), 5);
  panels[2] = "P: " + PadScore(t.point, 4);
  panels[3] = "C: " + PadScore(WrapAdd(base, t.GainedCherry()), 7) + "/" +
              PadScore(WrapAdd(base, t.cherry_max), 7);
  if (is_root) {
    panels[4] = "Spell: " + PadScore(t.getting_spell_cards_number, 2);
  } else {
    panels[4] = "C+: " + PadScore(WrapAdd(1000, WrapMul(100, t.getting_spell_cards_number)), 4);
  }
  return panels;
}

std::array<std::string, 5> InitialStatusPanelTexts() {
  return {QVL_CP932("☆"), "Graze", "Point", "Cherry/Cherry Max", "Spell/C+"};
}

std::string DifferenceText(score_t d) {
  if (d == 0) return "0";
  // The magnitude is taken in unsigned arithmetic, where even the most negative
  // value has one.
  const std::uint64_t magnitude =
      d > 0 ? static_cast<std::uint64_t>(d) : 0 - static_cast<std::uint64_t>(d);
  std::string text(1, d > 0 ? '+' : '-');
  text.append(std::to_string(magnitude));
  return text;
}

}  // namespace qvl
