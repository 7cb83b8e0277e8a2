// A listening TCP socket on 127.0.0.1 for the test servers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>

namespace vexaro::testing {

// Listens on 127.0.0.1:port or ends the server process with code 2. A
// non-zero `receiveBuffer` is the buffer size accepted sockets inherit (a
// small one makes a client that sends more than is read block soon).
inline int ListenOnLoopback(int port, int receiveBuffer = 0) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (receiveBuffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0) {
    std::exit(2);
  }
  return fd;
}

}  // namespace vexaro::testing
