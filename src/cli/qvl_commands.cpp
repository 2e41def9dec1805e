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

std::string CliMessage(message_t id, std::initializer_list<std::string_view> utf8_args) {
  // Filled after the conversion, byte by byte: "{" is never part of a UTF-8
  // character, whereas the code page's fill would take the UTF-8 arguments
  // for double-byte characters.
  const std::string text = Cp932ToUtf8(Message(id));
  std::string out;
  out.reserve(text.size() + 64);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char digit =
        i + 2 < text.size() && text[i] == '{' && text[i + 2] == '}' ? text[i + 1] : 0;
    if (digit >= '1' && digit <= '9') {
      const auto n = static_cast<std::size_t>(digit - '1');
      if (n < utf8_args.size()) out.append(utf8_args.begin()[n]);
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

namespace {

// Reports a value out of range at the place named (UTF-8).
void CheckInRange(checked_score_t v, std::string_view where, const std::string& name_cp932,
                  out_of_range_t& reports) {
  if (v.InRange()) return;
  reports.push_back(CliMessage(message_t::ValueOutOfRangeAt, {where, Cp932ToUtf8(name_cp932)}));
}

}  // namespace

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
  throw usage_error(
      CliMessage(message_t::CliNotShiftJis, {utf8, NameCodePoints(in.unconvertible)}));
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
    throw usage_error(CliMessage(message_t::CliPathStart, {path}));
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
      throw usage_error(CliMessage(message_t::CliNoNodeAt, {path, part}));
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
  throw usage_error(CliMessage(message_t::CliNoPatternTitled, {*title, PathOf(node)}));
}

void PrintValue(const scene_base_t& node, const pattern_value_t& v, std::ostream& out,
                out_of_range_t& reports) {
  const std::string where = PathOf(node);
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) {
    const value_element_t& e = v[i];
    out << i << '\t' << e.value << '\t' << Field(e.title) << '\t' << Field(e.expr) << '\t'
        << Field(e.formula) << '\t' << Field(e.notes) << '\n';
    CheckInRange(e.value, where, e.title.empty() ? TermTitle(i) : e.title, reports);
  }
  out << "total\t" << v.Total() << '\n';
  CheckInRange(v.Total(), where, Message(message_t::NameTotal), reports);
}

score_t ParseScore(const std::string& name, const std::string& value) {
  score_t v = 0;
  const char* begin = value.data();
  const char* end = value.data() + value.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  if (begin == end || ec != std::errc() || ptr != end) {
    throw usage_error(CliMessage(message_t::CliBadScore, {value, name}));
  }
  return v;
}

bool ParseBool(const std::string& name, const std::string& value) {
  const std::string lower = LowerAsciiCp932(value);
  if (lower == "true") return true;
  if (lower == "false") return false;
  throw usage_error(CliMessage(message_t::CliBadBool, {value, name}));
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
  throw usage_error(CliMessage(p.Class() == pattern_class_t::Scene
                                   ? message_t::CliUnknownSceneField
                                   : message_t::CliUnknownGroupField,
                               {name}));
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

void Explain(const scene_base_t& node, const std::string* pattern_title, std::ostream& out,
             out_of_range_t& reports) {
  if (pattern_title == nullptr) {
    PrintValue(node, node.CurrentExplanation(), out, reports);
    return;
  }
  const pattern_base_t& p = PatternNamed(node, pattern_title);
  PrintValue(node, node.ExplainWith(p, node.TotalsBefore(), node.TotalsAfter()), out, reports);
}

void Compare(const scene_base_t& node, const std::string* pattern_title,
             const std::vector<std::string>& assignments, std::ostream& out,
             out_of_range_t& reports) {
  std::unique_ptr<pattern_base_t> changed = PatternNamed(node, pattern_title).Clone();
  for (const std::string& assignment : assignments) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw usage_error(CliMessage(message_t::CliBadChange, {assignment}));
    }
    SetPatternField(*changed, assignment.substr(0, eq), assignment.substr(eq + 1));
  }
  const pattern_value_t v = node.CompareWithCurrent(*changed);
  PrintValue(node, v, out, reports);
  out << "as-here-only\t" << BoolText(v.as_here_only) << '\n';
}

void Totals(const scene_base_t& node, std::ostream& out, out_of_range_t& reports) {
  const std::pair<const char*, grouped_pattern_t> rows[] = {
      {"own", node.OwnTotals()}, {"before", node.TotalsBefore()}, {"after", node.TotalsAfter()}};
  const std::string where = PathOf(node);
  for (const auto& [label, t] : rows) {
    // The integer fields of a grouped pattern, in written order.
    for (const auto& f : kGroupedPatternFields) {
      if (!f.score) continue;
      const checked_score_t v = t.Checked(f.score);
      out << label << '\t' << f.name << '\t' << v << '\n';
      CheckInRange(v, where, std::string(label) + " " + std::string(f.name), reports);
    }
  }
}

void Status(const scene_base_t& node, std::ostream& out, out_of_range_t& reports) {
  const status_panels_t panels = StatusPanels(node);
  for (const std::string& panel : panels.texts) out << Cp932ToUtf8(panel) << '\n';
  for (const std::string& word : panels.out_of_range) {
    CheckInRange(checked_score_t::OutOfRange(), PathOf(node), word, reports);
  }
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
