// The subject of a run in both of its forms: the UTF-16 units the engine
// matches, and the code page 936 text that positions handed out refer to.
//
// The byte offset of a unit index is the code page 936 length of the text
// before it, which is exact also for subjects with several copies of the
// matched text. It is found through a table of every 64th offset and a short
// walk from there; the table is made once, in the constructor.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/ansi_text.h"

namespace vexaro::regex_engine {

class SubjectText {
 public:
  SubjectText() = default;
  explicit SubjectText(std::string_view ansi);

  std::u16string_view Units() const { return units_; }

  // The code page 936 length of the units before `unitIndex` (at most the
  // number of units).
  Position ByteOffset(std::size_t unitIndex) const;

  // The units [start, end) as code page 936 text.
  AnsiText Slice(std::size_t start, std::size_t end) const;

 private:
  static constexpr std::size_t kUnitsPerCheckpoint = 64;

  std::size_t WalkFrom(std::size_t byteOffset, std::size_t units) const;

  std::u16string units_;
  // The units converted back: the text as the engine sees it. Bytes of the
  // original that do not decode are '?' here, one per unit.
  AnsiText ansi_;
  // Whether each unit is exactly one character of ansi_. The conversion may
  // join units (a surrogate pair, a letter and its combining mark); offsets
  // are then found by converting the text before the unit.
  bool oneToOne_ = false;
  // checkpoints_[k]: byte offset of unit k * kUnitsPerCheckpoint, when one to one.
  std::vector<std::size_t> checkpoints_;
};

}  // namespace vexaro::regex_engine
