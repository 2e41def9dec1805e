// The one table of the node elements' attributes (root, group, scene): the
// file attribute name, the member and its form. The file reader and writer
// and the JSON export all walk it, as they walk the pattern field table, so a
// node's attribute name is written here and nowhere else.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <type_traits>

#include "model/qvl_scene.h"

namespace qvl {

// The element names of the three node classes, which the JSON export also
// gives as a node's class.
inline constexpr std::string_view kRootElement = "root";
inline constexpr std::string_view kGroupElement = "group";
inline constexpr std::string_view kSceneElement = "scene";

[[nodiscard]] constexpr std::string_view NodeElementName(node_class_t c) {
  switch (c) {
    case node_class_t::Root:
      return kRootElement;
    case node_class_t::Group:
      return kGroupElement;
    case node_class_t::Scene:
      return kSceneElement;
  }
  return {};
}

// One attribute of node class N. Exactly one member is set, except for a
// constant, which has none: it is written as `constant` and never read.
template <typename N>
struct node_field_t {
  using node_type = N;
  std::string_view name;  // the file's attribute name
  std::string N::*text = nullptr;
  bool N::*flag = nullptr;
  score_t N::*score = nullptr;
  difficulty_t N::*difficulty = nullptr;
  group_kind_t N::*group_kind = nullptr;
  scene_kind_t N::*scene_kind = nullptr;
  std::string_view constant{};
  // Written and read for spell cards only.
  bool spell_card_only = false;
};

// The attributes of each element, in written order.
inline constexpr std::array<node_field_t<root_t>, 5> kRootFields{{
    {.name = "game", .constant = "Quovel"},
    {.name = "difficulty", .difficulty = &root_t::difficulty},
    {.name = "title", .text = &root_t::title},
    {.name = "memo", .text = &root_t::memo},
    {.name = "grouping", .flag = &root_t::grouping},
}};

inline constexpr std::array<node_field_t<group_t>, 4> kGroupFields{{
    {.name = "kind", .group_kind = &group_t::kind},
    {.name = "title", .text = &group_t::title},
    {.name = "memo", .text = &group_t::memo},
    {.name = "grouping", .flag = &group_t::grouping},
}};

inline constexpr std::array<node_field_t<scene_t>, 7> kSceneFields{{
    {.name = "kind", .scene_kind = &scene_t::kind},
    {.name = "title", .text = &scene_t::title},
    {.name = "point", .score = &scene_t::point},
    {.name = "initial-spell-card-bonus",
     .score = &scene_t::initial_spell_card_bonus,
     .spell_card_only = true},
    {.name = "time-limit", .score = &scene_t::time_limit, .spell_card_only = true},
    {.name = "decrease-rate", .score = &scene_t::decrease_rate, .spell_card_only = true},
    {.name = "memo", .text = &scene_t::memo},
}};

// The table of class N.
template <typename N>
[[nodiscard]] constexpr const auto& NodeFieldsOf() {
  if constexpr (std::is_same_v<N, root_t>) {
    return kRootFields;
  } else if constexpr (std::is_same_v<N, group_t>) {
    return kGroupFields;
  } else {
    static_assert(std::is_same_v<N, scene_t>);
    return kSceneFields;
  }
}

// The text form of a field that is not a flag or a number: a text as it is,
// a difficulty or a kind by its name, a constant.
template <typename N>
[[nodiscard]] std::string NodeFieldText(const node_field_t<N>& f, const N& node) {
  if (f.text) return node.*f.text;
  if (f.difficulty) return DifficultyName(node.*f.difficulty);
  if (f.group_kind) return GroupKindName(node.*f.group_kind);
  if (f.scene_kind) return SceneKindName(node.*f.scene_kind);
  return std::string(f.constant);
}

// Calls visit(field, node) for each field of node's class, in written order,
// with node as that class.
template <typename F>
void ForEachNodeField(const scene_base_t& node, const F& visit) {
  switch (node.Class()) {
    case node_class_t::Root:
      for (const auto& f : kRootFields) visit(f, *node.AsRoot());
      return;
    case node_class_t::Group:
      for (const auto& f : kGroupFields) visit(f, *node.AsGroup());
      return;
    case node_class_t::Scene:
      for (const auto& f : kSceneFields) visit(f, *node.AsScene());
      return;
  }
}

}  // namespace qvl
