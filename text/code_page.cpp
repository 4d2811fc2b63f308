#include "text/code_page.h"

#include <unicode/ucnv.h>

#include <memory>
#include <vector>

namespace varnelo {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  // Windows substitutes "?" for characters that have no form in the code page.
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

// Converters are not thread-safe, so each thread keeps its own pair.
UConverter* Gbk() {
  thread_local Converter converter = OpenConverter("windows-936");
  return converter.get();
}

UConverter* Utf8() {
  thread_local Converter converter = OpenConverter("UTF-8");
  return converter.get();
}

std::u16string ToUtf16(UConverter* from, std::string_view bytes) {
  std::u16string wide;
  if (from == nullptr || bytes.empty()) return wide;
  ucnv_reset(from);
  // A code unit per byte is always enough for UTF-8 and code page 936.
  wide.resize(bytes.size());
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(from, wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                                 static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  wide.resize(static_cast<size_t>(length));
  return wide;
}

std::string FromUtf16(UConverter* to, const std::u16string& wide) {
  std::string bytes;
  if (to == nullptr || wide.empty()) return bytes;
  ucnv_reset(to);
  // Three bytes per code unit covers UTF-8 and code page 936 alike.
  bytes.resize(wide.size() * 3);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_fromUChars(to, bytes.data(), static_cast<int32_t>(bytes.size()),
                                   wide.data(), static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  bytes.resize(static_cast<size_t>(length));
  return bytes;
}

std::string EndAtNul(std::string text) {
  if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  return EndAtNul(FromUtf16(Utf8(), ToUtf16(Gbk(), gbk)));
}

std::string Utf8ToGbk(std::string_view utf8) {
  return EndAtNul(FromUtf16(Gbk(), ToUtf16(Utf8(), utf8)));
}

}  // namespace varnelo
