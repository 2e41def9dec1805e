// SXML, XML written as S-expressions: the tree that the reader builds
// (TSXMLElement, TSXMLDoc), the reader, and the text builders (escaping,
// indentation and the line layout of elements) with which model objects write
// themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sxml/UUngetStream.h"

namespace qvl::sxml {

// What a byte means to the reader. Delimiters end a token; blanks are the
// delimiters skipped between items.
enum class byte_class_t : std::uint8_t {
  Plain,      // part of a token or a string
  Backslash,  // may escape the next byte
  Blank,      // tab, line feed, carriage return, space, apostrophe, "."
  Quote,      // opens and closes a string
  Open,       // "("
  Close,      // ")"
  Hash,       // starts a block comment with "|", else dropped
  Semicolon,  // starts a line comment
};

inline constexpr std::array<byte_class_t, 256> kByteClass = [] {
  std::array<byte_class_t, 256> table{};
  for (auto& c : table) c = byte_class_t::Plain;
  for (const unsigned char c : {'\t', '\n', '\r', ' ', '\'', '.'}) table[c] = byte_class_t::Blank;
  table['\\'] = byte_class_t::Backslash;
  table['"'] = byte_class_t::Quote;
  table['('] = byte_class_t::Open;
  table[')'] = byte_class_t::Close;
  table['#'] = byte_class_t::Hash;
  table[';'] = byte_class_t::Semicolon;
  return table;
}();

// Bytes that end a token and so must be escaped inside names: tab, line feed,
// carriage return, space, double quote, "#", apostrophe, "(", ")", ".", ";".
[[nodiscard]] constexpr bool IsDelimiter(unsigned char c) {
  const byte_class_t k = kByteClass[c];
  return k != byte_class_t::Plain && k != byte_class_t::Backslash;
}

// A byte after which a backslash is the trail byte of a double-byte character
// (or follows a half-width katakana) and therefore is not an escape.
[[nodiscard]] constexpr bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFC;
}

// ---- The tree -------------------------------------------------------------

// One node: an element (its text is the name) or a text node (its text is the
// character data). An element owns its children, in document order, and keeps
// its attributes as entries "name=value" in the order read.
class TSXMLElement {
 public:
  TSXMLElement(bool is_text, std::string text) : is_text_(is_text), text_(std::move(text)) {}
  TSXMLElement(const TSXMLElement&) = delete;
  TSXMLElement& operator=(const TSXMLElement&) = delete;
  // Frees the whole subtree without recursion, so any depth is safe.
  virtual ~TSXMLElement();

  [[nodiscard]] bool IsText() const { return is_text_; }
  [[nodiscard]] const std::string& Text() const { return text_; }

  [[nodiscard]] std::size_t Count() const { return children_.size(); }
  // Throws std::out_of_range outside 0 .. Count() − 1.
  [[nodiscard]] TSXMLElement* Items(std::size_t index) const;
  [[nodiscard]] const std::vector<std::unique_ptr<TSXMLElement>>& Children() const {
    return children_;
  }
  // Appends a child and returns it.
  TSXMLElement* Add(std::unique_ptr<TSXMLElement> child);
  // Frees every child; the attributes stay.
  void Clear();

  // The character data of every text node below, in document order.
  [[nodiscard]] std::string TextContent() const;

  // The attribute entries, each "name=value" (or empty), in the order read.
  // Views live as long as the element.
  [[nodiscard]] std::size_t AttributeCount() const { return attributes_.size(); }
  // Throws std::out_of_range outside 0 .. AttributeCount() − 1.
  [[nodiscard]] std::string_view Attribute(std::size_t index) const;
  void AddAttribute(std::string_view entry);
  // The value of the first entry whose name (the text before its first "=")
  // equals name without regard to ASCII letter case; empty when there is none.
  [[nodiscard]] std::string_view AttributeValue(std::string_view name) const;
  // Calls visit(name, value) for every entry in order; an entry without "="
  // (the empty one) has the whole entry as its name and an empty value.
  template <typename Visit>
  void ForEachAttribute(Visit&& visit) const {
    for (const std::string& entry : attributes_) {
      const std::size_t equals = entry.find('=');
      const std::string_view view(entry);
      if (equals == std::string::npos) {
        visit(view, std::string_view());
      } else {
        visit(view.substr(0, equals), view.substr(equals + 1));
      }
    }
  }

 private:
  friend class TSXMLTreeBuilder;

  bool is_text_;
  std::string text_;
  std::vector<std::unique_ptr<TSXMLElement>> children_;
  std::vector<std::string> attributes_;
};

// The document: an element without a name whose children are the top-level
// nodes of the input.
class TSXMLDoc : public TSXMLElement {
 public:
  TSXMLDoc() : TSXMLElement(false, {}) {}

  // Reads the rest of the stream and appends the nodes it holds. Raises
  // EReadError where the input ends in the middle of a string, an attribute
  // list, a skipped list or a "(" and its name; the nodes read so far stay.
  void LoadFromStream(TStream& stream);
  // The same on bytes already in memory.
  void LoadFromBuffer(std::string_view bytes);
};

// ---- Reading without a tree ----------------------------------------------

// Receives what the reader finds, in document order, so that a caller can
// build its own objects without the element tree. Called once per element,
// attribute and text node, never per byte.
class TSXMLHandler {
 public:
  TSXMLHandler() = default;
  TSXMLHandler(const TSXMLHandler&) = delete;
  TSXMLHandler& operator=(const TSXMLHandler&) = delete;
  virtual ~TSXMLHandler() = default;

  // An element opens; its "(" is at offset in the input.
  virtual void StartElement(std::string_view name, std::size_t offset) = 0;
  // The innermost open element ends.
  virtual void EndElement() = 0;
  // One entry of an attribute list of the innermost open element (of the
  // document at the top level). An attribute without a usable name ("", "@"
  // or "@@") comes as an empty name with an empty value; a name may hold "=".
  virtual void Attribute(std::string_view name, std::string_view value) = 0;
  // A text node; the handler may take the bytes.
  virtual void Text(std::string& data) = 0;
};

// What the end of the input does to elements that are still open.
enum class unclosed_t {
  End,     // they end there, as if closed
  Refuse,  // EReadError: the input was cut off
};

// Reads the whole input into handler. Raises EReadError where the input ends
// in the middle of a string, an attribute list, a skipped list or a "(" and
// its name, and with unclosed_t::Refuse also inside an open element.
void ParseSXML(std::string_view bytes, TSXMLHandler& handler, unclosed_t unclosed);

// ---- The text builders ----------------------------------------------------

[[nodiscard]] std::string Indent(int level);
[[nodiscard]] std::string EscapeName(std::string_view name);
// Backslashes before double quotes and before every backslash that does not
// follow a byte in 0x81–0xFC. A double quote right after such a byte cannot be
// read back (the reader would take the escaping backslash as the second byte
// of a character), so it is written as the full-width quote 0x81 0x68.
[[nodiscard]] std::string EscapeString(std::string_view text);
[[nodiscard]] std::string TextElement(std::string_view name, std::string_view text);
[[nodiscard]] std::string NumberElement(std::string_view name, std::int64_t value);
[[nodiscard]] std::string BoolElement(std::string_view name, bool value);
[[nodiscard]] std::string ElementText(std::string_view name,
                                      const std::vector<std::string>& attributes, int level,
                                      const std::vector<std::string>& children);

void AppendIndent(std::string& out, int level);
void AppendEscapedName(std::string& out, std::string_view name);
void AppendEscapedString(std::string& out, std::string_view text);

// Writes one element straight into a growing text, so that a whole document is
// built in one buffer: attributes first, then children, then End(). The layout
// is the one ElementText describes; ElementText itself is built on this class.
class TSXMLElementWriter {
 public:
  TSXMLElementWriter(std::string& out, std::string_view name, int level);
  TSXMLElementWriter(const TSXMLElementWriter&) = delete;
  TSXMLElementWriter& operator=(const TSXMLElementWriter&) = delete;

  void Text(std::string_view name, std::string_view text);
  void Number(std::string_view name, std::int64_t value);
  void Bool(std::string_view name, bool value);
  // An attribute text that is already built (TextElement and friends).
  void RawAttribute(std::string_view attribute);
  // Starts the line of the next child; the child then writes itself at the
  // returned level straight into the same text.
  int BeginChild();
  void End();

 private:
  void BeginAttribute();
  // Starts the next attribute up to its opening quote and makes room for tail
  // more bytes, returning where they go.
  char* OpenAttribute(std::string_view name, std::size_t tail);
  // An attribute whose text needs no escaping.
  void PlainText(std::string_view name, std::string_view text);
  void CloseAttributes();

  std::string& out_;
  int level_;
  std::size_t start_;
  std::size_t align_ = 0;
  bool has_attributes_ = false;
  bool attributes_closed_ = false;
};

}  // namespace qvl::sxml
