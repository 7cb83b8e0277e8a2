// WebRequest against real servers on 127.0.0.1.
#include "http/web_request.h"

#include <gtest/gtest.h>

#include <chrono>

#include "test_servers.h"
#include "text/code_page.h"

namespace vexaro {
namespace {

using testing::Servers;

constexpr std::string_view kDefaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n";

class WebRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Servers().ready) << "test servers did not start"; }

  static std::string Host() { return "Host: 127.0.0.1:" + std::to_string(Servers().ownPort) + "\r\n"; }

  static AnsiText Failure(int number) { return AnsiText(WebRequestFailureText(number)); }
};

// Our server's /echo answers with the request exactly as it arrived.
TEST_F(WebRequestTest, UrlAloneSendsTheDefaultHeadersInOrder) {
  AnsiText status;
  const AnsiText echoed = WebRequest(Servers().Own("/echo"), {.StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(echoed, "GET /echo HTTP/1.1\r\n" + Host() + std::string(kDefaultLines) +
                        "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(WebRequestTest, PostSendsTheBodyWithTheFormContentType) {
  const AnsiText echoed =
      WebRequest(Servers().Own("/echo"), {.Method = 1, .RequestBody = "a=1&b=2"});
  EXPECT_EQ(echoed, "POST /echo HTTP/1.1\r\n" + Host() + std::string(kDefaultLines) +
                        "Content-Type: application/x-www-form-urlencoded\r\n"
                        "Cache-Control: no-cache\r\n"
                        "Content-Length: 7\r\n\r\na=1&b=2");
}

TEST_F(WebRequestTest, CallerLinesReplaceDefaultsAndCookiesAreSent) {
  AnsiText cookies = "a=1; b=2";
  const AnsiText echoed = WebRequest(
      Servers().Own("/echo"),
      {.Method = 1, .Cookies = &cookies, .RequestHeaders = "user-agent: X\r\ncontent-type: text/plain"});
  EXPECT_EQ(echoed, "POST /echo HTTP/1.1\r\n" + Host() +
                        "user-agent: X\r\n"
                        "Content-Type: text/plain\r\n"
                        "Accept: text/html, application/xhtml+xml, */*\r\n"
                        "Accept-Encoding: gbk, GB2312\r\n"
                        "Accept-Language: zh-cn\r\n"
                        "Cache-Control: no-cache\r\n"
                        "Cookie: a=1; b=2\r\n"
                        "Content-Length: 0\r\n\r\n");
  EXPECT_EQ(cookies, "a=1; b=2");  // nothing received: the merge keeps them
}

TEST_F(WebRequestTest, MethodsOutsideTheTableSendGet) {
  for (int method : {8, -1}) {
    const AnsiText echoed = WebRequest(Servers().Own("/echo"), {.Method = method});
    EXPECT_EQ(echoed.substr(0, 20), "GET /echo HTTP/1.1\r\n") << method;
  }
  EXPECT_EQ(WebRequest(Servers().Own("/echo"), {.Method = 5}).substr(0, 12), "DELETE /echo");
}

TEST_F(WebRequestTest, ReceivedCookiesAreMergedAndCarriedToTheNextCall) {
  AnsiText cookies = "b=0; c=3";
  AnsiText returned;
  AnsiText status;
  WebRequest(Servers().Httpbin("/response-headers?Set-Cookie=a%3D1&Set-Cookie=b%3D2"),
             {.Cookies = &cookies, .ReturnedCookies = &returned, .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(returned, "a=1; b=2; c=3");
  EXPECT_EQ(cookies, "a=1; b=2; c=3");

  const AnsiText seen = WebRequest(Servers().Httpbin("/cookies"), {.Cookies = &cookies});
  EXPECT_EQ(seen, "{\"cookies\":{\"a\":\"1\",\"b\":\"2\",\"c\":\"3\"}}\n");

  // Without the merge the received cookies come back alone and Cookies stays.
  AnsiText kept = "z=9";
  returned.clear();
  WebRequest(Servers().Httpbin("/response-headers?Set-Cookie=a%3D1"),
             {.Cookies = &kept, .ReturnedCookies = &returned, .MergeCookies = false});
  EXPECT_EQ(returned, "a=1");
  EXPECT_EQ(kept, "z=9");
}

TEST_F(WebRequestTest, RedirectsAreFollowedUnlessDisabled) {
  AnsiText status, headers, location = "untouched";
  WebRequest(Servers().Httpbin("/redirect-to?url=/get&status_code=302"),
             {.ResponseHeaders = &headers, .RedirectLocation = &location, .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(headers.substr(0, 17), "HTTP/1.1 200 OK\r\n");
  EXPECT_EQ(headers.find("Location"), std::string::npos) << "only the final response's headers";
  EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
  EXPECT_EQ(location, "untouched");

  WebRequest(Servers().Httpbin("/redirect-to?url=/get&status_code=302"),
             {.DisableRedirects = true, .RedirectLocation = &location, .StatusText = &status});
  EXPECT_EQ(status, "302 FOUND");
  EXPECT_EQ(location, "/get");
}

TEST_F(WebRequestTest, CookiesTravelAcrossTheHopsOfOneRequest) {
  // /hop-cookie sets hop=1 and redirects to /echo, which shows what came.
  AnsiText cookies = "a=1";
  const AnsiText echoed = WebRequest(Servers().Own("/hop-cookie"), {.Cookies = &cookies});
  EXPECT_NE(echoed.find("\r\nCookie: hop=1; a=1\r\n"), std::string::npos) << echoed;
  // With no cookies WinHttp's cookie handling is off: nothing is carried.
  const AnsiText plain = WebRequest(Servers().Own("/hop-cookie"));
  EXPECT_EQ(plain.find("Cookie"), std::string::npos) << plain;
}

TEST_F(WebRequestTest, BasicAuthenticationToTheServer) {
  AnsiText status;
  WebRequest(Servers().Httpbin("/basic-auth/user/passwd"),
             {.UserName = "user", .Password = "passwd", .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  // A user name without a password sets no credentials and is no failure.
  WebRequest(Servers().Httpbin("/basic-auth/user/passwd"), {.UserName = "user", .StatusText = &status});
  EXPECT_EQ(status, "401 UNAUTHORIZED");
}

TEST_F(WebRequestTest, ProxyCarriesHttpAndHttps) {
  const AnsiText proxy = "127.0.0.1:" + std::to_string(Servers().proxy.port);
  AnsiText status;
  const AnsiText body =
      WebRequest(Servers().Httpbin("/get"), {.ProxyServer = proxy, .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  // tinyproxy closes its upstream connection; a direct request names no Connection.
  EXPECT_NE(body.find("\"Connection\":\"close\""), std::string::npos) << body;
  EXPECT_EQ(WebRequest(Servers().Httpbin("/get")).find("\"Connection\""), std::string::npos);

  const AnsiText secure =
      WebRequest(Servers().Tls("/"), {.ProxyServer = proxy, .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(secure, "secure page");
}

TEST_F(WebRequestTest, ProxyWithBasicAuthentication) {
  const AnsiText proxy = "127.0.0.1:" + std::to_string(Servers().authProxy.port);
  AnsiText status;
  // Without credentials the proxy answers 407 itself: proof the request went there.
  WebRequest(Servers().Httpbin("/get"), {.ProxyServer = proxy, .StatusText = &status});
  EXPECT_EQ(status.substr(0, 3), "407");
  WebRequest(Servers().Httpbin("/get"), {.ProxyServer = proxy, .ProxyUserName = "proxyuser",
                                         .ProxyPassword = "proxypass", .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  // The tunnel for HTTPS is refused without credentials and opened with them.
  WebRequest(Servers().Tls("/"), {.ProxyServer = proxy, .StatusText = &status});
  EXPECT_EQ(status, Failure(711));
  const AnsiText secure = WebRequest(Servers().Tls("/"), {.ProxyServer = proxy, .ProxyUserName = "proxyuser",
                                                         .ProxyPassword = "proxypass", .StatusText = &status});
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(secure, "secure page");
}

TEST_F(WebRequestTest, HttpsWithATrustedCertificate) {
  AnsiText status;
  EXPECT_EQ(WebRequest(Servers().Tls("/"), {.StatusText = &status}), "secure page");
  EXPECT_EQ(status, "200 OK");
  // A redirect from https to http is not followed: the 302 is the answer.
  AnsiText location;
  WebRequest(Servers().Tls("/to-http"), {.RedirectLocation = &location, .StatusText = &status});
  EXPECT_EQ(status.substr(0, 3), "302");
  EXPECT_EQ(location, Servers().Own("/echo"));
}

TEST_F(WebRequestTest, FailuresGiveTheirNumberedTexts) {
  struct Case {
    std::string url;
    int number;
    std::string requestHeaders = {};
  };
  const Case cases[] = {
      {"abc", 701},
      {"ftp://127.0.0.1/", 701},
      {"http://bad host/", 703},
      {Servers().Own("/echo"), 710, "a line without a colon"},
      {"http://127.0.0.1:" + std::to_string(testing::FreePort()) + "/", 711},  // nobody listens
      {"https://127.0.0.1:" + std::to_string(Servers().untrustedTlsPort) + "/", 711},
  };
  for (const Case& c : cases) {
    AnsiText status, headers = "untouched";
    ByteBuffer bytes = {1};
    EXPECT_EQ(WebRequest(c.url, {.RequestHeaders = c.requestHeaders, .ResponseHeaders = &headers,
                                 .StatusText = &status, .ResponseBytes = &bytes}),
              "");
    EXPECT_EQ(status, Failure(c.number)) << c.url;
    EXPECT_EQ(headers, "untouched");
    EXPECT_EQ(bytes, ByteBuffer{1});
  }
}

TEST_F(WebRequestTest, ServerThatNeverAnswersTimesOut) {
  AnsiText status;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WebRequest(Servers().Own("/silent"), {.TimeoutSeconds = 1, .StatusText = &status}), "");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(status, Failure(712));
  EXPECT_LT(waited, std::chrono::seconds(10));
}

TEST_F(WebRequestTest, BodyCutOffKeepsTheBytesReadSoFar) {
  AnsiText status;
  ByteBuffer bytes;
  const AnsiText text =
      WebRequest(Servers().Own("/cut"), {.StatusText = &status, .ResponseBytes = &bytes});
  EXPECT_EQ(text, "0123456789");
  EXPECT_EQ(bytes, ByteBuffer(text.begin(), text.end()));
  // The head could be read, so its status replaces the 713 text.
  EXPECT_EQ(status, "200 OK");
}

TEST_F(WebRequestTest, ErrorStatusIsNoFailure) {
  AnsiText status, headers;
  const AnsiText body = WebRequest(Servers().Own("/nothing-here"),
                                   {.ResponseHeaders = &headers, .StatusText = &status});
  EXPECT_EQ(status, "404 Not Found");
  EXPECT_EQ(body, "missing");
  EXPECT_EQ(headers.substr(0, 24), "HTTP/1.1 404 Not Found\r\n");
}

TEST_F(WebRequestTest, ResponseStageOverARealResponse) {
  AnsiText cookies, location, status;
  WebRequest(Servers().Own("/scan"), {.ReturnedCookies = &cookies, .DisableRedirects = true,
                                      .RedirectLocation = &location, .StatusText = &status});
  EXPECT_EQ(status, "302 Found");
  EXPECT_EQ(location, "/next");
  EXPECT_EQ(cookies, "a=1; ; b=2");  // the small-letter set-cookie line is not taken
}

TEST_F(WebRequestTest, BodyTextIsRedecodedOnlyForGbkPages) {
  ByteBuffer bytes;
  const AnsiText gb2312 = WebRequest(Servers().Own("/gb2312"), {.ResponseBytes = &bytes});
  const std::string raw(bytes.begin(), bytes.end());
  EXPECT_EQ(gb2312, U16ToAnsi(MultiByteToWideChar(CodePage::Gbk, raw)));
  EXPECT_NE(gb2312.find("\xD6\xD0\xCE\xC4 ?"), std::string::npos);
  EXPECT_NE(gb2312, raw);

  for (const char* path : {"/GBK", "/late-meta"}) {
    const AnsiText text = WebRequest(Servers().Own(path), {.ResponseBytes = &bytes});
    EXPECT_EQ(text, std::string(bytes.begin(), bytes.end())) << path;
    EXPECT_NE(text.find("\x81\x7F"), std::string::npos) << path;
  }

  EXPECT_EQ(WebRequest(Servers().Own("/zero"), {.ResponseBytes = &bytes}), "abc");
  EXPECT_EQ(bytes.size(), 7u);
}

}  // namespace
}  // namespace vexaro
