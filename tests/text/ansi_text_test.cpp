#include "text/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexaro {
namespace {

// Code page 936 bytes used below. 0x81 0x61 and 0x95 0x5C are double-byte
// characters whose trail bytes look like 'a' and '\'.
constexpr const char* kTrailA = "\x81\x61";
constexpr const char* kTrailBackslash = "\x95\x5C";
constexpr const char* kSpace2 = "\xA1\xA1";  // full-width space

TEST(Search, FindsOnCharacterBoundariesOnly) {
  struct Case {
    std::string text, sought;
    Position start;
    bool ignoreCase;
    Position expected;
  } cases[] = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "a", 0, false, 1},      // a start below 1 counts as 1
      {"abcabc", "a", -3, false, 1},
      {"abcabc", "c", 7, false, -1},     // one beyond the last byte
      {"abc", "", 2, false, 2},          // the empty text is found at the start
      {"", "", 1, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"xABCx", "abc", 1, true, 2},
      {"xABCx", "abc", 1, false, -1},
      {kTrailA, "a", 1, false, -1},      // the trail byte is no letter
      {kTrailA, "A", 1, true, -1},
      {std::string(kTrailA) + "a", "a", 1, false, 3},
      {kTrailBackslash, "\\", 1, false, -1},
      {std::string(kTrailBackslash) + "\\", "\\", 1, false, 3},
      {std::string(kTrailA) + "a", "a", 2, false, 2},  // the start is taken as a boundary
      {"ab\x81", "\x81", 1, false, -1},  // a lead byte in the last position ends the scan
      {"\xB5\xC4\xB5\xC4", "\xC4\xB5", 1, false, -1},  // never straddles two characters
      {"x\xB5\xC4y\xB5\xC4", "\xB5\xC4", 3, false, 5},
      {"\xC1\xD3" "A", "\xC1\xD3" "a", 1, true, 1},  // folding applies to ASCII only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.sought << "\" from "
                                    << c.start);
    EXPECT_EQ(Search(c.text, c.sought, c.start, c.ignoreCase), c.expected);
  }
}

TEST(Replace, ReplacesLeftToRightWithoutOverlap) {
  struct Case {
    std::string text, sought, replacement;
    Position start, count;
    bool exact;
    std::string expected;
  } cases[] = {
      {"a-b-c", "-", "+", 1, kAll, true, "a+b+c"},
      {"a-b-c", "-", "", 1, kAll, true, "abc"},
      {"a-b-c", "-", "+", 1, 1, true, "a+b-c"},
      {"a-b-c", "-", "+", 3, kAll, true, "a-b+c"},   // bytes before the start stay
      {"aaa", "aa", "b", 1, kAll, true, "ba"},
      {"xAx", "a", "b", 1, kAll, false, "xbx"},      // inexact: case ignored
      {"xAx", "a", "b", 1, kAll, true, "xAx"},
      {std::string(kTrailA) + "a", "a", "X", 1, kAll, true, std::string(kTrailA) + "X"},
      {"", "a", "b", 1, kAll, true, ""},
      {"abc", "", "x", 1, kAll, true, "abc"},
      {"abc", "b", "x", 4, kAll, true, "abc"},       // start beyond the end
      {"abc", "b", "x", 1, 0, true, "abc"},          // no replacements asked for
      {"content-type: a\r\ncontent-type: b", "content-type", "Content-Type", 1, kAll, true,
       "Content-Type: a\r\nContent-Type: b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Replace(c.text, c.sought, c.replacement, c.start, c.count, c.exact), c.expected);
  }
}

TEST(Split, KeepsEmptyPiecesButNoEmptyLastOne) {
  using Pieces = std::vector<std::string>;
  struct Case {
    std::string text, separator;
    Position maxPieces;
    Pieces expected;
  } cases[] = {
      {"a;b", ";", kAll, {"a", "b"}},
      {"a;;b", ";", kAll, {"a", "", "b"}},
      {"a;", ";", kAll, {"a"}},
      {";a", ";", kAll, {"", "a"}},
      {";", ";", kAll, {""}},
      {"", ";", kAll, {}},
      {"abc", "", kAll, {"abc"}},
      {"a; b; c", "; ", kAll, {"a", "b", "c"}},
      {"a;b;c", ";", 2, {"a", "b"}},    // the rest is dropped
      {"a;b;c", ";", 0, {}},
      {std::string(kTrailBackslash) + "\\b", "\\", kAll, {kTrailBackslash, "b"}},
      {"HTTP/1.1 200 OK\r\nA: 1\r\n\r\n", "\r\n", kAll, {"HTTP/1.1 200 OK", "A: 1", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Split(c.text, c.separator, c.maxPieces), c.expected);
  }
}

TEST(Spaces, TrimAndRemoveKnowBothSpacesAndNothingElse) {
  struct Case {
    std::string text, trimmed, removed;
  } cases[] = {
      {" a b ", "a b", "ab"},
      {std::string(kSpace2) + kSpace2 + "x\t", "x\t", "x\t"},  // the tab is no space
      {std::string("\t x ") + kSpace2, "\t x", "\tx"},
      {"   ", "", ""},
      {std::string(kSpace2), "", ""},
      {"", "", ""},
      {"\r\nx\r\n", "\r\nx\r\n", "\r\nx\r\n"},
      // A1 A1 straddling two characters is no space: 膩 (C4 A1) then A1 B0.
      {"\xC4\xA1\xA1\xB0", "\xC4\xA1\xA1\xB0", "\xC4\xA1\xA1\xB0"},
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1", "\xB0\xA1"},  // 啊 then a full-width space
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Trim(c.text), c.trimmed);
    EXPECT_EQ(RemoveSpaces(c.text), c.removed);
  }
}

TEST(Slices, FirstLastAndMiddleOutOfRange) {
  const std::string text = "abcdef";
  EXPECT_EQ(FirstBytes(text, 2), "ab");
  EXPECT_EQ(FirstBytes(text, 0), "");
  EXPECT_EQ(FirstBytes(text, -1), "");
  EXPECT_EQ(FirstBytes(text, 99), text);
  EXPECT_EQ(FirstBytes("\xB0\xA1", 1), "\xB0");  // cuts a character in two
  EXPECT_EQ(LastBytes(text, 2), "ef");
  EXPECT_EQ(LastBytes(text, 0), "");
  EXPECT_EQ(LastBytes(text, 99), text);
  EXPECT_EQ(Middle(text, 2, 3), "bcd");
  EXPECT_EQ(Middle(text, 5, 99), "ef");
  EXPECT_EQ(Middle(text, 0, 3), "");
  EXPECT_EQ(Middle(text, 7, 1), "");
  EXPECT_EQ(Middle(text, 1, 0), "");
}

TEST(Equality, ComparesBytes) {
  EXPECT_TRUE(TextEquals("", ""));
  EXPECT_FALSE(TextEquals("", "a"));
  EXPECT_FALSE(TextEquals("A", "a"));
  EXPECT_TRUE(EqualsIgnoringCase("Location: ", "LOCATION: "));
  EXPECT_FALSE(EqualsIgnoringCase(kTrailA, "\x81\x41"));  // trail bytes are not folded
}

TEST(Bytes, TextAndBufferConvertAtTheFirstZero) {
  EXPECT_EQ(TextToBytes("ab"), (ByteBuffer{'a', 'b'}));
  EXPECT_EQ(BytesToText(ByteBuffer{'a', 0, 'b'}), "a");
  EXPECT_EQ(BytesToText(ByteBuffer{'a', 'b'}), "ab");
  EXPECT_EQ(BytesToText(ByteBuffer{}), "");
}

TEST(TextBefore, GivesEmptyTextWhenTheDelimiterIsMissing) {
  EXPECT_EQ(TextBefore("Set-Cookie: a=1", ": "), "Set-Cookie");
  EXPECT_EQ(TextBefore("no delimiter", ": "), "");
  EXPECT_EQ(TextBefore("a=b=c", "=", 3), "a=b");
  EXPECT_EQ(TextBefore("a=b=c", "=", 0), "a");
  EXPECT_EQ(TextBefore("xAy", "a", 1, true), "x");
}

TEST(TextBetween, FindsTheTextBetweenTwoDelimiters) {
  const std::string marker(kQuoteMarker);
  struct Case {
    std::string text, before, after, expected;
  } cases[] = {
      {"list[12]", "[", "]", "12"},
      {"list[12", "[", "]", ""},          // no closing delimiter
      {"list[", "[", "]", ""},            // the only "[" is the last byte
      {"[]", "[", "]", ""},
      {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", " a=1"},
      {"say \"hi\" now", marker, marker, "hi"},   // the marker stands for a quote
      {"k=\"v\";", "k=" + marker, marker + ";", "v"},
      {"a" + marker + "b" + marker, marker, marker, ""},  // a literal marker is not a quote
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextBetween(c.text, c.before, c.after), c.expected);
  }
  EXPECT_EQ(TextBetween("<A>x</a>", "<a>", "</A>", 1, true), "x");
}

TEST(Utf16, ConvertsWithAndWithoutTerminator) {
  EXPECT_EQ(AnsiToUtf16(""), ByteBuffer{});
  EXPECT_EQ(AnsiToUtf16("", true), ByteBuffer{});
  EXPECT_EQ(AnsiToUtf16("a"), (ByteBuffer{'a', 0, 0, 0}));
  EXPECT_EQ(AnsiToUtf16("a", true), (ByteBuffer{'a', 0}));
  EXPECT_EQ(AnsiToUtf16("\xCA\xD3", true), (ByteBuffer{0xC6, 0x89}));  // 视 U+89C6
  EXPECT_EQ(Utf16ToAnsi(ByteBuffer{0xC6, 0x89, 'b', 0}), "\xCA\xD3" "b");
  EXPECT_EQ(Utf16ToAnsi(ByteBuffer{'a', 0, 'b'}), "a");           // an odd last byte is ignored
  EXPECT_EQ(Utf16ToAnsi(ByteBuffer{'a', 0, 0, 0, 'b', 0}), "a");  // ends at a zero unit
  EXPECT_EQ(Utf16ToAnsi(ByteBuffer{}), "");
  EXPECT_EQ(Utf16ToAnsi(ByteBuffer{0x3D, 0xD8, 0x00, 0xDE}), "?");  // U+1F600
}

}  // namespace
}  // namespace vexaro
