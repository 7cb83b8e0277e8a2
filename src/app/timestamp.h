// The time-stamp file name of a download whose name box is empty.
#pragma once

#include <cstdint>
#include <functional>

#include "text/ansi_text.h"

namespace vexaro {

// The two readings of the local clock that a time stamp takes. Tests put in
// a clock of their own.
struct LocalClock {
  // The millisecond field of the current local time, 0 to 999.
  std::function<int()> milliseconds;
  // The current local date and time to the whole second, counted as seconds
  // from 1970-01-01 00:00:00 on the same local calendar.
  std::function<std::int64_t()> localSeconds;
};

// The machine's clock in its own time zone.
LocalClock SystemLocalClock();

// The whole seconds from the local date-time 1970-01-01 08:00:00 to now,
// followed by the current milliseconds as three digits. With TenDigits the
// first ten bytes, padded with "0" to ten; otherwise padded with "0" on the
// right to at least 13 bytes. The milliseconds are read before the seconds.
AnsiText TimestampText(bool TenDigits, const LocalClock& clock = SystemLocalClock());

}  // namespace vexaro
