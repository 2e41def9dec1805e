// The whole document as JSON, and the route's score build-up as CSV.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/qvl_commands.h"
#include "model/qvl_messages.h"
#include "model/qvl_node_fields.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_route.h"
#include "model/qvl_text.h"

namespace qvl::cli {
namespace {

std::string Utf8(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

// Writes JSON laid out exactly as nlohmann's dump(2) lays out a tree, as it
// goes: a large document's export, bigger than the document itself, never
// exists whole in memory, neither as a tree nor as text. Output is passed on
// in pieces of about 64 KB.
class json_writer_t {
 public:
  explicit json_writer_t(std::ostream& out) : out_(out) { buffer_.reserve(kPiece + 4096); }
  json_writer_t(const json_writer_t&) = delete;
  json_writer_t& operator=(const json_writer_t&) = delete;

  void Open(char bracket) {
    buffer_ += bracket;
    empty_.push_back(true);
  }
  void Close(char bracket) {
    const bool empty = empty_.back();
    empty_.pop_back();
    if (!empty) NewLine();
    buffer_ += bracket;
    if (buffer_.size() >= kPiece) Flush();
  }
  // Before each element of an array.
  void Next() {
    if (!empty_.back()) buffer_ += ',';
    empty_.back() = false;
    NewLine();
  }
  void Key(std::string_view key) {
    Next();
    String(key);
    buffer_ += ": ";
  }
  // Nearly every string (all keys, most titles) has nothing to escape and goes
  // as it is; the others take the library's own escaping, so that every
  // string reads as it always has. The texts are UTF-8 from the converter,
  // always well formed, which the library would otherwise check.
  void String(std::string_view utf8) {
    const bool plain = std::none_of(utf8.begin(), utf8.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\';
    });
    if (plain) {
      buffer_ += '"';
      buffer_ += utf8;
      buffer_ += '"';
    } else {
      buffer_ += nlohmann::json(std::string(utf8)).dump();
    }
  }
  void Number(score_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer_.append(digits, end);
  }
  // A value out of range has no number to write.
  void Number(checked_score_t value) {
    if (value.InRange()) {
      Number(value.Value());
    } else {
      buffer_ += "null";
    }
  }
  void Bool(bool value) { buffer_ += value ? "true" : "false"; }
  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kPiece = 64 * 1024;

  void NewLine() {
    buffer_ += '\n';
    buffer_.append(2 * empty_.size(), ' ');
  }

  std::ostream& out_;
  std::string buffer_;
  std::vector<bool> empty_;  // per open bracket: nothing in it yet
};

void WritePattern(json_writer_t& w, const pattern_base_t& p) {
  w.Open('{');
  ForEachPatternField(p, [&w](const auto& f, const auto& pattern) {
    w.Key(f.name);
    if (f.text) {
      w.String(Utf8(pattern.*f.text));
    } else if (f.flag) {
      w.Bool(pattern.*f.flag);
    } else {
      w.Number(pattern.*f.score);
    }
  });
  w.Close('}');
}

// A stop's value along the route and the running total of the route through
// it: numbers only, a few hundred bytes per stop.
struct route_value_t {
  const scene_base_t* node = nullptr;
  std::array<checked_score_t, pattern_value_t::kTermCount> terms{};
  checked_score_t total = 0;
  checked_score_t running_total = 0;
};

// Writes the nodes in document order, the order of the route too: a node that
// is the next stop takes the next value. The path is handed down: asking each
// node for it would search every sibling list on the way up.
class node_writer_t {
 public:
  node_writer_t(json_writer_t& w, const std::vector<route_value_t>& values)
      : w_(w), values_(values) {}

  void Write(const scene_base_t& node, std::string& path) {
    w_.Open('{');
    w_.Key("path");
    w_.String(path.empty() ? "/" : path);
    Text("class", NodeElementName(node.Class()));
    // The texts first, then the numbers, as the export has always ordered
    // them; a scene's spell card values are shown whatever its kind.
    for (const bool numbers : {false, true}) {
      ForEachNodeField(node, [&](const auto& f, const auto& n) {
        if ((f.score != nullptr) != numbers) return;
        if (f.score) {
          Number(f.name, n.*f.score);
        } else if (f.flag) {
          w_.Key(f.name);
          w_.Bool(n.*f.flag);
        } else {
          Text(f.name, f.text ? Utf8(n.*f.text) : NodeFieldText(f, n));
        }
      });
    }
    if (next_ < values_.size() && values_[next_].node == &node) WriteValue(values_[next_++]);
    w_.Key("patterns");
    w_.Open('[');
    for (int i = 0; i < node.patterns.Count(); ++i) {
      w_.Next();
      WritePattern(w_, *node.patterns.Items(i));
    }
    w_.Close(']');
    if (const group_t* g = node.AsGroup()) {
      w_.Key("children");
      w_.Open('[');
      const std::size_t length = path.size();
      for (int i = 0; i < g->ChildCount(); ++i) {
        path.append("/").append(std::to_string(i));
        w_.Next();
        Write(*g->Child(i), path);
        path.resize(length);
      }
      w_.Close(']');
    }
    w_.Close('}');
  }

 private:
  void Text(std::string_view key, std::string_view utf8) {
    w_.Key(key);
    w_.String(utf8);
  }
  void Number(std::string_view key, score_t value) {
    w_.Key(key);
    w_.Number(value);
  }
  void Number(std::string_view key, checked_score_t value) {
    w_.Key(key);
    w_.Number(value);
  }
  void WriteValue(const route_value_t& v) {
    w_.Key("value");
    w_.Open('{');
    w_.Key("terms");
    w_.Open('[');
    for (const checked_score_t term : v.terms) {
      w_.Next();
      w_.Number(term);
    }
    w_.Close(']');
    Number("total", v.total);
    Number("running-total", v.running_total);
    w_.Close('}');
  }

  json_writer_t& w_;
  const std::vector<route_value_t>& values_;
  std::size_t next_ = 0;
};

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

// Reports each value of a stop that is out of range: its terms, its total and
// the running total through it.
void CheckStop(const route_stop_t& stop, checked_score_t running, out_of_range_t& reports) {
  const std::string where = PathText(stop.path);
  const auto check = [&](checked_score_t v, const std::string& name) {
    if (!v.InRange())
      reports.push_back(CliMessage(message_t::ValueOutOfRangeAt, {where, Utf8(name)}));
  };
  for (int i = 0; i < pattern_value_t::kTermCount; ++i) check(stop.value[i].value, TermTitle(i));
  check(stop.value.Total(), Message(message_t::NameTotal));
  check(running, Message(message_t::NameRunningTotal));
}

}  // namespace

void ExportJson(const root_t& root, std::ostream& out, out_of_range_t& reports) {
  std::vector<route_value_t> values;
  WalkRunningTotals(root, [&](const route_stop_t& stop, checked_score_t running) {
    route_value_t& v = values.emplace_back();
    v.node = &stop.node;
    for (int i = 0; i < pattern_value_t::kTermCount; ++i) {
      v.terms[static_cast<std::size_t>(i)] = stop.value[i].value;
    }
    v.total = stop.value.Total();
    v.running_total = running;
    CheckStop(stop, v.running_total, reports);
  });
  json_writer_t w(out);
  std::string path;
  node_writer_t(w, values).Write(root, path);
  w.Flush();
  out << '\n';
}

void ExportCsv(const root_t& root, std::ostream& out, out_of_range_t& reports, bool raw) {
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

  // A value out of range leaves its cell empty.
  const auto cell = [&out](checked_score_t v) {
    out << ',';
    if (v.InRange()) out << v.Value();
  };
  WalkRunningTotals(root, [&](const route_stop_t& stop, checked_score_t running) {
    const pattern_value_t& v = stop.value;
    out << PathText(stop.path) << ',' << stop.stage << ',' << ClassName(stop.node) << ','
        << KindName(stop.node) << ',' << CsvField(Utf8(stop.node.title), raw) << ','
        << CsvField(Utf8(stop.pattern.title), raw);
    for (int i = 0; i < pattern_value_t::kTermCount; ++i) cell(v[i].value);
    cell(v.Total());
    cell(running);
    out << "\r\n";
    CheckStop(stop, running, reports);
  });
}

}  // namespace qvl::cli
