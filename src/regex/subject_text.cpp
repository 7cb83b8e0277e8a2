#include "regex/subject_text.h"

#include <algorithm>

#include "text/code_page.h"

namespace vexaro::regex_engine {

namespace {

// In code page 936 a byte from 0x81 to 0xFE starts a two-byte character;
// every other byte (ASCII, 0x80 for the euro sign, 0xFF) is one character.
bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

}  // namespace

SubjectText::SubjectText(std::string_view ansi)
    : units_(AnsiToU16(ansi)), ansi_(U16ToAnsi(units_)) {
  std::vector<std::size_t> checkpoints;
  checkpoints.reserve(units_.size() / kUnitsPerCheckpoint + 1);
  std::size_t byte = 0;
  for (std::size_t unit = 0; unit < units_.size(); ++unit) {
    if (unit % kUnitsPerCheckpoint == 0) checkpoints.push_back(byte);
    if (byte >= ansi_.size()) return;  // fewer characters than units
    byte += IsLeadByte(static_cast<unsigned char>(ansi_[byte])) ? 2 : 1;
  }
  if (byte != ansi_.size()) return;  // more characters than units
  checkpoints_ = std::move(checkpoints);
  oneToOne_ = true;
}

std::size_t SubjectText::WalkFrom(std::size_t byteOffset, std::size_t units) const {
  for (; units > 0; --units) {
    byteOffset += IsLeadByte(static_cast<unsigned char>(ansi_[byteOffset])) ? 2 : 1;
  }
  return byteOffset;
}

Position SubjectText::ByteOffset(std::size_t unitIndex) const {
  unitIndex = std::min(unitIndex, units_.size());
  if (!oneToOne_) {
    return static_cast<Position>(U16ToAnsi(std::u16string_view(units_).substr(0, unitIndex)).size());
  }
  if (unitIndex == units_.size()) return static_cast<Position>(ansi_.size());
  const std::size_t checkpoint = unitIndex / kUnitsPerCheckpoint;
  return static_cast<Position>(
      WalkFrom(checkpoints_[checkpoint], unitIndex - checkpoint * kUnitsPerCheckpoint));
}

AnsiText SubjectText::Slice(std::size_t start, std::size_t end) const {
  if (start >= end || start >= units_.size()) return {};
  if (!oneToOne_) return U16ToAnsi(std::u16string_view(units_).substr(start, end - start));
  const auto from = static_cast<std::size_t>(ByteOffset(start));
  const auto to = static_cast<std::size_t>(ByteOffset(end));
  return ansi_.substr(from, to - from);
}

}  // namespace vexaro::regex_engine
