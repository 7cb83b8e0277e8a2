// The sample short-video service (tools/sample-service) for tests: started on
// a free port of 127.0.0.1 and stopped by its process id when the holder goes.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "server_process.h"

namespace vexaro::testing {

struct SampleServiceServer {
  int port = 0;
  ServerProcess process;

  // The service's executable: $VEXARO_SAMPLE_SERVICE, or where the build puts
  // it, seen from a test executable two folders below the build directory.
  static std::string ExecutablePath() {
    if (const char* configured = std::getenv("VEXARO_SAMPLE_SERVICE")) return configured;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "../../tools/sample-service/vexaro-sample-service").lexically_normal().string();
  }

  // `videoSize` 0 and `slowMilliseconds` -1 keep the service's defaults.
  bool Start(std::uint64_t videoSize = 0, int slowMilliseconds = -1) {
    port = FreePort();
    std::vector<std::string> argv = {ExecutablePath(), "--host", "127.0.0.1", "--port", std::to_string(port)};
    if (videoSize > 0) argv.insert(argv.end(), {"--video-size", std::to_string(videoSize)});
    if (slowMilliseconds >= 0) argv.insert(argv.end(), {"--slow-ms", std::to_string(slowMilliseconds)});
    process = ServerProcess(argv);
    return WaitForPort(port, std::chrono::seconds(10));
  }

  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path = "") const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
};

}  // namespace vexaro::testing
