#include "model/qvl_document.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "model/qvl_file.h"
#include "model/qvl_messages.h"
#include "model/qvl_node_fields.h"
#include "model/qvl_pattern_fields.h"
#include "model/qvl_text.h"
#include "sxml/USXMLSub.h"

namespace qvl {
namespace {

// ---- Building the model from SXML ------------------------------------------
// The model is built as the reader goes, without an element tree: an element's
// attributes fill its object as they come, its patterns are sorted into their
// list when it ends. Each attribute is the first entry of its name, the name
// compared without regard to letter case; a missing one leaves the new
// object's value (empty, zero, false, or the text form of the empty text for
// kinds and the difficulty). A value that cannot be converted leaves the field
// as it was.

[[nodiscard]] bool EqualsLowerName(std::string_view name, std::string_view lower) {
  if (name.size() != lower.size()) return false;
  if (name == lower) return true;  // as written
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (LowerAsciiChar(name[i]) != lower[i]) return false;
  }
  return true;
}

// The attribute names of an element, in the field table's (written) order.
template <typename T, std::size_t N>
constexpr std::array<std::string_view, N> FieldNames(const std::array<T, N>& f) {
  std::array<std::string_view, N> names{};
  for (std::size_t i = 0; i < N; ++i) names[i] = f[i].name;
  return names;
}
constexpr auto kRootNames = FieldNames(kRootFields);
constexpr auto kGroupNames = FieldNames(kGroupFields);
constexpr auto kSceneNames = FieldNames(kSceneFields);
constexpr auto kPatternNames = FieldNames(kScenePatternFields);
constexpr auto kGroupedNames = FieldNames(kGroupedPatternFields);

// Titles and memos enter the model as the file would give them back after a
// save, before their lists are sorted by them: otherwise a saved file could
// sort differently when loaded again. Stored files keep loading as they are.
void SetText(std::string_view text, std::string& field) {
  if (text.find_first_of("\r\n\"") == std::string_view::npos) {
    field.assign(text);
  } else {
    field = NormalizeTextForFile(text);
  }
}

void SetScore(std::string_view text, score_t& field) {
  score_t value = 0;
  if (ParseScore(text, value)) field = value;
}

// One attribute of a pattern element into the field the table names.
template <typename P>
void SetField(P& p, const pattern_field_t<P>& f, std::string_view value) {
  if (f.text) {
    SetText(value, p.*f.text);
  } else if (f.flag) {
    p.*f.flag = BoolFromText(value);
  } else {
    SetScore(value, p.*f.score);
  }
}

// One attribute of a node element into the field the table names; a
// constant is not read.
template <typename N>
void SetField(N& node, const node_field_t<N>& f, std::string_view value) {
  if (f.text) {
    SetText(value, node.*f.text);
  } else if (f.flag) {
    node.*f.flag = BoolFromText(value);
  } else if (f.score) {
    SetScore(value, node.*f.score);
  } else if (f.difficulty) {
    node.*f.difficulty = DifficultyFromText(value);
  } else if (f.group_kind) {
    node.*f.group_kind = GroupKindFromText(value);
  } else if (f.scene_kind) {
    node.*f.scene_kind = SceneKindFromText(value);
  }
}

// Groups nested deeper than kMaxGroupDepth, at the "(" of the first one too many.
class EGroupsTooDeep : public std::runtime_error {
 public:
  explicit EGroupsTooDeep(std::size_t offset)
      : std::runtime_error("groups are nested too deeply"), offset_(offset) {}
  [[nodiscard]] std::size_t Offset() const { return offset_; }

 private:
  std::size_t offset_;
};

class model_builder_t final : public sxml::TSXMLHandler {
 public:
  // Children go into holder; the root's own values and patterns are kept here
  // until the caller takes them, so that the caller's root is touched only
  // after the whole input has been read.
  explicit model_builder_t(root_t& holder) : holder_(holder) {}

  [[nodiscard]] bool FoundRoot() const { return found_root_; }
  // The values of the root element, for the caller's root.
  void MoveRootInto(root_t& root) {
    root.difficulty = holder_.difficulty;
    root.title = std::move(holder_.title);
    root.memo = std::move(holder_.memo);
    root.grouping = holder_.grouping;
    root.TakeChildren(holder_);
    root.patterns.AddSortedAll(std::move(root_patterns_));
  }

  void StartElement(std::string_view name, std::size_t offset) override {
    if (ignored_ > 0) {
      ++ignored_;
      return;
    }
    const role_t parent = open_.empty() ? role_t::Document : open_.back().role;
    switch (parent) {
      case role_t::Document:
        if (name == kRootElement && !found_root_) {
          found_root_ = true;
          holder_.difficulty = DifficultyFromText({});
          Open(role_t::Root, 0).group = &holder_;
          return;
        }
        break;
      case role_t::Root:
      case role_t::Group:
        if (name == "grouped-pattern") {
          Open(role_t::GroupedPattern, 0).pattern = std::make_unique<grouped_pattern_t>();
          return;
        }
        if (name == kGroupElement) {
          const int depth = open_.back().group_depth + 1;
          if (depth > kMaxGroupDepth) throw EGroupsTooDeep(offset);
          group_t& parent_group = *open_.back().group;
          auto group = std::make_unique<group_t>(&parent_group);
          group->kind = GroupKindFromText({});
          Open(role_t::Group, depth).group =
              static_cast<group_t*>(parent_group.AddChild(std::move(group)));
          return;
        }
        if (name == kSceneElement) {
          group_t& parent_group = *open_.back().group;
          auto scene = std::make_unique<scene_t>(&parent_group);
          scene->kind = SceneKindFromText({});
          Open(role_t::Scene, 0).scene =
              static_cast<scene_t*>(parent_group.AddChild(std::move(scene)));
          return;
        }
        break;
      case role_t::Scene:
        if (name == "pattern") {
          Open(role_t::Pattern, 0).pattern = std::make_unique<pattern_t>();
          return;
        }
        break;
      case role_t::Pattern:
      case role_t::GroupedPattern:
        break;
    }
    ignored_ = 1;  // pattern-ol and everything unknown, with all inside it
  }

  void EndElement() override {
    if (ignored_ > 0) {
      --ignored_;
      return;
    }
    open_element_t& e = open_.back();
    switch (e.role) {
      case role_t::Root:
        root_patterns_ = std::move(e.patterns);
        break;
      case role_t::Group:
        e.group->patterns.AddSortedAll(std::move(e.patterns));
        break;
      case role_t::Scene:
        // The spell card values count only once the kind is known to be
        // a spell card: the kind may come after them.
        if (e.scene->kind != scene_kind_t::SpellCard) {
          for (const auto& f : kSceneFields) {
            if (f.spell_card_only) e.scene->*f.score = 0;
          }
        }
        e.scene->patterns.AddSortedAll(std::move(e.patterns));
        break;
      case role_t::Pattern:
      case role_t::GroupedPattern:
        open_[open_.size() - 2].patterns.push_back(std::move(e.pattern));
        break;
      case role_t::Document:
        break;
    }
    e.patterns.clear();
    open_.pop_back();
  }

  void Attribute(std::string_view name, std::string_view value) override {
    if (ignored_ > 0 || open_.empty()) return;
    // No attribute name holds "=", so the whole name is tried first and only
    // a name that took no field is looked through for one.
    if (Assign(name, value)) return;
    // A name that holds "=" splits the entry "name=value" at its first "=".
    if (const std::size_t eq = name.find('='); eq != std::string_view::npos) {
      split_value_.assign(name.substr(eq + 1)).append("=").append(value);
      Assign(name.substr(0, eq), split_value_);
    }
  }

  void Text(std::string&) override {}

 private:
  enum class role_t : std::uint8_t { Document, Root, Group, Scene, Pattern, GroupedPattern };

  struct open_element_t {
    role_t role = role_t::Document;
    int group_depth = 0;     // groups from the root down to this one
    std::uint32_t seen = 0;  // names whose first entry was taken, by index
    std::size_t next = 0;    // where the next name is likely to be
    group_t* group = nullptr;
    scene_t* scene = nullptr;
    std::unique_ptr<pattern_base_t> pattern;
    // The patterns of a root, group or scene, sorted into its list at its end.
    std::vector<std::unique_ptr<pattern_base_t>> patterns;
  };

  open_element_t& Open(role_t role, int group_depth) {
    open_element_t& e = open_.emplace_back();
    e.role = role;
    e.group_depth = group_depth;
    return e;
  }

  // The index of name in names when its first entry is still to come. Files
  // hold the names in written order, so the search starts after the last one.
  template <std::size_t N>
  static std::optional<std::size_t> Find(const std::array<std::string_view, N>& names,
                                         std::string_view name, open_element_t& e) {
    for (std::size_t k = 0; k < N; ++k) {
      const std::size_t i = (e.next + k) % N;
      if ((e.seen & (1u << i)) == 0 && EqualsLowerName(name, names[i])) {
        e.seen |= 1u << i;
        e.next = i + 1;
        return i;
      }
    }
    return std::nullopt;
  }

  // True when name was the first entry of one of the element's names.
  bool Assign(std::string_view name, std::string_view value) {
    open_element_t& e = open_.back();
    switch (e.role) {
      case role_t::Root:
        if (const auto i = Find(kRootNames, name, e)) {
          SetField(holder_, kRootFields[*i], value);
          return true;
        }
        break;
      case role_t::Group:
        if (const auto i = Find(kGroupNames, name, e)) {
          SetField(*e.group, kGroupFields[*i], value);
          return true;
        }
        break;
      case role_t::Scene:
        if (const auto i = Find(kSceneNames, name, e)) {
          SetField(*e.scene, kSceneFields[*i], value);
          return true;
        }
        break;
      case role_t::Pattern:
        if (const auto i = Find(kPatternNames, name, e)) {
          SetField(static_cast<pattern_t&>(*e.pattern), kScenePatternFields[*i], value);
          return true;
        }
        break;
      case role_t::GroupedPattern:
        if (const auto i = Find(kGroupedNames, name, e)) {
          SetField(static_cast<grouped_pattern_t&>(*e.pattern), kGroupedPatternFields[*i], value);
          return true;
        }
        break;
      case role_t::Document:
        break;
    }
    return false;
  }

  root_t& holder_;
  bool found_root_ = false;
  std::vector<open_element_t> open_;
  std::size_t ignored_ = 0;  // depth inside an element the model does not read
  std::vector<std::unique_ptr<pattern_base_t>> root_patterns_;
  std::string split_value_;
};

// ---- Load failures ------------------------------------------------------------

std::string FileNameText(const std::filesystem::path& file_name) {
  return PathToCp932(file_name);
}

// "12行5文字目" for a byte offset of the text.
std::string PositionText(std::string_view text, std::size_t offset) {
  const text_position_t at = Cp932Position(text, offset);
  return FormatMessage(message_t::FilePosition,
                       {std::to_string(at.line), std::to_string(at.column)});
}

std::string ReadErrorReason(std::string_view text, const sxml::EReadError& e) {
  const std::string ends = PositionText(text, e.Offset());
  const std::string opened = PositionText(text, e.OpenedAt());
  switch (e.Expected()) {
    case sxml::read_expected_t::StringEnd:
      return FormatMessage(message_t::FileEndsInString, {ends, opened});
    case sxml::read_expected_t::ListEnd:
      return FormatMessage(message_t::FileEndsInList, {ends, opened});
    case sxml::read_expected_t::Name:
      return FormatMessage(message_t::FileEndsBeforeName, {ends, opened});
    case sxml::read_expected_t::ElementEnd:
      return FormatMessage(message_t::FileEndsInElement, {ends, opened});
    case sxml::read_expected_t::Anything:
      break;
  }
  return FormatMessage(message_t::FileEndsAt, {ends});
}

std::string OutOfMemoryReason() {
  return Message(message_t::OutOfMemory);
}

// True when text holds nothing but blanks and comments: the empty file a
// player may start a plan from, or one with only a note in it. Anything else
// without a root element is some other file, which must not open as an empty
// plan that the next save would write over it.
bool OnlyBlanksAndComments(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == ';') {
      i = text.find('\n', i);  // to the end of the line, or of the text
    } else if (c == '#' && i + 1 < text.size() && text[i + 1] == '|') {
      // As the reader sees it: the "|" that opens the comment does not close it.
      const std::size_t end = text.find("|#", i + 2);
      i = end == std::string_view::npos ? end : end + 2;
    } else {
      return false;
    }
  }
  return true;
}

// Reads text into root, which changes only when the whole text was read.
load_result_t LoadText(root_t& root, std::string_view text) {
  try {
    root_t holder;
    model_builder_t builder(holder);
    sxml::ParseSXML(text, builder, sxml::unclosed_t::Refuse);
    if (!builder.FoundRoot() && !OnlyBlanksAndComments(text)) {
      return {false, Message(message_t::NoRootElement)};
    }
    // Everything that allocates is done; what follows moves what was built.
    root.ClearNode();
    root.patterns.Clear();
    if (builder.FoundRoot()) {
      builder.MoveRootInto(root);
    } else {
      // An empty plan is a new document, with nothing left of the one before.
      root.difficulty = root_t().difficulty;
    }
    return {true, {}};
  } catch (const sxml::EReadError& e) {
    return {false, ReadErrorReason(text, e)};
  } catch (const EGroupsTooDeep& e) {
    return {false, FormatMessage(message_t::GroupsTooDeep,
                                 {PositionText(text, e.Offset()), std::to_string(kMaxGroupDepth)})};
  } catch (const std::bad_alloc&) {
    return {false, OutOfMemoryReason()};
  } catch (const std::length_error&) {
    return {false, OutOfMemoryReason()};
  }
}

// ---- Files ----------------------------------------------------------------

// One attempt of a load.
load_result_t LoadFile(root_t& root, const std::filesystem::path& file_name) {
  try {
    file_bytes_t file = ReadFileBytes(file_name);
    if (!file.reason.empty()) return {false, std::move(file.reason)};
    return LoadText(root, file.bytes);
  } catch (const std::bad_alloc&) {
    return {false, OutOfMemoryReason()};
  } catch (const std::length_error&) {
    return {false, OutOfMemoryReason()};
  }
}

}  // namespace

bool ParseScore(std::string_view text, score_t& value) {
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  if (digits.empty()) return false;
  // Eighteen digits or fewer cannot overflow 64 bits: the digits are checked
  // and summed in the same pass, as a load reads ten numbers per pattern.
  constexpr std::size_t kSafeDigits = 18;
  score_t sum = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    if (digits.size() <= kSafeDigits) sum = sum * 10 + (c - '0');
  }
  if (digits.size() <= kSafeDigits) {
    value = text.front() == '-' ? -sum : sum;
    return true;
  }
  // from_chars takes "-" but not "+"; the digits alone are checked above.
  const std::string_view number = text.front() == '+' ? digits : text;
  score_t parsed = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return false;
  value = parsed;
  return true;
}

std::string LoadFailureMessage(const std::filesystem::path& file_name) {
  return FormatMessage(message_t::LoadFailed, {FileNameText(file_name)});
}

std::string LoadFailureMessage(const std::filesystem::path& file_name, std::string_view reason) {
  return LoadFailureMessage(file_name) + "\n" + std::string(reason);
}

std::string SaveFailureMessage(const std::filesystem::path& file_name, std::string_view reason) {
  return FormatMessage(message_t::SaveFailed, {FileNameText(file_name), reason});
}

std::string FileMessageUtf8(std::string_view cp932_message,
                            const std::filesystem::path& file_name) {
  std::string text = Cp932ToUtf8(cp932_message);
  const std::string real = PathToUtf8(file_name);
  if (!IsUtf8(real)) return text;  // the message shows its bytes as they are
  const std::string lossy = Cp932ToUtf8(Utf8ToCp932(real));
  if (lossy == real) return text;
  if (const std::size_t at = text.find(lossy); at != std::string::npos) {
    text.replace(at, lossy.size(), real);
  }
  return text;
}

bool LoadDocument(root_t& root, const std::filesystem::path& file_name,
                  const load_failure_handler_t& on_failure) {
  bool result = false;
  for (;;) {
    // The file is read completely before the root is cleared, so a failed
    // attempt leaves the tree as it was.
    const load_result_t loaded = LoadFile(root, file_name);
    if (loaded.ok) {
      result = true;
      break;
    }
    // A file that is gone cannot be retried; it is a failure, not a success.
    std::error_code ec;
    if (!std::filesystem::exists(file_name, ec) && !ec) break;
    if (!on_failure ||
        on_failure(LoadFailureMessage(file_name, loaded.reason)) == load_answer_t::Abort) {
      break;
    }
  }
  root.NormalizePatterns();
  return result;
}

load_result_t LoadDocumentFromText(root_t& root, std::string_view text) {
  load_result_t result = LoadText(root, text);
  if (result.ok) root.NormalizePatterns();
  return result;
}

namespace {

// True when every carriage return is followed by a line feed and every line
// feed follows a carriage return, as in everything the writer lays out itself.
// Eight bytes at a time until a line break comes near.
bool OnlyLineBreakPairs(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  auto has_byte = [](std::uint64_t word, unsigned char b) {
    const std::uint64_t v = word ^ (kOnes * b);
    return ((v - kOnes) & ~v & kHighs) != 0;
  };
  const char* const p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    while (n - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (has_byte(word, '\r') || has_byte(word, '\n')) break;
      i += 8;
    }
    if (i == n) break;
    if (p[i] == '\r') {
      if (i + 1 == n || p[i + 1] != '\n') return false;
      i += 2;
    } else if (p[i] == '\n') {
      return false;  // not taken as the second byte of a pair
    } else {
      ++i;
    }
  }
  return true;
}

// A generous guess of the length of a node's text, so that the text is built
// in one allocation: every attribute line costs its indentation and about 40
// bytes, plus the texts of titles and memos. On the way it notes whether any
// text of the node holds a lone carriage return or line feed: the writer's
// own line breaks are all pairs, so only then does the written text need a
// second pass.
std::size_t EstimatedTextSize(const scene_base_t& node, std::size_t level, bool& lone_breaks) {
  const std::size_t line = 2 * level + 48;
  std::size_t size = 8 * line + node.title.size() + node.memo.size();
  if (!lone_breaks) {
    lone_breaks = !OnlyLineBreakPairs(node.title) || !OnlyLineBreakPairs(node.memo);
  }
  for (int i = 0; i < node.patterns.Count(); ++i) {
    const pattern_base_t& p = *node.patterns.Items(i);
    size += 16 * (line + 26) + p.title.size() + p.memo.size();
    ForEachPatternField(p, [&lone_breaks](const auto& f, const auto& pattern) {
      if (f.text && !lone_breaks) lone_breaks = !OnlyLineBreakPairs(pattern.*f.text);
    });
  }
  if (const group_t* group = node.AsGroup()) {
    for (int i = 0; i < group->ChildCount(); ++i) {
      size += EstimatedTextSize(*group->Child(i), level + 1, lone_breaks);
    }
  }
  return size;
}

}  // namespace

std::string DocumentText(const root_t& root) {
  std::string text;
  bool lone_breaks = false;
  text.reserve(EstimatedTextSize(root, 0, lone_breaks));
  root.WriteSXML(text, 0);
  // Every line break becomes carriage return and line feed, a lone one inside
  // a title or memo too, and the last line ends with one.
  const std::size_t n = text.size();
  if (n == 0) return text;
  const bool ends_with_break = text[n - 1] == '\r' || text[n - 1] == '\n';
  if (!lone_breaks) {
    if (!ends_with_break) text.append("\r\n");
    return text;
  }
  std::string out;
  out.reserve(n + n / 16 + 2);
  const char* p = text.data();
  std::size_t i = 0;
  while (i < n) {
    const std::size_t start = i;
    while (i < n && p[i] != '\r' && p[i] != '\n') ++i;
    out.append(p + start, i - start);
    if (i == n) break;
    i += (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
    out.append("\r\n");
  }
  if (!ends_with_break) out.append("\r\n");
  return out;
}

save_result_t SaveDocument(const root_t& root, const std::filesystem::path& file_name) {
  std::string text;
  try {
    text = DocumentText(root);
  } catch (const std::bad_alloc&) {
    return {false, OutOfMemoryReason()};
  } catch (const std::length_error&) {
    return {false, OutOfMemoryReason()};
  }
  return WriteFileAtomically(file_name, text);
}

}  // namespace qvl
