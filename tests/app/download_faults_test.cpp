// Downloads that meet a fault of the disk, of the file name or of the
// connection: each ends promptly with "下载失败:" and a reason, leaves no
// temporary file, and keeps a file already saved under the target's name.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/globals.h"
#include "app_fixture.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::A;
using testing::DirectoryEntries;
using testing::FakeWindow;
using testing::ReadWholeFile;
using testing::SampleService;
using testing::WriteWholeFile;

constexpr const char* kOlderVideo = "the video saved last week";

class DownloadFault : public testing::DownloadWorkerTest {
 protected:
  // Runs the worker on this thread for `url`, saving as <directory>/<name>.mp4
  // (names in code page 936), and gives its one line.
  AnsiText Download(const std::string& url, const fs::path& directory, const AnsiText& name) {
    window_.Reset();
    window_.SetText(Control::编辑框3, directory.string());
    window_.SetText(Control::编辑框4, name);
    CurrentVideoUrl.Set(url);
    return RunWorker();
  }
};

// ---------------------------------------------------------------------------
// A full disk: a 1 MiB tmpfs of the test's own, smaller than the video.

class FullDisk : public DownloadFault {
 protected:
  void SetUp() override {
    DownloadFault::SetUp();
    disk_ = root_ / "disk";
    fs::create_directory(disk_);
    if (::mount("tmpfs", disk_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0) {
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                   << "); the full-disk case needs root or CAP_SYS_ADMIN";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_ && ::umount2(disk_.c_str(), 0) != 0) ::umount2(disk_.c_str(), MNT_DETACH);
    DownloadFault::TearDown();
  }

  fs::path disk_;
  bool mounted_ = false;
};

TEST_F(FullDisk, IsReportedAndFreesTheSpaceAndKeepsTheExistingFile) {
  WriteWholeFile(disk_ / "v.mp4", kOlderVideo);
  ASSERT_GT(testing::kVideoSize, 1u << 20) << "the hd video must not fit on the 1 MiB disk";

  EXPECT_EQ(Download(SampleService().Url("/video/6381399/hd.mp4"), disk_, "v"), A("下载失败:磁盘空间不足"));
  EXPECT_EQ(ReadWholeFile(disk_ / "v.mp4"), kOlderVideo);
  EXPECT_EQ(DirectoryEntries(disk_), std::vector<std::string>{"v.mp4"}) << "a temporary file stayed";

  // What the failed download had written is gone again: a video half the
  // size fits and replaces the old one.
  EXPECT_EQ(Download(SampleService().Url("/video/6381399/sd.mp4"), disk_, "v"), A("下载完成"));
  EXPECT_TRUE(ReadWholeFile(disk_ / "v.mp4") == testing::ExpectedVideo("6381399", "sd"));
  EXPECT_EQ(DirectoryEntries(disk_), std::vector<std::string>{"v.mp4"});
}

// ---------------------------------------------------------------------------
// Names the file system refuses, and save directories that cannot hold the
// file. Each fails before anything is fetched: the address is the slowly
// streamed video, which takes seconds to come.

TEST_F(DownloadFault, ANameOrDirectoryThatCannotBeWrittenFailsBeforeFetching) {
  WriteWholeFile(root_ / "a-file", "x");
  fs::create_directory(root_ / "taken.mp4");
  WriteWholeFile(root_ / "v.mp4", kOlderVideo);
  const std::vector<std::string> before = DirectoryEntries(root_);

  AnsiText hanzi84;
  for (int i = 0; i < 84; ++i) hanzi84 += A("视");  // 252 bytes in UTF-8, 256 with ".mp4"
  struct Case {
    const char* what;
    fs::path directory;
    AnsiText name;
    AnsiText line;
  };
  const std::vector<Case> cases = {
      {"a name whose / leads into a missing directory", root_, "missing/v", A("下载失败:无法写入文件")},
      {"a name of 256 bytes with its extension", root_, AnsiText(252, 'n'), A("下载失败:文件名过长")},
      {"84 Chinese characters: 168 bytes here, 256 on disk", root_, hanzi84, A("下载失败:文件名过长")},
      {"a save directory that is a file", root_ / "a-file", "v", A("下载失败:无法写入文件")},
      {"a save directory below a file", root_ / "a-file" / "mp4", "v", A("下载失败:无法写入文件")},
      {"a target that is a directory", root_, "taken", A("下载失败:无法写入文件")},
  };
  const std::string slowVideo = SampleService().Url("/video/6381415/hd.mp4");
  for (const Case& c : cases) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(slowVideo, c.directory, c.name), c.line) << c.what;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s) << "the video was fetched first: " << c.what;
  }
  EXPECT_EQ(DirectoryEntries(root_), before);
  EXPECT_EQ(ReadWholeFile(root_ / "v.mp4"), kOlderVideo);
  EXPECT_EQ(ReadWholeFile(root_ / "a-file"), "x");
  EXPECT_TRUE(fs::is_empty(root_ / "taken.mp4"));
}

TEST_F(DownloadFault, NamesJustShortEnoughAreSaved) {
  AnsiText hanzi83;
  for (int i = 0; i < 83; ++i) hanzi83 += A("视");  // 249 bytes in UTF-8, 253 with ".mp4"
  const std::string url = SampleService().Url("/video/6381402/hd.mp4");
  for (const AnsiText& name : {AnsiText(251, 'n'), hanzi83}) {
    EXPECT_EQ(Download(url, root_, name), A("下载完成")) << name.size();
    EXPECT_TRUE(ReadWholeFile(root_ / (AnsiToUtf8(name) + ".mp4")) == testing::ExpectedVideo("6381402", "hd"));
  }
  EXPECT_EQ(DirectoryEntries(root_).size(), 2u);
}

// ---------------------------------------------------------------------------
// A connection reset mid-way: a server process of our own sends the head and
// part of the body, then closes with SO_LINGER 0, which sends a reset.

class ResettingServer {
 public:
  // How the answer before the reset looks, chosen by the request's path.
  static constexpr const char* kWithLength = "/with-length.mp4";      // Content-Length, half the body
  static constexpr const char* kUntilClose = "/until-close.mp4";      // no length: the end is the close
  static constexpr const char* kHeadOnly = "/head-only.mp4";          // Content-Length, no body at all

  ResettingServer() {
    // Everything the child needs is made before the fork: it only makes
    // system calls, as a child of a threaded process must.
    body_.assign(kBodyBytes / 2, 'v');
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (listener >= 0) ::close(listener);
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) Serve(listener);
    ::close(listener);
    if (pid_ > 0) port_ = ntohs(address.sin_port);
  }
  ~ResettingServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ResettingServer(const ResettingServer&) = delete;
  ResettingServer& operator=(const ResettingServer&) = delete;

  bool Started() const { return port_ > 0; }
  std::string Url(const char* path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  static constexpr std::size_t kBodyBytes = 600000;

  [[noreturn]] void Serve(int listener) {
    static constexpr char kLengthHead[] =
        "HTTP/1.0 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: 600000\r\n\r\n";
    static constexpr char kOpenHead[] = "HTTP/1.0 200 OK\r\nContent-Type: video/mp4\r\n\r\n";
    char request[8192];
    for (;;) {
      const int connection = ::accept(listener, nullptr, nullptr);
      if (connection < 0) continue;
      std::size_t received = 0;
      while (received < sizeof request - 1) {
        const ssize_t n = ::recv(connection, request + received, sizeof request - 1 - received, 0);
        if (n <= 0) break;
        received += static_cast<std::size_t>(n);
        request[received] = '\0';
        if (std::strstr(request, "\r\n\r\n")) break;
      }
      request[received] = '\0';
      const bool untilClose = std::strstr(request, kUntilClose) != nullptr;
      const bool headOnly = std::strstr(request, kHeadOnly) != nullptr;
      const char* head = untilClose ? kOpenHead : kLengthHead;
      SendAll(connection, head, std::strlen(head));
      if (!headOnly) SendAll(connection, body_.data(), body_.size());
      // Long enough for the part to arrive before the reset.
      const timespec pause{0, 100 * 1000 * 1000};
      ::nanosleep(&pause, nullptr);
      const linger reset{1, 0};
      ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      ::close(connection);
    }
  }

  static void SendAll(int connection, const char* data, std::size_t length) {
    while (length > 0) {
      const ssize_t n = ::send(connection, data, length, MSG_NOSIGNAL);
      if (n <= 0) return;
      data += n;
      length -= static_cast<std::size_t>(n);
    }
  }

  std::string body_;
  pid_t pid_ = -1;
  int port_ = 0;
};

TEST_F(DownloadFault, AConnectionResetMidwayIsABrokenTransfer) {
  ResettingServer server;
  ASSERT_TRUE(server.Started());
  for (const char* path : {ResettingServer::kWithLength, ResettingServer::kUntilClose, ResettingServer::kHeadOnly}) {
    WriteWholeFile(root_ / "v.mp4", kOlderVideo);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(server.Url(path), root_, "v"), A("下载失败:传输中断")) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << path;
    EXPECT_EQ(ReadWholeFile(root_ / "v.mp4"), kOlderVideo) << path;
    EXPECT_EQ(DirectoryEntries(root_), std::vector<std::string>{"v.mp4"}) << "a temporary file stayed: " << path;
  }
}

}  // namespace
}  // namespace vexaro
