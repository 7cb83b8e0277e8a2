// The program as a process: its end under load, and its window on a real X
// server.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "server_process.h"

namespace vexaro {
namespace {

using namespace std::chrono_literals;
using testing::ServerProcess;
using testing::TempDir;

bool WaitForFile(const std::filesystem::path& path, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST(Program, ClosingTheWindowEndsItAtOnceWhileWorkersCallTheWindow) {
  TempDir directory;
  const std::string ready = directory.path() + "/ready", close = directory.path() + "/close";
  const std::string log = directory.path() + "/log";
  for (int round = 0; round < 3; ++round) {
    std::filesystem::remove(ready);
    std::filesystem::remove(close);
    ServerProcess program({WINDOW_PROBE_PATH, "hang", ready, close},
                          {{"QT_QPA_PLATFORM", "offscreen"}}, log);
    ASSERT_TRUE(WaitForFile(ready, 20s)) << "the workers never got going";
    std::this_thread::sleep_for(std::chrono::milliseconds(50 * round));
    std::ofstream{close};
    const auto closed = std::chrono::steady_clock::now();
    const std::optional<int> code = program.WaitForExit(2s);
    ASSERT_TRUE(code.has_value()) << "still running 2 s after the window closed";
    EXPECT_EQ(*code, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 2s);
  }
}

// A display number no X server uses yet.
int FreeDisplay() {
  for (int display = 90; display < 200; ++display) {
    const std::string n = std::to_string(display);
    if (!std::filesystem::exists("/tmp/.X11-unix/X" + n) &&
        !std::filesystem::exists("/tmp/.X" + n + "-lock"))
      return display;
  }
  return -1;
}

// Runs `window_probe render` on the given platform and returns its exit code.
int Render(const std::map<std::string, std::string>& env, const std::string& png,
           const std::string& log) {
  ServerProcess probe({WINDOW_PROBE_PATH, "render", png}, env, log);
  return probe.WaitForExit(60s).value_or(-1);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Program, WindowDrawsChineseOnARealXServer) {
  const int display = FreeDisplay();
  ASSERT_GE(display, 0);
  const std::string name = ":" + std::to_string(display);
  ServerProcess xvfb({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
  ASSERT_TRUE(WaitForFile("/tmp/.X11-unix/X" + std::to_string(display), 10s));

  TempDir directory;
  const std::string png = directory.path() + "/window.png", log = directory.path() + "/log";
  // libxkbcommon-x11 hands strndup a counted, unterminated name, which
  // AddressSanitizer's strict string checks take for an overflow.
  const char* asanOptions = std::getenv("ASAN_OPTIONS");
  const std::string probeAsanOptions =
      std::string(asanOptions ? asanOptions : "") + ":strict_string_checks=0";
  const int code = Render({{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", name},
                           {"ASAN_OPTIONS", probeAsanOptions}},
                          png, log);
  EXPECT_EQ(code, 0) << Slurp(log);
  const QImage shot(QString::fromStdString(png));
  ASSERT_FALSE(shot.isNull()) << Slurp(log);
  // No window manager on the server: the window has no frame, and its client
  // area is the whole outer size.
  EXPECT_EQ(shot.size(), QSize(764, 355));
  if (const char* keep = std::getenv("VEXARO_KEEP_SCREENSHOT"))
    std::filesystem::copy_file(png, keep, std::filesystem::copy_options::overwrite_existing);
}

TEST(Program, WindowDrawsChineseOffscreen) {
  TempDir directory;
  const std::string png = directory.path() + "/window.png", log = directory.path() + "/log";
  EXPECT_EQ(Render({{"QT_QPA_PLATFORM", "offscreen"}}, png, log), 0) << Slurp(log);
}

}  // namespace
}  // namespace vexaro
