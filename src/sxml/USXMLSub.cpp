#include "sxml/USXMLSub.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace qvl::sxml {

// ---- The tree -------------------------------------------------------------

namespace {

[[nodiscard]] unsigned char LowerAsciiByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAsciiByte(static_cast<unsigned char>(a[i])) !=
        LowerAsciiByte(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

TSXMLElement::~TSXMLElement() {
  Clear();
}

void TSXMLElement::Clear() {
  if (children_.empty()) return;
  // Detach the grandchildren of each child before it dies, one level at a time.
  std::vector<std::unique_ptr<TSXMLElement>> pending = std::move(children_);
  children_.clear();
  while (!pending.empty()) {
    std::unique_ptr<TSXMLElement> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) {
      if (child->children_.empty()) {
        child.reset();  // a leaf goes at once
      } else {
        pending.push_back(std::move(child));
      }
    }
    node->children_.clear();
  }
}

TSXMLElement* TSXMLElement::Items(std::size_t index) const {
  if (index >= children_.size()) throw std::out_of_range("SXML element index out of range");
  return children_[index].get();
}

TSXMLElement* TSXMLElement::Add(std::unique_ptr<TSXMLElement> child) {
  children_.push_back(std::move(child));
  return children_.back().get();
}

std::string TSXMLElement::TextContent() const {
  std::string out;
  // Depth first in document order, with an explicit stack of (node, next child).
  std::vector<std::pair<const TSXMLElement*, std::size_t>> stack;
  stack.emplace_back(this, 0);
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (node->is_text_) {
      out.append(node->text_);
      stack.pop_back();
      continue;
    }
    if (next == node->children_.size()) {
      stack.pop_back();
      continue;
    }
    const TSXMLElement* child = node->children_[next++].get();
    stack.emplace_back(child, 0);
  }
  return out;
}

std::string_view TSXMLElement::Attribute(std::size_t index) const {
  if (index >= attributes_.size()) throw std::out_of_range("SXML attribute index out of range");
  return attributes_[index];
}

void TSXMLElement::AddAttribute(std::string_view entry) {
  attributes_.emplace_back(entry);
}

std::string_view TSXMLElement::AttributeValue(std::string_view name) const {
  bool found = false;
  std::string_view result;
  ForEachAttribute([&](std::string_view entry_name, std::string_view value) {
    if (found || !EqualsNoCase(entry_name, name)) return;
    found = true;
    result = value;
  });
  return result;
}

// ---- The reader -----------------------------------------------------------

namespace {

// "@" and "@@" open an attribute list and name no attribute.
[[nodiscard]] bool IsAttributeListName(std::string_view name) {
  return name == std::string_view("@") || name == std::string_view("@@");
}

// Eight bytes of the input looked at as one word, so that names and values
// are scanned a word at a time instead of a byte at a time. Each test marks
// the high bit of the bytes it finds; bytes above the lowest marked one may be
// marked falsely, so only the lowest mark counts, and on a little-endian
// machine that is the first such byte in the input.
constexpr bool kScanWords = std::endian::native == std::endian::little;
constexpr std::uint64_t kLowBits = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

[[nodiscard]] std::uint64_t LoadWord(const unsigned char* p) {
  std::uint64_t word = 0;
  std::memcpy(&word, p, sizeof word);
  return word;
}
[[nodiscard]] constexpr std::uint64_t BytesBelow(std::uint64_t word, unsigned char limit) {
  return (word - kLowBits * limit) & ~word & kHighBits;  // limit at most 0x80
}
[[nodiscard]] constexpr std::uint64_t BytesEqual(std::uint64_t word, unsigned char byte) {
  return BytesBelow(word ^ (kLowBits * byte), 1);
}
// The offset of the first marked byte of a nonzero mask.
[[nodiscard]] constexpr std::size_t FirstMarked(std::uint64_t mask) {
  return static_cast<std::size_t>(std::countr_zero(mask) / 8);
}

}  // namespace

// Reads SXML from one buffer by index. The grammar is defined on a stream of
// single bytes with push-back; every push-back it makes gives back exactly the
// bytes just read, so here a push-back is a step back of the index. The
// previous delivered byte (which decides whether a backslash escapes) is kept
// exactly as the stream reader keeps it, also across those steps back.
class TSXMLReader {
 public:
  TSXMLReader(std::string_view bytes, TSXMLHandler& handler)
      : p_(reinterpret_cast<const unsigned char*>(bytes.data())),
        n_(bytes.size()),
        handler_(handler) {}

  void ReadContent(unclosed_t unclosed);

 private:
  // What the reader is in the middle of, for the error at the end of the input.
  struct context_t {
    read_expected_t expected;
    std::size_t opened_at;
  };
  // Sets the context for one construct and puts the outer one back after it.
  class scoped_context_t {
   public:
    scoped_context_t(TSXMLReader& reader, read_expected_t expected, std::size_t opened_at)
        : reader_(reader), outer_(reader.context_) {
      reader.context_ = {expected, opened_at};
    }
    scoped_context_t(const scoped_context_t&) = delete;
    scoped_context_t& operator=(const scoped_context_t&) = delete;
    ~scoped_context_t() { reader_.context_ = outer_; }

   private:
    TSXMLReader& reader_;
    context_t outer_;
  };

  [[noreturn]] void EndOfInput() const {
    throw EReadError("stream read error: the SXML text ends too early", n_, context_.expected,
                     context_.opened_at);
  }

  unsigned char RawRead() {
    if (pos_ == n_) EndOfInput();
    return p_[pos_++];
  }

  // A backslash that does not follow a byte in 0x81–0xFC escapes the next byte.
  unsigned char Read() {
    escaped_ = false;
    unsigned char c = RawRead();
    if (c == '\\' && !IsLeadByte(prev_)) {
      escaped_ = true;
      c = RawRead();
    }
    prev_ = c;
    return c;
  }

  // Consumes a run of bytes of one class, as escape-aware reads of them would.
  template <typename Pred>
  std::size_t SkipRun(Pred pred) {
    const std::size_t start = pos_;
    const unsigned char* const p = p_;
    const std::size_t n = n_;
    std::size_t i = start;
    while (i < n && pred(kByteClass[p[i]])) ++i;
    pos_ = i;
    if (i != start) prev_ = p[i - 1];
    return start;
  }
  // A written file's blanks are line breaks (CR LF) and the indentation after
  // them (every attribute line is lined up under the first): a word at a time,
  // the line break in one step, then eight spaces at a time, and the spaces
  // before the first other byte of the last word at once.
  void SkipBlankRun() {
    constexpr std::uint64_t kEightSpaces = 0x2020202020202020u;
    constexpr std::uint64_t kLineBreak = 0x0A0D;  // CR LF as the low bytes of a word
    const std::size_t start = pos_;
    std::size_t i = start;
    if constexpr (kScanWords) {
      while (n_ - i >= sizeof kEightSpaces) {
        const std::uint64_t word = LoadWord(p_ + i);
        const std::uint64_t other = word ^ kEightSpaces;
        if (other == 0) {
          i += sizeof word;
        } else if ((word & 0xFFFF) == kLineBreak) {
          i += 2;
        } else {
          i += static_cast<std::size_t>(std::countr_zero(other) / 8);
          break;
        }
      }
    }
    // Other blanks, and the last bytes of the input, one at a time.
    while (i < n_ && kByteClass[p_[i]] == byte_class_t::Blank) ++i;
    pos_ = i;
    if (i != start) prev_ = p_[i - 1];
  }

  void SkipBlanks() {
    // Most items follow one another directly: nothing to skip.
    if (pos_ < n_) {
      const unsigned char c = p_[pos_];
      const byte_class_t k = kByteClass[c];
      if (k == byte_class_t::Plain || k == byte_class_t::Quote || k == byte_class_t::Open ||
          k == byte_class_t::Close) {
        prev_ = c;
        return;
      }
    }
    SkipBlanksAndComments();
  }
  void SkipBlanksAndComments();
  void SkipBlockComment();
  void SkipLineComment();
  void ReadToken(std::string& out);
  void ReadString(std::string& out);
  // Skips blanks, reads a token and drops it, and returns the byte after it.
  unsigned char NextItem() {
    SkipBlanks();
    // Most items start with a delimiter: the token is empty and the byte
    // after it is that delimiter.
    const unsigned char c = p_[pos_];
    if (IsDelimiter(c)) {
      ++pos_;
      prev_ = c;
      escaped_ = false;
      return c;
    }
    ReadToken(scratch_);
    return Read();
  }
  // Called after the opening quote was read.
  void ReadQuoted(std::string& out) {
    const scoped_context_t context(*this, read_expected_t::StringEnd, pos_ - 1);
    ReadString(out);
  }
  void SkipList();
  // Hands one entry to the handler.
  void ReadAttribute();
  // The writer writes every attribute as (name "value"), with one space and
  // nothing to unescape: that form is taken in one look, its name and value
  // handed over as views of the input instead of being copied byte by byte.
  // False, with nothing read, for any other form.
  bool ReadPlainAttribute();
  void ReadAttributeList();

  const unsigned char* p_;
  std::size_t n_;
  TSXMLHandler& handler_;
  std::size_t pos_ = 0;
  unsigned char prev_ = 0;
  bool escaped_ = false;
  context_t context_{read_expected_t::Anything, 0};
  std::string scratch_;
  std::string name_;
  std::string value_;
};

void TSXMLReader::SkipBlanksAndComments() {
  // Each byte is what an escape-aware read followed by a push-back would
  // leave: the index on the byte that stops the skip, the previous byte set.
  for (;;) {
    SkipBlankRun();
    if (pos_ == n_) EndOfInput();
    const unsigned char c = p_[pos_];
    switch (kByteClass[c]) {
      case byte_class_t::Hash:
        prev_ = c;
        ++pos_;
        if (RawRead() == '|') {
          SkipBlockComment();
        } else {
          --pos_;  // the "#" alone is dropped
        }
        continue;
      case byte_class_t::Semicolon:
        prev_ = c;
        ++pos_;
        SkipLineComment();
        continue;
      case byte_class_t::Backslash:
        if (!IsLeadByte(prev_)) {
          // An escape: the escaped byte was delivered and both are given
          // back, so that the token sees the same escape again.
          if (pos_ + 1 == n_) {
            pos_ = n_;
            EndOfInput();
          }
          prev_ = p_[pos_ + 1];
          return;
        }
        prev_ = c;
        return;
      default:
        prev_ = c;
        return;
    }
  }
}

void TSXMLReader::SkipBlockComment() {
  // Ends at a "|" directly followed by "#"; the "|" that opened it doesn't count.
  const std::size_t start = pos_;
  for (;;) {
    if (pos_ == n_) EndOfInput();
    const void* hit = std::memchr(p_ + pos_, '#', n_ - pos_);
    if (hit == nullptr) {
      pos_ = n_;
      EndOfInput();
    }
    const auto at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p_);
    pos_ = at + 1;
    if (at > start && p_[at - 1] == '|') return;
  }
}

void TSXMLReader::SkipLineComment() {
  if (pos_ == n_) EndOfInput();
  const void* hit = std::memchr(p_ + pos_, '\n', n_ - pos_);
  if (hit == nullptr) {
    pos_ = n_;
    EndOfInput();
  }
  pos_ = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - p_) + 1;
}

void TSXMLReader::ReadToken(std::string& out) {
  out.clear();
  for (;;) {
    const std::size_t start = SkipRun([](byte_class_t k) { return k == byte_class_t::Plain; });
    out.append(reinterpret_cast<const char*>(p_ + start), pos_ - start);
    if (pos_ < n_ && IsDelimiter(p_[pos_])) {
      // Read and given back: only the previous byte changes.
      prev_ = p_[pos_];
      return;
    }
    const unsigned char c = Read();
    if (escaped_ || !IsDelimiter(c)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    --pos_;
    return;
  }
}

void TSXMLReader::ReadString(std::string& out) {
  for (;;) {
    const std::size_t start = SkipRun(
        [](byte_class_t k) { return k != byte_class_t::Quote && k != byte_class_t::Backslash; });
    out.append(reinterpret_cast<const char*>(p_ + start), pos_ - start);
    const unsigned char c = Read();
    if (!escaped_) {
      if (c == '"') return;
      out.push_back(static_cast<char>(c));
      continue;
    }
    // A backslash at the end of a line continues the string on the next one.
    if (c == '\n') continue;
    if (c == '\r') {
      if (RawRead() != '\n') --pos_;
      continue;
    }
    out.push_back(static_cast<char>(c));
  }
}

void TSXMLReader::SkipList() {
  const scoped_context_t context(*this, read_expected_t::ListEnd, pos_ - 1);
  std::size_t depth = 1;
  while (depth > 0) {
    switch (NextItem()) {
      case '"':
        scratch_.clear();
        ReadQuoted(scratch_);
        break;
      case '(':
        ++depth;
        break;
      case ')':
        --depth;
        break;
      default:
        break;
    }
  }
}

bool TSXMLReader::ReadPlainAttribute() {
  const auto plain = [this](std::size_t i) {
    return i < n_ && kByteClass[p_[i]] == byte_class_t::Plain;
  };
  const std::size_t name_start = pos_;
  std::size_t i = name_start;
  if constexpr (kScanWords) {
    // Names are letters, digits and "-": a word at a time up to the first
    // byte that may end one (every delimiter and the backslash are below
    // "-", or ".", ";" or "\\"). Plain bytes among them go the byte way below.
    while (n_ - i >= 8) {
      const std::uint64_t word = LoadWord(p_ + i);
      const std::uint64_t stop = BytesBelow(word, '-') | BytesEqual(word, '.') |
                                 BytesEqual(word, ';') | BytesEqual(word, '\\');
      if (stop != 0) {
        i += FirstMarked(stop);
        break;
      }
      i += 8;
    }
  }
  while (plain(i)) ++i;
  const std::size_t name_end = i;
  if (name_end == name_start || n_ - i < 2 || p_[i] != ' ' || p_[i + 1] != '"') return false;
  const std::size_t value_start = i + 2;
  i = value_start;
  if constexpr (kScanWords) {
    // Values are short numbers and texts: mostly one word to the closing quote.
    while (n_ - i >= 8) {
      const std::uint64_t word = LoadWord(p_ + i);
      const std::uint64_t stop = BytesEqual(word, '"') | BytesEqual(word, '\\');
      if (stop != 0) {
        i += FirstMarked(stop);
        break;
      }
      i += 8;
    }
  }
  for (; i < n_; ++i) {
    const byte_class_t k = kByteClass[p_[i]];
    if (k == byte_class_t::Quote || k == byte_class_t::Backslash) break;
  }
  if (n_ - i < 2 || p_[i] != '"' || p_[i + 1] != ')') return false;
  const auto* const text = reinterpret_cast<const char*>(p_);
  const std::string_view name(text + name_start, name_end - name_start);
  const std::string_view value(text + value_start, i - value_start);
  // Where the general way leaves the reader after the ")".
  pos_ = i + 2;
  prev_ = ')';
  escaped_ = false;
  if (IsAttributeListName(name)) {
    handler_.Attribute({}, {});
  } else {
    handler_.Attribute(name, value);
  }
  return true;
}

void TSXMLReader::ReadAttribute() {
  if (ReadPlainAttribute()) return;
  const scoped_context_t context(*this, read_expected_t::ListEnd, pos_ - 1);
  SkipBlanks();
  ReadToken(name_);
  value_.clear();
  for (;;) {
    const unsigned char c = NextItem();
    if (c == '"') {
      value_.clear();  // a later string replaces an earlier one
      ReadQuoted(value_);
    } else if (c == '(') {
      SkipList();
    } else if (c == ')') {
      break;
    }
  }
  if (!name_.empty() && !IsAttributeListName(name_)) {
    handler_.Attribute(name_, value_);
  } else {
    handler_.Attribute({}, {});
  }
}

void TSXMLReader::ReadAttributeList() {
  // The entries read before an early end of the input have been handed over.
  for (;;) {
    const unsigned char c = NextItem();
    if (c == '"') {
      scratch_.clear();
      ReadQuoted(scratch_);
    } else if (c == '(') {
      ReadAttribute();
    } else if (c == ')') {
      break;
    }
  }
}

void TSXMLReader::ReadContent(unclosed_t unclosed) {
  // Where each open element's "(" is, innermost last: nesting costs heap, not
  // stack.
  std::vector<std::size_t> open;
  std::string data;
  for (;;) {
    unsigned char c = 0;
    try {
      c = NextItem();
    } catch (const EReadError&) {
      // The end of the input between items.
      if (open.empty()) return;
      if (unclosed == unclosed_t::Refuse) {
        context_ = {read_expected_t::ElementEnd, open.back()};
        EndOfInput();
      }
      for (std::size_t i = open.size(); i > 0; --i) handler_.EndElement();
      return;
    }
    switch (c) {
      case '"':
        data.clear();
        ReadQuoted(data);
        handler_.Text(data);
        break;
      case '(': {
        const std::size_t at = pos_ - 1;
        {
          const scoped_context_t context(*this, read_expected_t::Name, at);
          SkipBlanks();
          ReadToken(name_);
        }
        if (IsAttributeListName(name_)) {
          const scoped_context_t context(*this, read_expected_t::ListEnd, at);
          ReadAttributeList();
        } else {
          open.push_back(at);
          handler_.StartElement(name_, at);
        }
        break;
      }
      case ')':
        if (open.empty()) return;  // a surplus ")" ends the whole load
        open.pop_back();
        handler_.EndElement();
        break;
      default:
        break;
    }
  }
}

// Builds the element tree: each handler call adds to the innermost open
// element.
class TSXMLTreeBuilder final : public TSXMLHandler {
 public:
  explicit TSXMLTreeBuilder(TSXMLElement& document) : open_{&document} {}

  void StartElement(std::string_view name, std::size_t) override {
    TSXMLElement& current = *open_.back();
    current.children_.push_back(std::make_unique<TSXMLElement>(false, std::string(name)));
    open_.push_back(current.children_.back().get());
  }
  void EndElement() override { open_.pop_back(); }
  void Attribute(std::string_view name, std::string_view value) override {
    std::string& entry = open_.back()->attributes_.emplace_back(name);
    if (!name.empty()) entry.append("=").append(value);
  }
  void Text(std::string& data) override {
    open_.back()->children_.push_back(std::make_unique<TSXMLElement>(true, std::move(data)));
  }

 private:
  std::vector<TSXMLElement*> open_;
};

void ParseSXML(std::string_view bytes, TSXMLHandler& handler, unclosed_t unclosed) {
  TSXMLReader reader(bytes, handler);
  reader.ReadContent(unclosed);
}

void TSXMLDoc::LoadFromStream(TStream& stream) {
  std::string bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  for (;;) {
    const std::size_t used = bytes.size();
    bytes.resize(used + kChunk);
    const std::size_t n = stream.Read(bytes.data() + used, kChunk);
    bytes.resize(used + n);
    if (n == 0) break;
  }
  LoadFromBuffer(bytes);
}

void TSXMLDoc::LoadFromBuffer(std::string_view bytes) {
  TSXMLTreeBuilder builder(*this);
  ParseSXML(bytes, builder, unclosed_t::End);
}

// ---- The text builders ----------------------------------------------------

void AppendIndent(std::string& out, int level) {
  if (level > 0) out.append(static_cast<std::size_t>(level) * 2, ' ');
}

std::string Indent(int level) {
  std::string out;
  AppendIndent(out, level);
  return out;
}

void AppendEscapedName(std::string& out, std::string_view name) {
  std::size_t i = 0;
  while (i < name.size()) {
    const std::size_t start = i;
    while (i < name.size() && !IsDelimiter(static_cast<unsigned char>(name[i]))) ++i;
    out.append(name.data() + start, i - start);
    if (i == name.size()) break;
    out.push_back('\\');
    out.push_back(name[i++]);
  }
}

std::string EscapeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  AppendEscapedName(out, name);
  return out;
}

void AppendEscapedString(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && text[i] != '"' && text[i] != '\\') ++i;
    out.append(text.data() + start, i - start);
    if (i == text.size()) break;
    const auto previous = static_cast<unsigned char>(i > 0 ? text[i - 1] : 0);
    if (text[i] == '"') {
      if (IsLeadByte(previous)) {
        // The reader would take an escaping backslash here as the second byte
        // of a character and end the string at the quote, so no writing of
        // this quote reads back; the full-width quote keeps the text readable
        // and the file's structure intact.
        out.append("\x81\x68");
      } else {
        out.append("\\\"");
      }
    } else {
      if (!IsLeadByte(previous)) out.push_back('\\');
      out.push_back('\\');
    }
    ++i;
  }
}

std::string EscapeString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendEscapedString(out, text);
  return out;
}

namespace {

void AppendTextElement(std::string& out, std::string_view name, std::string_view text) {
  out.push_back('(');
  AppendEscapedName(out, name);
  out.append(" \"");
  AppendEscapedString(out, text);
  out.append("\")");
}

// The decimal text of a signed 64-bit value, "-" before a negative one.
struct number_text_t {
  explicit number_text_t(std::int64_t value) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    length = static_cast<std::size_t>(result.ptr - buffer);
  }
  [[nodiscard]] std::string_view View() const { return {buffer, length}; }
  char buffer[24];
  std::size_t length;
};

}  // namespace

std::string TextElement(std::string_view name, std::string_view text) {
  std::string out;
  out.reserve(name.size() + text.size() + 6);
  AppendTextElement(out, name, text);
  return out;
}

std::string NumberElement(std::string_view name, std::int64_t value) {
  return TextElement(name, number_text_t(value).View());
}

std::string BoolElement(std::string_view name, bool value) {
  return TextElement(name, value ? "true" : "false");
}

std::string ElementText(std::string_view name, const std::vector<std::string>& attributes,
                        int level, const std::vector<std::string>& children) {
  std::string out;
  TSXMLElementWriter writer(out, name, level);
  for (const std::string& attribute : attributes) writer.RawAttribute(attribute);
  for (const std::string& child : children) {
    writer.BeginChild();
    out.append(child);
  }
  writer.End();
  return out;
}

TSXMLElementWriter::TSXMLElementWriter(std::string& out, std::string_view name, int level)
    : out_(out), level_(level), start_(out.size()) {
  out_.push_back('(');
  AppendEscapedName(out_, name);
}

void TSXMLElementWriter::BeginAttribute() {
  if (!has_attributes_) {
    out_.append(" (@ ");
    align_ = out_.size() - start_;
    has_attributes_ = true;
    return;
  }
  // Every further attribute lines up under the first one.
  out_.append("\r\n");
  out_.append((level_ > 0 ? static_cast<std::size_t>(level_) * 2 : 0) + align_, ' ');
}

namespace {

[[nodiscard]] bool HasDelimiter(std::string_view name) {
  for (const char c : name) {
    if (IsDelimiter(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

}  // namespace

char* TSXMLElementWriter::OpenAttribute(std::string_view name, std::size_t tail) {
  if (HasDelimiter(name)) {
    BeginAttribute();
    out_.push_back('(');
    AppendEscapedName(out_, name);
    out_.append(" \"");
    out_.append(tail, ' ');
    return out_.data() + out_.size() - tail;
  }
  // The whole opening at once: the line start, "(", the name, a space and the
  // quote, followed by room for the tail. The padding is already spaces.
  const std::size_t lead =
      has_attributes_ ? 2 + (level_ > 0 ? static_cast<std::size_t>(level_) * 2 : 0) + align_ : 4;
  const std::size_t old = out_.size();
  out_.append(lead + 1 + name.size() + 2 + tail, ' ');
  char* p = out_.data() + old;
  if (has_attributes_) {
    p[0] = '\r';
    p[1] = '\n';
  } else {
    std::memcpy(p, " (@ ", 4);
    align_ = old + 4 - start_;
    has_attributes_ = true;
  }
  p += lead;
  *p++ = '(';
  std::memcpy(p, name.data(), name.size());
  p += name.size();
  p[1] = '"';  // p[0] stays the space
  return p + 2;
}

void TSXMLElementWriter::Text(std::string_view name, std::string_view text) {
  OpenAttribute(name, 0);
  AppendEscapedString(out_, text);
  out_.append("\")");
}

void TSXMLElementWriter::PlainText(std::string_view name, std::string_view text) {
  char* p = OpenAttribute(name, text.size() + 2);
  std::memcpy(p, text.data(), text.size());
  p[text.size()] = '"';
  p[text.size() + 1] = ')';
}

// Digits, "-", "true" and "false" never need escaping.
void TSXMLElementWriter::Number(std::string_view name, std::int64_t value) {
  PlainText(name, number_text_t(value).View());
}

void TSXMLElementWriter::Bool(std::string_view name, bool value) {
  PlainText(name, value ? "true" : "false");
}

void TSXMLElementWriter::RawAttribute(std::string_view attribute) {
  BeginAttribute();
  out_.append(attribute);
}

void TSXMLElementWriter::CloseAttributes() {
  if (has_attributes_ && !attributes_closed_) out_.push_back(')');
  attributes_closed_ = true;
}

int TSXMLElementWriter::BeginChild() {
  CloseAttributes();
  const std::size_t old = out_.size();
  out_.append(2 + static_cast<std::size_t>(level_ + 1 > 0 ? level_ + 1 : 0) * 2, ' ');
  out_[old] = '\r';
  out_[old + 1] = '\n';
  return level_ + 1;
}

void TSXMLElementWriter::End() {
  CloseAttributes();
  out_.push_back(')');
}

}  // namespace qvl::sxml
