#include "text/code_page.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <memory>
#include <string>

#include "text/ansi_text.h"

namespace vexaro {
namespace {

// Microsoft's code page 936 at the places where other GBK tables differ.
TEST(CodePage936, DecodesAsMicrosoftsTable) {
  struct Case {
    const char* bytes;
    char16_t unit;
  } cases[] = {
      {"\x80", u'\x20AC'},       // euro sign, single byte
      {"\xFF", u'\xF8F5'},       // the last single byte maps into private use
      {"\xA1\xA4", u'\x00B7'},   // middle dot
      {"\xA1\xAA", u'\x2014'},   // em dash
      {"\xA8\x44", u'\x2015'},   // horizontal bar
      {"\xAA\xA1", u'\xE000'},   // first user-defined character
      {"\x81\x40", u'\x4E02'},   // first GBK extension character
      {"\xD2\xFD", u'\x5F15'},   // 引
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(MultiByteToWideChar(CodePage::Gbk, c.bytes), std::u16string(1, c.unit));
  }
}

TEST(CodePage936, EncodesAsMicrosoftsTable) {
  struct Case {
    std::u16string units;
    std::string bytes;
  } cases[] = {
      {u"\x20AC", "\x80"},
      {u"\x00B7", "\xA1\xA4"},
      {u"\x2014", "\xA1\xAA"},
      {u"\x2015", "\xA8\x44"},
      {u"\xE000", "\xAA\xA1"},
      {u"\x4E02", "\x81\x40"},
      {u"\x00E9", "\xA8\xA6"},      // é
      {u"\xD83D\xDE00", "?"},       // U+1F600 has no form: the default character
      {u"\xD800", "?"},             // a lone surrogate
      {u"a\x3000z", "a\xA1\xA1z"},  // ideographic space is the full-width space
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(WideCharToMultiByte(CodePage::Gbk, c.units), c.bytes);
  }
}

TEST(CodePage936, BytesThatDoNotDecodeBecomeQuestionMarks) {
  struct Case {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"ab\x81", u"ab?"},        // a lone lead byte at the end
      {"\x81\x20z", u"? z"},     // a trail byte that cannot be one stays itself
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MultiByteToWideChar(CodePage::Gbk, c.bytes), c.units);
  }
}

// Every double-byte sequence the table defines decodes to one character and
// encodes back to the same two bytes. The table itself is asked through ICU's
// strict converter (no fallbacks, errors reported) so that the walk covers
// exactly the valid sequences.
TEST(CodePage936, EveryValidDoubleByteSequenceRoundTrips) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UConverter, void (*)(UConverter*)> strict(
      ucnv_open("windows-936-2000", &error), ucnv_close);
  ASSERT_TRUE(U_SUCCESS(error));
  ucnv_setToUCallBack(strict.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  int valid = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      UChar unit[4];
      error = U_ZERO_ERROR;
      int32_t length = ucnv_toUChars(strict.get(), unit, 4, pair, 2, &error);
      if (U_FAILURE(error) || length != 1) continue;
      ++valid;
      std::u16string decoded = MultiByteToWideChar(CodePage::Gbk, std::string_view(pair, 2));
      ASSERT_EQ(decoded, std::u16string(1, unit[0])) << std::hex << lead << " " << trail;
      ASSERT_EQ(WideCharToMultiByte(CodePage::Gbk, decoded), std::string(pair, 2))
          << std::hex << lead << " " << trail;
    }
  }
  // GBK defines 21,886 characters plus the user-defined areas.
  EXPECT_GT(valid, 21000);
}

TEST(Utf8ToAnsi, ConvertsAndReplacesWhatCannotBeRead) {
  struct Case {
    std::string utf8;
    std::string ansi;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"\xE6\x88\x90\xE5\x8A\x9F", "\xB3\xC9\xB9\xA6"},           // 成功
      {"x\xC3\xA9y", "x\xA8\xA6y"},                                 // é
      {"\xF0\x9F\x98\x80!", "?!"},                                  // emoji: default character
      {"a\xFF" "b", "a?b"},                                         // invalid byte
      {"a\xE6\x88" "b", "a?b"},                                     // truncated sequence
      {"\xE6\x88\x90\xFE\xE5\x8A\x9F", "\xB3\xC9?\xB9\xA6"},        // mostly valid stays
      {std::string("ab\0cd", 5), "ab"},                             // ends at a zero byte
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
  }
}

TEST(AnsiUtf8, FileNamesRoundTrip) {
  const std::string ansi = "\xB1\xEA\xCC\xE2 a1";  // 标题 a1
  EXPECT_EQ(AnsiToUtf8(ansi), "\xE6\xA0\x87\xE9\xA2\x98 a1");
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi);
  EXPECT_EQ(U16ToAnsi(AnsiToU16(ansi)), ansi);
  EXPECT_EQ(AnsiToU16(ansi), u"\x6807\x9898 a1");
}

TEST(Utf16ToAnsi, JoinsCombiningMarksBeforeConverting) {
  // e + combining acute is written as the one character é.
  ByteBuffer decomposed = {'e', 0, 0x01, 0x03, 0, 0};
  EXPECT_EQ(Utf16ToAnsi(decomposed), "\xA8\xA6");
  // A compatibility ideograph keeps its own form (no wider normalisation).
  EXPECT_EQ(WideCharToMultiByte(CodePage::Gbk, u"\xFA0C", ConversionFlags::CompositeCheck),
            WideCharToMultiByte(CodePage::Gbk, u"\xFA0C"));
}

}  // namespace
}  // namespace vexaro
