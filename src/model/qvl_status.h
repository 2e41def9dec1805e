// The texts of the running totals that the window's status bar and the
// command-line tool show for one node, and the signed text of a difference.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/qvl_scene.h"

namespace qvl {

// Panels 1 to 5 of the status bar for a single shown node: bonus items, graze,
// point items, cherry/cherry max and spell cards (root) or C+ (any other node).
// The root shows its own totals, every other node the totals of everything
// before it. May add an empty pattern to nodes without one, like any total.
[[nodiscard]] std::array<std::string, 5> StatusPanelTexts(const scene_base_t& node);

// The same panels as a listener hears them: what each counts in words, then
// its value without the padding ("得点アイテム 24348" for "P: 24348").
struct status_panels_t {
  std::array<std::string, 5> texts;
  std::array<std::string, 5> spoken;
  // What the panels that show "桁あふれ" count, in words: their totals are
  // beyond the score range.
  std::vector<std::string> out_of_range;
};
[[nodiscard]] status_panels_t StatusPanels(const scene_base_t& node);

// The texts the status bar starts with, before any node is shown.
[[nodiscard]] std::array<std::string, 5> InitialStatusPanelTexts();
// What the panels count, in words, for panels that show no value: at the
// start, and panels 1 to 3 after the editor was cleared.
[[nodiscard]] std::array<std::string, 5> InitialStatusPanelSpoken();

// The text of a difference: "+" before a positive value, "-" before a negative
// one, nothing before 0. The most negative value keeps all its digits.
[[nodiscard]] std::string DifferenceText(score_t d);
// The same, or "桁あふれ" / "overflow" for a difference out of range.
[[nodiscard]] std::string DifferenceText(checked_score_t d);

// printf's "%<width>d" for a score: left-padded with blanks, never cut.
// printf's "%<width>d" for a score: left-padded with blanks, never cut; a score
// out of range is the word that says so.
[[nodiscard]] std::string PadScore(checked_score_t v, int width);

}  // namespace qvl
