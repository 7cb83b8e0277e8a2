// The detail lookup against a service whose answer is far too large to be a
// detail record: 200 MiB of JSON. The lookup reads it whole (WebRequest holds
// every body), the document refuses a text beyond its memory cap, "message"
// then reads empty, and the lookup ends as every failed lookup does: without
// a line, a picture or a change of the video address.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/globals.h"
#include "app/service_address.h"
#include "fake_window.h"
#include "server_process.h"

namespace vexaro {
namespace {

using namespace std::chrono_literals;
using testing::FakeWindow;

// A detail service whose answer for video ID N is a successful record of
// exactly N bytes (its "padding" member fills it up), streamed in pieces so
// that the server never holds it whole.
constexpr const char* kHugeAnswerService = R"py(
import re, socket, sys, threading

HEAD = ('{"message":"\u6210\u529f","data":[{"title":"\u5de8\u5927\u7684\u8bb0\u5f55",'
        '"duration":15,"addresses":{"hd":{"url":"http://127.0.0.1:9/huge.mp4"}},'
        '"padding":"').encode("utf-8")
TAIL = b'"}]}'
PIECE = b"x" * (1 << 20)

def serve(conn):
    with conn:
        request = b""
        while b"\r\n\r\n" not in request:
            data = conn.recv(4096)
            if not data:
                return
            request += data
        found = re.search(rb"video_id=(\d+)", request)
        size = max(int(found.group(1)) if found else 0, len(HEAD) + len(TAIL))
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\n"
                     b"Content-Length: %d\r\nConnection: close\r\n\r\n" % size)
        conn.sendall(HEAD)
        left = size - len(HEAD) - len(TAIL)
        try:
            while left > 0:
                piece = PIECE[:min(left, len(PIECE))]
                conn.sendall(piece)
                left -= len(piece)
            conn.sendall(TAIL)
        except OSError:
            pass

listener = socket.create_server(("127.0.0.1", int(sys.argv[1])))
while True:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
)py";

struct HugeAnswerService {
  int port = 0;
  testing::ServerProcess process;
  bool ready = false;
};

HugeAnswerService& Service() {
  static HugeAnswerService service;
  static const bool started = [] {
    service.port = testing::FreePort();
    service.process = testing::ServerProcess(
        {"/usr/bin/python3", "-c", kHugeAnswerService, std::to_string(service.port)});
    service.ready = testing::WaitForPort(service.port, 10s);
    return service.ready;
  }();
  (void)started;
  return service;
}

// Points the program at the huge-answer service for one test and back at
// whatever it used before (the other tests' sample service) afterwards.
class HugeDetailAnswerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Service().ready) << "the huge-answer service did not start";
    if (const char* earlier = std::getenv(variable_.c_str())) earlierService_ = earlier;
    ::setenv(variable_.c_str(), ("http://127.0.0.1:" + std::to_string(Service().port)).c_str(), 1);
    window_.Reset();
    window_.SetText(Control::编辑框2, "earlier line\r\n");
    window_.SetText(Control::编辑框4, "earlier name");
    CurrentVideoUrl.Set("http://127.0.0.1:1/earlier.mp4");
  }
  void TearDown() override {
    if (earlierService_) {
      ::setenv(variable_.c_str(), earlierService_->c_str(), 1);
    } else {
      ::unsetenv(variable_.c_str());
    }
    CurrentVideoId.Release();
    CurrentVideoUrl.Release();
  }

  // Runs one lookup on this thread; how long it took.
  std::chrono::steady_clock::duration LookUp(std::size_t answerBytes) {
    CurrentVideoId.Set(std::to_string(answerBytes));
    const auto start = std::chrono::steady_clock::now();
    DetailLookup();
    return std::chrono::steady_clock::now() - start;
  }

  FakeWindow& window_ = FakeWindow::Installed();
  const std::string variable_{kServiceUrlVariable};
  std::optional<std::string> earlierService_;
};

TEST_F(HugeDetailAnswerTest, ASmallAnswerOfTheSameServiceIsShown) {
  LookUp(4096);
  const auto lines = window_.Lines(Control::编辑框2);
  ASSERT_EQ(lines.size(), 10u);  // the earlier line and the lookup's nine
  EXPECT_EQ(lines[9], "url:http://127.0.0.1:9/huge.mp4");
  EXPECT_EQ(CurrentVideoUrl.Get(), "http://127.0.0.1:9/huge.mp4");
}

TEST_F(HugeDetailAnswerTest, AnAnswerOfTwoHundredMebibytesEndsTheLookupSilently) {
  const auto took = LookUp(std::size_t{200} << 20);

  EXPECT_EQ(window_.Text(Control::编辑框2), "earlier line\r\n");
  EXPECT_EQ(window_.Text(Control::编辑框4), "earlier name");
  EXPECT_EQ(window_.PictureShownCount(), 0);
  EXPECT_EQ(CurrentVideoUrl.Get(), "http://127.0.0.1:1/earlier.mp4");
  EXPECT_LT(took, 60s);  // only a hang or a crawl comes near this
}

}  // namespace
}  // namespace vexaro
