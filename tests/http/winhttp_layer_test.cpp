// The WinHttp-shaped layer where WebRequest does not reach: where each
// failure is reported, the redirect limit, header checks and handle rules.
#include "http/winhttp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_servers.h"

namespace vexaro {
namespace {

using testing::Servers;

// Root, connection and request for a GET of `path` on 127.0.0.1:port.
struct OpenRequest {
  OpenRequest(int port, const std::u16string& path, DWORD flags = 0) {
    root = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    connection = WinHttpConnect(root, u"127.0.0.1", static_cast<INTERNET_PORT>(port), 0);
    request = WinHttpOpenRequest(connection, nullptr, path.c_str(), nullptr, nullptr, nullptr, flags);
  }
  ~OpenRequest() {
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    if (root) WinHttpCloseHandle(root);
  }
  bool Send() { return WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0); }

  std::u16string Header(DWORD level) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, level, nullptr, nullptr, &size, nullptr);
    std::u16string text(size / 2, u'\0');
    if (!WinHttpQueryHeaders(request, level, nullptr, text.data(), &size, nullptr)) return u"?";
    text.resize(size / 2);
    return text;
  }

  HINTERNET root = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
};

class WinHttpLayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Servers().ready) << "test servers did not start"; }
};

TEST_F(WinHttpLayerTest, RedirectsStopAfterTen) {
  OpenRequest ten(Servers().httpbin.port, u"/redirect/10");
  ASSERT_TRUE(ten.Send());
  ASSERT_TRUE(WinHttpReceiveResponse(ten.request, nullptr));
  EXPECT_EQ(ten.Header(WINHTTP_QUERY_STATUS_CODE), u"200");

  OpenRequest eleven(Servers().httpbin.port, u"/redirect/11");
  ASSERT_TRUE(eleven.Send());
  EXPECT_FALSE(WinHttpReceiveResponse(eleven.request, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_REDIRECT_FAILED);
}

TEST_F(WinHttpLayerTest, BrokenBodyFailsAtTheReadAfterTheBytesThatCame) {
  OpenRequest cut(Servers().ownPort, u"/cut");
  ASSERT_TRUE(cut.Send());
  ASSERT_TRUE(WinHttpReceiveResponse(cut.request, nullptr));
  std::string body;
  for (;;) {
    DWORD available = 0;
    ASSERT_TRUE(WinHttpQueryDataAvailable(cut.request, &available));
    ASSERT_GT(available, 0u);
    std::vector<char> buffer(available);
    DWORD read = 0;
    if (!WinHttpReadData(cut.request, buffer.data(), available, &read)) break;
    body.append(buffer.data(), read);
  }
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_CONNECTION_ERROR);
  EXPECT_EQ(body, "0123456789");
}

TEST_F(WinHttpLayerTest, FailuresAtTheirPhases) {
  OpenRequest refused(testing::FreePort(), u"/");
  EXPECT_FALSE(refused.Send());
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_CANNOT_CONNECT);

  OpenRequest untrusted(Servers().untrustedTlsPort, u"/", WINHTTP_FLAG_SECURE);
  EXPECT_FALSE(untrusted.Send());
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_SECURE_FAILURE);

  OpenRequest silent(Servers().ownPort, u"/silent");
  ASSERT_TRUE(WinHttpSetTimeouts(silent.request, 0, 2000, 2000, 300));
  ASSERT_TRUE(silent.Send());
  EXPECT_FALSE(WinHttpReceiveResponse(silent.request, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_TIMEOUT);
  // A failed request stays failed.
  DWORD available = 0;
  EXPECT_FALSE(WinHttpQueryDataAvailable(silent.request, &available));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
}

TEST_F(WinHttpLayerTest, ClosingTheRequestCancelsAWaitOnAnotherThread) {
  OpenRequest silent(Servers().ownPort, u"/silent");
  ASSERT_TRUE(silent.Send());
  std::thread closer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    WinHttpCloseHandle(silent.request);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WinHttpReceiveResponse(silent.request, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_OPERATION_CANCELLED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  closer.join();
  silent.request = nullptr;
}

TEST_F(WinHttpLayerTest, HeaderLinesAreCheckedAndApplied) {
  OpenRequest echo(Servers().ownPort, u"/echo");
  // Nothing may be smuggled into the request through a header value or name.
  EXPECT_FALSE(WinHttpAddRequestHeaders(echo.request, u"X-A: 1\rX-B: 2", static_cast<DWORD>(-1),
                                        WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(WinHttpAddRequestHeaders(echo.request, u"no colon", static_cast<DWORD>(-1),
                                        WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(WinHttpAddRequestHeaders(echo.request, u"Bad Name: x", static_cast<DWORD>(-1),
                                        WINHTTP_ADDREQ_FLAG_ADD));
  const DWORD addReplace = WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE;
  ASSERT_TRUE(WinHttpAddRequestHeaders(echo.request, u"X-One: 1\r\nX-Two: 2\r\n\r\n",
                                       static_cast<DWORD>(-1), addReplace));
  ASSERT_TRUE(WinHttpAddRequestHeaders(echo.request, u"x-one: 3\r\nX-Two:", static_cast<DWORD>(-1),
                                       addReplace));  // replaces one, removes the other
  EXPECT_FALSE(WinHttpAddRequestHeaders(echo.request, u"X-One: 4", static_cast<DWORD>(-1),
                                        WINHTTP_ADDREQ_FLAG_ADD_IF_NEW));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_HEADER_ALREADY_EXISTS);
  ASSERT_TRUE(echo.Send());
  ASSERT_TRUE(WinHttpReceiveResponse(echo.request, nullptr));
  std::string body;
  DWORD available = 0;
  while (WinHttpQueryDataAvailable(echo.request, &available) && available > 0) {
    std::vector<char> buffer(available);
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(echo.request, buffer.data(), available, &read));
    body.append(buffer.data(), read);
  }
  EXPECT_EQ(body, "GET /echo HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(Servers().ownPort) +
                      "\r\nX-One: 3\r\n\r\n");
  // Options belong before the send.
  const DWORD flag = WINHTTP_DISABLE_REDIRECTS;
  EXPECT_FALSE(WinHttpSetOption(echo.request, WINHTTP_OPTION_DISABLE_FEATURE, &flag, sizeof flag));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
}

TEST_F(WinHttpLayerTest, QueryHeadersReportsSizesAndParts) {
  OpenRequest missing(Servers().ownPort, u"/nothing-here");
  ASSERT_TRUE(missing.Send());
  ASSERT_TRUE(WinHttpReceiveResponse(missing.request, nullptr));
  DWORD size = 0;
  EXPECT_FALSE(WinHttpQueryHeaders(missing.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                                   nullptr, &size, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  const std::u16string raw = missing.Header(WINHTTP_QUERY_RAW_HEADERS_CRLF);
  EXPECT_EQ(size, (raw.size() + 1) * 2);
  EXPECT_EQ(raw, u"HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(missing.Header(WINHTTP_QUERY_STATUS_TEXT), u"Not Found");
  DWORD code = 0;
  size = sizeof code;
  ASSERT_TRUE(WinHttpQueryHeaders(missing.request,
                                  WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr,
                                  &code, &size, nullptr));
  EXPECT_EQ(code, 404u);
  EXPECT_FALSE(WinHttpQueryHeaders(missing.request, WINHTTP_QUERY_LOCATION, nullptr, nullptr,
                                   &size, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_HEADER_NOT_FOUND);
}

TEST_F(WinHttpLayerTest, HandlesAreCheckedByKind) {
  EXPECT_FALSE(WinHttpCloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  HINTERNET root = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(WinHttpOpenRequest(root, nullptr, nullptr, nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  EXPECT_EQ(WinHttpConnect(root, u"bad host/x", 80, 0), nullptr);
  EXPECT_EQ(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, u"", nullptr, 0), nullptr);
  EXPECT_TRUE(WinHttpCloseHandle(root));
  EXPECT_FALSE(WinHttpCloseHandle(root));
}

}  // namespace
}  // namespace vexaro
