// The route's CSV export (qvl export --format csv) on documents made of 1, 4,
// 16 and 64 copies of the Lunatic template's stages in one root, every scene
// with numbers to compute. The export walks the route once, so each 4× step
// should cost about 4× (at most 5×).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/qvl_commands.h"
#include "model/qvl_document.h"

namespace {

using namespace qvl;

void FillPatterns(scene_base_t& node, score_t& n) {
  if (group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) FillPatterns(*group->Child(i), n);
    return;
  }
  auto& p = AsScenePattern(node.CurrentPattern());
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

std::unique_ptr<root_t> MakeDocument(int copies) {
  const std::filesystem::path source = std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_lunatic.pat";
  auto big = std::make_unique<root_t>();
  for (int copy = 0; copy < copies; ++copy) {
    root_t part;
    if (!LoadDocument(part, source, nullptr)) {
      std::fprintf(stderr, "cannot load %s\n", source.c_str());
      std::exit(1);
    }
    big->difficulty = part.difficulty;
    while (part.ChildCount() > 0) big->AddChild(part.Child(0));
  }
  big->NormalizePatterns();
  score_t n = 0;
  FillPatterns(*big, n);
  return big;
}

void BM_ExportCsv(benchmark::State& state) {
  const int copies = static_cast<int>(state.range(0));
  const std::unique_ptr<root_t> root = MakeDocument(copies);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream out;
    cli::ExportCsv(*root, out);
    bytes = out.str().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["csv_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportCsv)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
