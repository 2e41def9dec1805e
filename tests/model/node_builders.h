// Small documents for tests, built node by node, with titles written in UTF-8.
#pragma once

#include <memory>
#include <string>

#include "model/qvl_scene.h"
#include "model/qvl_text.h"

namespace qvl {

inline std::unique_ptr<pattern_base_t> ScenePattern(const char* title_utf8, score_t bonus_items,
                                                    bool selected = false) {
  auto p = std::make_unique<pattern_t>();
  p->title = Utf8ToCp932(title_utf8);
  p->bonus_item = bonus_items;
  p->selected = selected;
  return p;
}

inline std::unique_ptr<pattern_base_t> GroupedPattern(const char* title_utf8) {
  auto p = std::make_unique<grouped_pattern_t>();
  p->title = Utf8ToCp932(title_utf8);
  return p;
}

// A node's pattern titles in list order, the current one marked by "=":
// "A=,B".
inline std::string Titles(const scene_base_t& node) {
  std::string titles;
  for (int i = 0; i < node.patterns.Count(); ++i) {
    titles += (i ? "," : "") + node.patterns.Items(i)->title;
    if (node.patterns.Items(i)->selected) titles += "=";
  }
  return titles;
}

template <typename Node>
Node* AddNode(group_t& parent, const char* title_utf8) {
  auto node = std::make_unique<Node>(&parent);
  node->title = Utf8ToCp932(title_utf8);
  return static_cast<Node*>(parent.AddChild(std::move(node)));
}

}  // namespace qvl
