#include "sxml/USXMLSub.h"

namespace qvl::sxml {

void AppendIndent(std::string& out, int level) {
  if (level > 0) out.append(static_cast<std::size_t>(level) * 2, ' ');
}

std::string Indent(int level) {
  std::string out;
  AppendIndent(out, level);
  return out;
}

void AppendEscapedName(std::string& out, std::string_view name) {
  for (const char c : name) {
    if (IsDelimiter(static_cast<unsigned char>(c))) out.push_back('\\');
    out.push_back(c);
  }
}

std::string EscapeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  AppendEscapedName(out, name);
  return out;
}

void AppendEscapedString(std::string& out, std::string_view text) {
  unsigned char previous = 0;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      if (IsLeadByte(previous)) {
        // The reader takes a backslash after such a byte as data, so a quote
        // here could never be read back as data; it would end the string and
        // change the file's structure. It is written as the full-width quote
        // (code page 932 0x81 0x68) instead.
        out.push_back(static_cast<char>(0x81));
        out.push_back(static_cast<char>(0x68));
        previous = 0x68;
        continue;
      }
      out.push_back('\\');
    } else if (c == '\\' && !IsLeadByte(previous)) {
      out.push_back('\\');
    }
    out.push_back(ch);
    previous = c;
  }
}

std::string EscapeString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendEscapedString(out, text);
  return out;
}

std::string TextElement(std::string_view name, std::string_view text) {
  std::string out;
  out.reserve(name.size() + text.size() + 6);
  out.push_back('(');
  AppendEscapedName(out, name);
  out.append(" \"");
  AppendEscapedString(out, text);
  out.append("\")");
  return out;
}

std::string NumberElement(std::string_view name, std::int64_t value) {
  return TextElement(name, std::to_string(value));
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
  out_.append("\r\n");
  AppendIndent(out_, level_);
  out_.append(align_, ' ');
}

void TSXMLElementWriter::Text(std::string_view name, std::string_view text) {
  BeginAttribute();
  out_.push_back('(');
  AppendEscapedName(out_, name);
  out_.append(" \"");
  AppendEscapedString(out_, text);
  out_.append("\")");
}

void TSXMLElementWriter::Number(std::string_view name, std::int64_t value) {
  Text(name, std::to_string(value));
}

void TSXMLElementWriter::Bool(std::string_view name, bool value) {
  Text(name, value ? "true" : "false");
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
  out_.append("\r\n");
  AppendIndent(out_, level_ + 1);
  return level_ + 1;
}

void TSXMLElementWriter::End() {
  CloseAttributes();
  out_.push_back(')');
}

}  // namespace qvl::sxml
