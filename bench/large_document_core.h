// The large document of the benchmarks, without Qt: copies of the Lunatic
// template's stages in one root, every scene's current pattern with numbers.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "model/qvl_document.h"

namespace qvl::bench {

// Gives every scene's current pattern some numbers, so that every term of the
// computation has work to do; n counts the scenes filled so far.
inline void FillPatterns(scene_base_t& node, score_t& n) {
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) FillPatterns(*group->Child(i), n);
    return;
  }
  auto& p = AsScenePattern(*node.patterns.Current());
  const auto& scene = static_cast<const scene_t&>(node);
  ++n;
  p.border_bonus_times = n % 3;
  p.cherry_max = 1000 + n % 700;
  p.graze = 20 + n % 90;
  p.point = 10 + n % 40;
  p.bonus_item = n % 7;
  if (scene.kind == scene_kind_t::SpellCard) {
    p.getting_spell_card = n % 2 == 0;
    p.spell_card_bonus_base = p.getting_spell_card ? 500000 + n : 0;
  }
}

// The stages of the Lunatic template at `lunatic`, `copies` times over in one
// root with the template's title and difficulty, every scene filled; `scenes`,
// when given, receives the number of scenes. A template that cannot be loaded
// ends the program: no figure would mean anything without it.
inline std::unique_ptr<root_t> MakeLargeDocument(const std::filesystem::path& lunatic, int copies,
                                                 score_t* scenes = nullptr) {
  auto big = std::make_unique<root_t>();
  for (int copy = 0; copy < copies; ++copy) {
    root_t part;
    if (!LoadDocument(part, lunatic, nullptr)) {
      std::fprintf(stderr, "cannot load %s\n", lunatic.string().c_str());
      std::exit(1);
    }
    if (copy == 0) {
      big->title = part.title;
      big->difficulty = part.difficulty;
    }
    while (part.ChildCount() > 0) big->AddChild(part.Child(0));
  }
  big->NormalizePatterns();
  score_t n = 0;
  FillPatterns(*big, n);
  if (scenes != nullptr) *scenes = n;
  return big;
}

}  // namespace qvl::bench
