// The whole document as JSON, and the route's score build-up as CSV.
#include <nlohmann/json.hpp>

#include "cli/qvl_commands.h"
#include "model/qvl_pattern_fields.h"
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

json NodeJson(const scene_base_t& node) {
  json j;
  j["path"] = PathOf(node);
  if (const auto* root = dynamic_cast<const root_t*>(&node)) {
    j["class"] = "root";
    j["game"] = "Quovel";
    j["difficulty"] = DifficultyName(root->difficulty);
  } else if (const auto* g = dynamic_cast<const group_t*>(&node)) {
    j["class"] = "group";
    j["kind"] = GroupKindName(g->kind);
  } else {
    const auto& s = static_cast<const scene_t&>(node);
    j["class"] = "scene";
    j["kind"] = SceneKindName(s.kind);
  }
  j["title"] = Utf8(node.title);
  j["memo"] = Utf8(node.memo);
  if (const auto* s = dynamic_cast<const scene_t*>(&node)) {
    j["point"] = s->point;
    j["initial-spell-card-bonus"] = s->initial_spell_card_bonus;
    j["time-limit"] = s->time_limit;
    j["decrease-rate"] = s->decrease_rate;
  }
  json patterns = json::array();
  for (int i = 0; i < node.patterns.Count(); ++i) {
    patterns.push_back(PatternJson(*node.patterns.Items(i)));
  }
  if (const auto* g = dynamic_cast<const group_t*>(&node)) {
    j["grouping"] = g->grouping;
    j["patterns"] = std::move(patterns);
    json children = json::array();
    for (int i = 0; i < g->ChildCount(); ++i) children.push_back(NodeJson(*g->Child(i)));
    j["children"] = std::move(children);
  } else {
    j["patterns"] = std::move(patterns);
  }
  return j;
}

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
std::string CsvField(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// The nodes that count in the document's totals, in document order: scenes,
// and grouping groups in place of everything below them.
void CountedNodes(scene_base_t& node, std::vector<scene_base_t*>& out) {
  auto* g = dynamic_cast<group_t*>(&node);
  if (g == nullptr || g->grouping) {
    out.push_back(&node);
    return;
  }
  for (int i = 0; i < g->ChildCount(); ++i) CountedNodes(*g->Child(i), out);
}

}  // namespace

void ExportJson(root_t& root, std::ostream& out) {
  root.NormalizePatterns();
  out << NodeJson(root).dump(2) << '\n';
}

void ExportCsv(root_t& root, std::ostream& out) {
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

  std::vector<scene_base_t*> nodes;
  CountedNodes(root, nodes);
  score_t running = 0;
  for (scene_base_t* node : nodes) {
    const pattern_value_t v = node->CurrentValue();
    running = WrapAdd(running, v.Total());
    out << PathOf(*node) << ',' << node->StageNumber() << ',' << ClassName(*node) << ','
        << KindName(*node) << ',' << CsvField(Utf8(node->title)) << ','
        << CsvField(Utf8(node->CurrentPattern().title));
    for (int i = 0; i < pattern_value_t::kTermCount; ++i) out << ',' << v[i].value;
    out << ',' << v.Total() << ',' << running << "\r\n";
  }
}

}  // namespace qvl::cli
