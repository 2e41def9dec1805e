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

// Stops at what it cannot convert instead of writing a substitute, and takes
// no one-way fallback mappings (those would store a different character).
// Only the table builder of qvl_text asks, once, so one converter serves.
UConverter* StrictConverter() {
  static const converter_ptr conv = [] {
    UErrorCode status = U_ZERO_ERROR;
    converter_ptr c(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status) || !c) throw std::runtime_error("ICU has no converter for windows-31j");
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFallback(c.get(), false);
    if (U_FAILURE(status)) throw std::runtime_error("ICU converter cannot be set up");
    return c;
  }();
  ucnv_reset(conv.get());
  return conv.get();
}

}  // namespace

std::optional<char16_t> Cp932Decode(std::string_view code) {
  // ICU's single bytes follow IBM's table, which swaps 0x1A, 0x1C and 0x7F
  // and has no 0x80; Windows reads every byte below 0x81 as itself.
  if (code.size() == 1 && static_cast<unsigned char>(code[0]) <= 0x80) {
    return static_cast<char16_t>(static_cast<unsigned char>(code[0]));
  }
  UChar wide[4];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(StrictConverter(), wide, 4, code.data(),
                                  static_cast<int32_t>(code.size()), &status);
  if (U_FAILURE(status) || n != 1) return std::nullopt;
  return static_cast<char16_t>(wide[0]);
}

std::string Cp932Encode(char16_t c) {
  if (c <= 0x80) return std::string(1, static_cast<char>(c));  // as Cp932Decode reads them
  const UChar wide = c;
  char bytes[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(StrictConverter(), bytes, sizeof bytes, &wide, 1, &status);
  if (U_FAILURE(status) || n <= 0) return {};
  return std::string(bytes, static_cast<std::size_t>(n));
}

}  // namespace qvl::platform
