// RegexObject against JavaScript's own RegExp: every expected value below was
// computed once by node (String.prototype.matchAll and replace, see
// javascript_cases.js) and written in as a literal. Texts are UTF-8 here and converted to code page 936 before
// they reach the object; byte offsets are the code page 936 lengths of the
// text before each match (one byte per ASCII character, two per other one).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/regex_object.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

struct ExpectedMatch {
  std::string text;
  std::size_t utf16Index;  // JavaScript's match.index
  Position byteOffset;
  std::vector<std::string> groups;  // undefined groups as ""
};

struct AgreementCase {
  std::string pattern;
  bool caseSensitive;
  bool multiline;
  bool global;
  std::string subject;
  std::vector<ExpectedMatch> matches;
};

std::ostream& operator<<(std::ostream& out, const AgreementCase& c) {
  return out << "/" << c.pattern << "/ over \"" << c.subject << "\"";
}

const AgreementCase kAgreementCases[] = {
    {"videoID=(\\d+)", false, true, true, "https://v.example.com/share?videoID=987&x=1",
     {{"videoID=987", 28, 28, {"987"}}}},
    {"videoID=(\\d+)", false, true, true, "https://v.example.com/s?VIDEOID=42&videoid=7",
     {{"VIDEOID=42", 24, 24, {"42"}},
      {"videoid=7", 35, 35, {"7"}}}},
    {"\\d+", false, true, true, "视频123和456",
     {{"123", 2, 4, {}},
      {"456", 6, 9, {}}}},
    {"b", false, true, true, "视频ab",
     {{"b", 3, 5, {}}}},
    {"[a-z]+", false, true, true, "ABC视频def",
     {{"ABC", 0, 0, {}},
      {"def", 5, 7, {}}}},
    {"[a-z]+", true, true, true, "ABC视频def",
     {{"def", 5, 7, {}}}},
    {"视(.)", false, true, true, "视频视听",
     {{"视频", 0, 0, {"频"}},
      {"视听", 2, 4, {"听"}}}},
    {"a*?", false, true, true, "aa",
     {{"", 0, 0, {}},
      {"", 1, 1, {}},
      {"", 2, 2, {}}}},
    {"x*", false, true, true, "xax",
     {{"x", 0, 0, {}},
      {"", 1, 1, {}},
      {"x", 2, 2, {}},
      {"", 3, 3, {}}}},
    {"^\\w+$", false, true, true, "ab\ncd\n",
     {{"ab", 0, 0, {}},
      {"cd", 3, 3, {}}}},
    {"^", false, true, true, "a\n",
     {{"", 0, 0, {}},
      {"", 2, 2, {}}}},
    {"$", false, true, true, "a\nb",
     {{"", 1, 1, {}},
      {"", 3, 3, {}}}},
    {"b$", false, false, true, "ab\n",
     {}},
    {"α", false, true, true, "ΑαΒ",
     {{"Α", 0, 0, {}},
      {"α", 1, 2, {}}}},
    {"ａ", false, true, true, "ＡａＢ",
     {{"Ａ", 0, 0, {}},
      {"ａ", 1, 2, {}}}},
    {"\\w+", false, true, true, "中文abc_1中",
     {{"abc_1", 2, 4, {}}}},
    {"\\bab", false, true, true, "中ab ab",
     {{"ab", 1, 2, {}},
      {"ab", 4, 5, {}}}},
    {"(a)|(b)", false, true, true, "ab",
     {{"a", 0, 0, {"a", ""}},
      {"b", 1, 1, {"", "b"}}}},
    {"(x)?y\\1", false, true, true, "y",
     {{"y", 0, 0, {""}}}},
    {"<meta.+?charset=[^\\w]?([-\\w]+)", false, true, true, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">",
     {{"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312", 0, 0, {"gb2312"}}}},
    {".", false, true, true, "a\n视",
     {{"a", 0, 0, {}},
      {"视", 2, 2, {}}}},
    {"[^]", false, true, true, "a\nb",
     {{"a", 0, 0, {}},
      {"\n", 1, 1, {}},
      {"b", 2, 2, {}}}},
    {"\\u89c6.", false, true, true, "视频",
     {{"视频", 0, 0, {}}}},
    {"(?<=视)频", false, true, true, "视频频",
     {{"频", 1, 2, {}}}},
    {"(频)+", false, true, true, "视频频频a频",
     {{"频频频", 1, 2, {"频"}},
      {"频", 5, 9, {"频"}}}},
    {"\\d+", false, true, false, "12 34",
     {{"12", 0, 0, {}}}},
    {"(\\w+)@(\\w+)\\.com", false, true, true, "邮箱：ann@example.com，bob@test.com。",
     {{"ann@example.com", 3, 6, {"ann", "example"}},
      {"bob@test.com", 19, 23, {"bob", "test"}}}},
};

class AgreesWithJavaScript : public testing::TestWithParam<AgreementCase> {};

TEST_P(AgreesWithJavaScript, CountTextsPositionsAndGroups) {
  const AgreementCase& c = GetParam();
  const AnsiText subject = Utf8ToAnsi(c.subject);
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Utf8ToAnsi(c.pattern), subject, c.caseSensitive, c.multiline,
                           c.global));
  ASSERT_EQ(regex.GetMatchCount(), static_cast<int>(c.matches.size()));
  for (std::size_t m = 0; m < c.matches.size(); ++m) {
    const ExpectedMatch& expected = c.matches[m];
    const int number = static_cast<int>(m) + 1;
    SCOPED_TRACE("match " + std::to_string(number));
    Position position = -100;
    EXPECT_EQ(regex.GetMatchText(number, &position), Utf8ToAnsi(expected.text));
    EXPECT_EQ(position, expected.byteOffset);
    // The byte offset leads back to JavaScript's UTF-16 index.
    EXPECT_EQ(AnsiToU16(subject.substr(0, static_cast<std::size_t>(position))).size(),
              expected.utf16Index);
    for (std::size_t g = 0; g < expected.groups.size(); ++g) {
      EXPECT_EQ(regex.GetSubMatchText(number, static_cast<int>(g) + 1),
                Utf8ToAnsi(expected.groups[g]))
          << "group " << g + 1;
    }
  }
  EXPECT_EQ(regex.GetSubMatchCount(),
            c.matches.empty() ? 0 : static_cast<int>(c.matches[0].groups.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, AgreesWithJavaScript, testing::ValuesIn(kAgreementCases));

struct ReplaceCase {
  std::string pattern;
  bool global;
  std::string subject;
  std::string replacement;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ReplaceCase& c) {
  return out << "/" << c.pattern << "/ over \"" << c.subject << "\" with \"" << c.replacement
             << "\"";
}

const ReplaceCase kReplaceCases[] = {
    {"(\\d+)-(\\d+)", true, "10-20 视频 30-40", "$2-$1", "20-10 视频 40-30"},
    {"频", true, "视频视频", "[$&]", "视[频]视[频]"},
    {"频", false, "视频视频", "[$&]", "视[频]视频"},
    {"b", true, "abc", "[$`|$']", "a[a|c]c"},
    {"b", true, "abc", "$$", "a$c"},
    {"(b)", true, "abc", "$0$00$01$10$2$", "a$0$00bb0$2$c"},
    {"(b)", true, "abc", "$x$", "a$x$c"},
    {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", true, "abcdefghijk", "$11|$10|$1|$011|$12", "k|j|a|a1|a2"},
    {"x*", true, "abc", "-", "-a-b-c-"},
    {"(a)|(b)", true, "ab", "[$1$2]", "[a][b]"},
    {"视(频)?", true, "视频视", "<$1>", "<频><>"},
};

class ReplacesLikeJavaScript : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplacesLikeJavaScript, Result) {
  const ReplaceCase& c = GetParam();
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Utf8ToAnsi(c.pattern), Utf8ToAnsi(c.subject), false, true, c.global));
  EXPECT_EQ(regex.Replace(Utf8ToAnsi(c.replacement)), Utf8ToAnsi(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, ReplacesLikeJavaScript, testing::ValuesIn(kReplaceCases));

}  // namespace
}  // namespace vexaro
