#include "model/qvl_text.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "sxml/USXMLSub.h"

namespace qvl {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using converter_ptr = std::unique_ptr<UConverter, ConverterCloser>;

converter_ptr OpenCp932() {
  UErrorCode status = U_ZERO_ERROR;
  converter_ptr conv(ucnv_open("windows-31j", &status));
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error("ICU has no converter for windows-31j");
  }
  return conv;
}

// Opening a converter costs more than converting a short text (an expression,
// a cell, a title), so each thread opens its converter once and keeps it. A
// converter is not safe to share between threads, hence one per thread; it is
// reset before each use, so no state of one text leaks into the next.
UConverter* Cp932Converter() {
  thread_local const converter_ptr conv = OpenCp932();
  ucnv_reset(conv.get());
  return conv.get();
}

// The same for UnconvertibleToCp932: stops at an unmappable character instead
// of writing a substitute, and takes no one-way fallback mappings (those would
// store a different character).
UConverter* StrictCp932Converter() {
  thread_local const converter_ptr conv = [] {
    converter_ptr c = OpenCp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(c.get(), false);
    if (U_FAILURE(status)) throw std::runtime_error("ICU converter cannot be set up");
    return c;
  }();
  ucnv_reset(conv.get());
  return conv.get();
}

std::u16string ToUtf16FromUtf8(std::string_view utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                       &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr,
                       &status);
  if (U_FAILURE(status)) throw std::runtime_error("malformed UTF-8 text");
  out.resize(static_cast<size_t>(length));
  return out;
}

// ICU counts in 32-bit lengths; texts this large never come from a real document.
void CheckLength(std::string_view text) {
  if (text.size() > 0x0FFFFFFFu) throw std::length_error("text too long to convert");
}

// Calls each(c, bytes) for every character of a UTF-8 text in order, with the
// bytes it was read from; a malformed sequence comes as U+FFFD. The text has
// passed CheckLength.
template <typename Each>
void ForEachUtf8Char(std::string_view utf8, Each&& each) {
  const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    each(c < 0 ? 0xFFFD : c,
         utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
  }
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  CheckLength(utf8);
  const std::u16string wide = ToUtf16FromUtf8(utf8);
  UConverter* const conv = Cp932Converter();
  std::string out(wide.size() * 2 + 2, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                         reinterpret_cast<const UChar*>(wide.data()),
                                         static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("text cannot be converted to code page 932");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty()) return {};
  UConverter* const conv = Cp932Converter();
  // ICU counts in 32-bit lengths, so a long text goes through in pieces; the
  // converter keeps a double-byte character that a piece boundary splits.
  // Code page 932 holds no character outside the basic plane, so no piece
  // of UTF-16 ends inside a surrogate pair.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  std::u16string wide((cp932.size() < kPiece ? cp932.size() : kPiece) + 1, u'\0');
  std::string utf8(wide.size() * 3 + 1, '\0');
  const char* source = cp932.data();
  const char* const source_end = cp932.data() + cp932.size();
  while (source != source_end) {
    const char* const piece_end =
        source_end - source > static_cast<std::ptrdiff_t>(kPiece) ? source + kPiece : source_end;
    UChar* target = reinterpret_cast<UChar*>(wide.data());
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(conv, &target, target + wide.size(), &source, piece_end, nullptr,
                   piece_end == source_end, &status);
    if (U_FAILURE(status)) throw std::runtime_error("text cannot be read as code page 932");
    const auto wide_length =
        static_cast<int32_t>(target - reinterpret_cast<const UChar*>(wide.data()));
    int32_t length = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length,
                       reinterpret_cast<const UChar*>(wide.data()), wide_length, 0xFFFD, nullptr,
                       &status);
    if (U_FAILURE(status)) throw std::runtime_error("text cannot be converted to UTF-8");
    out.append(utf8.data(), static_cast<std::size_t>(length));
  }
  return out;
}

}  // namespace qvl

namespace qvl {
namespace {

// Length of the character that starts at text[i]; a lead byte at the very end
// stands alone.
std::size_t Cp932CharLength(std::string_view text, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

bool RoundTrips(UConverter* conv, UChar32 c) {
  UChar wide[2];
  int32_t wide_length = 0;
  UBool error = false;
  U16_APPEND(wide, wide_length, 2, c, error);
  if (error) return false;
  char bytes[8];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(conv);
  const int32_t n = ucnv_fromUChars(conv, bytes, sizeof bytes, wide, wide_length, &status);
  if (U_FAILURE(status) || n <= 0) return false;
  UChar back[4];
  status = U_ZERO_ERROR;
  ucnv_resetToUnicode(conv);
  const int32_t m = ucnv_toUChars(conv, back, 4, bytes, n, &status);
  if (U_FAILURE(status)) return false;
  return m == wide_length && std::equal(back, back + m, wide);
}

// Which ASCII characters round-trip, asked of the converter once: texts typed
// into cells are mostly ASCII, and a round trip through ICU costs far more
// than the rest of an expression's evaluation.
const std::array<bool, 128>& AsciiRoundTrips() {
  static const std::array<bool, 128> table = [] {
    std::array<bool, 128> t{};
    UConverter* const conv = StrictCp932Converter();
    for (UChar32 c = 0; c < 128; ++c) t[static_cast<std::size_t>(c)] = RoundTrips(conv, c);
    return t;
  }();
  return table;
}

}  // namespace

std::string UnconvertibleToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  CheckLength(utf8);
  const std::array<bool, 128>& ascii = AsciiRoundTrips();
  UConverter* const conv = StrictCp932Converter();

  std::u32string seen;
  std::string out;
  ForEachUtf8Char(utf8, [&](UChar32 c, std::string_view) {
    if (c < 128 ? ascii[static_cast<std::size_t>(c)] : RoundTrips(conv, c)) return;
    if (seen.find(static_cast<char32_t>(c)) != std::u32string::npos) return;
    seen.push_back(static_cast<char32_t>(c));
    char buffer[4];
    int32_t n = 0;
    UBool error = false;
    U8_APPEND(reinterpret_cast<uint8_t*>(buffer), n, 4, c, error);
    if (!error) out.append(buffer, static_cast<std::size_t>(n));
  });
  return out;
}

namespace {

// The text with every JIS variant replaced; malformed UTF-8 becomes U+FFFD,
// which the check that follows then names.
std::string FoldJisVariants(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  ForEachUtf8Char(utf8, [&](UChar32 c, std::string_view) {
    for (const jis_variant_t& v : kJisVariants) {
      if (static_cast<char32_t>(c) == v.typed) c = static_cast<UChar32>(v.cp932);
    }
    uint8_t buffer[U8_MAX_LENGTH];
    int32_t n = 0;
    U8_APPEND_UNSAFE(buffer, n, c);  // c is a valid code point: the buffer holds it
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
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
  ForEachUtf8Char(utf8, [&](UChar32 c, std::string_view bytes) {
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
