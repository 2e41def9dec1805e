// The one table of a pattern's fields: the file attribute name, the member and
// its kind, and the editor row that shows it. The file reader and writer, the
// JSON export, qvl compare's field setter and the editor's columns all walk
// it, so an attribute name is written here and nowhere else.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/qvl_pattern.h"

namespace qvl {

// One field of pattern class P: exactly one of the three members is set.
template <typename P>
struct pattern_field_t {
  using pattern_type = P;
  std::string_view name;  // the file's attribute name
  std::string P::*text = nullptr;
  bool P::*flag = nullptr;
  score_t P::*score = nullptr;
  // The editor row (1 to 10) that shows the field as it is; 0 for none.
  int editor_row = 0;
};

// Fields shared by both classes, in written order, for either class.
template <typename P>
inline constexpr std::array<pattern_field_t<P>, 11> kBasePatternFields{{
    {.name = "title", .text = &P::title},
    {.name = "memo", .text = &P::memo},
    {.name = "selected", .flag = &P::selected},
    {.name = "player", .score = &P::player},
    {.name = "bomb", .score = &P::bomb},
    {.name = "cherry-max", .score = &P::cherry_max, .editor_row = 2},
    {.name = "cherry-difference", .score = &P::cherry_difference},
    {.name = "cherry-plus", .score = &P::cherry_plus},
    {.name = "border-bonus-times", .score = &P::border_bonus_times, .editor_row = 1},
    {.name = "bonus-item", .score = &P::bonus_item, .editor_row = 7},
    {.name = "point", .score = &P::point, .editor_row = 6},
}};

// The attributes of a pattern element, in written order.
inline constexpr std::array<pattern_field_t<pattern_t>, 4> kScenePatternOwnFields{{
    {.name = "graze", .score = &pattern_t::graze, .editor_row = 4},
    {.name = "spell-card-bonus-base", .score = &pattern_t::spell_card_bonus_base, .editor_row = 8},
    {.name = "enemy-bullet-bonus", .score = &pattern_t::enemy_bullet_bonus, .editor_row = 9},
    {.name = "getting-spell-card", .flag = &pattern_t::getting_spell_card},
}};

// The attributes of a grouped-pattern element after the shared ones.
inline constexpr std::array<pattern_field_t<grouped_pattern_t>, 5> kGroupedPatternOwnFields{{
    {.name = "graze-in-getting-spell-cards",
     .score = &grouped_pattern_t::graze_in_getting_spell_cards,
     .editor_row = 5},
    {.name = "graze-rest", .score = &grouped_pattern_t::graze_rest},
    {.name = "total-spell-card-bonus-base",
     .score = &grouped_pattern_t::total_spell_card_bonus_base,
     .editor_row = 8},
    {.name = "total-enemy-bullet-bonus",
     .score = &grouped_pattern_t::total_enemy_bullet_bonus,
     .editor_row = 9},
    {.name = "getting-spell-cards-number",
     .score = &grouped_pattern_t::getting_spell_cards_number,
     .editor_row = 10},
}};

namespace detail {
template <typename P, std::size_t A, std::size_t B>
constexpr std::array<pattern_field_t<P>, A + B> JoinFields(
    const std::array<pattern_field_t<P>, A>& a, const std::array<pattern_field_t<P>, B>& b) {
  std::array<pattern_field_t<P>, A + B> all{};
  for (std::size_t i = 0; i < A; ++i) all[i] = a[i];
  for (std::size_t i = 0; i < B; ++i) all[A + i] = b[i];
  return all;
}
}  // namespace detail

// Every field of each class in the order the file writes them.
inline constexpr auto kScenePatternFields =
    detail::JoinFields(kBasePatternFields<pattern_t>, kScenePatternOwnFields);
inline constexpr auto kGroupedPatternFields =
    detail::JoinFields(kBasePatternFields<grouped_pattern_t>, kGroupedPatternOwnFields);

// Calls visit(field, pattern) for each field of p's class, in written order,
// with p as that class.
template <typename F>
void ForEachPatternField(const pattern_base_t& p, const F& visit) {
  if (p.Class() == pattern_class_t::Scene) {
    for (const auto& f : kScenePatternFields) visit(f, static_cast<const pattern_t&>(p));
  } else {
    for (const auto& f : kGroupedPatternFields) visit(f, static_cast<const grouped_pattern_t&>(p));
  }
}
template <typename F>
void ForEachPatternField(pattern_base_t& p, const F& visit) {
  if (p.Class() == pattern_class_t::Scene) {
    for (const auto& f : kScenePatternFields) visit(f, static_cast<pattern_t&>(p));
  } else {
    for (const auto& f : kGroupedPatternFields) visit(f, static_cast<grouped_pattern_t&>(p));
  }
}

}  // namespace qvl
