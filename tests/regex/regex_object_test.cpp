// RegexObject's own behaviour: the cases the program relies on, positions,
// failures, the lifecycle and use from several threads.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "regex/regex_object.h"
#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {
namespace {

constexpr const char* kIdPattern = "videoID=(\\d+)";
constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// What a run is expected to give with all options at their defaults.
struct UseCase {
  const char* name;
  std::string pattern;
  std::string subject;  // UTF-8, converted to code page 936
  bool created;
  int matchCount;
  std::string firstMatch;
  std::string firstGroup;
};

std::ostream& operator<<(std::ostream& out, const UseCase& c) { return out << c.name; }

const UseCase kUseCases[] = {
    {"IdFromLink", kIdPattern, "https://v.example.com/share?videoID=987&from=app", true, 1,
     "videoID=987", "987"},
    {"IdKeyInCapitals", kIdPattern, "https://v.example.com/share?VIDEOID=987", true, 1,
     "VIDEOID=987", "987"},
    {"IdInChineseText", kIdPattern, "看看这个视频 https://v.example.com/s?videoID=12345 复制打开",
     true, 1, "videoID=12345", "12345"},
    {"NoIdInText", kIdPattern, "https://v.example.com/share?id=987", true, 0, "", ""},
    {"EmptySubject", kIdPattern, "", true, 0, "", ""},
    // The optional non-word character takes the apostrophe and the lazy part
    // the single space after "meta".
    {"CharsetInQuotes", kCharsetPattern, "<meta charset='gbk'><title>x</title>", true, 1,
     "<meta charset='gbk", "gbk"},
    {"CharsetInContentType", kCharsetPattern,
     "<META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">", true, 1,
     "<META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312", "GB2312"},
    {"CharsetAcrossLineFeed", kCharsetPattern, "<meta\ncharset=utf-8>", true, 0, "", ""},
    {"UnclosedGroup", "videoID=(\\d+", "videoID=987", false, 0, "", ""},
    {"ReversedRange", "[z-a]", "abc", false, 0, "", ""},
};

class UseCases : public testing::TestWithParam<UseCase> {};

TEST_P(UseCases, Results) {
  const UseCase& c = GetParam();
  RegexObject regex;
  EXPECT_EQ(regex.Create(c.pattern, Utf8ToAnsi(c.subject)), c.created);
  EXPECT_EQ(regex.GetMatchCount(), c.matchCount);
  EXPECT_EQ(regex.GetMatchText(1), Utf8ToAnsi(c.firstMatch));
  EXPECT_EQ(regex.GetSubMatchText(1, 1), Utf8ToAnsi(c.firstGroup));
  EXPECT_EQ(regex.GetSubMatchCount(), c.matchCount > 0 ? 1 : 0);
  // The pattern reads back also when the engine rejected it.
  EXPECT_EQ(regex.GetPattern(), c.pattern);
}

INSTANTIATE_TEST_SUITE_P(Table, UseCases, testing::ValuesIn(kUseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegexObject, NewObjectGivesEmptyResults) {
  RegexObject regex;
  Position position = 7;
  EXPECT_EQ(regex.GetPattern(), "");
  EXPECT_EQ(regex.Replace("x"), "");
  EXPECT_EQ(regex.GetMatchCount(), 0);
  EXPECT_EQ(regex.GetMatchText(1, &position), "");
  EXPECT_EQ(position, kNotFound);
  EXPECT_EQ(regex.GetSubMatchText(1, 1), "");
  EXPECT_EQ(regex.GetSubMatchCount(), 0);
}

TEST(RegexObject, RejectedPatternGivesEmptyResultsButKeepsThePattern) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\d)", "a1b2"));
  EXPECT_FALSE(regex.Create("(\\d", "a1b2"));
  EXPECT_EQ(regex.GetPattern(), "(\\d");
  EXPECT_EQ(regex.GetMatchCount(), 0);
  EXPECT_EQ(regex.GetMatchText(1), "");
  EXPECT_EQ(regex.GetSubMatchCount(), 0);
  EXPECT_EQ(regex.Replace("x"), "");
  // Still usable afterwards.
  EXPECT_TRUE(regex.Create("\\d", "a1b2"));
  EXPECT_EQ(regex.GetMatchCount(), 2);
}

TEST(RegexObject, MatchNumbersOutsideTheCollectionGiveEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\d)(x)?", "1 2 3"));
  ASSERT_EQ(regex.GetMatchCount(), 3);
  const int outside[] = {0, -1, regex.GetMatchCount() + 1, 1'000'000};
  for (int number : outside) {
    Position position = 7;
    EXPECT_EQ(regex.GetMatchText(number, &position), "") << number;
    EXPECT_EQ(position, kNotFound) << number;
    EXPECT_EQ(regex.GetSubMatchText(number, 1), "") << number;
  }
  for (int group : {0, -1, 3}) {
    Position position = 7;
    EXPECT_EQ(regex.GetSubMatchText(1, group, &position), "") << group;
    EXPECT_EQ(position, kNotFound) << group;
  }
  // A group that took no part: empty text, placed at its match.
  Position position = 7;
  EXPECT_EQ(regex.GetSubMatchText(2, 2, &position), "");
  EXPECT_EQ(position, 2);
}

TEST(RegexObject, QuoteMarkerStandsForADoubleQuoteOnlyWhenAsked) {
  const AnsiText pattern = "a" + AnsiText(kQuoteMarker) + "b";
  const AnsiText subject = "a\"b and a" + AnsiText(kQuoteMarker) + "b";
  RegexObject regex;

  ASSERT_TRUE(regex.Create(pattern, subject, false, true, true, true));
  EXPECT_EQ(regex.GetPattern(), "a\"b");
  EXPECT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.GetMatchText(1), "a\"b");

  ASSERT_TRUE(regex.Create(pattern, subject, false, true, true, false));
  EXPECT_EQ(regex.GetPattern(), pattern);
  EXPECT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.GetMatchText(1), pattern);

  // Every marker is replaced, the marker's bytes compared exactly.
  const AnsiText twice = AnsiText(kQuoteMarker) + "x" + AnsiText(kQuoteMarker) + "#";
  ASSERT_TRUE(regex.Create(twice, "", false, true, true, true));
  EXPECT_EQ(regex.GetPattern(), "\"x\"#");
}

TEST(RegexObject, OptionsChangeTheRun) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("ab", "AB ab Ab"));
  EXPECT_EQ(regex.GetMatchCount(), 3);
  ASSERT_TRUE(regex.Create("ab", "AB ab Ab", true));
  EXPECT_EQ(regex.GetMatchCount(), 1);
  ASSERT_TRUE(regex.Create("ab", "AB ab Ab", false, true, false));
  EXPECT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.GetMatchText(1), "AB");
  ASSERT_TRUE(regex.Create("^\\w+$", "one\ntwo"));
  EXPECT_EQ(regex.GetMatchCount(), 2);
  ASSERT_TRUE(regex.Create("^\\w+$", "one\ntwo", false, false));
  EXPECT_EQ(regex.GetMatchCount(), 0);
  // "." never matches a line feed, whatever the options.
  ASSERT_TRUE(regex.Create("a.b", "a\nb", false, false, true));
  EXPECT_EQ(regex.GetMatchCount(), 0);
}

TEST(RegexObject, IgnoresCaseOfNonAsciiLettersButKeepsClassesAscii) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Utf8ToAnsi("ΔＶя"), Utf8ToAnsi("δｖЯ")));
  EXPECT_EQ(regex.GetMatchCount(), 1);
  ASSERT_TRUE(regex.Create(Utf8ToAnsi("ΔＶя"), Utf8ToAnsi("δｖЯ"), true));
  EXPECT_EQ(regex.GetMatchCount(), 0);
  // Full-width digits and letters are not \d or \w; "(*UCP)" cannot change that.
  ASSERT_TRUE(regex.Create("\\d|\\w", Utf8ToAnsi("１ａ视")));
  EXPECT_EQ(regex.GetMatchCount(), 0);
  EXPECT_FALSE(regex.Create("(*UCP)\\d", Utf8ToAnsi("１")));
}

// The byte offset is the code page 936 length of the text before the match or
// before the group itself, also where the same text comes earlier.
TEST(RegexObject, PositionsAreExactByteOffsets) {
  struct Case {
    std::string pattern, subject;
    int match, group;  // group 0: GetMatchText
    std::string text;
    Position position;
  } cases[] = {
      {"b", "视频ab", 1, 0, "b", 5},  // character index 3
      {"a(a)", "aa", 1, 1, "a", 1},
      {"b(a)", "aaba", 1, 1, "a", 3},
      {"频", "视频视频", 2, 0, "频", 6},
      {"(视)(频)", "视频视频", 2, 2, "频", 6},
      {"x(视频)", "视频x视频", 1, 1, "视频", 5},
      {"$", "视频", 1, 0, "", 4},
      {"z", "\xE2\x82\xAC" "z", 1, 0, "z", 1},  // the euro sign is one byte, 0x80
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern + " over " + c.subject);
    RegexObject regex;
    ASSERT_TRUE(regex.Create(Utf8ToAnsi(c.pattern), Utf8ToAnsi(c.subject)));
    Position position = -100;
    const AnsiText text = c.group == 0 ? regex.GetMatchText(c.match, &position)
                                       : regex.GetSubMatchText(c.match, c.group, &position);
    EXPECT_EQ(text, Utf8ToAnsi(c.text));
    EXPECT_EQ(position, c.position);
  }
}

TEST(RegexObject, PositionsOverLongAndUndecodableSubjects) {
  // Long enough to use several position checkpoints, with characters of both sizes.
  AnsiText subject;
  for (int i = 0; i < 300; ++i) subject += i % 3 == 0 ? Utf8ToAnsi("视") : AnsiText("a");
  subject += "XYZ";
  RegexObject regex;
  ASSERT_TRUE(regex.Create("XYZ", subject));
  Position position = -100;
  EXPECT_EQ(regex.GetMatchText(1, &position), "XYZ");
  EXPECT_EQ(position, static_cast<Position>(subject.size()) - 3);

  // A lead byte with no trail byte is one character of its own.
  ASSERT_TRUE(regex.Create("b", "a\x81 b"));
  EXPECT_EQ(regex.GetMatchText(1, &position), "b");
  EXPECT_EQ(position, 3);
}

TEST(RegexObject, TextsEndAtTheirFirstZeroByte) {
  RegexObject regex;
  using namespace std::string_view_literals;
  ASSERT_TRUE(regex.Create("b\0x"sv, "ab\0b"sv));
  EXPECT_EQ(regex.GetPattern(), "b");
  EXPECT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.Replace("[$&]\0tail"sv), "a[b]");
}

TEST(RegexObject, ReplaceUsesTheOptionsOfTheLastCreate) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Utf8ToAnsi("视(频)"), Utf8ToAnsi("视频和视频"), false, true, false));
  EXPECT_EQ(regex.Replace(Utf8ToAnsi("<$1>")), Utf8ToAnsi("<频>和视频"));
  EXPECT_EQ(regex.Replace(), Utf8ToAnsi("和视频"));
  ASSERT_TRUE(regex.Create("x", "abc"));
  EXPECT_EQ(regex.Replace("y"), "abc");
}

// A pattern that backtracks without end stops at the engine's limits: the
// run counts as failed, and the object stays usable. (How long it takes is
// measured in bench/regex.)
TEST(RegexObject, CatastrophicBacktrackingFailsTheRun) {
  const AnsiText subject = AnsiText(100'000, 'a') + "b";
  RegexObject regex;
  EXPECT_FALSE(regex.Create("(a+)+$", subject));
  EXPECT_EQ(regex.GetMatchCount(), 0);
  EXPECT_EQ(regex.GetMatchText(1), "");
  EXPECT_EQ(regex.Replace("x"), "");
  EXPECT_EQ(regex.GetPattern(), "(a+)+$");
  // Twice: a cached compiled pattern behaves the same.
  EXPECT_FALSE(regex.Create("(a+)+$", subject));
  EXPECT_TRUE(regex.Create("(a+)+b", subject));
  EXPECT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.GetSubMatchText(1, 1).size(), 100'000u);
}

// A capturing group repeated 100,000 times: legitimate backtracking state,
// well within the limits.
TEST(RegexObject, LongRepeatOfAGroupStillMatches) {
  AnsiText subject;
  for (int i = 0; i < 50'000; ++i) subject += "ab";
  subject += "c";
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a|b)*c", subject));
  ASSERT_EQ(regex.GetMatchCount(), 1);
  EXPECT_EQ(regex.GetMatchText(1), subject);
  Position position = -100;
  EXPECT_EQ(regex.GetSubMatchText(1, 1, &position), "b");
  EXPECT_EQ(position, 99'999);
}

TEST(RegexObject, PairsTheComponentLibraryOnItsThread) {
  const int before = ComInitCount();
  {
    RegexObject first;
    EXPECT_EQ(ComInitCount(), before + 1);
    first.Create("a", "a");
    first.Create("a", "a");
    {
      RegexObject second;
      EXPECT_EQ(ComInitCount(), before + 2);
    }
    EXPECT_EQ(ComInitCount(), before + 1);
  }
  EXPECT_EQ(ComInitCount(), before);
}

TEST(RegexObject, ObjectsOnSeveralThreadsAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      const AnsiText link = "https://v.example.com/s?videoID=" + std::to_string(t * 1000);
      for (int round = 0; round < kRounds; ++round) {
        RegexObject regex;
        const bool caseSensitive = round % 2 == 1;  // two compiled forms of the pattern
        if (!regex.Create(kIdPattern, link, caseSensitive) ||
            regex.GetSubMatchText(1, 1) != std::to_string(t * 1000) ||
            ComInitCount() != 1) {
          ++failures[static_cast<std::size_t>(t)];
        }
      }
      if (ComInitCount() != 0) ++failures[static_cast<std::size_t>(t)];
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[static_cast<std::size_t>(t)], 0) << t;
}

}  // namespace
}  // namespace vexaro
