// The route's CSV export (qvl export --format csv) on documents made of 1, 4,
// 16 and 64 copies of the Lunatic template's stages in one root, every scene
// with numbers to compute. The export walks the route once, so each 4× step
// should cost about 4× (at most 5×).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/qvl_commands.h"
#include "large_document_core.h"

namespace {

using namespace qvl;

void BM_ExportCsv(benchmark::State& state) {
  const int copies = static_cast<int>(state.range(0));
  const std::unique_ptr<root_t> root =
      bench::MakeLargeDocument(std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_lunatic.pat", copies);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream out;
    cli::out_of_range_t reports;
    cli::ExportCsv(*root, out, reports);
    bytes = out.str().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["csv_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportCsv)->Arg(1)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
