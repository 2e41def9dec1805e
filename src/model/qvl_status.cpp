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

namespace {

// What the panels count, as a listener hears it.
const std::string& BonusItemsWord() {
  return QVL_CP932("ボーナスアイテム");
}
const std::string& GrazeWord() {
  return QVL_CP932("かすり");
}
const std::string& PointsWord() {
  return QVL_CP932("得点アイテム");
}
const std::string& CherryWord() {
  return QVL_CP932("桜点");
}
const std::string& CherryMaxWord() {
  return QVL_CP932("最大");
}
const std::string& SpellCardsWord() {
  return QVL_CP932("取得スペルカード枚数");
}
const std::string& CherryPlusWord() {
  return QVL_CP932("桜点プラス");
}

}  // namespace

status_panels_t StatusPanels(const scene_base_t& node) {
  const bool is_root = node.Class() == node_class_t::Root;
  const grouped_pattern_t t = is_root ? node.OwnTotals() : node.TotalsBefore();
  const score_t base = InitialCherry(node.GetDifficulty());
  const score_t cherry = WrapAdd(base, t.GainedCherry());
  const score_t cherry_max = WrapAdd(base, t.cherry_max);
  const score_t cherry_plus = WrapAdd(1000, WrapMul(100, t.getting_spell_cards_number));
  status_panels_t p;
  p.texts[0] = QVL_CP932("☆: ") + PadScore(t.bonus_item, 5);
  p.spoken[0] = BonusItemsWord() + " " + ScoreText(t.bonus_item);
  p.texts[1] = "G: " + PadScore(t.TotalGraze(), 5);
  p.spoken[1] = GrazeWord() + " " + ScoreText(t.TotalGraze());
  p.texts[2] = "P: " + PadScore(t.point, 4);
  p.spoken[2] = PointsWord() + " " + ScoreText(t.point);
  p.texts[3] = "C: " + PadScore(cherry, 7) + "/" + PadScore(cherry_max, 7);
  p.spoken[3] = CherryWord() + " " + ScoreText(cherry) + " / " + CherryMaxWord() + " " +
                ScoreText(cherry_max);
  if (is_root) {
    p.texts[4] = "Spell: " + PadScore(t.getting_spell_cards_number, 2);
    p.spoken[4] = SpellCardsWord() + " " + ScoreText(t.getting_spell_cards_number);
  } else {
    p.texts[4] = "C+: " + PadScore(cherry_plus, 4);
    p.spoken[4] = CherryPlusWord() + " " + ScoreText(cherry_plus);
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
