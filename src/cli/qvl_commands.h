// The commands of qvl, the command-line companion of the window: each reads a
// document through the same core code as the window and prints UTF-8 text.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/qvl_messages.h"
#include "model/qvl_scene.h"

namespace qvl::cli {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitExpressionFailed = 1;
// A value beyond the score range was reported instead of printed.
constexpr int kExitOutOfRange = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;

// A wrong path, field, value or option: the command line is at fault.
class usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A file that could not be read or written; the message is UTF-8.
class file_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A message of the core's table as UTF-8, its placeholders filled with UTF-8
// texts: every message qvl writes follows the chosen language.
[[nodiscard]] std::string CliMessage(message_t id,
                                     std::initializer_list<std::string_view> utf8_args);

// The values that a command could not print because they are beyond the
// score range, each named in a UTF-8 line for standard error.
using out_of_range_t = std::vector<std::string>;

// Loads a document; a missing or unreadable file is a file_error carrying the
// window's load failure message.
void Load(root_t& root, const std::filesystem::path& file);

// "/" is the root, "/2/0" the first child of its third child.
[[nodiscard]] scene_base_t& NodeAt(root_t& root, const std::string& path);
[[nodiscard]] std::string PathOf(const scene_base_t& node);
// "root", "group" or "scene".
[[nodiscard]] std::string ClassName(const scene_base_t& node);
// The kind's text form; "root" for the root.
[[nodiscard]] std::string KindName(const scene_base_t& node);

// A text given on the command line, for the model: the JIS variants of Linux
// and macOS input methods become the code page's own characters; any other
// character a pattern file cannot hold is a usage_error naming it.
[[nodiscard]] std::string ArgumentToCp932(const std::string& utf8);

// A code page 932 text as one tab-separated UTF-8 field: backslash, tab,
// carriage return and line feed are written as \\, \t, \r and \n.
[[nodiscard]] std::string Field(const std::string& cp932);

void Tree(const root_t& root, std::ostream& out);
// pattern_title empty: the node's current pattern.
// A value out of range is printed as the word that says so and reported.
void Explain(const scene_base_t& node, const std::string* pattern_title, std::ostream& out,
             out_of_range_t& reports);
void Compare(const scene_base_t& node, const std::string* pattern_title,
             const std::vector<std::string>& assignments, std::ostream& out,
             out_of_range_t& reports);
void Totals(const scene_base_t& node, std::ostream& out, out_of_range_t& reports);
void Status(const scene_base_t& node, std::ostream& out, out_of_range_t& reports);
// Evaluates each expression afresh; scb reads node (may be null). Returns the
// number of expressions that failed.
int Calc(const scene_base_t* node, const std::vector<std::string>& expressions, std::ostream& out);
// A value out of range is written as null (JSON) or an empty cell (CSV) and
// reported.
void ExportJson(const root_t& root, std::ostream& out, out_of_range_t& reports);
// Title cells that a spreadsheet would run as a formula get a leading "'"
// unless raw.
void ExportCsv(const root_t& root, std::ostream& out, out_of_range_t& reports, bool raw = false);

// Sets one field of a pattern by its file attribute name (UTF-8 value).
void SetPatternField(pattern_base_t& p, const std::string& name, const std::string& value);

}  // namespace qvl::cli
