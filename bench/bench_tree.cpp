// `qvl tree` (load the text into the scene tree, then print one line per node)
// beside its yardstick: a plain reader that goes over the same text once,
// front to back, with no model and no tree, and prints the same lines. The two
// run in turn within each iteration on documents of 16, 64 and 256 copies of
// the Lunatic template's stages, and `ratio` is the CPU time of the first over
// the second: the price of the model. Each 4× step of the document should cost
// about 4× (at most 4.5×).
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/qvl_commands.h"
#include "large_document_core.h"
#include "sxml/USXMLSub.h"

namespace {

using namespace qvl;

// The yardstick. It knows only what the writer lays out (no comments, names
// without escapes) and reads a node's kind and title from its attribute list;
// it is not a reader for the program.
class plain_tree_reader_t {
 public:
  explicit plain_tree_reader_t(std::string_view text) : s_(text) {}

  void Print(std::ostream& out) {
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '(') {
        ++i_;
        const std::string_view name = Token();
        if (name == "@") {
          Attributes(out);
        } else {
          Open(name);
        }
      } else if (c == ')') {
        ++i_;
        if (!open_.empty()) {
          path_.resize(open_.back().path_length);
          open_.pop_back();
        }
      } else if (c == '"') {
        String();  // character data: no node
      } else {
        ++i_;
      }
    }
  }

 private:
  struct open_t {
    std::size_t path_length;  // of the path before this element's own part
    int children = 0;         // nodes among its children so far
    std::string_view name;
  };

  [[nodiscard]] static bool IsNode(std::string_view name) {
    return name == "root" || name == "group" || name == "scene";
  }

  std::string_view Token() {
    const std::size_t start = i_;
    while (i_ < s_.size() && !sxml::IsDelimiter(static_cast<unsigned char>(s_[i_]))) ++i_;
    return s_.substr(start, i_ - start);
  }

  // From the opening quote to past the closing one; the bytes between them
  // with the escapes taken out.
  std::string String() {
    std::string value;
    ++i_;
    unsigned char previous = 0;
    while (i_ < s_.size()) {
      auto c = static_cast<unsigned char>(s_[i_++]);
      if (c == '\\' && !sxml::IsLeadByte(previous) && i_ < s_.size()) {
        c = static_cast<unsigned char>(s_[i_++]);
      } else if (c == '"') {
        break;
      }
      value.push_back(static_cast<char>(c));
      previous = c;
    }
    return value;
  }

  void Open(std::string_view name) {
    const std::size_t length = path_.size();
    if (IsNode(name) && !open_.empty()) {
      path_.append("/").append(std::to_string(open_.back().children++));
    }
    open_.push_back({length, 0, name});
  }

  // The attribute list of the innermost element: a node prints its line.
  void Attributes(std::ostream& out) {
    std::string kind;
    std::string title;
    while (i_ < s_.size() && s_[i_] != ')') {
      if (s_[i_] != '(') {
        ++i_;
        continue;
      }
      ++i_;
      const std::string_view name = Token();
      while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != ')') ++i_;
      std::string value = i_ < s_.size() && s_[i_] == '"' ? String() : std::string();
      while (i_ < s_.size() && s_[i_] != ')') ++i_;
      ++i_;
      if (name == "kind") kind = std::move(value);
      if (name == "title") title = std::move(value);
    }
    ++i_;
    if (open_.empty() || !IsNode(open_.back().name)) return;
    const std::string_view element = open_.back().name;
    const bool root = element == "root";
    out << (path_.empty() ? std::string_view("/") : std::string_view(path_)) << '\t' << element
        << '\t' << (root ? std::string("root") : kind) << '\t' << cli::Field(title) << '\n';
  }

  std::string_view s_;
  std::size_t i_ = 0;
  std::string path_;
  std::vector<open_t> open_;
};

std::string QvlTree(std::string_view text) {
  root_t root;
  if (!LoadDocumentFromText(root, text).ok) return "load failed";
  std::ostringstream out;
  cli::Tree(root, out);
  return std::move(out).str();
}

std::string PlainTree(std::string_view text) {
  std::ostringstream out;
  plain_tree_reader_t(text).Print(out);
  return std::move(out).str();
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_TreeAgainstPlainReader(benchmark::State& state) {
  const int copies = static_cast<int>(state.range(0));
  const std::string text = DocumentText(*bench::MakeLargeDocument(
      std::filesystem::path(QVL_TEMPLATE_DIR) / "qvl_lunatic.pat", copies));
  if (QvlTree(text) != PlainTree(text)) {
    state.SkipWithError("the yardstick prints other lines than qvl tree");
    return;
  }
  double qvl = 0;
  double plain = 0;
  for (auto _ : state) {
    double start = CpuSeconds();
    benchmark::DoNotOptimize(QvlTree(text).size());
    qvl += CpuSeconds() - start;
    start = CpuSeconds();
    benchmark::DoNotOptimize(PlainTree(text).size());
    plain += CpuSeconds() - start;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["qvl_tree_ms"] = qvl / n * 1e3;
  state.counters["plain_ms"] = plain / n * 1e3;
  state.counters["ratio"] = plain > 0 ? qvl / plain : 0;
}
BENCHMARK(BM_TreeAgainstPlainReader)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace
