#include "cli/qvl_commands.h"

#include <charconv>
#include <string_view>

#include "calc/CalcCustom.h"
#include "calc/CalcInput.h"
#include "calc/Calculator.h"
#include "model/qvl_document.h"
#include "model/qvl_messages.h"
#include "model/qvl_node_fields.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_status.h"
#include "model/qvl_text.h"

namespace qvl::cli {

std::string Field(const std::string& cp932) {
  const std::string text = Cp932ToUtf8(cp932);
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string ArgumentToCp932(const std::string& utf8) {
  cp932_input_t in = InputToCp932(utf8);
  if (in.unconvertible.empty()) return std::move(in.text);
  throw usage_error("'" + utf8 + "' cannot be stored in a pattern file (Shift_JIS): " +
                    NameCodePoints(in.unconvertible));
}

void Load(root_t& root, const std::filesystem::path& file) {
  // The loader opens the file before it asks what it is, so a pipe or a
  // folder put under the name is refused rather than waited on.
  std::string message;
  const bool loaded = LoadDocument(root, file, [&message](const std::string& text) {
    message = text;
    return load_answer_t::Abort;
  });
  if (loaded) return;
  // The window's loader takes a file that is gone as nothing to ask about;
  // here a missing file is the caller's mistake and must not print an empty tree.
  if (message.empty()) message = LoadFailureMessage(file, Message(message_t::FileNotFound));
  throw file_error(FileMessageUtf8(message, file));
}

scene_base_t& NodeAt(root_t& root, const std::string& path) {
  if (path.empty() || path.front() != '/') {
    throw usage_error("bad node path '" + path + "': a path starts with '/'");
  }
  scene_base_t* node = &root;
  std::size_t i = 1;
  while (i < path.size()) {
    const std::size_t end = std::min(path.find('/', i), path.size());
    const std::string part = path.substr(i, end - i);
    int index = -1;
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), index);
    group_t* group = node->AsGroup();
    if (part.empty() || ec != std::errc() || ptr != part.data() + part.size() || group == nullptr ||
        index < 0 || index >= group->ChildCount()) {
      throw usage_error("bad node path '" + path + "': no node at '" + part + "'");
    }
    node = group->Child(index);
    i = end + 1;
  }
  return *node;
}

std::string PathOf(const scene_base_t& node) {
  std::string path;
  for (const scene_base_t* n = &node; n->parent() != nullptr; n = n->parent()) {
    path.insert(0, "/" + std::to_string(n->parent()->IndexOfChild(n)));
  }
  return path.empty() ? "/" : path;
}

std::string ClassName(const scene_base_t& node) {
  return std::string(NodeElementName(node.Class()));
}

std::string KindName(const scene_base_t& node) {
  if (const scene_t* scene = node.AsScene()) return SceneKindName(scene->kind);
  // The root's kind is neither written nor read: it is shown as what it is.
  return node.AsRoot() != nullptr ? GroupKindName(group_kind_t::Root)
                                  : GroupKindName(node.AsGroup()->kind);
}

namespace {

const pattern_base_t& PatternNamed(const scene_base_t& node, const std::string* title) {
  if (title == nullptr) return node.CurrentPattern();
  // Titles are held as the file keeps them; so is the one asked for.
  const std::string wanted = NormalizeTextForFile(ArgumentToCp932(*title));
  for (int i = 0; i < node.patterns.Count(); ++i) {
    if (node.patterns.Items(i)->title == wanted) return *node.patterns.Items(i);
  }
  throw usage_error("no pattern titled '" + *title + "' at " + PathOf(node));
}

void PrintValue(const pattern_value_t& v, std::ostream& out) {
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) {
    const value_element_t& e = v[i];
    out << i << '\t' << e.value << '\t' << Field(e.title) << '\t' << Field(e.expr) << '\t'
        << Field(e.formula) << '\t' << Field(e.notes) << '\n';
  }
  out << "total\t" << v.Total() << '\n';
}

score_t ParseScore(const std::string& name, const std::string& value) {
  score_t v = 0;
  const char* begin = value.data();
  const char* end = value.data() + value.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (begin == end || ec != std::errc() || ptr != end) {
    throw usage_error("bad value '" + value + "' for " + name +
                      ": a whole number in the signed 64-bit range is expected");
  }
  return v;
}

bool ParseBool(const std::string& name, const std::string& value) {
  const std::string lower = LowerAsciiCp932(value);
  if (lower == "true") return true;
  if (lower == "false") return false;
  throw usage_error("bad value '" + value + "' for " + name + ": true or false is expected");
}

}  // namespace

void SetPatternField(pattern_base_t& p, const std::string& name, const std::string& value) {
  bool found = false;
  ForEachPatternField(p, [&](const auto& f, auto& pattern) {
    if (found || name != f.name) return;
    found = true;
    if (f.text) {
      pattern.*f.text = NormalizeTextForFile(ArgumentToCp932(value));
    } else if (f.flag) {
      pattern.*f.flag = ParseBool(name, value);
    } else {
      pattern.*f.score = ParseScore(name, value);
    }
  });
  if (found) return;
  throw usage_error("unknown field '" + name + "' for a " +
                    (p.Class() == pattern_class_t::Scene ? "scene" : "group") + "'s pattern");
}

namespace {

// One line per node, the path handed down as the walk goes: PathOf would
// search every sibling list on the way up, which grows with the square of a
// wide group's size. path holds the node's path ("" for the root).
void TreeLines(const scene_base_t& node, std::string& path, std::ostream& out) {
  out << (path.empty() ? std::string_view("/") : std::string_view(path)) << '\t' << ClassName(node)
      << '\t' << KindName(node) << '\t' << Field(node.title) << '\n';
  const group_t* g = node.AsGroup();
  if (g == nullptr) return;
  const std::size_t length = path.size();
  for (int i = 0; i < g->ChildCount(); ++i) {
    path.append("/").append(std::to_string(i));
    TreeLines(*g->Child(i), path, out);
    path.resize(length);
  }
}

}  // namespace

void Tree(const root_t& root, std::ostream& out) {
  std::string path;
  TreeLines(root, path, out);
}

void Explain(const scene_base_t& node, const std::string* pattern_title, std::ostream& out) {
  if (pattern_title == nullptr) {
    PrintValue(node.CurrentExplanation(), out);
    return;
  }
  const pattern_base_t& p = PatternNamed(node, pattern_title);
  PrintValue(node.ExplainWith(p, node.TotalsBefore(), node.TotalsAfter()), out);
}

void Compare(const scene_base_t& node, const std::string* pattern_title,
             const std::vector<std::string>& assignments, std::ostream& out) {
  std::unique_ptr<pattern_base_t> changed = PatternNamed(node, pattern_title).Clone();
  for (const std::string& assignment : assignments) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw usage_error("bad change '" + assignment + "': FIELD=VALUE is expected");
    }
    SetPatternField(*changed, assignment.substr(0, eq), assignment.substr(eq + 1));
  }
  const pattern_value_t v = node.CompareWithCurrent(*changed);
  PrintValue(v, out);
  out << "as-here-only\t" << BoolText(v.as_here_only) << '\n';
}

void Totals(const scene_base_t& node, std::ostream& out) {
  const std::pair<const char*, grouped_pattern_t> rows[] = {
      {"own", node.OwnTotals()}, {"before", node.TotalsBefore()}, {"after", node.TotalsAfter()}};
  for (const auto& [label, t] : rows) {
    // The integer fields of a grouped pattern, in written order.
    for (const auto& f : kGroupedPatternFields) {
      if (f.score) out << label << '\t' << f.name << '\t' << t.*f.score << '\n';
    }
  }
}

void Status(const scene_base_t& node, std::ostream& out) {
  for (const std::string& panel : StatusPanelTexts(node)) out << Cp932ToUtf8(panel) << '\n';
}

int Calc(const scene_base_t* node, const std::vector<std::string>& expressions, std::ostream& out) {
  TFunctionRegistry registry;
  RegisterStandardFunctions(registry);
  RegisterScb(registry);
  TCalculator calculator(registry);
  calculator.SetNodeProvider([node] { return node; });
  int failed = 0;
  for (const std::string& expression : expressions) {
    try {
      calculator.Evaluate(HalfWidthExpression(ArgumentToCp932(expression)));
      out << Cp932ToUtf8(calculator.AnswerText()) << '\n';
    } catch (const ECalculator& e) {
      out << "error: " << Cp932ToUtf8(e.Message()) << '\n';
      ++failed;
    } catch (const EMathError& e) {
      out << "error: " << e.what() << '\n';
      ++failed;
    } catch (const usage_error& e) {
      out << "error: " << e.what() << '\n';
      ++failed;
    }
  }
  return failed;
}

}  // namespace qvl::cli
