#include "calc/CalcInput.h"

#include <array>
#include <cstdint>

#include "model/qvl_text.h"

namespace qvl {
namespace {

// The ASCII character of every double-byte character that has one, indexed by
// the character's two bytes; 0 for the others. Taken from the converter once,
// so that it agrees with how the texts are stored.
const std::array<char, 0x10000>& HalfWidthForms() {
  static const auto table = [] {
    std::array<char, 0x10000> t{};
    const auto add = [&t](char32_t c, char ascii) {
      std::string utf8;
      AppendUtf8(utf8, c);
      const std::string bytes = Utf8ToCp932(utf8);
      if (bytes.size() != 2) return;  // not held by the code page
      t[static_cast<std::size_t>(static_cast<unsigned char>(bytes[0])) << 8 |
        static_cast<unsigned char>(bytes[1])] = ascii;
    };
    // Only what means the same in both widths. ～ (the wave dash of a typed
    // range "10～20"), ％, ＾, ｜, ＆, ＄ and the like would become operators or
    // a hexadecimal prefix and compute something nobody typed.
    const auto add_range = [&add](char32_t first, char32_t last) {
      for (char32_t c = first; c <= last; ++c) add(c, static_cast<char>(c - 0xFEE0));
    };
    add_range(U'\uFF10', U'\uFF19');  // ０-９
    add_range(U'\uFF21', U'\uFF3A');  // Ａ-Ｚ
    add_range(U'\uFF41', U'\uFF5A');  // ａ-ｚ
    for (const char32_t c : {U'\uFF0B', U'\uFF0D', U'\uFF0A', U'\uFF0F', U'\uFF08', U'\uFF09',
                             U'\uFF0E', U'\uFF0C'}) {  // ＋ － ＊ ／ （ ） ． ，
      add(c, static_cast<char>(c - 0xFEE0));
    }
    add(U'\u3000', ' ');
    add(U'\u00D7', '*');
    add(U'\u00F7', '/');
    return t;
  }();
  return table;
}

}  // namespace

std::string HalfWidthExpression(std::string_view cp932) {
  const std::array<char, 0x10000>& forms = HalfWidthForms();
  std::string out;
  out.reserve(cp932.size());
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    if (IsCp932LeadByte(c) && i + 1 < cp932.size()) {
      const auto trail = static_cast<unsigned char>(cp932[i + 1]);
      if (const char ascii = forms[static_cast<std::size_t>(c) << 8 | trail]; ascii != 0) {
        out += ascii;
      } else {
        out += cp932.substr(i, 2);
      }
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace qvl
