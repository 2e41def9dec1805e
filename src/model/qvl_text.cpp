#include "model/qvl_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/qvl_text_platform.h"
#include "sxml/USXMLSub.h"

namespace qvl {
namespace {

// No character of code page 932: U+FFFF is a noncharacter, and 0xFFFF is no
// code (0xFF is no lead byte).
constexpr char16_t kNoCharacter = u'\uFFFF';
constexpr std::uint16_t kNoCode = 0xFFFF;

// The code page as two tables, asked of the system's converter once per
// process: every text is then converted here, the same way on every platform,
// and malformed bytes are treated by the one rule below rather than by each
// converter's own.
struct cp932_tables_t {
  std::array<char16_t, 0x100> single{};       // by byte
  std::array<char16_t, 0x10000> pair{};       // by lead << 8 | trail
  std::array<std::uint16_t, 0x10000> code{};  // by UTF-16 unit: a byte, or lead << 8 | trail
};

bool IsCp932TrailByte(unsigned char c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

const cp932_tables_t& Tables() {
  static const std::unique_ptr<const cp932_tables_t> tables = [] {
    auto t = std::make_unique<cp932_tables_t>();
    t->single.fill(kNoCharacter);
    t->pair.fill(kNoCharacter);
    t->code.fill(kNoCode);
    std::vector<unsigned char> singles;
    for (unsigned b = 0; b < 0x100; ++b) {
      if (!IsCp932LeadByte(static_cast<unsigned char>(b)))
        singles.push_back(static_cast<unsigned char>(b));
    }
    const std::vector<std::optional<char16_t>> single = platform::Cp932DecodeSingles(singles);
    for (std::size_t i = 0; i < singles.size(); ++i) {
      t->single[singles[i]] = single[i].value_or(kNoCharacter);
    }
    std::vector<std::uint16_t> pairs;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (IsCp932TrailByte(static_cast<unsigned char>(trail))) {
          pairs.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
        }
      }
    }
    const std::vector<std::optional<char16_t>> pair = platform::Cp932DecodePairs(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      t->pair[pairs[i]] = pair[i].value_or(kNoCharacter);
    }
    // Only what reads back as itself is written: several codes read as the
    // same character, and the converter names the one it writes.
    std::vector<char16_t> chars;
    std::vector<bool> seen(0x10000);
    const auto collect = [&chars, &seen](const auto& table) {
      for (const char16_t c : table) {
        if (c == kNoCharacter || seen[c]) continue;
        seen[c] = true;
        chars.push_back(c);
      }
    };
    collect(t->single);
    collect(t->pair);
    const std::vector<std::string> written = platform::Cp932Encode(chars);
    for (std::size_t i = 0; i < chars.size(); ++i) {
      const char16_t c = chars[i];
      const std::string& bytes = written[i];
      if (bytes.size() == 1) {
        const auto b = static_cast<unsigned char>(bytes[0]);
        if (t->single[b] == c) t->code[c] = b;
      } else if (bytes.size() == 2) {
        const unsigned code =
            static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
        if (t->pair[code] == c) t->code[c] = static_cast<std::uint16_t>(code);
      }
    }
    return std::unique_ptr<const cp932_tables_t>(std::move(t));
  }();
  return *tables;
}

// Reads the UTF-8 character at utf8[i] and moves i past it. A malformed
// sequence reads as U+FFFD and takes the longest start of a well-formed one
// that it has (at least one byte), as Unicode recommends.
char32_t NextUtf8(std::string_view utf8, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(utf8[i++]);
  if (b0 < 0x80) return b0;
  int more = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t c = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    more = 1;
    c = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    more = 2;
    c = b0 & 0x0Fu;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    more = 3;
    c = b0 & 0x07u;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0xFFFD;
  }
  for (; more > 0; --more) {
    if (i >= utf8.size()) return 0xFFFD;
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < low || b > high) return 0xFFFD;
    ++i;
    c = c << 6 | (b & 0x3Fu);
    low = 0x80;
    high = 0xBF;
  }
  return c;
}

// Calls each(c, bytes) for every character of a UTF-8 text in order, with the
// bytes it was read from; a malformed sequence comes as U+FFFD.
template <typename Each>
void ForEachUtf8Char(std::string_view utf8, Each&& each) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    const char32_t c = NextUtf8(utf8, i);
    each(c, utf8.substr(start, i - start));
  }
}

// The code of a character in the code page, kNoCode where it holds none.
std::uint16_t CodeOf(const cp932_tables_t& t, char32_t c) {
  return c < 0x10000 ? t.code[c] : kNoCode;
}

// Texts this large never come from a real document.
void CheckLength(std::string_view text) {
  if (text.size() > 0x0FFFFFFFu) throw std::length_error("text too long to convert");
}

// Length of the character that starts at text[i]; a lead byte at the very end
// stands alone.
std::size_t Cp932CharLength(std::string_view text, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (NextUtf8(text, i) == 0xFFFD && text.substr(start, i - start) != "\xEF\xBF\xBD") {
      return false;
    }
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf8ToCp932(std::string_view utf8) {
  CheckLength(utf8);
  const cp932_tables_t& t = Tables();
  std::string out;
  out.reserve(utf8.size());
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view) {
    const std::uint16_t code = CodeOf(t, c);
    if (code == kNoCode) {
      out.push_back('?');  // the code page's own default character
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  });
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  const cp932_tables_t& t = Tables();
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  for (std::size_t i = 0; i < cp932.size();) {
    const auto b = static_cast<unsigned char>(cp932[i]);
    if (!IsCp932LeadByte(b)) {
      const char16_t c = t.single[b];
      AppendUtf8(out, c == kNoCharacter ? 0xFFFD : c);
      ++i;
      continue;
    }
    // A lead byte with a trail byte is one character, known or not; a lead
    // byte without one stands alone, and the byte after it is read afresh.
    const auto trail = i + 1 < cp932.size() ? static_cast<unsigned char>(cp932[i + 1]) : 0;
    if (i + 1 < cp932.size() && IsCp932TrailByte(trail)) {
      const char16_t c = t.pair[static_cast<std::size_t>(b) << 8 | trail];
      AppendUtf8(out, c == kNoCharacter ? 0xFFFD : c);
      i += 2;
    } else {
      AppendUtf8(out, 0xFFFD);
      ++i;
    }
  }
  return out;
}

std::string UnconvertibleToCp932(std::string_view utf8) {
  CheckLength(utf8);
  const cp932_tables_t& t = Tables();
  std::u32string seen;
  std::string out;
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view) {
    if (CodeOf(t, c) != kNoCode) return;
    if (seen.find(c) != std::u32string::npos) return;
    seen.push_back(c);
    AppendUtf8(out, c);
  });
  return out;
}

namespace {

// The text with every JIS variant replaced; malformed UTF-8 becomes U+FFFD,
// which the check that follows then names.
std::string FoldJisVariants(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view) {
    for (const jis_variant_t& v : kJisVariants) {
      if (c == v.typed) c = v.cp932;
    }
    AppendUtf8(out, c);
  });
  return out;
}

}  // namespace

cp932_input_t InputToCp932(std::string_view utf8) {
  CheckLength(utf8);
  const std::string folded = FoldJisVariants(utf8);
  std::string unconvertible = UnconvertibleToCp932(folded);
  if (!unconvertible.empty()) return {{}, std::move(unconvertible)};
  return {Utf8ToCp932(folded), {}};
}

std::string NameCodePoints(std::string_view utf8) {
  CheckLength(utf8);
  std::string out;
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view bytes) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    if (!out.empty()) out += ", ";
    out.append(bytes);
    out += " (" + std::string(code) + ")";
  });
  return out;
}

std::string LowerAsciiCp932(std::string_view cp932) {
  std::string out(cp932);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = Cp932CharLength(out, i);
    if (n == 1) out[i] = LowerAsciiChar(out[i]);
    i += n;
  }
  return out;
}

bool ContainsCp932(std::string_view text, std::string_view part) {
  if (part.empty()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); i += Cp932CharLength(text, i)) {
    if (text.compare(i, part.size(), part) == 0) return true;
  }
  return false;
}

std::string NormalizeTextForFile(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size());
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const char c = cp932[i];
    if (c == '\r' || c == '\n') {
      out.append("\r\n");
      if (c == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n') ++i;
    } else if (c == '"' && i > 0 && sxml::IsLeadByte(static_cast<unsigned char>(cp932[i - 1]))) {
      // The writer's escape would be read as the second byte of a character.
      out.append("\x81\x68");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

text_position_t Cp932Position(std::string_view text, std::size_t offset) {
  text_position_t at{1, 1};
  const std::size_t end = offset < text.size() ? offset : text.size();
  std::size_t i = 0;
  while (i < end) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      i += (c == '\r' && i + 1 < end && text[i + 1] == '\n') ? 2 : 1;
      ++at.line;
      at.column = 1;
      continue;
    }
    i += Cp932CharLength(text, i);
    ++at.column;
  }
  return at;
}

}  // namespace qvl
