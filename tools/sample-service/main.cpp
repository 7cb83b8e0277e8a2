// vexaro-sample-service: a small stand-in for the short-video service. It
// answers the video-detail endpoint for a handful of videos, serves their
// cover pictures and video files, and can tell a test what it was asked.
//
//   vexaro-sample-service [--host 127.0.0.1] [--port 8642] [--video-size BYTES]
//                         [--slow-ms 2000] [--slow-video-rate 262144]
//
// --port 0 takes any free port. The first line on standard output is
// "listening on http://HOST:PORT". SIGTERM or SIGINT stops the service.

#include <httplib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalog.h"
#include "pictures.h"
#include "video_bytes.h"

namespace {

using namespace vexaro::sample;

struct Options {
  std::string host = "127.0.0.1";
  int port = 8642;
  std::uint64_t videoSize = 1048583;  // 1 MiB and 7 bytes: not a multiple of any buffer
  int slowMilliseconds = 2000;
  std::uint64_t slowVideoRate = 256 * 1024;  // bytes per second
};

constexpr const char* kUsage =
    "usage: vexaro-sample-service [--host ADDRESS] [--port N] [--video-size BYTES] [--slow-ms MS]\n"
    "                             [--slow-video-rate BYTES]\n"
    "  --host        address to listen on (default 127.0.0.1)\n"
    "  --port        port to listen on, 0 for any free one (default 8642)\n"
    "  --video-size  size of the hd video files in bytes (default 1048583)\n"
    "  --slow-ms     how long the slow video's detail answer is held back (default 2000)\n"
    "  --slow-video-rate  bytes per second of the slowly streamed video file (default 262144)\n";

template <typename Number>
bool ParseNumber(const char* text, Number& value) {
  const char* end = text + std::strlen(text);
  auto [rest, error] = std::from_chars(text, end, value);
  return error == std::errc() && rest == end;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return false;
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    bool ok = false;
    if (name == "--host") {
      options.host = value;
      ok = !options.host.empty();
    } else if (name == "--port") {
      ok = ParseNumber(value, options.port) && options.port >= 0 && options.port <= 65535;
    } else if (name == "--video-size") {
      ok = ParseNumber(value, options.videoSize);
    } else if (name == "--slow-ms") {
      ok = ParseNumber(value, options.slowMilliseconds) && options.slowMilliseconds >= 0;
    } else if (name == "--slow-video-rate") {
      ok = ParseNumber(value, options.slowVideoRate) && options.slowVideoRate > 0;
    }
    if (!ok) return false;
  }
  return true;
}

// The detail requests seen so far, as request targets, for tests.
class RequestLog {
 public:
  void Add(const std::string& target) {
    std::lock_guard lock(mutex_);
    targets_.push_back(target);
  }
  std::string Text() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const std::string& target : targets_) text += target + "\n";
    return text;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
};

// The address the client used to reach us, so the URLs in a record lead back
// here whatever name or port that was.
std::string OwnBase(const httplib::Request& request, const Options& options) {
  std::string host = request.get_header_value("Host");
  if (host.empty()) host = options.host + ":" + std::to_string(request.local_port);
  return "http://" + host;
}

// True unless a byte range of the request starts beyond the end of a file of
// `length` bytes (or asks for an empty suffix).
bool IsSatisfiable(const httplib::Ranges& ranges, std::uint64_t length) {
  for (const auto& [first, last] : ranges) {
    if (first >= 0 && static_cast<std::uint64_t>(first) >= length) return false;
    if (first < 0 && last == 0) return false;
    if (first >= 0 && last >= 0 && last < first) return false;
  }
  return true;
}

// Serves [offset, offset + length) of a video file in pieces, never holding
// more than one piece. A broken-off file stops at half its announced length;
// with a `bytesPerSecond` rate (0: as fast as it goes) small pieces are paced
// to it.
void ServeVideo(const httplib::Request& request, httplib::Response& response, std::uint64_t seed,
                std::uint64_t length, bool breaksOff, std::uint64_t bytesPerSecond = 0) {
  const std::uint64_t breakAt = breaksOff ? length / 2 : length;
  response.set_header("Accept-Ranges", "bytes");
  if (!IsSatisfiable(request.ranges, length)) {
    response.status = 416;
    response.set_header("Content-Range", "bytes */" + std::to_string(length));
    return;
  }
  response.set_content_provider(
      static_cast<std::size_t>(length), "video/mp4",
      [seed, breakAt, bytesPerSecond](std::size_t offset, std::size_t remaining, httplib::DataSink& sink) {
        if (offset >= breakAt) return false;  // closes the connection
        constexpr std::size_t kPiece = 256 * 1024;
        constexpr std::size_t kPacedPiece = 16 * 1024;
        static thread_local std::vector<unsigned char> piece(kPiece);
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>({bytesPerSecond ? kPacedPiece : kPiece, remaining, breakAt - offset}));
        if (bytesPerSecond) std::this_thread::sleep_for(std::chrono::microseconds(count * 1000000 / bytesPerSecond));
        FillVideoBytes(seed, offset, piece.data(), count);
        return sink.write(reinterpret_cast<const char*>(piece.data()), count);
      });
}

void NotFound(httplib::Response& response) {
  response.status = 404;
  response.set_content("<html><body><h1>404 Not Found</h1></body></html>\n", "text/html");
}

void AddRoutes(httplib::Server& server, const Options& options, RequestLog& log) {
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "Vexaro sample service\n\n"
        "GET /video/detail?video_id=ID&dtu=200   detail record (JSON); try 6381399\n"
        "GET /cover/NAME.EXT                     cover picture (bmp png gif ico pcx jpg)\n"
        "GET /video/ID/QUALITY.mp4               video file, Range supported\n"
        "GET /go/ID/QUALITY.mp4                  redirect to the video file\n"
        "GET /echo                               the request as the service saw it\n"
        "GET /requests                           the detail requests so far\n",
        "text/plain; charset=utf-8");
  });

  server.Get("/video/detail", [&options, &log](const httplib::Request& request, httplib::Response& response) {
    log.Add(request.target);
    const std::string videoId = request.get_param_value("video_id");
    if (IsSlowVideo(videoId)) std::this_thread::sleep_for(std::chrono::milliseconds(options.slowMilliseconds));
    response.set_content(DetailJson(videoId, request.get_param_value("dtu"), OwnBase(request, options)),
                         "application/json; charset=utf-8");
  });

  server.Get(R"(/cover/([^/]+)\.([a-z]+))", [](const httplib::Request& request, httplib::Response& response) {
    const std::string name = request.matches[1];
    PictureFormat format;
    if (name == "not-a-picture") {
      response.set_content("this is not a picture\n", "image/png");
    } else if (name != "missing" && PictureFormatOf(request.matches[2].str(), format)) {
      response.set_content(PictureBytes(format), std::string(PictureMediaType(format)));
    } else {
      NotFound(response);
    }
  });

  server.Get(R"(/video/(\d+)/([a-z]+)\.mp4)", [&options](const httplib::Request& request, httplib::Response& response) {
    const std::string videoId = request.matches[1];
    const std::string quality = request.matches[2];
    const VideoKind kind = VideoKindOf(videoId, quality);
    if (kind == VideoKind::kMissing) return NotFound(response);
    ServeVideo(request, response, VideoSeed(videoId, quality), VideoLength(quality, options.videoSize),
               kind == VideoKind::kBrokenOff, kind == VideoKind::kSlow ? options.slowVideoRate : 0);
  });

  server.Get(R"(/go/(\d+)/([a-z]+)\.mp4)", [](const httplib::Request& request, httplib::Response& response) {
    response.set_redirect("/video/" + request.matches[1].str() + "/" + request.matches[2].str() + ".mp4");
  });

  server.Get("/echo", [](const httplib::Request& request, httplib::Response& response) {
    std::string text = request.method + " " + request.target + " " + request.version + "\n";
    for (const auto& [name, value] : request.headers) {
      if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
      text += name + ": " + value + "\n";
    }
    response.set_content(text, "text/plain");
  });

  server.Get("/requests", [&log](const httplib::Request&, httplib::Response& response) {
    response.set_content(log.Text(), "text/plain");
  });
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  // The signals are taken by one thread with sigwait, so stopping the server
  // never happens inside a signal handler.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  httplib::Server server;
  RequestLog log;
  AddRoutes(server, options, log);

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.host);
  } else if (!server.bind_to_port(options.host, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::fprintf(stderr, "vexaro-sample-service: cannot listen on %s:%d\n", options.host.c_str(), options.port);
    return 1;
  }
  // A bracketed IPv6 host keeps the printed URL usable as it stands.
  const bool ipv6 = options.host.find(':') != std::string::npos;
  std::printf("listening on http://%s%s%s:%d\n", ipv6 ? "[" : "", options.host.c_str(), ipv6 ? "]" : "", port);
  std::fflush(stdout);

  std::atomic<bool> finished{false};
  std::thread stopper([&server, &finished, stopSignals] {
    const timespec tick{0, 100 * 1000 * 1000};
    while (!finished.load()) {
      if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
        server.stop();
        return;
      }
    }
  });
  const bool listened = server.listen_after_bind();
  finished.store(true);
  stopper.join();
  return listened ? 0 : 1;
}
