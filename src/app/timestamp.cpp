#include "app/timestamp.h"

#include <chrono>
#include <ctime>
#include <string>

namespace vexaro {

namespace {

// 1970-01-01 08:00:00, where the time stamp's seconds are counted from.
constexpr std::int64_t kTimestampOrigin = 8 * 60 * 60;

}  // namespace

LocalClock SystemLocalClock() {
  LocalClock clock;
  clock.milliseconds = [] {
    // Every zone's offset is whole seconds, so the local time's millisecond
    // field is that of the system clock.
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch);
    return static_cast<int>(millis.count() % 1000);
  };
  clock.localSeconds = [] {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!::localtime_r(&now, &local)) return static_cast<std::int64_t>(now);
    // timegm reads the broken-down local time as if it were UTC: the local
    // calendar's own seconds since its 1970-01-01 00:00:00.
    return static_cast<std::int64_t>(::timegm(&local));
  };
  return clock;
}

AnsiText TimestampText(bool TenDigits, const LocalClock& clock) {
  std::string millis = std::to_string(clock.milliseconds());
  if (millis.size() < 3) millis.insert(0, 3 - millis.size(), '0');
  AnsiText text = std::to_string(clock.localSeconds() - kTimestampOrigin) + millis;
  if (TenDigits) {
    text.resize(10, '0');
  } else if (text.size() < 13) {
    text.resize(13, '0');
  }
  return text;
}

}  // namespace vexaro
