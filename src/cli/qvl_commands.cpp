#include "cli/qvl_commands.h"

#include <charconv>
#include <functional>

#include "calc/CalcCustom.h"
#include "calc/Calculator.h"
#include "model/qvl_document.h"
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
  // The window's loader takes a file that is gone as an empty document; here a
  // missing file is the caller's mistake and must not print an empty tree.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    const bool exists = std::filesystem::exists(file, ec);
    throw file_error(
        Cp932ToUtf8(LoadFailureMessage(file, exists ? QVL_CP932("通常のファイルではありません。")
                                                    : QVL_CP932("ファイルが見つかりません。"))));
  }
  std::string message;
  const bool loaded = LoadDocument(root, file, [&message](const std::string& text) {
    message = text;
    return load_answer_t::Abort;
  });
  if (!loaded) throw file_error(Cp932ToUtf8(message));
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
    auto* group = dynamic_cast<group_t*>(node);
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

namespace {

// Only a group without a parent can be a root; the export asks this per row.
bool IsRoot(const scene_base_t& node) {
  return node.parent() == nullptr && dynamic_cast<const root_t*>(&node) != nullptr;
}

}  // namespace

std::string ClassName(const scene_base_t& node) {
  if (node.AsGroup() == nullptr) return "scene";
  return IsRoot(node) ? "root" : "group";
}

std::string KindName(const scene_base_t& node) {
  const group_t* g = node.AsGroup();
  if (g == nullptr) return SceneKindName(static_cast<const scene_t&>(node).kind);
  return IsRoot(node) ? "root" : GroupKindName(g->kind);
}

namespace {

void Walk(scene_base_t& node, const std::function<void(scene_base_t&)>& visit) {
  visit(node);
  if (auto* g = dynamic_cast<group_t*>(&node)) {
    for (int i = 0; i < g->ChildCount(); ++i) Walk(*g->Child(i), visit);
  }
}

pattern_base_t& PatternNamed(scene_base_t& node, const std::string* title) {
  if (title == nullptr) return node.CurrentPattern();
  const std::string wanted = ArgumentToCp932(*title);
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

// The integer fields of both pattern classes by file attribute name.
using base_field_t = score_t pattern_base_t::*;
using scene_field_t = score_t pattern_t::*;
using grouped_field_t = score_t grouped_pattern_t::*;

const std::vector<std::pair<const char*, base_field_t>>& BaseFields() {
  static const std::vector<std::pair<const char*, base_field_t>> fields{
      {"player", &pattern_base_t::player},
      {"bomb", &pattern_base_t::bomb},
      {"cherry-max", &pattern_base_t::cherry_max},
      {"cherry-difference", &pattern_base_t::cherry_difference},
      {"cherry-plus", &pattern_base_t::cherry_plus},
      {"border-bonus-times", &pattern_base_t::border_bonus_times},
      {"bonus-item", &pattern_base_t::bonus_item},
      {"point", &pattern_base_t::point},
  };
  return fields;
}

const std::vector<std::pair<const char*, scene_field_t>>& SceneFields() {
  static const std::vector<std::pair<const char*, scene_field_t>> fields{
      {"graze", &pattern_t::graze},
      {"spell-card-bonus-base", &pattern_t::spell_card_bonus_base},
      {"enemy-bullet-bonus", &pattern_t::enemy_bullet_bonus},
  };
  return fields;
}

const std::vector<std::pair<const char*, grouped_field_t>>& GroupedFields() {
  static const std::vector<std::pair<const char*, grouped_field_t>> fields{
      {"graze-in-getting-spell-cards", &grouped_pattern_t::graze_in_getting_spell_cards},
      {"graze-rest", &grouped_pattern_t::graze_rest},
      {"total-spell-card-bonus-base", &grouped_pattern_t::total_spell_card_bonus_base},
      {"total-enemy-bullet-bonus", &grouped_pattern_t::total_enemy_bullet_bonus},
      {"getting-spell-cards-number", &grouped_pattern_t::getting_spell_cards_number},
  };
  return fields;
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
  const std::string lower = LowerAscii(value);
  if (lower == "true") return true;
  if (lower == "false") return false;
  throw usage_error("bad value '" + value + "' for " + name + ": true or false is expected");
}

}  // namespace

void SetPatternField(pattern_base_t& p, const std::string& name, const std::string& value) {
  if (name == "title") {
    p.title = ArgumentToCp932(value);
    return;
  }
  if (name == "memo") {
    p.memo = ArgumentToCp932(value);
    return;
  }
  if (name == "selected") {
    p.selected = ParseBool(name, value);
    return;
  }
  for (const auto& [field, member] : BaseFields()) {
    if (name == field) {
      p.*member = ParseScore(name, value);
      return;
    }
  }
  if (p.Class() == pattern_class_t::Scene) {
    pattern_t& scene_pattern = AsScenePattern(p);
    if (name == "getting-spell-card") {
      scene_pattern.getting_spell_card = ParseBool(name, value);
      return;
    }
    for (const auto& [field, member] : SceneFields()) {
      if (name == field) {
        scene_pattern.*member = ParseScore(name, value);
        return;
      }
    }
    throw usage_error("unknown field '" + name + "' for a scene's pattern");
  }
  grouped_pattern_t& grouped = AsGroupedPattern(p);
  for (const auto& [field, member] : GroupedFields()) {
    if (name == field) {
      grouped.*member = ParseScore(name, value);
      return;
    }
  }
  throw usage_error("unknown field '" + name + "' for a group's pattern");
}

void Tree(root_t& root, std::ostream& out) {
  Walk(root, [&](scene_base_t& node) {
    out << PathOf(node) << '\t' << ClassName(node) << '\t' << KindName(node) << '\t'
        << Field(node.title) << '\n';
  });
}

void Explain(scene_base_t& node, const std::string* pattern_title, std::ostream& out) {
  if (pattern_title == nullptr) {
    PrintValue(node.CurrentExplanation(), out);
    return;
  }
  const pattern_base_t& p = PatternNamed(node, pattern_title);
  PrintValue(node.ExplainWith(p, node.TotalsBefore(), node.TotalsAfter()), out);
}

void Compare(scene_base_t& node, const std::string* pattern_title,
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

void Totals(scene_base_t& node, std::ostream& out) {
  const std::pair<const char*, grouped_pattern_t> rows[] = {
      {"own", node.OwnTotals()}, {"before", node.TotalsBefore()}, {"after", node.TotalsAfter()}};
  for (const auto& [label, t] : rows) {
    for (const auto& [field, member] : BaseFields()) {
      out << label << '\t' << field << '\t' << t.*member << '\n';
    }
    for (const auto& [field, member] : GroupedFields()) {
      out << label << '\t' << field << '\t' << t.*member << '\n';
    }
  }
}

void Status(scene_base_t& node, std::ostream& out) {
  node.NormalizePatterns();
  for (const std::string& panel : StatusPanelTexts(node)) out << Cp932ToUtf8(panel) << '\n';
}

int Calc(const scene_base_t* node, const std::vector<std::string>& expressions, std::ostream& out) {
  TFunctionRegistry registry;
  RegisterStandardFunctions(registry);
  RegisterScb(registry, [node] { return node; });
  TCalculator calculator(registry);
  int failed = 0;
  for (const std::string& expression : expressions) {
    try {
      calculator.Evaluate(ArgumentToCp932(expression));
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
