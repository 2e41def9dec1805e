#include "model/qvl_status.h"

#include <utility>

#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace qvl {

std::string PadScore(checked_score_t v, int width) {
  std::string digits = ScoreText(v);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), ' ');
  }
  return digits;
}

namespace {

// What the panels count, as a listener hears it.
const std::string& BonusItemsWord() {
  return Message(message_t::StatusBonusItems);
}
const std::string& GrazeWord() {
  return Message(message_t::StatusGraze);
}
const std::string& PointsWord() {
  return Message(message_t::StatusPointItems);
}
const std::string& CherryWord() {
  return Message(message_t::StatusCherry);
}
const std::string& CherryMaxWord() {
  return Message(message_t::StatusCherryMax);
}
const std::string& SpellCardsWord() {
  return Message(message_t::StatusSpellCards);
}
const std::string& CherryPlusWord() {
  return Message(message_t::StatusCherryPlus);
}

}  // namespace

status_panels_t StatusPanels(const scene_base_t& node) {
  const bool is_root = node.Class() == node_class_t::Root;
  const grouped_pattern_t t = is_root ? node.OwnTotals() : node.TotalsBefore();
  using C = checked_score_t;
  const C base = InitialCherry(node.GetDifficulty());
  const C bonus_items = t.Checked(&grouped_pattern_t::bonus_item);
  const C graze = t.CheckedTotalGraze();
  const C points = t.Checked(&grouped_pattern_t::point);
  const C cherry = base + t.CheckedGainedCherry();
  const C cherry_max = base + t.Checked(&grouped_pattern_t::cherry_max);
  const C spell_cards = t.Checked(&grouped_pattern_t::getting_spell_cards_number);
  const C cherry_plus = C(1000) + C(100) * spell_cards;
  status_panels_t p;
  p.texts[0] = QVL_CP932("☆: ") + PadScore(bonus_items, 5);
  p.spoken[0] = BonusItemsWord() + " " + ScoreText(bonus_items);
  p.texts[1] = "G: " + PadScore(graze, 5);
  p.spoken[1] = GrazeWord() + " " + ScoreText(graze);
  p.texts[2] = "P: " + PadScore(points, 4);
  p.spoken[2] = PointsWord() + " " + ScoreText(points);
  p.texts[3] = "C: " + PadScore(cherry, 7) + "/" + PadScore(cherry_max, 7);
  p.spoken[3] = CherryWord() + " " + ScoreText(cherry) + " / " + CherryMaxWord() + " " +
                ScoreText(cherry_max);
  if (is_root) {
    p.texts[4] = "Spell: " + PadScore(spell_cards, 2);
    p.spoken[4] = SpellCardsWord() + " " + ScoreText(spell_cards);
  } else {
    p.texts[4] = "C+: " + PadScore(cherry_plus, 4);
    p.spoken[4] = CherryPlusWord() + " " + ScoreText(cherry_plus);
  }
  const std::pair<const std::string&, C> counted[] = {
      {BonusItemsWord(), bonus_items},
      {GrazeWord(), graze},
      {PointsWord(), points},
      {CherryWord(), cherry},
      {CherryMaxWord(), cherry_max},
      {is_root ? SpellCardsWord() : CherryPlusWord(), is_root ? spell_cards : cherry_plus}};
  for (const auto& [word, value] : counted) {
    if (!value.InRange()) p.out_of_range.push_back(word);
  }
  return p;
}

std::array<std::string, 5> StatusPanelTexts(const scene_base_t& node) {
  return StatusPanels(node).texts;
}

std::array<std::string, 5> InitialStatusPanelTexts() {
  return {QVL_CP932("☆"), "Graze", "Point", "Cherry/Cherry Max", "Spell/C+"};
}

std::array<std::string, 5> InitialStatusPanelSpoken() {
  return {BonusItemsWord(), GrazeWord(), PointsWord(), CherryWord() + " / " + CherryMaxWord(),
          SpellCardsWord() + " / " + CherryPlusWord()};
}

std::string DifferenceText(checked_score_t d) {
  return d.InRange() ? DifferenceText(d.Value()) : ScoreText(d);
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
