// Real servers for the tests: each is a child process on a free port of
// 127.0.0.1, stopped by its process id when the holder goes away.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexaro::testing {

// A free TCP port on 127.0.0.1 (bound once and released, so another process
// may take it; good enough for tests that start their server right after).
int FreePort();

// True once something accepts TCP connections on 127.0.0.1:port.
bool WaitForPort(int port, std::chrono::milliseconds timeout);

// A child process that runs `argv` with `env` added to the environment, its
// output going to `logPath` (or /dev/null). Killed (SIGTERM, then SIGKILL) and
// reaped on destruction.
class ServerProcess {
 public:
  ServerProcess() = default;
  ServerProcess(const std::vector<std::string>& argv,
                const std::map<std::string, std::string>& env = {},
                const std::string& logPath = {});
  ~ServerProcess();
  ServerProcess(ServerProcess&& other) noexcept;
  ServerProcess& operator=(ServerProcess&& other) noexcept;
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running() const;
  void Stop();
  // Waits up to `timeout` for the process to end by itself. Its exit code
  // (128 + the signal's number when a signal ended it), or nothing while it
  // still runs.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
};

// httpbin on a free port (Debian's python3-httpbin run by /usr/bin/python3).
struct HttpbinServer {
  int port = 0;
  ServerProcess process;
  bool Start();
  std::string Url(const std::string& path = "") const;
};

// tinyproxy on a free port, optionally with Basic authentication.
struct TinyproxyServer {
  int port = 0;
  ServerProcess process;
  std::string configPath;
  bool Start(const std::string& user = "", const std::string& password = "");
};

// A directory under /tmp removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vexaro::testing
