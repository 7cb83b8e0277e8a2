#include "json/cesu8.h"

#include <cstdint>

namespace vexaro {

std::string U16ToCesu8(std::u16string_view units) {
  std::size_t size = 0;
  for (char16_t unit : units) size += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
  std::string out(size, '\0');
  char* at = out.data();
  for (char16_t unit : units) {
    const auto u = static_cast<std::uint32_t>(unit);
    if (u < 0x80) {
      *at++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *at++ = static_cast<char>(0xC0 | (u >> 6));
      *at++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      *at++ = static_cast<char>(0xE0 | (u >> 12));
      *at++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *at++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::u16string Cesu8ToU16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  while (i < n) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      out.push_back(lead);
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF && i + 1 < n && IsContinuation(at(i + 1))) {
      out.push_back(static_cast<char16_t>(((lead & 0x1F) << 6) | (at(i + 1) & 0x3F)));
      i += 2;
    } else if (lead >= 0xE0 && lead <= 0xEF && i + 2 < n && IsContinuation(at(i + 1)) &&
               IsContinuation(at(i + 2))) {
      const std::uint32_t cp =
          ((lead & 0x0F) << 12) | ((at(i + 1) & 0x3F) << 6) | (at(i + 2) & 0x3F);
      // Overlong forms are not well formed; surrogates are (that is CESU-8).
      out.push_back(cp < 0x800 ? kReplacement : static_cast<char16_t>(cp));
      i += 3;
    } else if (lead >= 0xF0 && lead <= 0xF4 && i + 3 < n && IsContinuation(at(i + 1)) &&
               IsContinuation(at(i + 2)) && IsContinuation(at(i + 3))) {
      const std::uint32_t cp = ((lead & 0x07) << 18) | ((at(i + 1) & 0x3F) << 12) |
                               ((at(i + 2) & 0x3F) << 6) | (at(i + 3) & 0x3F);
      if (cp < 0x10000 || cp > 0x10FFFF) {
        out.push_back(kReplacement);
      } else {
        const std::uint32_t v = cp - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | (v >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (v & 0x3FF)));
      }
      i += 4;
    } else {
      out.push_back(kReplacement);
      i += 1;
    }
  }
  return out;
}

}  // namespace vexaro
