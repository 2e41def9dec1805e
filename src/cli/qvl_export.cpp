// The whole document as JSON, and the route's score build-up as CSV.
#include <nlohmann/json.hpp>

#include <span>
#include <unordered_map>

#include "cli/qvl_commands.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_route.h"
#include "model/qvl_text.h"

namespace qvl::cli {
namespace {

using json = nlohmann::ordered_json;

std::string Utf8(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

json PatternJson(const pattern_base_t& p) {
  json j;
  ForEachPatternField(p, [&j](const auto& f, const auto& pattern) {
    const std::string name(f.name);
    if (f.text) {
      j[name] = Utf8(pattern.*f.text);
    } else if (f.flag) {
      j[name] = pattern.*f.flag;
    } else {
      j[name] = pattern.*f.score;
    }
  });
  return j;
}

// A node's value along the route and the running total of the route through it.
struct route_value_t {
  pattern_value_t value;
  score_t running_total = 0;
};
using route_values_t = std::unordered_map<const scene_base_t*, route_value_t>;

json ValueJson(const route_value_t& v) {
  json terms = json::array();
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) terms.push_back(v.value[i].value);
  json j;
  j["terms"] = std::move(terms);
  j["total"] = v.value.Total();
  j["running-total"] = v.running_total;
  return j;
}

// The path is handed down: asking each node for it would search every
// sibling list on the way up.
json NodeJson(const scene_base_t& node, const std::string& path, const route_values_t& values) {
  json j;
  j["path"] = path.empty() ? "/" : path;
  const group_t* g = node.AsGroup();
  if (g != nullptr && node.parent() == nullptr) {
    j["class"] = "root";
    j["game"] = "Quovel";
    j["difficulty"] = DifficultyName(node.GetDifficulty());
  } else if (g != nullptr) {
    j["class"] = "group";
    j["kind"] = GroupKindName(g->kind);
  } else {
    j["class"] = "scene";
    j["kind"] = SceneKindName(static_cast<const scene_t&>(node).kind);
  }
  j["title"] = Utf8(node.title);
  j["memo"] = Utf8(node.memo);
  if (g == nullptr) {
    const auto& s = static_cast<const scene_t&>(node);
    j["point"] = s.point;
    j["initial-spell-card-bonus"] = s.initial_spell_card_bonus;
    j["time-limit"] = s.time_limit;
    j["decrease-rate"] = s.decrease_rate;
  }
  if (g != nullptr) j["grouping"] = g->grouping;
  if (const auto it = values.find(&node); it != values.end()) j["value"] = ValueJson(it->second);
  json patterns = json::array();
  for (int i = 0; i < node.patterns.Count(); ++i) {
    patterns.push_back(PatternJson(*node.patterns.Items(i)));
  }
  j["patterns"] = std::move(patterns);
  if (g != nullptr) {
    json children = json::array();
    for (int i = 0; i < g->ChildCount(); ++i) {
      children.push_back(NodeJson(*g->Child(i), path + "/" + std::to_string(i), values));
    }
    j["children"] = std::move(children);
  }
  return j;
}

// RFC 4180: a field with a comma, quote or line break is quoted, quotes
// doubled. A text that a spreadsheet would run as a formula (it starts with
// = + - @, a tab or a carriage return) gets a leading "'" inside quotes, which
// the spreadsheet shows as plain text; raw keeps it as it is, for scripts.
std::string CsvField(const std::string& utf8, bool raw) {
  const bool formula = !raw && !utf8.empty() &&
                       std::string_view("=+-@\t\r").find(utf8.front()) != std::string_view::npos;
  if (!formula && utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = formula ? "\"'" : "\"";
  for (const char c : utf8) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string PathText(std::span<const int> path) {
  if (path.empty()) return "/";
  std::string text;
  for (const int i : path) {
    text += '/';
    text += std::to_string(i);
  }
  return text;
}

}  // namespace

void ExportJson(root_t& root, std::ostream& out) {
  root.NormalizePatterns();
  route_values_t values;
  score_t running = 0;
  WalkRoute(root, [&](const route_stop_t& stop) {
    running = WrapAdd(running, stop.value.Total());
    values.emplace(&stop.node, route_value_t{stop.value, running});
  });
  out << NodeJson(root, "", values).dump(2) << '\n';
}

void ExportCsv(root_t& root, std::ostream& out, bool raw) {
  root.NormalizePatterns();
  static const char* const kTerms[] = {"border_bonus",
                                       "cherry_max_clear_bonus",
                                       "cherry_on_border_bonuses",
                                       "cherry_on_point_items",
                                       "cherry_on_spell_card_graze_bonus",
                                       "graze_score_and_clear_bonus",
                                       "graze_on_bonus_items",
                                       "spell_card_graze_bonus",
                                       "point_items_and_clear_bonus",
                                       "bonus_items",
                                       "spell_card_bonus_base",
                                       "enemy_bullet_bonus"};
  out << "path,stage,class,kind,title,pattern";
  for (const char* term : kTerms) out << ',' << term;
  out << ",total,running_total\r\n";

  score_t running = 0;
  WalkRoute(root, [&](const route_stop_t& stop) {
    const pattern_value_t& v = stop.value;
    running = WrapAdd(running, v.Total());
    out << PathText(stop.path) << ',' << stop.stage << ',' << ClassName(stop.node) << ','
        << KindName(stop.node) << ',' << CsvField(Utf8(stop.node.title), raw) << ','
        << CsvField(Utf8(stop.pattern.title), raw);
    for (int i = 0; i < pattern_value_t::kTermCount; ++i) out << ',' << v[i].value;
    out << ',' << v.Total() << ',' << running << "\r\n";
  });
}

}  // namespace qvl::cli
