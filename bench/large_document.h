// The large document of the window benchmarks: the Lunatic template's stages
// twenty times over, every scene's current pattern with some numbers.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "model/qvl_document.h"
#include "ui/QtText.h"

namespace qvl::bench {

inline constexpr int kCopies = 20;

// Gives every scene's current pattern some numbers, so that every term of the
// computation has work to do.
inline void FillPatterns(scene_base_t& node, int& n) {
  if (auto* scene = dynamic_cast<scene_t*>(&node)) {
    auto& p = dynamic_cast<pattern_t&>(scene->CurrentPattern());
    ++n;
    p.border_bonus_times = n % 3;
    p.cherry_max = 1000 + n % 700;
    p.graze = 20 + n % 90;
    p.point = 10 + n % 40;
    p.bonus_item = n % 7;
    if (scene->kind == scene_kind_t::SpellCard) {
      p.getting_spell_card = n % 2 == 0;
      p.spell_card_bonus_base = p.getting_spell_card ? 500000 + n : 0;
    }
  }
  if (auto* group = dynamic_cast<group_t*>(&node)) {
    for (int i = 0; i < group->ChildCount(); ++i) FillPatterns(*group->Child(i), n);
  }
}

// The Lunatic template's stages twenty times over, saved as one file.
inline QString WriteLargeDocument(const QString& dir) {
  const QString source = QCoreApplication::applicationDirPath() + "/template/qvl_lunatic.pat";
  root_t big;
  const auto fail = [](const std::string&) { return load_answer_t::Abort; };
  for (int copy = 0; copy < kCopies; ++copy) {
    root_t part;
    if (!LoadDocument(part, ToPath(source), fail)) {
      std::fprintf(stderr, "cannot load %s\n", qPrintable(source));
      std::exit(1);
    }
    if (copy == 0) {
      big.title = part.title;
      big.difficulty = part.difficulty;
    }
    while (part.ChildCount() > 0) big.AddChild(part.Child(0));
  }
  int n = 0;
  FillPatterns(big, n);
  const QString path = QDir(dir).filePath("large.pat");
  if (!SaveDocument(big, ToPath(path)).ok) std::exit(1);
  std::fprintf(stderr, "document: %d stages, %d scenes, %lld bytes\n", big.ChildCount(), n,
               static_cast<long long>(QFileInfo(path).size()));
  return path;
}

}  // namespace qvl::bench
