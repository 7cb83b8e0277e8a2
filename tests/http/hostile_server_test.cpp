// WebRequest against a server that misbehaves on purpose (hostile_server.cpp):
// answers that are no HTTP, floods of header and cookie lines, a redirect
// loop, bodies and heads that stall, a server that stops reading the request
// and compressed bodies. Each call must end with its proper result, without
// a crash and within a bound far above what it needs.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "hostile_bodies.h"
#include "http/cookie_text.h"
#include "http/response_stage.h"
#include "http/web_request.h"
#include "http/winhttp.h"
#include "server_process.h"

#ifndef HOSTILE_SERVER_PATH
#error "HOSTILE_SERVER_PATH must name the hostile server executable"
#endif

namespace vexaro {
namespace {

using namespace std::chrono_literals;
using testing::kFakeGzipBody;
using testing::kGzipBody;
using testing::kStalledBodyStart;

// Far above what any case here needs; only a hang or a crawl reaches it.
constexpr auto kPromptly = 20s;

struct HostileServer {
  int port = 0;
  testing::ServerProcess process;
  bool ready = false;

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
};

HostileServer& Server() {
  static HostileServer server;
  static const bool started = [] {
    server.port = testing::FreePort();
    server.process = testing::ServerProcess({HOSTILE_SERVER_PATH, std::to_string(server.port)});
    server.ready = testing::WaitForPort(server.port, 10s);
    return server.ready;
  }();
  (void)started;
  return server;
}

// One call's outputs; the outputs start as "untouched" so that a test can
// tell what the call wrote.
struct Outcome {
  AnsiText text;
  AnsiText status = "untouched";
  AnsiText headers = "untouched";
  AnsiText returnedCookies;
  AnsiText location = "untouched";
  ByteBuffer bytes;
  std::chrono::steady_clock::duration took{};

  std::string Bytes() const { return std::string(bytes.begin(), bytes.end()); }
};

Outcome Call(const std::string& path, WebRequestOptions options = {}) {
  Outcome outcome;
  options.StatusText = &outcome.status;
  options.ResponseHeaders = &outcome.headers;
  options.ReturnedCookies = &outcome.returnedCookies;
  options.RedirectLocation = &outcome.location;
  options.ResponseBytes = &outcome.bytes;
  const auto start = std::chrono::steady_clock::now();
  outcome.text = WebRequest(Server().Url(path), options);
  outcome.took = std::chrono::steady_clock::now() - start;
  return outcome;
}

AnsiText Failure(int number) { return AnsiText(WebRequestFailureText(number)); }

// How many /loop and /chain requests reached the server since the last ask.
int RedirectRequestsSeen() { return std::stoi(Call("/hops").text); }

class HostileServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Server().ready) << "the hostile server did not start"; }
};

TEST_F(HostileServerTest, AnAnswerThatIsNoHttpFailsAtTheReceive) {
  for (const char* name : {"banner", "html", "no-code", "binary", "nothing", "cut-head"}) {
    const Outcome outcome = Call(std::string("/raw/") + name);
    EXPECT_EQ(outcome.status, Failure(712)) << name;
    EXPECT_EQ(outcome.text, "") << name;
    EXPECT_EQ(outcome.headers, "untouched") << name;
    EXPECT_LT(outcome.took, kPromptly) << name;
  }
}

// libcurl reads "http/1.1" as a status line, so a redirect written so is
// followed like any other.
TEST_F(HostileServerTest, AStatusLineInSmallLettersIsStillAStatusLine) {
  const Outcome redirect = Call("/raw/lowercase-redirect");
  EXPECT_EQ(redirect.status, "200 OK");
  EXPECT_EQ(redirect.text, "end of chain");
  RedirectRequestsSeen();
}

TEST_F(HostileServerTest, AHeadWithinTheLimitKeepsEveryLine) {
  const Outcome outcome = Call("/headers/10000");
  EXPECT_EQ(outcome.status, "200 OK");
  EXPECT_EQ(outcome.text, "done");
  std::size_t lines = 0;
  for (std::size_t at = outcome.headers.find("\r\nH: v\r\n"); at != std::string::npos;
       at = outcome.headers.find("\r\nH: v\r\n", at + 6))
    ++lines;
  EXPECT_EQ(lines, 10000u);
}

// A head larger than WinHttp's 64 KiB - a hundred thousand header lines, ten
// thousand cookies, or lines or interim answers without end - ends the
// exchange at the receive, long before the memory notices.
TEST_F(HostileServerTest, AHeadBeyondTheLimitFailsAtTheReceive) {
  for (const char* path : {"/headers/100000", "/long-headers/100000", "/cookies/10000",
                           "/endless-headers", "/endless-continue"}) {
    const Outcome outcome = Call(path);
    EXPECT_EQ(outcome.status, Failure(712)) << path;
    EXPECT_EQ(outcome.text, "") << path;
    EXPECT_EQ(outcome.headers, "untouched") << path;
    EXPECT_EQ(outcome.returnedCookies, "") << path;
    EXPECT_LT(outcome.took, kPromptly) << path;
  }

  // The layer names the reason.
  for (const char16_t* path : {u"/headers/100000", u"/endless-continue"}) {
    HINTERNET root = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection =
        WinHttpConnect(root, u"127.0.0.1", static_cast<INTERNET_PORT>(Server().port), 0);
    HINTERNET request =
        WinHttpOpenRequest(connection, nullptr, path, nullptr, nullptr, nullptr, 0);
    ASSERT_TRUE(WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
    EXPECT_FALSE(WinHttpReceiveResponse(request, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_WINHTTP_HEADER_SIZE_OVERFLOW);
    for (HINTERNET handle : {request, connection, root}) WinHttpCloseHandle(handle);
  }
}

TEST_F(HostileServerTest, ThousandsOfReceivedCookiesAreCollectedAndMerged) {
  std::string expected;
  for (int i = 0; i < 1500; ++i) {
    if (i > 0) expected += "; ";
    expected += "c" + std::to_string(i) + "=v" + std::to_string(i);
  }

  const Outcome received = Call("/cookies/1500");
  EXPECT_EQ(received.status, "200 OK");
  EXPECT_TRUE(received.returnedCookies == expected) << received.returnedCookies.substr(0, 200);
  EXPECT_LT(received.took, kPromptly);

  // Sent cookies: c5 is replaced by the received one, keep=1 is carried on.
  AnsiText cookies = "c5=old; keep=1";
  const Outcome merged = Call("/cookies/1500", {.Cookies = &cookies});
  EXPECT_TRUE(merged.returnedCookies == expected + "; keep=1")
      << merged.returnedCookies.substr(0, 200);
  EXPECT_EQ(cookies, merged.returnedCookies);
  EXPECT_LT(merged.took, kPromptly);
}

// Ten thousand Set-Cookie lines cannot come in one head over the network
// (above); the response stage takes them in one scan all the same.
TEST_F(HostileServerTest, TenThousandSetCookieLinesAreScannedAndMerged) {
  std::string headers = "HTTP/1.1 200 OK\r\n";
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    const std::string item = "c" + std::to_string(i) + "=v" + std::to_string(i);
    headers += "Set-Cookie: " + item + "; path=/\r\n";
    expected += (i > 0 ? "; " : "") + item;
  }
  headers += "\r\n";

  const auto start = std::chrono::steady_clock::now();
  AnsiText returned, location = "untouched";
  ScanResponseHeaders(headers, returned, location);
  EXPECT_TRUE(returned == expected) << returned.substr(0, 200);
  EXPECT_EQ(location, "untouched");

  AnsiText cookies = "c5=old; keep=1";
  const AnsiText merged = MergeCookieText(cookies, returned);
  EXPECT_TRUE(merged == expected + "; keep=1") << merged.substr(0, 200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptly);
}

TEST_F(HostileServerTest, RedirectsStopAfterTenHops) {
  RedirectRequestsSeen();  // start counting from here

  const Outcome loop = Call("/loop");
  EXPECT_EQ(loop.status, Failure(712));
  EXPECT_EQ(loop.text, "");
  EXPECT_EQ(RedirectRequestsSeen(), 11);  // the request and ten redirects
  EXPECT_LT(loop.took, kPromptly);

  const Outcome tenHops = Call("/chain/10");
  EXPECT_EQ(tenHops.status, "200 OK");
  EXPECT_EQ(tenHops.text, "end of chain");
  EXPECT_EQ(tenHops.location, "untouched");  // the final answer has no Location
  EXPECT_EQ(Call("/chain/11").status, Failure(712));
  RedirectRequestsSeen();

  const Outcome notFollowed = Call("/loop", {.DisableRedirects = true});
  EXPECT_EQ(notFollowed.status, "302 Found");
  EXPECT_EQ(notFollowed.location, "/loop");
  EXPECT_EQ(RedirectRequestsSeen(), 1);
}

TEST_F(HostileServerTest, AHeadThatStallsTimesOutAtTheReceive) {
  const Outcome outcome = Call("/stall-head", {.TimeoutSeconds = 1});
  EXPECT_EQ(outcome.status, Failure(712));
  EXPECT_EQ(outcome.text, "");
  EXPECT_LT(outcome.took, kPromptly);
}

// The read fails at the time-out and keeps what came before; the head could
// be read, so its status replaces the 713 text.
TEST_F(HostileServerTest, ABodyThatStallsTimesOutWithTheBytesReadSoFar) {
  for (const char* path : {"/stall-body", "/stall-chunked"}) {
    const Outcome outcome = Call(path, {.TimeoutSeconds = 1});
    EXPECT_EQ(outcome.text, kStalledBodyStart) << path;
    EXPECT_EQ(outcome.Bytes(), kStalledBodyStart) << path;
    EXPECT_EQ(outcome.status, "200 OK") << path;
    EXPECT_GE(outcome.took, 1s) << path;
    EXPECT_LT(outcome.took, kPromptly) << path;
  }
}

TEST_F(HostileServerTest, AServerThatStopsReadingTheBodyTimesOutAtTheSend) {
  // Far more than the socket buffers of both ends hold.
  const Outcome outcome =
      Call("/deaf", {.Method = 1, .RequestBody = AnsiText(64 << 20, 'b'), .TimeoutSeconds = 1});
  EXPECT_EQ(outcome.status, Failure(711));
  EXPECT_EQ(outcome.text, "");
  EXPECT_EQ(outcome.headers, "untouched");
  EXPECT_LT(outcome.took, kPromptly);
}

// Nothing is decompressed: the bytes come back as sent, and the request asks
// for no encoding but the program's own Accept-Encoding line.
TEST_F(HostileServerTest, CompressedBodiesComeBackAsSent) {
  for (const char* path : {"/gzip", "/gzip-chunked"}) {
    const Outcome outcome = Call(path);
    EXPECT_EQ(outcome.status, "200 OK") << path;
    EXPECT_EQ(outcome.Bytes(), kGzipBody) << path;
    EXPECT_EQ(outcome.text, kGzipBody.substr(0, 3)) << path;  // the text ends at the first zero
    EXPECT_NE(outcome.headers.find("\r\nContent-Encoding: gzip\r\n"), std::string::npos) << path;
    EXPECT_NE(outcome.headers.find("\r\nX-Seen-Accept-Encoding: gbk, GB2312\r\n"), std::string::npos)
        << path;
  }
  const Outcome fake = Call("/gzip-fake");
  EXPECT_EQ(fake.status, "200 OK");
  EXPECT_EQ(fake.text, kFakeGzipBody);
}

}  // namespace
}  // namespace vexaro
