// A small server for the HTTP tests, run as its own process:
//   http_test_server PORT [TLS_PORT CERT_FILE KEY_FILE]
// On PORT it speaks plain HTTP over raw sockets, so that it can misbehave
// the way the tests need (cut a body off, never answer, send a zero byte);
// on TLS_PORT it serves a few pages over HTTPS with the given certificate.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "loopback_listener.h"

namespace {

bool SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads one request: its head and as many body bytes as Content-Length says.
std::string ReadRequest(int fd) {
  std::string request;
  char buffer[4096];
  std::size_t headEnd = std::string::npos;
  std::size_t wanted = 0;
  for (;;) {
    if (headEnd == std::string::npos) {
      headEnd = request.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        headEnd += 4;
        std::size_t at = request.find("Content-Length: ");
        if (at != std::string::npos && at < headEnd)
          wanted = std::strtoul(request.c_str() + at + 16, nullptr, 10);
      }
    }
    if (headEnd != std::string::npos && request.size() >= headEnd + wanted) return request;
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return request;
    request.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string Response(const std::string& status, const std::string& headers,
                     const std::string& body) {
  return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// A page in code page 936 that declares `charset` in a meta tag placed after
// `padding` bytes. "\x81\x7F" is no character of code page 936.
std::string ChinesePage(const std::string& charset, std::size_t padding) {
  return "<html><head>" + std::string(padding, ' ') + "<meta http-equiv=\"Content-Type\" " +
         "content=\"text/html; charset=" + charset +
         "\"></head><body>\xD6\xD0\xCE\xC4 \x81\x7F end</body></html>";
}

void Serve(int fd) {
  std::string request = ReadRequest(fd);
  std::size_t firstSpace = request.find(' ');
  std::size_t secondSpace = request.find(' ', firstSpace + 1);
  std::string path = firstSpace == std::string::npos
                         ? ""
                         : request.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  if (path == "/echo" || path.rfind("/echo?", 0) == 0) {
    SendAll(fd, Response("200 OK", "Content-Type: text/plain\r\n", request));
  } else if (path == "/cut") {
    SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
  } else if (path == "/zero") {
    SendAll(fd, Response("200 OK", "", std::string("abc\0def", 7)));
  } else if (path == "/gb2312") {
    SendAll(fd, Response("200 OK", "Content-Type: text/html\r\n", ChinesePage("gb2312", 0)));
  } else if (path == "/gbk") {
    SendAll(fd, Response("200 OK", "Content-Type: text/html\r\n", ChinesePage("gbk", 0)));
  } else if (path == "/GBK") {
    SendAll(fd, Response("200 OK", "Content-Type: text/html\r\n", ChinesePage("GBK", 0)));
  } else if (path == "/late-meta") {
    SendAll(fd, Response("200 OK", "Content-Type: text/html\r\n", ChinesePage("gb2312", 1100)));
  } else if (path == "/hop-cookie") {
    SendAll(fd, Response("302 Found", "Location: /echo\r\nSet-Cookie: hop=1; Path=/\r\n", ""));
  } else if (path == "/scan") {
    SendAll(fd, Response("302 Found",
                         "Location: /next\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: ; path=/\r\n"
                         "set-cookie: lower=1\r\nSet-Cookie: b=2\r\n",
                         "moved"));
  } else if (path == "/silent") {
    std::this_thread::sleep_for(std::chrono::hours(1));  // until the test stops us
  } else {
    SendAll(fd, Response("404 Not Found", "", "missing"));
  }
  ::close(fd);
}


}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 5) return 2;
  const int port = std::atoi(argv[1]);
  std::thread tls;
  httplib::SSLServer* secure = nullptr;
  if (argc == 5) {
    secure = new httplib::SSLServer(argv[3], argv[4]);
    secure->Get("/", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("secure page", "text/plain");
    });
    secure->Get("/to-http", [port](const httplib::Request&, httplib::Response& response) {
      response.set_redirect("http://127.0.0.1:" + std::to_string(port) + "/echo");
    });
    const int tlsPort = std::atoi(argv[2]);
    tls = std::thread([secure, tlsPort] { secure->listen("127.0.0.1", tlsPort); });
  }
  int listener = vexaro::testing::ListenOnLoopback(port);
  for (;;) {
    int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::thread(Serve, client).detach();
  }
}
