// The calculator's standard functions and scb, the base value of a spell
// card's bonus for the time left when the card was defeated.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/Calculator.h"
#include "model/qvl_scene.h"
#include "model/qvl_utils.h"

namespace qvl {

// Registers the 32 standard functions (not, div, ABS, PI, … AND, OR) in their
// table order, each with its argument counts and help text.
void RegisterStandardFunctions(TFunctionRegistry& registry);
// Into the program-wide registry.
void RegisterStandardFunctions();

// The help text of a standard function or of scb in the current language
// (letter case of the name ignored); empty for any other name. The registry
// keeps the text of the language it was registered in.
[[nodiscard]] std::string FunctionHelpText(std::string_view name);

// Registers scb (one argument). It reads the node that the evaluating
// calculator's node provider names at every call, so the answer follows that
// calculator's selection.
void RegisterScb(TFunctionRegistry& registry);
// Into the program-wide registry.
void RegisterScb();

// The spell-card values of a node: present for a scene of kind spell-card only.
struct scb_values_t {
  score_t initial_spell_card_bonus = 0;  // S
  score_t time_limit = 0;                // L, seconds
  score_t decrease_rate = 0;             // R, per second
};
[[nodiscard]] std::optional<scb_values_t> ScbValues(const scene_base_t* node);

// scb(t) for a node: 0 unless it is a spell-card scene, otherwise
// min(S, S - (L - trunc(t)) × R + R div 2). EInvalidOp when t is outside the
// signed 64-bit range.
[[nodiscard]] double ScbValue(const scene_base_t* node, double t);

// The input hint for a spell card's bonus base: what to type, and S, L and R.
// Empty for any node that is not a spell-card scene.
[[nodiscard]] std::string ScbHint(const scene_base_t* node);
// The same hint in shorter forms, longest first (ScbHint's first), for a
// place too narrow for the whole: words give way before the figures do.
[[nodiscard]] std::vector<std::string> ScbHintForms(const scene_base_t* node);

}  // namespace qvl
