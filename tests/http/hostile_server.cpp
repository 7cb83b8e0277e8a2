// A server that misbehaves on purpose, for the HTTP client's hardening tests:
//   hostile_http_server PORT
// Plain HTTP over raw sockets on 127.0.0.1:PORT, one thread per connection,
// every connection closed after one answer. What it does depends on the path:
//
//   /raw/NAME           a fixed answer, sent as it stands (see kRawAnswers)
//   /headers/N          N short header lines ("H: v")
//   /long-headers/N     N header lines of 64 bytes each
//   /endless-headers    header lines until the client gives up
//   /endless-continue   "100 Continue" interim answers until the client gives up
//   /cookies/N          N Set-Cookie lines "cK=vK; path=/"
//   /loop               a redirect to itself
//   /chain/N            a redirect to /chain/N-1; /chain/0 answers "end of chain"
//   /hops               how many /loop and /chain requests came since the last /hops
//   /stall-head         a status line and one header line, then silence
//   /stall-body         a head announcing 1000 bytes, five of them, then silence
//   /stall-chunked      a chunked head, one chunk, then silence
//   /deaf               reads the request head and then never reads again, with
//                       a tiny receive buffer, so a large request body stalls
//   /gzip               kGzipBody with "Content-Encoding: gzip"
//   /gzip-chunked       the same in two chunks
//   /gzip-fake          kFakeGzipBody announced as gzip
//
// Every answer names the Accept-Encoding the request carried in the response
// header "X-Seen-Accept-Encoding", so a test can see what was asked for.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <thread>

#include "hostile_bodies.h"

#include "loopback_listener.h"

namespace {

using vexaro::testing::kFakeGzipBody;
using vexaro::testing::kGzipBody;
using vexaro::testing::kStalledBodyStart;

// Fixed answers, by name: most are no HTTP response at all.
const std::map<std::string, std::string, std::less<>> kRawAnswers = {
    {"banner", "SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n"},
    {"html", "<html><body>no status line at all</body></html>\r\n\r\n"},
    {"no-code", "HTTP/1.1 OK\r\nContent-Length: 2\r\n\r\nok"},
    {"binary", std::string("\x00\x01\x02\xFF\xFE\r\n\r\n", 9)},
    {"nothing", ""},
    {"cut-head", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"},
    {"lowercase-redirect", "http/1.1 302 Found\r\nLocation: /chain/0\r\nContent-Length: 0\r\n\r\n"},
};

std::atomic<int> redirectRequests{0};

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The request head, up to and including its empty line (at most 64 KiB).
// Bytes of a body that came with it are read too, and left at that.
std::string ReadHead(int fd) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return head;
}

std::string PathOf(const std::string& head) {
  std::size_t first = head.find(' ');
  if (first == std::string::npos) return {};
  std::size_t second = head.find(' ', first + 1);
  return head.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::string HeaderOf(const std::string& head, std::string_view name) {
  const std::string prefix = "\r\n" + std::string(name) + ": ";
  std::size_t at = head.find(prefix);
  if (at == std::string::npos) return {};
  at += prefix.size();
  return head.substr(at, head.find("\r\n", at) - at);
}

// The number after `prefix` in `path`, or -1 when the path is something else.
long NumberAfter(std::string_view path, std::string_view prefix) {
  if (path.substr(0, prefix.size()) != prefix || path.size() == prefix.size()) return -1;
  long value = 0;
  for (char c : path.substr(prefix.size())) {
    if (c < '0' || c > '9' || value > 100000000) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

void SleepUntilStopped() { std::this_thread::sleep_for(std::chrono::hours(1)); }

class Answer {
 public:
  Answer(int fd, std::string seenEncoding) : fd_(fd), seenEncoding_(std::move(seenEncoding)) {}

  // A whole answer with its Content-Length.
  bool Send(std::string_view status, std::string_view headers, std::string_view body) {
    return SendAll(fd_, Head(status) + std::string(headers) +
                            "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n") &&
           SendAll(fd_, body);
  }

  // The status line and the header that every answer carries.
  std::string Head(std::string_view status) const {
    return "HTTP/1.1 " + std::string(status) + "\r\nConnection: close\r\nX-Seen-Accept-Encoding: " +
           seenEncoding_ + "\r\n";
  }

  int fd() const { return fd_; }

 private:
  int fd_;
  std::string seenEncoding_;
};

void HeaderLines(Answer& answer, long count, bool longLines) {
  std::string head = answer.Head("200 OK");
  head.reserve(head.size() + static_cast<std::size_t>(count) * (longLines ? 64 : 6));
  for (long i = 0; i < count; ++i) {
    if (longLines) {
      std::string line = "X-Filler-" + std::to_string(i) + ": ";
      line.resize(62, 'f');
      head += line + "\r\n";
    } else {
      head += "H: v\r\n";
    }
  }
  SendAll(answer.fd(), head + "Content-Length: 4\r\n\r\ndone");
}

void EndlessHeaders(Answer& answer) {
  if (!SendAll(answer.fd(), answer.Head("200 OK"))) return;
  std::string block;
  for (int i = 0; i < 1024; ++i) block += "X-Again-And-Again: still more header lines to come\r\n";
  while (SendAll(answer.fd(), block)) {
  }
}

void Cookies(Answer& answer, long count) {
  std::string lines;
  for (long i = 0; i < count; ++i) {
    const std::string number = std::to_string(i);
    lines += "Set-Cookie: c" + number + "=v" + number + "; path=/\r\n";
  }
  answer.Send("200 OK", lines, "cookies");
}

void Serve(int fd) {
  const std::string head = ReadHead(fd);
  const std::string path = PathOf(head);
  Answer answer(fd, HeaderOf(head, "Accept-Encoding"));

  if (path.rfind("/raw/", 0) == 0) {
    auto found = kRawAnswers.find(std::string_view(path).substr(5));
    if (found != kRawAnswers.end()) SendAll(fd, found->second);
  } else if (long count = NumberAfter(path, "/headers/"); count >= 0) {
    HeaderLines(answer, count, false);
  } else if (long count = NumberAfter(path, "/long-headers/"); count >= 0) {
    HeaderLines(answer, count, true);
  } else if (path == "/endless-headers") {
    EndlessHeaders(answer);
  } else if (path == "/endless-continue") {
    while (SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) {
    }
  } else if (long count = NumberAfter(path, "/cookies/"); count >= 0) {
    Cookies(answer, count);
  } else if (path == "/loop") {
    ++redirectRequests;
    answer.Send("302 Found", "Location: /loop\r\n", "");
  } else if (long hop = NumberAfter(path, "/chain/"); hop >= 0) {
    ++redirectRequests;
    if (hop == 0) {
      answer.Send("200 OK", "", "end of chain");
    } else {
      answer.Send("302 Found", "Location: /chain/" + std::to_string(hop - 1) + "\r\n", "");
    }
  } else if (path == "/hops") {
    answer.Send("200 OK", "", std::to_string(redirectRequests.exchange(0)));
  } else if (path == "/stall-head") {
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n");
    SleepUntilStopped();
  } else if (path == "/stall-body") {
    SendAll(fd, answer.Head("200 OK") + "Content-Length: 1000\r\n\r\n" + std::string(kStalledBodyStart));
    SleepUntilStopped();
  } else if (path == "/stall-chunked") {
    SendAll(fd, answer.Head("200 OK") + "Transfer-Encoding: chunked\r\n\r\n5\r\n" +
                    std::string(kStalledBodyStart) + "\r\n");
    SleepUntilStopped();
  } else if (path == "/deaf") {
    SleepUntilStopped();
  } else if (path == "/gzip") {
    answer.Send("200 OK", "Content-Encoding: gzip\r\nContent-Type: text/plain\r\n", kGzipBody);
  } else if (path == "/gzip-chunked") {
    auto chunk = [](std::string_view bytes) {
      char size[16];
      std::snprintf(size, sizeof size, "%zx\r\n", bytes.size());
      return size + std::string(bytes) + "\r\n";
    };
    SendAll(fd, answer.Head("200 OK") + "Content-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n" +
                    chunk(kGzipBody.substr(0, 30)) + chunk(kGzipBody.substr(30)) + "0\r\n\r\n");
  } else if (path == "/gzip-fake") {
    answer.Send("200 OK", "Content-Encoding: gzip\r\n", kFakeGzipBody);
  } else {
    answer.Send("404 Not Found", "", "missing");
  }
  ::close(fd);
}


}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  ::signal(SIGPIPE, SIG_IGN);
  // Accepted sockets get a small receive buffer: a client that sends more than
  // the server reads soon finds the connection full, as /deaf needs.
  const int listener = vexaro::testing::ListenOnLoopback(std::atoi(argv[1]), 4096);
  for (;;) {
    int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::thread(Serve, client).detach();
  }
}
