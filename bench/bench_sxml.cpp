// Load and save of a large pattern file (twenty copies of the Lunatic template):
// the SXML reader into its element tree and into no tree at all, the whole
// load into the scene tree, and the save text.
// Where pugixml is installed, the same content as XML is parsed and written by
// pugixml in the same run, so the ratios can be read side by side; the load
// and pugixml's parse also run in turn for a ratio of their own. Last, the
// peak memory of `qvl tree` and of the exports on a document of about 20 MB,
// as a multiple of the file's size.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "large_document_core.h"
#include "model/qvl_document.h"
#include "model/qvl_text.h"
#include "sxml/USXMLSub.h"

#ifdef QVL_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace {

using namespace qvl;

// Stages of forty scenes with forty patterns each, with Japanese titles and
// memos: about 1 MB of text per stage, for the peak memory of qvl on 20 MB.
std::unique_ptr<root_t> MakeLargeDocument(int stages = 6) {
  auto root = std::make_unique<root_t>();
  root->difficulty = difficulty_t::Lunatic;
  root->title = "Quovel Lunatic";
  const std::string memo = Utf8ToCp932("ボム抜け\r\n表裏の\\パターン \"安定\"");
  score_t n = 0;
  for (int s = 0; s < stages; ++s) {
    auto* stage = static_cast<group_t*>(root->AddChild(std::make_unique<group_t>(root.get())));
    stage->kind = group_kind_t::Stage;
    stage->title = Utf8ToCp932(std::to_string(s + 1) + "面");
    for (int c = 0; c < 40; ++c) {
      auto* scene = static_cast<scene_t*>(stage->AddChild(std::make_unique<scene_t>(stage)));
      scene->kind = c % 2 == 0 ? scene_kind_t::SpellCard : scene_kind_t::Way;
      scene->title = Utf8ToCp932("幻符「ソヨカの表」") + std::to_string(c);
      scene->point = 20 + c;
      scene->initial_spell_card_bonus = 20000000 + c;
      scene->time_limit = 60;
      scene->decrease_rate = 200000;
      for (int p = 0; p < 40; ++p) {
        auto pattern = std::make_unique<pattern_t>();
        pattern->title = Utf8ToCp932("パターン") + std::to_string(p);
        pattern->memo = p % 4 == 0 ? memo : std::string();
        pattern->cherry_max = 50000 + ++n;
        pattern->border_bonus_times = n % 7;
        pattern->graze = 100 + n % 300;
        pattern->point = n % 60;
        pattern->bonus_item = n % 13;
        pattern->spell_card_bonus_base = 12345678 - n;
        pattern->cherry_difference = -(n % 5);
        pattern->getting_spell_card = n % 3 != 0;
        scene->patterns.AddSorted(std::move(pattern));
      }
    }
  }
  return root;
}

// Twenty copies of the Lunatic template's stages (about 2 MB): the document
// that the load and save figures are read on.
std::unique_ptr<root_t> LunaticDocument() {
  return bench::MakeLargeDocument(std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_lunatic.pat", 20);
}

const std::string& LargeText() {
  static const std::string text = DocumentText(*LunaticDocument());
  return text;
}

void BM_SxmlParse(benchmark::State& state) {
  const std::string& text = LargeText();
  for (auto _ : state) {
    sxml::TSXMLDoc doc;
    doc.LoadFromBuffer(text);
    benchmark::DoNotOptimize(doc.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_SxmlParse)->Unit(benchmark::kMillisecond);

// The reader alone: every element, attribute and text handed to a handler
// that keeps nothing, so neither a tree nor the model hides its own speed.
void BM_SxmlRead(benchmark::State& state) {
  struct ignore_t final : sxml::TSXMLHandler {
    void StartElement(std::string_view, std::size_t) override {}
    void EndElement() override {}
    void Attribute(std::string_view, std::string_view value) override {
      benchmark::DoNotOptimize(value.data());
    }
    void Text(std::string&) override {}
  };
  const std::string& text = LargeText();
  for (auto _ : state) {
    ignore_t handler;
    sxml::ParseSXML(text, handler, sxml::unclosed_t::Refuse);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_SxmlRead)->Unit(benchmark::kMillisecond);

void BM_DocumentLoad(benchmark::State& state) {
  const std::string& text = LargeText();
  for (auto _ : state) {
    root_t root;
    if (!LoadDocumentFromText(root, text)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(root.ChildCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_DocumentLoad)->Unit(benchmark::kMillisecond);

void BM_DocumentSave(benchmark::State& state) {
  auto root = LunaticDocument();
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string text = DocumentText(*root);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
}
BENCHMARK(BM_DocumentSave)->Unit(benchmark::kMillisecond);

#ifdef QVL_HAVE_PUGIXML

void CopyToXml(const sxml::TSXMLElement& from, pugi::xml_node to) {
  from.ForEachAttribute([&](std::string_view name, std::string_view value) {
    if (name.empty()) return;
    to.append_attribute(std::string(name).c_str()) = std::string(value).c_str();
  });
  for (const auto& child : from.Children()) {
    if (child->IsText()) {
      to.append_child(pugi::node_pcdata).set_value(child->Text().c_str());
    } else {
      CopyToXml(*child, to.append_child(child->Text().c_str()));
    }
  }
}

// The same document as XML: one element per SXML element, the same
// attributes, indented by two spaces.
const std::string& LargeXml() {
  static const std::string xml = [] {
    sxml::TSXMLDoc sxml_doc;
    sxml_doc.LoadFromBuffer(LargeText());
    pugi::xml_document doc;
    CopyToXml(sxml_doc, doc);
    struct writer_t : pugi::xml_writer {
      std::string out;
      void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
      }
    } writer;
    doc.save(writer, "  ");
    return writer.out;
  }();
  return xml;
}

void BM_PugiParse(benchmark::State& state) {
  const std::string& xml = LargeXml();
  for (auto _ : state) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(xml.data(), xml.size());
    if (!result) state.SkipWithError(result.description());
    benchmark::DoNotOptimize(doc.first_child());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(xml.size()));
  state.counters["MB"] = static_cast<double>(xml.size()) / 1e6;
}
BENCHMARK(BM_PugiParse)->Unit(benchmark::kMillisecond);

void BM_PugiSave(benchmark::State& state) {
  const std::string& xml = LargeXml();
  pugi::xml_document doc;
  doc.load_buffer(xml.data(), xml.size());
  struct writer_t : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
      out.append(static_cast<const char*>(data), size);
    }
  };
  std::size_t size = 0;
  for (auto _ : state) {
    writer_t writer;
    doc.save(writer, "  ");
    size = writer.out.size();
    benchmark::DoNotOptimize(writer.out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
}
BENCHMARK(BM_PugiSave)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The load (parse and model, the root freed again) and pugixml's parse of the
// same content in turn within each iteration, so that both see the same
// machine: `ratio` is the load's bytes per CPU second over pugixml's.
void BM_LoadAgainstPugixml(benchmark::State& state) {
  const std::string& text = LargeText();
  const std::string& xml = LargeXml();
  double load = 0;
  double pugi = 0;
  for (auto _ : state) {
    double start = CpuSeconds();
    {
      root_t root;
      if (!LoadDocumentFromText(root, text)) state.SkipWithError("load failed");
      benchmark::DoNotOptimize(root.ChildCount());
    }
    load += CpuSeconds() - start;
    start = CpuSeconds();
    {
      pugi::xml_document doc;
      if (!doc.load_buffer(xml.data(), xml.size())) state.SkipWithError("pugixml failed");
      benchmark::DoNotOptimize(doc.first_child());
    }
    pugi += CpuSeconds() - start;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["load_ms"] = load / n * 1e3;
  state.counters["pugi_ms"] = pugi / n * 1e3;
  state.counters["ratio"] = load > 0 && pugi > 0 ? (static_cast<double>(text.size()) / load) /
                                                       (static_cast<double>(xml.size()) / pugi)
                                                 : 0;
}
BENCHMARK(BM_LoadAgainstPugixml)->Unit(benchmark::kMillisecond);

// The save text of the 20 MB document and pugixml's writing of the same
// content as XML, in turn within each iteration: `ratio` is our bytes per CPU
// second over pugixml's (at least 1). Both write into a fresh string each
// time, as a save does.
void BM_SaveAgainstPugixml(benchmark::State& state) {
  const std::unique_ptr<root_t> root = MakeLargeDocument(21);
  const std::string text = DocumentText(*root);
  pugi::xml_document doc;
  {
    sxml::TSXMLDoc sxml_doc;
    sxml_doc.LoadFromBuffer(text);
    CopyToXml(sxml_doc, doc);
  }
  struct writer_t : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
      out.append(static_cast<const char*>(data), size);
    }
  };
  double save = 0;
  double pugi = 0;
  std::size_t xml_size = 0;
  for (auto _ : state) {
    double start = CpuSeconds();
    {
      const std::string saved = DocumentText(*root);
      benchmark::DoNotOptimize(saved.data());
    }
    save += CpuSeconds() - start;
    start = CpuSeconds();
    {
      writer_t writer;
      doc.save(writer, "  ");
      xml_size = writer.out.size();
      benchmark::DoNotOptimize(writer.out.data());
    }
    pugi += CpuSeconds() - start;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["save_ms"] = save / n * 1e3;
  state.counters["pugi_ms"] = pugi / n * 1e3;
  state.counters["ratio"] = save > 0 && pugi > 0 ? (static_cast<double>(text.size()) / save) /
                                                       (static_cast<double>(xml_size) / pugi)
                                                 : 0;
}
BENCHMARK(BM_SaveAgainstPugixml)->Unit(benchmark::kMillisecond);

#endif

#ifdef QVL_CLI

// /usr/bin/time measures the peak of its child alone; a child of this process
// would carry the benchmark's own peak into its figure. `peak_per_file` is
// the peak over the size of the file, whose text is given.
void QvlPeakMemory(benchmark::State& state, const std::string& arguments, const std::string& text) {
  if (::access("/usr/bin/time", X_OK) != 0) {
    state.SkipWithError("needs /usr/bin/time");
    return;
  }
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("qvl_bench_" + std::to_string(::getpid()) + ".pat");
  const std::size_t size = text.size();
  std::ofstream(file, std::ios::binary) << text;
  const std::string command =
      "/usr/bin/time -f %M " QVL_CLI " " + arguments + " " + file.string() + " 2>&1 >/dev/null";
  long peak_kb = 0;
  for (auto _ : state) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    long kb = 0;
    if (pipe == nullptr || std::fscanf(pipe, "%ld", &kb) != 1) state.SkipWithError("no figure");
    if (pipe != nullptr) ::pclose(pipe);
    peak_kb = kb > peak_kb ? kb : peak_kb;
  }
  std::filesystem::remove(file);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(peak_kb) * 1024 / 1e6;
  state.counters["peak_per_file"] = static_cast<double>(peak_kb) * 1024 / static_cast<double>(size);
}

void BM_QvlTreePeakMemory(benchmark::State& state) {
  QvlPeakMemory(state, "tree", DocumentText(*MakeLargeDocument(21)));
}
BENCHMARK(BM_QvlTreePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// The JSON export should stay within 2x the file, as the CSV export does.
void BM_QvlExportJsonPeakMemory(benchmark::State& state) {
  QvlPeakMemory(state, "export --format json", DocumentText(*MakeLargeDocument(21)));
}
BENCHMARK(BM_QvlExportJsonPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_QvlExportCsvPeakMemory(benchmark::State& state) {
  QvlPeakMemory(state, "export --format csv", DocumentText(*MakeLargeDocument(21)));
}
BENCHMARK(BM_QvlExportCsvPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// Load and save again to standard output: the model and the one text the
// writer builds, no more (at most 2x the file).
void BM_QvlNormalizePeakMemory(benchmark::State& state) {
  QvlPeakMemory(state, "normalize", DocumentText(*MakeLargeDocument(21)));
}
BENCHMARK(BM_QvlNormalizePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// One group of 640,000 scenes, each written with its title alone (the file
// may leave out what is default): the model's cost per scene against the few
// bytes a scene takes in the file (the goal is at most 4x).
void BM_QvlTreeWideGroupPeakMemory(benchmark::State& state) {
  std::string text = "(root (group";
  for (int i = 0; i < 640000; ++i) text += " (scene (@ (title \"" + std::to_string(i) + "\")))";
  text += "))\r\n";
  QvlPeakMemory(state, "tree", text);
}
BENCHMARK(BM_QvlTreeWideGroupPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

#endif

}  // namespace
