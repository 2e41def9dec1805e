// Code page 932 from ICU's converter for it, corrected where ICU's table is
// IBM's rather than Windows'.
#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>

#include "model/qvl_text_platform.h"

namespace qvl::platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using converter_ptr = std::unique_ptr<UConverter, ConverterCloser>;

// Leaves out what it cannot convert instead of writing a substitute, and
// takes no one-way fallback mappings (those would store a different
// character). Only the table builder of qvl_text asks, once, so one
// converter serves.
UConverter* StrictConverter() {
  static const converter_ptr conv = [] {
    UErrorCode status = U_ZERO_ERROR;
    converter_ptr c(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status) || !c) throw std::runtime_error("ICU has no converter for windows-31j");
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(c.get(), false);
    if (U_FAILURE(status)) throw std::runtime_error("ICU converter cannot be set up");
    return c;
  }();
  ucnv_reset(conv.get());
  return conv.get();
}

// Reads codes of `width` bytes each, every one followed by a line feed: no
// code page reads a line feed as part of a character, so whatever the
// converter makes of a code, the next one starts afresh. A code stands for a
// character when the converter read exactly it as one, right before its line
// feed.
std::vector<std::optional<char16_t>> Decode(const std::string& codes, std::size_t width) {
  const std::size_t stride = width + 1;
  std::vector<UChar> chars(codes.size());
  std::vector<int32_t> offsets(codes.size());
  UChar* target = chars.data();
  const char* source = codes.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_toUnicode(StrictConverter(), &target, target + chars.size(), &source, source + codes.size(),
                 offsets.data(), true, &status);
  if (U_FAILURE(status)) throw std::runtime_error("ICU cannot read code page 932");
  std::vector<std::optional<char16_t>> out(codes.size() / stride);
  const auto n = static_cast<std::size_t>(target - chars.data());
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const auto at = static_cast<std::size_t>(offsets[i]);
    if (at % stride == 0 && chars[i + 1] == u'\n' &&
        static_cast<std::size_t>(offsets[i + 1]) == at + width) {
      out[at / stride] = static_cast<char16_t>(chars[i]);
    }
  }
  return out;
}

}  // namespace

std::vector<std::optional<char16_t>> Cp932DecodeSingles(std::span<const unsigned char> codes) {
  std::string bytes;
  bytes.reserve(codes.size() * 2);
  for (const unsigned char b : codes) {
    bytes.push_back(static_cast<char>(b));
    bytes.push_back('\n');
  }
  std::vector<std::optional<char16_t>> out = Decode(bytes, 1);
  // ICU's single bytes follow IBM's table, which swaps 0x1A, 0x1C and 0x7F
  // and has no 0x80; Windows reads every byte below 0x81 as itself.
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (codes[i] <= 0x80) out[i] = static_cast<char16_t>(codes[i]);
  }
  return out;
}

std::vector<std::optional<char16_t>> Cp932DecodePairs(std::span<const std::uint16_t> codes) {
  std::string bytes;
  bytes.reserve(codes.size() * 3);
  for (const std::uint16_t code : codes) {
    bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
    bytes.push_back('\n');
  }
  return Decode(bytes, 2);
}

std::vector<std::string> Cp932Encode(std::span<const char16_t> chars) {
  // Each character is one UTF-16 unit of its own (the code page holds no
  // character beyond the BMP), and the offsets name the character each byte
  // was written for; one left out writes none.
  const std::u16string text(chars.begin(), chars.end());
  std::string bytes(text.size() * 4, '\0');
  std::vector<int32_t> offsets(bytes.size());
  char* target = bytes.data();
  const UChar* source = text.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_fromUnicode(StrictConverter(), &target, target + bytes.size(), &source, source + text.size(),
                   offsets.data(), true, &status);
  if (U_FAILURE(status)) throw std::runtime_error("ICU cannot write code page 932");
  std::vector<std::string> out(chars.size());
  const auto n = static_cast<std::size_t>(target - bytes.data());
  for (std::size_t i = 0; i < n; ++i) {
    if (offsets[i] >= 0) out[static_cast<std::size_t>(offsets[i])].push_back(bytes[i]);
  }
  // As Cp932DecodeSingles reads them.
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (chars[i] <= 0x80) out[i] = std::string(1, static_cast<char>(chars[i]));
  }
  return out;
}

}  // namespace qvl::platform
