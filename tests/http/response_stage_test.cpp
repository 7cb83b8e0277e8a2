#include "http/response_stage.h"

#include <gtest/gtest.h>

#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {
namespace {

struct ScanCase {
  const char* headers;
  const char* cookies;
  const char* location;
};

class ScanResponseHeadersTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanResponseHeadersTest, CollectsCookiesAndLocation) {
  const ScanCase& c = GetParam();
  AnsiText cookies;
  AnsiText location = "unchanged";
  ScanResponseHeaders(c.headers, cookies, location);
  EXPECT_EQ(cookies, c.cookies);
  EXPECT_EQ(location, c.location);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanResponseHeadersTest,
    ::testing::Values(
        ScanCase{"HTTP/1.1 302 Found\r\nLocation: /next\r\nSet-Cookie: a=1; path=/\r\n"
                 "Set-Cookie: b=2\r\n\r\n",
                 "a=1; b=2", "/next"},
        // The Location label in any case; the Set-Cookie name exactly.
        ScanCase{"HTTP/1.1 301 Moved\r\nlocation: /x\r\nset-cookie: a=1\r\n\r\n", "", "/x"},
        // An empty value before ";" is an item of its own.
        ScanCase{"HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: ; path=/\r\nSet-Cookie: b=2\r\n\r\n",
                 "a=1; ; b=2", "unchanged"},
        // A later Location wins; "Location:" without its space is no Location line.
        ScanCase{"HTTP/1.1 302 Found\r\nLocation: /1\r\nLOCATION: /2\r\nLocation:/3\r\n\r\n", "",
                 "/2"},
        // Without ";" every "Set-Cookie:" goes, found in any case; both spaces are trimmed.
        ScanCase{"HTTP/1.1 200 OK\r\nSet-Cookie: \xA1\xA1k=v \r\nSet-Cookie: set-cookie:z=1\r\n\r\n",
                 "k=v; z=1", "unchanged"},
        ScanCase{"", "", "unchanged"}));

AnsiText Text(const std::string& bytes) { return bytes; }

ByteBuffer Bytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

// "中文" and a byte pair that is no character of code page 936.
constexpr std::string_view kChinese = "\xD6\xD0\xCE\xC4 \x81\x7F end";

std::string Page(std::string_view charset, std::size_t padding = 0) {
  return "<html><head>" + std::string(padding, ' ') + "<meta content=\"text/html; charset=" +
         std::string(charset) + "\"></head><body>" + std::string(kChinese) + "</body></html>";
}

TEST(DecodeBodyTextTest, RedecodesOnlyPagesDeclaringGbkOrGb2312InSmallLetters) {
  const std::string gb2312 = Page("gb2312");
  const AnsiText redecoded = DecodeBodyText(Bytes(gb2312));
  // Re-reading turns the byte pair that is no character into '?' and keeps the rest.
  EXPECT_EQ(redecoded, U16ToAnsi(MultiByteToWideChar(CodePage::Gbk, gb2312)));
  EXPECT_NE(redecoded, gb2312);
  EXPECT_NE(redecoded.find("\xD6\xD0\xCE\xC4 ?"), std::string::npos);
  EXPECT_NE(DecodeBodyText(Bytes(Page("gbk"))), Page("gbk"));

  for (const std::string& unchanged :
       {Page("GBK"), Page("GB2312"), Page("utf-8"), Page("gb2312", 1100),
        std::string("{\"message\":\"\xE6\x88\x90\xE5\x8A\x9F\"}")}) {
    EXPECT_EQ(DecodeBodyText(Bytes(unchanged)), unchanged) << unchanged.substr(0, 60);
  }
}

TEST(DecodeBodyTextTest, EndsAtTheFirstZeroByteAndPairsTheComponentLibrary) {
  const int before = ComInitCount();
  EXPECT_EQ(DecodeBodyText(Bytes(std::string_view("abc\0def", 7))), "abc");
  EXPECT_EQ(DecodeBodyText(Bytes(Page("gb2312") + std::string(1, '\0') + "tail")),
            Text(U16ToAnsi(MultiByteToWideChar(CodePage::Gbk, Page("gb2312")))));
  EXPECT_EQ(DecodeBodyText({}), "");
  EXPECT_EQ(ComInitCount(), before);
}

}  // namespace
}  // namespace vexaro
