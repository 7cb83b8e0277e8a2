#include "server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace vexaro::testing {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address = Loopback(0);
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

bool WaitForPort(int port, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address = Loopback(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (ok) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

ServerProcess::ServerProcess(const std::vector<std::string>& argv,
                             const std::map<std::string, std::string>& env,
                             const std::string& logPath) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    // Child: own process group, so Stop() reaches anything it starts.
    ::setpgid(0, 0);
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    int out = ::open(logPath.empty() ? "/dev/null" : logPath.c_str(),
                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::close(out);
    }
    int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
}

ServerProcess::~ServerProcess() { Stop(); }

ServerProcess::ServerProcess(ServerProcess&& other) noexcept : pid_(other.pid_) {
  other.pid_ = -1;
}

ServerProcess& ServerProcess::operator=(ServerProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = other.pid_;
    other.pid_ = -1;
  }
  return *this;
}

bool ServerProcess::running() const {
  if (pid_ <= 0) return false;
  return ::waitpid(pid_, nullptr, WNOHANG) == 0;
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) != 0) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::optional<int> ServerProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == pid_ || ended < 0) {
      pid_ = -1;
      if (ended < 0) return std::nullopt;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool HttpbinServer::Start() {
  port = FreePort();
  process = ServerProcess({"/usr/bin/python3", "-m", "httpbin.core", "--host", "127.0.0.1",
                           "--port", std::to_string(port)});
  return WaitForPort(port, std::chrono::seconds(20));
}

std::string HttpbinServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

bool TinyproxyServer::Start(const std::string& user, const std::string& password) {
  port = FreePort();
  configPath = std::filesystem::temp_directory_path() /
               ("vexaro-tinyproxy-" + std::to_string(::getpid()) + "-" +
                std::to_string(port) + ".conf");
  {
    std::ofstream config(configPath);
    config << "Port " << port << "\n"
           << "Listen 127.0.0.1\n"
           << "Timeout 30\n"
           << "MaxClients 20\n"
           << "Allow 127.0.0.1\n"
           << "DisableViaHeader Yes\n"
           << "LogLevel Error\n";
    if (!user.empty()) config << "BasicAuth " << user << " " << password << "\n";
  }
  process = ServerProcess({"tinyproxy", "-d", "-c", configPath});
  return WaitForPort(port, std::chrono::seconds(10));
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "vexaro-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace vexaro::testing
