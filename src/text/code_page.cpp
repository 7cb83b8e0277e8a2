#include "text/code_page.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <memory>

namespace vexaro {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterHolder = std::unique_ptr<UConverter, ConverterCloser>;

// Bytes that do not decode become '?', as the system's conversion gives for
// code page 936.
void ToUnicodeQuestionMark(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close or clone: nothing to write
  *error = U_ZERO_ERROR;
  const UChar questionMark = u'?';
  ucnv_cbToUWriteUChars(args, &questionMark, 1, 0, error);
}

ConverterHolder OpenConverter(CodePage codePage) {
  UErrorCode error = U_ZERO_ERROR;
  const char* name = codePage == CodePage::Gbk ? "windows-936-2000" : "UTF-8";
  ConverterHolder converter(ucnv_open(name, &error));
  if (U_FAILURE(error)) return nullptr;
  // Characters without a form in the code page become its default character.
  ucnv_setSubstChars(converter.get(), "?", 1, &error);
  if (codePage == CodePage::Gbk) {
    // The system's conversion uses best-fit mappings where the table has them.
    ucnv_setFallback(converter.get(), true);
    error = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), ToUnicodeQuestionMark, nullptr, nullptr, nullptr,
                        &error);
  }
  return converter;
}

// One converter of each kind per thread: opening one costs more than most
// conversions, and a converter must not be shared between threads.
UConverter* ThreadConverter(CodePage codePage) {
  thread_local ConverterHolder gbk = OpenConverter(CodePage::Gbk);
  thread_local ConverterHolder utf8 = OpenConverter(CodePage::Utf8);
  return codePage == CodePage::Gbk ? gbk.get() : utf8.get();
}

// Joins each base character and the combining mark after it into the
// precomposed character where Unicode has one.
std::u16string ComposePairs(std::u16string_view units) {
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  if (U_FAILURE(error)) return std::u16string(units);
  std::u16string result;
  result.reserve(units.size());
  std::size_t i = 0;
  while (i < units.size()) {
    UChar32 c;
    U16_NEXT(units.data(), i, units.size(), c);
    while (i < units.size()) {
      std::size_t next = i;
      UChar32 mark;
      U16_NEXT(units.data(), next, units.size(), mark);
      UChar32 composed = unorm2_composePair(nfc, c, mark);
      if (composed < 0) break;
      c = composed;
      i = next;
    }
    if (U_IS_BMP(c)) {
      result.push_back(static_cast<char16_t>(c));
    } else {
      result.push_back(static_cast<char16_t>(U16_LEAD(c)));
      result.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return result;
}

}  // namespace

// ICU counts in 32-bit lengths; texts beyond that are not converted.
constexpr std::size_t kLargestConversion = 0x7FFFFFFF / 3;

std::u16string MultiByteToWideChar(CodePage codePage, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kLargestConversion) return {};
  UConverter* converter = ThreadConverter(codePage);
  if (converter == nullptr) return {};
  ucnv_reset(converter);
  // Either code page gives at most one UTF-16 unit per byte.
  std::u16string units(bytes.size(), u'\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(units.data()),
                                 static_cast<int32_t>(units.size()), bytes.data(),
                                 static_cast<int32_t>(bytes.size()), &error);
  if (U_FAILURE(error) && error != U_STRING_NOT_TERMINATED_WARNING) return {};
  units.resize(static_cast<std::size_t>(length));
  return units;
}

std::string WideCharToMultiByte(CodePage codePage, std::u16string_view units,
                                ConversionFlags flags) {
  if (units.empty() || units.size() > kLargestConversion) return {};
  std::u16string composed;
  if (flags == ConversionFlags::CompositeCheck) {
    composed = ComposePairs(units);
    units = composed;
  }
  UConverter* converter = ThreadConverter(codePage);
  if (converter == nullptr) return {};
  ucnv_reset(converter);
  // Code page 936 needs at most two bytes per unit, UTF-8 at most three.
  std::string bytes(units.size() * (codePage == CodePage::Gbk ? 2 : 3), '\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t length =
      ucnv_fromUChars(converter, bytes.data(), static_cast<int32_t>(bytes.size()),
                      reinterpret_cast<const UChar*>(units.data()),
                      static_cast<int32_t>(units.size()), &error);
  if (U_FAILURE(error) && error != U_STRING_NOT_TERMINATED_WARNING) return {};
  bytes.resize(static_cast<std::size_t>(length));
  if (bytes.capacity() > 2 * bytes.size() + 64) bytes.shrink_to_fit();
  return bytes;
}

AnsiText Utf8ToAnsi(std::string_view utf8) {
  utf8 = utf8.substr(0, std::min(utf8.find('\0'), utf8.size()));
  return WideCharToMultiByte(CodePage::Gbk, MultiByteToWideChar(CodePage::Utf8, utf8));
}

std::string AnsiToUtf8(std::string_view ansi) {
  return WideCharToMultiByte(CodePage::Utf8, MultiByteToWideChar(CodePage::Gbk, ansi));
}

std::u16string AnsiToU16(std::string_view ansi) { return MultiByteToWideChar(CodePage::Gbk, ansi); }

AnsiText U16ToAnsi(std::u16string_view units) {
  return WideCharToMultiByte(CodePage::Gbk, units);
}

}  // namespace vexaro
