// The default file names: the Chinese characters of a title, and the time
// stamp that stands in for an empty name.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "app/hanzi.h"
#include "app/timestamp.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

AnsiText A(std::string_view utf8) { return Utf8ToAnsi(utf8); }

TEST(KeepHanzi, KeepsOnlyTheChineseCharactersOfGb2312InOrder) {
  struct Case {
    const char* what;
    AnsiText title;
    AnsiText expected;
  };
  const std::vector<Case> cases = {
      {"Chinese, ASCII, digits and full-width punctuation",
       A("春日赏樱 Vlog 第3期：东京上野公园【4K】！"), A("春日赏樱第期东京上野公园")},
      {"a character only GBK has (lead byte 0x81) is dropped", A("丂字新解：GBK里的生僻字"),
       A("字新解里的生僻字")},
      {"ASCII only", "Morning run 5km @ Lakeside", ""},
      {"full-width letters, digits and punctuation", A("ＡＢＣ１２３，。【】～"), ""},
      {"empty", "", ""},
      {"the corners of the kept area", "\xB0\xA1\xF7\xFE", "\xB0\xA1\xF7\xFE"},
      {"just outside it", "\xAF\xA1\xF8\xA1\xB0\xA0\xB0\xFF", ""},
      // 81 40 is one GBK character whose trail byte is ASCII; the scan passes
      // it one byte at a time and still finds the pair after it.
      {"a GBK character with an ASCII trail byte", "\x81\x40\xB0\xA1", "\xB0\xA1"},
      // 81 B0 is one character: its trail byte B0 must not start a pair with A1.
      {"a trail byte that looks like a lead byte", "\x81\xB0\xA1", ""},
      {"a lone last byte", "\xB0\xA1\xB0", "\xB0\xA1"},
  };
  for (const Case& c : cases) EXPECT_EQ(KeepHanzi(c.title), c.expected) << c.what;
}

// A clock that shows a fixed moment and records the order of its readings.
struct FixedClock {
  int milliseconds;
  std::int64_t localSeconds;
  std::vector<std::string> readings;

  LocalClock Clock() {
    return {[this] {
              readings.push_back("milliseconds");
              return milliseconds;
            },
            [this] {
              readings.push_back("seconds");
              return localSeconds;
            }};
  }
};

constexpr std::int64_t kEightOClock = 8 * 60 * 60;  // 1970-01-01 08:00:00

TEST(TimestampText, SecondsSinceEightOClockThenThreeDigitsOfMilliseconds) {
  struct Case {
    int milliseconds;
    std::int64_t localSeconds;
    bool tenDigits;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {7, kEightOClock + 1700000000, false, "1700000000007"},
      {0, kEightOClock + 1700000000, false, "1700000000000"},
      {999, kEightOClock + 1700000000, false, "1700000000999"},
      {45, kEightOClock + 1700000000, true, "1700000000"},
      // One day and one second: five digits and 007 make eight, padded to 13.
      {7, kEightOClock + 86401, false, "8640100700000"},
      {7, kEightOClock + 86401, true, "8640100700"},
      // Eleven digits of seconds: nothing is cut without TenDigits.
      {123, kEightOClock + 10000000000, false, "10000000000123"},
      {123, kEightOClock + 10000000000, true, "1000000000"},
  };
  for (const Case& c : cases) {
    FixedClock clock{c.milliseconds, c.localSeconds, {}};
    EXPECT_EQ(TimestampText(c.tenDigits, clock.Clock()), c.expected)
        << c.milliseconds << " ms, " << c.localSeconds << " s, ten digits " << c.tenDigits;
  }
}

TEST(TimestampText, ReadsTheMillisecondsBeforeTheSeconds) {
  FixedClock clock{7, kEightOClock + 86401, {}};
  TimestampText(false, clock.Clock());
  EXPECT_EQ(clock.readings, (std::vector<std::string>{"milliseconds", "seconds"}));
}

TEST(TimestampText, TheMachineClockGivesThirteenDigitsOfNow) {
  const std::time_t before = std::time(nullptr);
  const AnsiText stamp = TimestampText(false);
  const std::time_t after = std::time(nullptr);

  ASSERT_EQ(stamp.size(), 13u) << stamp;
  EXPECT_EQ(stamp.find_first_not_of("0123456789"), AnsiText::npos) << stamp;
  // The seconds part is the Unix time moved by the distance of the local zone
  // from UTC+8.
  std::tm local{};
  ::localtime_r(&before, &local);
  const std::int64_t zoneOffset = static_cast<std::int64_t>(::timegm(&local)) - before;
  const std::int64_t seconds = std::stoll(stamp.substr(0, 10));
  EXPECT_GE(seconds, before + zoneOffset - kEightOClock);
  EXPECT_LE(seconds, after + zoneOffset - kEightOClock + 1);
  EXPECT_EQ(TimestampText(true).size(), 10u);
}

}  // namespace
}  // namespace vexaro
