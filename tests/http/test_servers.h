// The servers the HTTP tests talk to, started once per test executable on
// free ports of 127.0.0.1 and stopped (by process id) when it ends: httpbin,
// tinyproxy with and without Basic authentication, and our own test server
// twice, once with a certificate from a CA that the tests trust through
// SSL_CERT_FILE and once with a self-signed certificate nobody trusts.
#pragma once

#include <string>

#include "server_process.h"

namespace vexaro::testing {

struct HttpTestServers {
  HttpbinServer httpbin;
  TinyproxyServer proxy;
  TinyproxyServer authProxy;  // user "proxyuser", password "proxypass"
  TempDir certificates;
  int ownPort = 0;            // our server, plain HTTP
  int tlsPort = 0;            // our server, HTTPS with a trusted certificate
  int untrustedTlsPort = 0;   // HTTPS with a self-signed certificate
  ServerProcess own;
  ServerProcess untrusted;
  int untrustedPlainPort = 0;
  bool ready = false;

  std::string Own(const std::string& path) const;
  std::string Tls(const std::string& path) const;
  std::string Httpbin(const std::string& path) const { return httpbin.Url(path); }
};

// The servers, started on first use.
HttpTestServers& Servers();

}  // namespace vexaro::testing
