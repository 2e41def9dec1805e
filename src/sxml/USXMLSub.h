// SXML text builders: escaping, indentation and the line layout of elements,
// shared by every model object that writes itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvl::sxml {

// Bytes that end a token and so must be escaped inside names.
[[nodiscard]] constexpr bool IsDelimiter(unsigned char c) {
  switch (c) {
    case '\t': case '\n': case '\r': case ' ': case '"': case '#':
    case '\'': case '(': case ')': case '.': case ';':
      return true;
    default:
      return false;
  }
}

// A byte after which a backslash is the trail byte of a double-byte character
// (or follows a half-width katakana) and therefore is not an escape.
[[nodiscard]] constexpr bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFC; }

[[nodiscard]] std::string Indent(int level);
[[nodiscard]] std::string EscapeName(std::string_view name);
[[nodiscard]] std::string EscapeString(std::string_view text);
[[nodiscard]] std::string TextElement(std::string_view name, std::string_view text);
[[nodiscard]] std::string NumberElement(std::string_view name, std::int64_t value);
[[nodiscard]] std::string BoolElement(std::string_view name, bool value);
[[nodiscard]] std::string ElementText(std::string_view name, const std::vector<std::string>& attributes,
                                      int level, const std::vector<std::string>& children);

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
  void CloseAttributes();

  std::string& out_;
  int level_;
  std::size_t start_;
  std::size_t align_ = 0;
  bool has_attributes_ = false;
  bool attributes_closed_ = false;
};

}  // namespace qvl::sxml
