// The text forms a document relies on: CESU-8 for the engine, the number
// rule, and the checks that decide what may be pasted into a script.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "json/cesu8.h"
#include "json/json_path.h"
#include "json/number_text.h"

namespace vexaro {
namespace {

TEST(Cesu8, EncodesEachUtf16UnitOnItsOwn) {
  struct Case {
    std::u16string units;
    std::string bytes;
  } cases[] = {
      {u"", ""},
      {u"A~", "A~"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u6210\u529F", "\xE6\x88\x90\xE5\x8A\x9F"},  // 成功
      {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"},     // a pair: two 3-byte sequences
      {std::u16string(1, char16_t{0xDC00}), "\xED\xB0\x80"},  // a lone surrogate survives
      {u"\uFFFF", "\xEF\xBF\xBF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U16ToCesu8(c.units), c.bytes);
    EXPECT_EQ(Cesu8ToU16(c.bytes), c.units);
  }
}

TEST(Cesu8, DecodesFourByteUtf8AndReplacesWhatIsNotWellFormed) {
  struct Case {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\x80" "b", u"a\uFFFDb"},          // stray continuation byte
      {"\xC3", u"\uFFFD"},                 // cut short at the end
      {"\xE6\x88", u"\uFFFD\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong lead bytes
      {"\xE0\x80\xAF", u"\uFFFD"},         // overlong 3-byte form
      {"\xF4\x90\x80\x80", u"\uFFFD"},     // beyond U+10FFFF
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(Cesu8ToU16(c.bytes), c.units);
}

TEST(NumberToText, WritesPercentPoint13gWithThreeDigitExponents) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {15, "15"},
      {2.50, "2.5"},
      {0, "0"},
      {-0.0, "-0"},
      {-7.25, "-7.25"},
      {1234567890123, "1234567890123"},         // 13 digits stay whole
      {12345678901234, "1.234567890123e+013"},  // 14 digits: rounded, exponent form
      {99999999999999, "1e+014"},
      {0.0001, "0.0001"},
      {0.00001234, "1.234e-005"},
      {1e100, "1e+100"},
      {1.5e-300, "1.5e-300"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.3333333333333"},
      {std::numeric_limits<double>::max(), "1.797693134862e+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberToText(c.value), c.text) << c.value;
}

TEST(PathRule, AcceptsMemberAccessAndNothingElse) {
  struct Case {
    std::u16string path;
    bool valid;
  } cases[] = {
      {u"message", true},
      {u"data[0].title", true},
      {u"data[0].author.nickname", true},
      {u"[0].id", true},
      {u"[12][3]", true},
      {u"$_x9", true},
      {u"\u6570\u636E.\u540D\u5B57", true},  // 数据.名字
      {u"caf\u00E9.\u00E9t\u00E9", true},
      {u"a\u0301", true},                    // a combining mark continues a name
      {u"", false},
      {u"9a", false},
      {u"a.", false},
      {u".a", false},
      {u"a..b", false},
      {u"a[]", false},
      {u"a[-1]", false},
      {u"a[1", false},
      {u"a[x]", false},
      {u"a['x']", false},
      {u"a[0]b", false},
      {u"data[0]. title", false},
      {u"a;for(;;){}", false},
      {u"a=1", false},
      {u"a)+(b", false},
      {u"a//", false},
      {u"a\\u0062", false},                  // escapes are not taken
      {u"a-b", false},
      {u"\u3000a", false},                   // full-width space
      {u"a\uFF0Cb", false},                  // full-width comma
      {std::u16string(1, char16_t{0xD800}), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsPathText(c.path), c.valid) << std::string(c.path.begin(), c.path.end());
  }
}

TEST(QuotedLiteral, AcceptsOnlyTextThatStaysOneStringLiteral) {
  struct Case {
    std::u16string value;
    bool safe;
  } cases[] = {
      {u"", true},
      {u"plain text", true},
      {u"say \\'hi\\'", true},      // escaped quotes stay inside
      {u"a\\nb", true},             // an escape sequence, not a line break
      {u"a\\\nb", true},            // line continuation
      {u"a\\\r\nb", true},
      {u"back\\\\", true},          // an escaped backslash at the end
      {u"\"double\"", true},
      {u"it's", false},
      {u"'+(function(){for(;;){}})()+'", false},
      {u"a\nb", false},
      {u"a\rb", false},
      {u"a\u2028b", false},
      {u"ends\\", false},           // would escape the closing quote
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsQuotedLiteralBody(c.value), c.safe) << std::string(c.value.begin(), c.value.end());
  }
}

}  // namespace
}  // namespace vexaro
