#include "app/hanzi.h"

#include <cstdint>

namespace vexaro {

namespace {

bool IsHanziLead(std::uint8_t byte) { return byte >= 0xB0 && byte <= 0xF7; }
bool IsHanziTrail(std::uint8_t byte) { return byte >= 0xA1 && byte <= 0xFE; }

}  // namespace

AnsiText KeepHanzi(std::string_view text) {
  AnsiText result;
  // The scan steps over a pair when both bytes are high, and over one byte
  // otherwise. A double-byte character whose trail byte is below 0x80 is
  // therefore passed one byte at a time; its trail byte can never start a kept
  // pair. The last byte alone is never looked at.
  std::size_t p = 0;
  while (p + 1 < text.size()) {
    const auto a = static_cast<std::uint8_t>(text[p]);
    const auto b = static_cast<std::uint8_t>(text[p + 1]);
    if (IsHanziLead(a) && IsHanziTrail(b)) {
      result += text.substr(p, 2);
      p += 2;
    } else if (a > 0x7F && b > 0x7F) {
      p += 2;
    } else {
      p += 1;
    }
  }
  return result;
}

}  // namespace vexaro
