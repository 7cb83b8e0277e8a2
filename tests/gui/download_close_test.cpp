// The program closed, or told to terminate, while it downloads
// (download_probe against the sample service's slowly streamed video): it
// ends at once with code 0, leaves no temporary file behind, and the file
// saved earlier under the same name is as it was.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sample_service.h"
#include "server_process.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::SampleServiceServer;
using testing::ServerProcess;
using testing::TempDir;

// Far more than comes at the slow video's 256 KiB/s before the window closes.
constexpr std::uint64_t kVideoSize = 64ull << 20;
constexpr const char* kSlowVideoId = "6381415";
// The name the lookup proposes for it: the Chinese characters of its title.
constexpr const char* kProposedFile = "慢慢传来的视频.mp4";
constexpr const char* kOlderVideo = "the video saved last week";

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool IsTemporaryName(const std::string& name) {
  return name.rfind(".vexaro-", 0) == 0 && name.size() > 5 && name.substr(name.size() - 5) == ".part";
}

// The size of the download's temporary file in `directory`, or -1 while
// there is none.
std::intmax_t TemporaryFileSize(const fs::path& directory) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    if (!IsTemporaryName(entry.path().filename().string())) continue;
    const std::uintmax_t size = entry.file_size(error);
    return error ? -1 : static_cast<std::intmax_t>(size);
  }
  return -1;
}

std::vector<std::string> Entries(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  return names;
}

// How a test ends the program: by closing its window (the probe does that
// when the file `close` appears) or from outside.
using EndProgram = std::function<void(ServerProcess& program, const fs::path& close)>;

// Starts the probe on the slow video, waits until its download has bytes on
// disk (and `wait` more), ends the program with `end`, and checks that it
// ended at once with code 0, leaving the file saved earlier as it was and no
// temporary file.
void EndMidDownload(const EndProgram& end) {
  SampleServiceServer service;
  ASSERT_TRUE(service.Start(kVideoSize)) << SampleServiceServer::ExecutablePath();
  TempDir directory;
  const fs::path saveDirectory = fs::path(directory.path()) / "mp4";
  const fs::path target = saveDirectory / kProposedFile;
  const fs::path close = fs::path(directory.path()) / "close";
  const fs::path log = fs::path(directory.path()) / "log";
  fs::create_directory(saveDirectory);

  // Ended as soon as the first bytes are on disk, and a little later.
  for (const auto wait : {0ms, 300ms}) {
    fs::remove(close);
    std::ofstream(target, std::ios::binary | std::ios::trunc) << kOlderVideo;
    ServerProcess program({DOWNLOAD_PROBE_PATH, kSlowVideoId, saveDirectory.string(), close.string()},
                          {{"QT_QPA_PLATFORM", "offscreen"}, {"VEXARO_SERVICE_URL", service.Url()}},
                          log.string());

    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (TemporaryFileSize(saveDirectory) <= 0 && std::chrono::steady_clock::now() < deadline &&
           program.running())
      std::this_thread::sleep_for(10ms);
    ASSERT_GT(TemporaryFileSize(saveDirectory), 0) << "the download never started\n" << Slurp(log);
    std::this_thread::sleep_for(wait);

    end(program, close);
    const auto ended = std::chrono::steady_clock::now();
    const std::optional<int> code = program.WaitForExit(2s);
    ASSERT_TRUE(code.has_value()) << "still running 2 s after it was ended";
    EXPECT_EQ(*code, 0) << Slurp(log);
    EXPECT_LT(std::chrono::steady_clock::now() - ended, 2s);

    EXPECT_EQ(Entries(saveDirectory), std::vector<std::string>{kProposedFile}) << "waited " << wait.count() << " ms";
    EXPECT_EQ(Slurp(target), kOlderVideo) << "waited " << wait.count() << " ms";
  }
}

TEST(ClosingTheWindow, MidDownloadEndsTheProgramAndRemovesItsTemporaryFile) {
  EndMidDownload([](ServerProcess&, const fs::path& close) { std::ofstream{close}; });
}

// A logout's SIGTERM (or Ctrl+C in a terminal) ends the program as closing
// the window does.
TEST(TerminationSignal, MidDownloadEndsTheProgramAsClosingTheWindowDoes) {
  for (int number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(number);
    EndMidDownload([number](ServerProcess& program, const fs::path&) { ::kill(program.pid(), number); });
  }
}

}  // namespace
}  // namespace vexaro
