// qvl: the command-line companion of the window, for route sheets and scripts.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/qvl_commands.h"
#include "cli/qvl_platform.h"
#include "model/qvl_document.h"
#include "model/qvl_file.h"
#include "model/qvl_messages.h"
#include "model/qvl_text.h"

namespace {

using namespace qvl;
using namespace qvl::cli;

// Standard output that could not be written (a full disk, a closed pipe) is a
// failed write like any other: the output is lost, so the exit status says so.
class stdout_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void CheckStandardOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    throw stdout_error(CliMessage(message_t::CliCannotWriteStdout, {std::strerror(errno)}));
  }
}

// Writes to OUT when given, to standard output otherwise. A file is replaced
// whole or not at all, as the window saves.
void WriteOutput(const std::optional<std::filesystem::path>& out_file, const std::string& bytes) {
  if (!out_file) {
    std::cout.flush();  // anything the stream holds goes first
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) CheckStandardOutput();
    CheckStandardOutput();
    return;
  }
  const save_result_t saved = WriteFileAtomically(*out_file, bytes);
  if (!saved.ok)
    throw file_error(FileMessageUtf8(SaveFailureMessage(*out_file, saved.error), *out_file));
}

// --lang when given, else QVL_LANG when set, else Japanese. A QVL_LANG that
// names no language is refused rather than quietly ignored.
language_t ChosenLanguage(const std::string& option) {
  if (!option.empty()) return LanguageFromName(option).value_or(language_t::Japanese);
  const char* env = std::getenv("QVL_LANG");
  if (env == nullptr || *env == '\0') return language_t::Japanese;
  if (const std::optional<language_t> l = LanguageFromName(env)) return *l;
  throw usage_error(CliMessage(message_t::CliBadQvlLang,
                               {env, Cp932ToUtf8(LanguageCodeChoice(CurrentLanguage()))}));
}

// The language as far as it is known before the command line is parsed, so
// that the parser's own complaints are in it too: the first --lang that names
// one, else QVL_LANG, else Japanese. A wrong --lang is the parser's to report.
language_t EarlyLanguage(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    std::string_view value;
    if (arg == "--lang" && i + 1 < argc) {
      value = argv[i + 1];
    } else if (arg.starts_with("--lang=")) {
      value = arg.substr(7);
    } else {
      continue;
    }
    if (const std::optional<language_t> l = LanguageFromName(value)) return *l;
  }
  const char* env = std::getenv("QVL_LANG");
  if (env != nullptr) {
    if (const std::optional<language_t> l = LanguageFromName(env)) return *l;
  }
  return language_t::Japanese;
}

// The text before the first occurrence of separator and the text after it;
// the whole text and nothing without one.
std::pair<std::string, std::string> SplitAt(const std::string& text, std::string_view separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string::npos) return {text, ""};
  return {text.substr(0, at), text.substr(at + separator.size())};
}

// The argument parser's complaint in the chosen language. Its English texts
// are taken apart where the parser builds them from a fixed sentence; any
// other complaint is told in general words (and, in English, as the parser
// says it).
std::string ParseErrorMessage(const CLI::ParseError& e) {
  const std::string what = e.what();
  // By class: a subcommand's complaint is named after the subcommand.
  if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    if (what == "A subcommand is required") return CliMessage(message_t::CliSubcommandRequired, {});
    if (what.ends_with(" is required") && what.find(' ') == what.size() - 12) {
      return CliMessage(message_t::CliRequired, {what.substr(0, what.size() - 12)});
    }
  } else if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
    const auto [option, rest] = SplitAt(what, ": ");
    const auto [value, set] = SplitAt(rest, " not in ");
    if (!set.empty()) return CliMessage(message_t::CliNotOneOf, {option, value, set});
  } else if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    const auto [sentence, arguments] = SplitAt(what, "expected: ");
    if (!arguments.empty()) return CliMessage(message_t::CliNotExpected, {arguments});
  } else if (dynamic_cast<const CLI::RequiresError*>(&e) != nullptr) {
    const auto [option, other] = SplitAt(what, " requires ");
    if (!other.empty()) return CliMessage(message_t::CliNeeds, {option, other});
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
    const auto [option, rest] = SplitAt(what, ": ");
    if (!rest.empty() && what.ends_with(" missing")) {
      return CliMessage(message_t::CliNeedsValue, {option});
    }
  }
  if (CurrentLanguage() == language_t::English) return what;
  return CliMessage(message_t::CliBadCommandLine, {});
}

// A usage error: what is wrong, then where the usage is told.
int UsageFailure(const std::string& message) {
  std::cerr << "qvl: " << message << '\n' << CliMessage(message_t::CliUsageHint, {}) << '\n';
  return kExitUsage;
}

// Everything printed must have reached standard output.
int Finish(int code) {
  try {
    CheckStandardOutput();
  } catch (const stdout_error& e) {
    std::cerr << "qvl: " << e.what() << '\n';
    return kExitFile;
  }
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = StartProcess(argc, argv);
  std::vector<char*> utf8_argv;
  for (std::string& a : arguments) utf8_argv.push_back(a.data());
  argc = static_cast<int>(utf8_argv.size());
  argv = utf8_argv.data();

  CLI::App app{
      "qvl: the score arithmetic of Quovel Pattern Manager on the command line.\n"
      "A node is addressed by 0-based child indexes from the root: / is the root,\n"
      "/2 its third child, /2/0/3 deeper. Texts are printed as UTF-8; inside a\n"
      "tab-separated field, \\ tab CR LF are written as \\\\ \\t \\r \\n.",
      "qvl"};
  app.set_version_flag("--version", "qvl 0.04 (Quovel Pattern Manager)");
  app.require_subcommand(1, 1);
  app.fallthrough(false);
  // Node paths such as /0/1 are arguments, never Windows-style options.
  app.allow_windows_style_options(false);

  std::string language;
  std::vector<std::string> codes;
  for (const language_entry_t& l : kLanguages) codes.emplace_back(l.code);
  app.add_option("--lang", language,
                 "language of messages and of the terms' titles, formulas and notes: " +
                     Cp932ToUtf8(LanguageCodeChoice(language_t::English)) +
                     " (default: QVL_LANG, else " + codes.front() +
                     "); field names stay as they are")
      ->check(CLI::IsMember(codes, CLI::ignore_case));

  std::string file, path, pattern, out_file, format = "json", node_path;
  std::vector<std::string> changes, expressions;

  auto* tree = app.add_subcommand("tree", "one line per node: PATH CLASS KIND TITLE");
  tree->add_option("FILE", file, "pattern file (.pat)")->required();

  auto* explain = app.add_subcommand("explain", "the twelve terms of a node's pattern");
  explain->add_option("FILE", file, "pattern file (.pat)")->required();
  explain->add_option("PATH", path, "node path")->required();
  auto* explain_pattern =
      explain->add_option("--pattern", pattern, "the pattern with this title (default: current)");

  auto* compare =
      app.add_subcommand("compare", "compare the current pattern with a changed copy of a pattern");
  compare->add_option("FILE", file, "pattern file (.pat)")->required();
  compare->add_option("PATH", path, "node path")->required();
  compare->add_option("CHANGES", changes, "FIELD=VALUE with the file's attribute names");
  auto* compare_pattern =
      compare->add_option("--pattern", pattern, "copy this pattern (default: current)");

  auto* totals = app.add_subcommand("totals", "own, before and after totals of a node");
  totals->add_option("FILE", file, "pattern file (.pat)")->required();
  totals->add_option("PATH", path, "node path")->required();

  auto* status = app.add_subcommand("status", "the window's status panels 1 to 5 for a node");
  status->add_option("FILE", file, "pattern file (.pat)")->required();
  status->add_option("PATH", path, "node path")->required();

  auto* calc =
      app.add_subcommand("calc", "evaluate expressions (use -- before one that starts with '-')");
  calc->add_option("EXPR", expressions, "expressions, each evaluated afresh")->required();
  auto* calc_file = calc->add_option("--file", file, "pattern file for scb");
  calc->add_option("--node", node_path, "node whose spell card scb reads")->needs(calc_file);

  auto* normalize =
      app.add_subcommand("normalize", "load and save again (to OUT or standard output)");
  normalize->add_option("FILE", file, "pattern file (.pat)")->required();
  auto* normalize_out = normalize->add_option("-o,--output", out_file, "output file");

  auto* exporter = app.add_subcommand("export", "the whole tree as JSON, or the route as CSV");
  exporter->add_option("FILE", file, "pattern file (.pat)")->required();
  exporter->add_option("--format", format, "json or csv")->check(CLI::IsMember({"json", "csv"}));
  auto* export_out = exporter->add_option("-o,--output", out_file, "output file");
  bool raw = false;
  exporter->add_flag("--raw", raw,
                     "CSV for scripts: titles that start with = + - @ tab or CR stay as they are "
                     "(by default a ' before them keeps a spreadsheet from running them)");

  SetLanguage(EarlyLanguage(argc, argv));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return Finish(app.exit(e));  // --help, --version
    return UsageFailure(ParseErrorMessage(e));
  }

  try {
    // Set before anything builds a text: a load failure, a calculator message.
    SetLanguage(ChosenLanguage(language));
    if (raw && format != "csv") throw usage_error(CliMessage(message_t::CliRawNeedsCsv, {}));
    // An abandoned temporary file given to recover it must outlive our own save's clean-up.
    std::optional<file_in_use_t> input;
    const std::filesystem::path file_path = PathFromUtf8(file);
    if (!file.empty()) input.emplace(file_path);
    std::optional<std::filesystem::path> output;
    if (normalize_out->count() > 0 || export_out->count() > 0) {
      if (out_file.empty()) throw usage_error(CliMessage(message_t::CliOutputNeedsName, {}));
      output = PathFromUtf8(out_file);
    }
    root_t root;
    std::ostringstream out;
    out_of_range_t reports;
    // Values beyond the score range were printed as the word that says so;
    // each is named on standard error, and the exit status tells a script.
    const auto finish = [&reports]() {
      for (const std::string& report : reports) std::cerr << "qvl: " << report << '\n';
      return Finish(reports.empty() ? kExitOk : kExitOutOfRange);
    };
    if (calc->parsed()) {
      const scene_base_t* node = nullptr;
      if (!file.empty()) {
        Load(root, file_path);
        if (!node_path.empty()) node = &NodeAt(root, node_path);
      }
      const int failed = Calc(node, expressions, out);
      WriteOutput(std::nullopt, out.str());
      return Finish(failed == 0 ? kExitOk : kExitExpressionFailed);
    }
    Load(root, file_path);
    if (tree->parsed()) {
      Tree(root, out);
    } else if (explain->parsed()) {
      Explain(NodeAt(root, path), explain_pattern->count() > 0 ? &pattern : nullptr, out, reports);
    } else if (compare->parsed()) {
      Compare(NodeAt(root, path), compare_pattern->count() > 0 ? &pattern : nullptr, changes, out,
              reports);
    } else if (totals->parsed()) {
      Totals(NodeAt(root, path), out, reports);
    } else if (status->parsed()) {
      Status(NodeAt(root, path), out, reports);
    } else if (normalize->parsed()) {
      if (output) {
        const save_result_t saved = SaveDocument(root, *output);
        if (!saved.ok) {
          throw file_error(FileMessageUtf8(SaveFailureMessage(*output, saved.error), *output));
        }
        return Finish(kExitOk);
      }
      // Straight from the one text the writer builds: a copy through the
      // string stream would hold the document three times over.
      WriteOutput(std::nullopt, DocumentText(root));
      return finish();
    } else if (exporter->parsed()) {
      if (format == "csv") {
        ExportCsv(root, out, reports, raw);
      } else if (!output) {
        // Straight to standard output: the JSON of a large document is
        // larger than the document and need not be held whole in memory.
        ExportJson(root, std::cout, reports);
        return finish();
      } else {
        ExportJson(root, out, reports);
      }
    }
    WriteOutput(output, out.str());
    return finish();
  } catch (const usage_error& e) {
    return UsageFailure(e.what());
  } catch (const file_error& e) {
    std::cerr << "qvl: " << e.what() << '\n';
    return kExitFile;
  } catch (const stdout_error& e) {
    std::cerr << "qvl: " << e.what() << '\n';
    return kExitFile;
  } catch (const std::bad_alloc&) {
    // A document too large for the memory there is: its load or its output.
    std::cerr << "qvl: " << CliMessage(message_t::CliOutOfMemory, {}) << '\n';
    return kExitFile;
  }
}
