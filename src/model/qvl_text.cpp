#include "model/qvl_text.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>
#include <stdexcept>

namespace qvl {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using converter_ptr = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per call: cheap enough for the few conversions at the program's
// boundaries, and free of shared state.
converter_ptr OpenCp932() {
  UErrorCode status = U_ZERO_ERROR;
  converter_ptr conv(ucnv_open("windows-31j", &status));
  if (U_FAILURE(status) || !conv) {
    throw std::runtime_error("ICU has no converter for windows-31j");
  }
  return conv;
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

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  CheckLength(utf8);
  const std::u16string wide = ToUtf16FromUtf8(utf8);
  converter_ptr conv = OpenCp932();
  std::string out(wide.size() * 2 + 2, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                                         reinterpret_cast<const UChar*>(wide.data()),
                                         static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("text cannot be converted to code page 932");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty()) return {};
  CheckLength(cp932);
  converter_ptr conv = OpenCp932();
  std::u16string wide(cp932.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t wide_length = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(wide.data()),
                                            static_cast<int32_t>(wide.size()), cp932.data(),
                                            static_cast<int32_t>(cp932.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("text cannot be read as code page 932");
  wide.resize(static_cast<size_t>(wide_length));

  std::string out(wide.size() * 3 + 1, '\0');
  int32_t length = 0;
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                     reinterpret_cast<const UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                     0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("text cannot be converted to UTF-8");
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace qvl
