// What the application's tests share: the sample service, started once for
// the whole test program with the program pointed at it, the fake window, and
// small helpers for expected texts, bytes and files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/globals.h"
#include "app/service_address.h"
#include "app/window_ops.h"
#include "catalog.h"
#include "fake_window.h"
#include "sample_service.h"
#include "server_process.h"
#include "text/code_page.h"
#include "video_bytes.h"

namespace vexaro::testing {

// The slow video's detail answer is held back this long.
inline constexpr int kSlowMilliseconds = 1500;
// The hd size the service is started with (sd files are half of it and 3).
inline constexpr std::uint64_t kVideoSize = 1048583;

// Started on first use; stopped when the test program ends. The program's
// service address points at it from then on.
inline SampleServiceServer& SampleService() {
  static SampleServiceServer service;
  static const bool started = [] {
    const bool ok = service.Start(kVideoSize, kSlowMilliseconds);
    ::setenv(std::string(kServiceUrlVariable).c_str(), service.Url().c_str(), 1);
    return ok;
  }();
  EXPECT_TRUE(started) << "the sample service did not start: " << SampleServiceServer::ExecutablePath();
  return service;
}

// Code page 936 text from a UTF-8 literal.
inline AnsiText A(std::string_view utf8) { return Utf8ToAnsi(utf8); }

// The bytes the sample service serves for a video file.
inline std::string ExpectedVideo(std::string_view videoId, std::string_view quality) {
  std::string bytes(sample::VideoLength(quality, kVideoSize), '\0');
  sample::FillVideoBytes(sample::VideoSeed(videoId, quality), 0,
                         reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
  return bytes;
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the entries of a directory, sorted.
inline std::vector<std::string> DirectoryEntries(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A time-stamp file name: 13 decimal digits and ".mp4".
inline bool IsTimestampName(const std::string& name) {
  return name.size() == 17 && name.substr(13) == ".mp4" &&
         name.find_first_not_of("0123456789") == 13;
}

inline std::string AsString(const ByteBuffer& bytes) { return std::string(bytes.begin(), bytes.end()); }


// A download worker run on the test's own thread, against the fake window,
// with a scratch directory for the files.
class DownloadWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.Reset();
    CurrentVideoUrl.Release();
    ASSERT_FALSE(temp_.path().empty());
  }
  void TearDown() override { CurrentVideoUrl.Release(); }

  // Runs the worker on this thread and gives its one line.
  AnsiText RunWorker() {
    DownloadWorker();
    const auto lines = window_.Lines(Control::编辑框2);
    return lines.empty() ? AnsiText() : lines.back();
  }

  FakeWindow& window_ = FakeWindow::Installed();
  TempDir temp_;
  const std::filesystem::path root_ = temp_.path();
};

}  // namespace vexaro::testing
