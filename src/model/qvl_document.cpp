#include "model/qvl_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <type_traits>
#include <vector>

#include "model/qvl_pattern_fields.h"
#include "model/qvl_text.h"
#include "sxml/USXMLSub.h"

namespace qvl {
namespace {

using sxml::TSXMLElement;

// ---- Reading attributes ---------------------------------------------------
// Each attribute is the first entry of its name, the name compared without
// regard to letter case; a missing one reads as the empty text. Each is read on
// its own: a value that cannot be converted leaves the field as it was.

[[nodiscard]] bool EqualsLowerName(std::string_view name, std::string_view lower) {
  if (name.size() != lower.size()) return false;
  if (std::memcmp(name.data(), lower.data(), name.size()) == 0) return true;  // as written
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (LowerAsciiChar(name[i]) != lower[i]) return false;
  }
  return true;
}

// The values of a fixed set of attribute names (given in lower case), found in
// one pass over the element's entries instead of one search per name.
template <std::size_t N>
class attribute_values_t {
 public:
  attribute_values_t(const TSXMLElement& e, const std::array<std::string_view, N>& names) {
    std::array<bool, N> seen{};
    std::size_t next = 0;  // files hold the names in this order: try that one first
    e.ForEachAttribute([&](std::string_view name, std::string_view value) {
      for (std::size_t k = 0; k < N; ++k) {
        const std::size_t i = next + k < N ? next + k : next + k - N;
        if (!seen[i] && EqualsLowerName(name, names[i])) {
          seen[i] = true;
          values_[i] = value;
          next = i + 1 < N ? i + 1 : 0;
          return;
        }
      }
    });
  }

  [[nodiscard]] std::string_view operator[](std::size_t i) const { return values_[i]; }
  void Text(std::size_t i, std::string& field) const { field.assign(values_[i]); }
  void Score(std::size_t i, score_t& field) const {
    score_t value = 0;
    if (ParseScore(values_[i], value)) field = value;
  }
  void Bool(std::size_t i, bool& field) const { field = BoolFromText(values_[i]); }

 private:
  std::array<std::string_view, N> values_{};
};

// The attribute names of a pattern class, in the table's (written) order.
template <typename P, std::size_t N>
constexpr std::array<std::string_view, N> FieldNames(const std::array<pattern_field_t<P>, N>& f) {
  std::array<std::string_view, N> names{};
  for (std::size_t i = 0; i < N; ++i) names[i] = f[i].name;
  return names;
}

// A pattern element of the class of the field table kFields.
template <const auto& kFields>
std::unique_ptr<pattern_base_t> ReadPattern(const TSXMLElement& e) {
  using pattern_type = typename std::remove_cvref_t<decltype(kFields[0])>::pattern_type;
  static constexpr auto kNames = FieldNames(kFields);
  const attribute_values_t a(e, kNames);
  auto p = std::make_unique<pattern_type>();
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    const auto& f = kFields[i];
    if (f.text) {
      a.Text(i, (*p).*f.text);
    } else if (f.flag) {
      a.Bool(i, (*p).*f.flag);
    } else {
      a.Score(i, (*p).*f.score);
    }
  }
  return p;
}

// ---- Reading the tree -----------------------------------------------------

[[nodiscard]] bool IsElement(const TSXMLElement& e, std::string_view name) {
  return !e.IsText() && e.Text() == name;
}

// True when group elements below e nest deeper than kMaxGroupDepth. Descends
// only group elements and stops at the limit, so it is safe at any depth.
[[nodiscard]] bool GroupsTooDeep(const TSXMLElement& e, int depth) {
  for (const auto& child : e.Children()) {
    if (!IsElement(*child, "group")) continue;
    if (depth + 1 > kMaxGroupDepth || GroupsTooDeep(*child, depth + 1)) return true;
  }
  return false;
}

void ReadScene(group_t& node, const TSXMLElement& e) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "kind", "title", "point", "memo", "initial-spell-card-bonus", "time-limit", "decrease-rate"};
  const attribute_values_t a(e, kNames);
  auto scene = std::make_unique<scene_t>(&node);
  scene->kind = SceneKindFromText(a[0]);
  a.Text(1, scene->title);
  score_t point = 0;
  if (ParseScore(a[2], point)) scene->SetPoint(point);
  a.Text(3, scene->memo);
  if (scene->kind == scene_kind_t::SpellCard) {
    a.Score(4, scene->initial_spell_card_bonus);
    a.Score(5, scene->time_limit);
    a.Score(6, scene->decrease_rate);
  }
  auto* added = static_cast<scene_t*>(node.AddChild(std::move(scene)));
  std::vector<std::unique_ptr<pattern_base_t>> patterns;
  for (const auto& child : e.Children()) {
    if (IsElement(*child, "pattern")) {
      patterns.push_back(ReadPattern<kScenePatternFields>(*child));
    }
  }
  added->patterns.AddSortedAll(std::move(patterns));
}

// The children of a root or group element, in document order. Grouped patterns
// are sorted into the node's list as they come; pattern-ol and unknown elements
// are ignored with everything inside them.
void ReadChildren(group_t& node, const TSXMLElement& e) {
  std::vector<std::unique_ptr<pattern_base_t>> patterns;
  for (const auto& child_ptr : e.Children()) {
    const TSXMLElement& child = *child_ptr;
    if (child.IsText()) continue;
    const std::string& name = child.Text();
    if (name == "grouped-pattern") {
      patterns.push_back(ReadPattern<kGroupedPatternFields>(child));
    } else if (name == "group") {
      static constexpr std::array<std::string_view, 4> kNames = {"kind", "title", "memo",
                                                                 "grouping"};
      const attribute_values_t a(child, kNames);
      auto group = std::make_unique<group_t>(&node);
      group->kind = GroupKindFromText(a[0]);
      a.Text(1, group->title);
      a.Text(2, group->memo);
      a.Bool(3, group->grouping);
      auto* added = static_cast<group_t*>(node.AddChild(std::move(group)));
      ReadChildren(*added, child);
    } else if (name == "scene") {
      ReadScene(node, child);
    }
  }
  node.patterns.AddSortedAll(std::move(patterns));
}

// Replaces the root's contents with the first root element of the document.
// Everything that can refuse the document is checked before the root is touched.
void FillRoot(root_t& root, const sxml::TSXMLDoc& doc) {
  const TSXMLElement* source = nullptr;
  for (const auto& child : doc.Children()) {
    if (IsElement(*child, "root")) {
      source = child.get();
      break;
    }
  }
  if (source != nullptr && GroupsTooDeep(*source, 0)) {
    throw std::runtime_error("groups are nested too deeply");
  }
  root.ClearNode();
  root.patterns.Clear();
  if (source == nullptr) return;
  static constexpr std::array<std::string_view, 4> kNames = {"difficulty", "title", "memo",
                                                             "grouping"};
  const attribute_values_t a(*source, kNames);
  root.difficulty = DifficultyFromText(a[0]);
  a.Text(1, root.title);
  a.Text(2, root.memo);
  a.Bool(3, root.grouping);
  ReadChildren(root, *source);
}

void LoadText(root_t& root, std::string_view text) {
  sxml::TSXMLDoc doc;
  doc.LoadFromBuffer(text);
  FillRoot(root, doc);
}

// ---- Files ----------------------------------------------------------------

struct file_closer_t {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string ReadFileBytes(const std::filesystem::path& file_name) {
  std::unique_ptr<std::FILE, file_closer_t> file(std::fopen(file_name.c_str(), "rb"));
  if (!file) throw std::system_error(errno, std::generic_category(), "cannot open the file");
  std::string bytes;
  std::error_code ec;
  const auto size = std::filesystem::file_size(file_name, ec);
  if (!ec && size < (std::uintmax_t{1} << 40)) bytes.reserve(static_cast<std::size_t>(size));
  char buffer[64 * 1024];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    bytes.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) {
    throw std::system_error(errno, std::generic_category(), "cannot read the file");
  }
  return bytes;
}

std::string FileNameText(const std::filesystem::path& file_name) {
  try {
    return Utf8ToCp932(file_name.string());
  } catch (const std::exception&) {
    return file_name.string();  // not UTF-8: show the bytes as they are
  }
}

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

class fd_t {
 public:
  explicit fd_t(int fd) : fd_(fd) {}
  fd_t(const fd_t&) = delete;
  fd_t& operator=(const fd_t&) = delete;
  ~fd_t() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  // Closes now, reporting the error that a delayed write may only show here.
  [[nodiscard]] int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// The file that writing to file_name changes: a symbolic link is followed so
// that replacing the file keeps the link.
std::filesystem::path WriteTarget(const std::filesystem::path& file_name) {
  std::filesystem::path path = file_name;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec) || ec) break;
    std::filesystem::path link = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

// Writes bytes to a new file beside the target, flushes it to the disk and
// renames it over the target, so the target is either the old file or the
// whole new one. Returns an empty text on success, else the reason.
std::string WriteFileReplacing(const std::filesystem::path& file_name, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path target = WriteTarget(file_name);
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

  struct stat old_stat {};
  const bool target_exists = ::stat(target.c_str(), &old_stat) == 0;

  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    // A prefix of the name keeps the temporary name within the length limit
    // even when the target's name is near it.
    // Built by appending: GCC 12 at -O3 warns falsely about a chain of "+" here.
    std::string name = ".";
    name.append(target.filename().string().substr(0, 64));
    name.append(".").append(std::to_string(::getpid()));
    name.append(".").append(std::to_string(counter.fetch_add(1)));
    name.append(".tmp");
    temp = folder / name;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    return QVL_CP932("一時ファイルを作成できません。") + "(" + SystemReason(errno) + ")";
  }
  fd_t file(fd);
  auto fail = [&](std::string_view what, int error) {
    if (file.get() >= 0) (void)file.Close();
    ::unlink(temp.c_str());
    return std::string(what) + "(" + SystemReason(error) + ")";
  };

  // The new file keeps the permissions of the one it replaces.
  if (target_exists && ::fchmod(fd, old_stat.st_mode & 07777) != 0) {
    return fail(QVL_CP932("ファイルの属性を設定できません。"), errno);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(QVL_CP932("書き込みに失敗しました。"), errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(QVL_CP932("書き込みに失敗しました。"), errno);
  if (file.Close() != 0) return fail(QVL_CP932("書き込みに失敗しました。"), errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    return fail(QVL_CP932("ファイルを置き換えられません。"), errno);
  }
  // Make the rename itself durable; a failure here no longer loses anything.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace

bool ParseScore(std::string_view text, score_t& value) {
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  if (digits.empty()) return false;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
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
  return QVL_CP932("「") + FileNameText(file_name) + QVL_CP932("」の読み込みに失敗しました。") +
         "\n" + QVL_CP932("他のソフト等で使用している場合は終了させて下さい。");
}

std::string SaveFailureMessage(const std::filesystem::path& file_name, std::string_view reason) {
  return QVL_CP932("「") + FileNameText(file_name) + QVL_CP932("」の保存に失敗しました。") + "\n" +
         std::string(reason);
}

bool LoadDocument(root_t& root, const std::filesystem::path& file_name,
                  const load_failure_handler_t& on_failure) {
  bool result = false;
  for (;;) {
    try {
      // The file is parsed completely before the root is cleared, so a failed
      // attempt leaves the tree as it was.
      const std::string bytes = ReadFileBytes(file_name);
      LoadText(root, bytes);
      result = true;
      break;
    } catch (...) {
      // A file that is gone cannot be retried; it is a failure, not a success.
      std::error_code ec;
      if (!std::filesystem::exists(file_name, ec) && !ec) break;
      if (!on_failure || on_failure(LoadFailureMessage(file_name)) == load_answer_t::Abort) break;
    }
  }
  root.NormalizePatterns();
  return result;
}

bool LoadDocumentFromText(root_t& root, std::string_view text) {
  try {
    LoadText(root, text);
  } catch (const std::exception&) {
    return false;
  }
  root.NormalizePatterns();
  return true;
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
// bytes, plus the texts of titles and memos.
std::size_t EstimatedTextSize(const scene_base_t& node, std::size_t level) {
  const std::size_t line = 2 * level + 48;
  std::size_t size = 8 * line + node.title.size() + node.memo.size();
  for (int i = 0; i < node.patterns.Count(); ++i) {
    const pattern_base_t& p = *node.patterns.Items(i);
    size += 16 * (line + 26) + p.title.size() + p.memo.size();
  }
  if (const auto* group = dynamic_cast<const group_t*>(&node)) {
    for (int i = 0; i < group->ChildCount(); ++i) {
      size += EstimatedTextSize(*group->Child(i), level + 1);
    }
  }
  return size;
}

}  // namespace

std::string DocumentText(root_t& root) {
  root.NormalizePatterns();
  std::string text;
  text.reserve(EstimatedTextSize(root, 0));
  root.WriteSXML(text, 0);
  // Every line break becomes carriage return and line feed, a lone one inside
  // a title or memo too, and the last line ends with one.
  const std::size_t n = text.size();
  if (n == 0) return text;
  const bool ends_with_break = text[n - 1] == '\r' || text[n - 1] == '\n';
  if (OnlyLineBreakPairs(text)) {
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

save_result_t SaveDocument(root_t& root, const std::filesystem::path& file_name) {
  const std::string text = DocumentText(root);
  std::string reason = WriteFileReplacing(file_name, text);
  if (reason.empty()) return {true, {}};
  return {false, std::move(reason)};
}

}  // namespace qvl
