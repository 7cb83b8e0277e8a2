// The parts of a request that need no server: the header text, the verbs,
// the failure texts, URL cracking and proxy lists.
#include <gtest/gtest.h>

#include "http/web_request.h"
#include "http/winhttp.h"
#include "http/winhttp_state.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

constexpr std::string_view kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
constexpr std::string_view kAccept = "Accept: text/html, application/xhtml+xml, */*\r\n";
constexpr std::string_view kEncoding = "Accept-Encoding: gbk, GB2312\r\n";
constexpr std::string_view kLanguage = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kFormType = "Content-Type: application/x-www-form-urlencoded\r\n";
constexpr std::string_view kNoCache = "Cache-Control: no-cache\r\n";

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

struct HeaderCase {
  std::string requestHeaders;
  int method;
  std::string cookies;
  std::string expected;
};

class BuildRequestHeaderTextTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BuildRequestHeaderTextTest, AddsTheMissingDefaults) {
  const HeaderCase& c = GetParam();
  EXPECT_EQ(BuildRequestHeaderText(c.requestHeaders, c.method, c.cookies), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildRequestHeaderTextTest,
    ::testing::Values(
        HeaderCase{"", 0, "", Join({kUserAgent, kAccept, kEncoding, kLanguage, kNoCache})},
        HeaderCase{"", 1, "", Join({kUserAgent, kAccept, kEncoding, kLanguage, kFormType, kNoCache})},
        // Found anywhere, in any case: the caller's line stands and no default is added.
        HeaderCase{"user-agent: X", 0, "",
                   Join({"user-agent: X\r\n", kAccept, kEncoding, kLanguage, kNoCache})},
        HeaderCase{"X-User-Agent: y", 0, "",
                   Join({"X-User-Agent: y\r\n", kAccept, kEncoding, kLanguage, kNoCache})},
        // POST: "content-type" is rewritten; other spellings are not recognised.
        HeaderCase{"content-type: text/plain", 1, "",
                   Join({"Content-Type: text/plain\r\n", kUserAgent, kAccept, kEncoding, kLanguage,
                         kNoCache})},
        HeaderCase{"Content-Type: text/plain", 1, "",
                   Join({"Content-Type: text/plain\r\n", kUserAgent, kAccept, kEncoding, kLanguage,
                         kNoCache})},
        HeaderCase{"CONTENT-TYPE: text/plain", 1, "",
                   Join({"CONTENT-TYPE: text/plain\r\n", kUserAgent, kAccept, kEncoding, kLanguage,
                         kFormType, kNoCache})},
        HeaderCase{"content-type: text/plain", 0, "",
                   Join({"content-type: text/plain\r\n", kUserAgent, kAccept, kEncoding, kLanguage,
                         kNoCache})},
        // Cookies: a last line, unless the caller sent its own.
        HeaderCase{"", 0, "a=1; b=2",
                   Join({kUserAgent, kAccept, kEncoding, kLanguage, kNoCache,
                         "Cookie: a=1; b=2\r\n"})},
        HeaderCase{"Cookie: z=9", 0, "a=1",
                   Join({"Cookie: z=9\r\n", kUserAgent, kAccept, kEncoding, kLanguage, kNoCache})}));

TEST(RequestVerbTest, MapsTheMethodTableAndFallsBackToGet) {
  const char* verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  for (int method = 0; method < 8; ++method) EXPECT_EQ(RequestVerb(method), verbs[method]);
  EXPECT_EQ(RequestVerb(8), "GET");
  EXPECT_EQ(RequestVerb(-1), "GET");
}

TEST(FailureTextTest, HoldsTheNumberedTextsInCodePage936) {
  const std::pair<int, const char*> texts[] = {
      {700, "700 当前系统不支持WinHttp服务!"}, {701, "701 解析URL地址失败!"},
      {702, "702 创建WinHttp会话失败!"},     {703, "703 创建WinHttp连接失败!"},
      {704, "704 创建WinHttp请求失败!"},     {705, "705 设置超时时间失败!"},
      {707, "707 设置代理凭证失败!"},        {708, "708 禁止自动设置Cookies失败!"},
      {709, "709 重定向设置失败!"},          {710, "710 设置协议头失败!"},
      {711, "711 发送请求失败!"},            {712, "712 服务器未响应!"},
      {713, "713 读取数据失败!"}};
  for (const auto& [number, utf8] : texts)
    EXPECT_EQ(WebRequestFailureText(number), Utf8ToAnsi(utf8)) << number;
  EXPECT_EQ(WebRequestFailureText(706), "");
  EXPECT_EQ(WebRequestFailureText(714), "");
}

struct CrackCase {
  std::u16string url;
  bool ok;
  int scheme = 0;
  INTERNET_PORT port = 0;
  std::u16string host = {}, path = {}, extra = {}, user = {};
};

TEST(WinHttpCrackUrlTest, SplitsHttpAndHttpsUrlsAndRejectsTheRest) {
  const CrackCase cases[] = {
      {u"http://example.com/a/b?x=1#f", true, 1, 80, u"example.com", u"/a/b", u"?x=1#f", u""},
      {u"HTTPS://Example.com:8443", true, 2, 8443, u"Example.com", u"", u"", u""},
      {u"http://h?q", true, 1, 80, u"h", u"", u"?q", u""},
      {u"http://user:pw@[::1]:81/p", true, 1, 81, u"[::1]", u"/p", u"", u"user"},
      {u"http://h:/p", true, 1, 80, u"h", u"/p", u"", u""},
      {u"abc", false},
      {u"ftp://h/p", false},
      {u"http:/h/p", false},
      {u"http://", false},
      {u"http://:80/", false},
      {u"http://h:99999/", false},
      {u"http://h:8x/", false},
      {u"", false},
  };
  for (const CrackCase& c : cases) {
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.dwSchemeLength = components.dwHostNameLength = components.dwUrlPathLength =
        components.dwExtraInfoLength = components.dwUserNameLength = static_cast<DWORD>(-1);
    const bool ok = WinHttpCrackUrl(c.url.c_str(), static_cast<DWORD>(c.url.size()), 0, &components);
    ASSERT_EQ(ok, c.ok) << AnsiToUtf8(U16ToAnsi(c.url));
    if (!ok) continue;
    EXPECT_EQ(components.nScheme, c.scheme);
    EXPECT_EQ(components.nPort, c.port);
    EXPECT_EQ(std::u16string(components.lpszHostName, components.dwHostNameLength), c.host);
    EXPECT_EQ(std::u16string(components.lpszUrlPath, components.dwUrlPathLength), c.path);
    EXPECT_EQ(std::u16string(components.lpszExtraInfo, components.dwExtraInfoLength), c.extra);
    EXPECT_EQ(std::u16string(components.lpszUserName, components.dwUserNameLength), c.user);
  }
}

TEST(WinHttpCrackUrlTest, CopiesIntoCallerBuffersAndReportsTooSmallOnes) {
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  char16_t host[4];
  components.lpszHostName = host;
  components.dwHostNameLength = 4;
  EXPECT_FALSE(WinHttpCrackUrl(u"http://abcd/", 0, 0, &components));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(components.dwHostNameLength, 5u);  // four units and the terminator
  components.dwHostNameLength = 4;
  ASSERT_TRUE(WinHttpCrackUrl(u"http://abc/", 0, 0, &components));
  EXPECT_EQ(std::u16string(host), u"abc");
  EXPECT_EQ(components.dwHostNameLength, 3u);

  components.dwStructSize = 60;  // a size this build's record does not have
  EXPECT_FALSE(WinHttpCrackUrl(u"http://abc/", 0, 0, &components));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  components.dwStructSize = sizeof components;
  EXPECT_FALSE(WinHttpCrackUrl(u"abc", 0, 0, &components));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
}

TEST(ProxyListTest, PicksTheEntryForTheScheme) {
  using http_detail::ProxyForScheme;
  EXPECT_EQ(ProxyForScheme(u"proxyhost:81", false), "http://proxyhost:81");
  EXPECT_EQ(ProxyForScheme(u"proxyhost:81", true), "http://proxyhost:81");
  EXPECT_EQ(ProxyForScheme(u"http=proxyhost:81", false), "http://proxyhost:81");
  EXPECT_EQ(ProxyForScheme(u"http=proxyhost:81", true), "");  // https goes direct
  EXPECT_EQ(ProxyForScheme(u"any:1 https=s:2;http=h:3", true), "http://s:2");
  EXPECT_EQ(ProxyForScheme(u"any:1; https=s:2", false), "http://any:1");
  EXPECT_EQ(ProxyForScheme(u"http=http://h", false), "http://h:80");
  EXPECT_EQ(ProxyForScheme(u"[::1]", false), "http://[::1]:80");
  EXPECT_EQ(http_detail::NoProxyList(u"a.example;<local> b"), "a.example,b");
}

}  // namespace
}  // namespace vexaro
