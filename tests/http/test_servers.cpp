#include "test_servers.h"

#include <cstdlib>
#include <fstream>

#ifndef HTTP_TEST_SERVER_PATH
#error "HTTP_TEST_SERVER_PATH must name the test server executable"
#endif

namespace vexaro::testing {

namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A CA, a certificate for 127.0.0.1 that it signed, and a self-signed one.
bool MakeCertificates(const std::string& dir) {
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  {
    std::ofstream extensions(dir + "/server.ext");
    extensions << "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n";
  }
  return Run("openssl req -x509" + ec + " -keyout " + dir + "/ca.key -out " + dir +
             "/ca.pem -days 2 -subj '/CN=Vexaro Test CA'") &&
         Run("openssl req" + ec + " -keyout " + dir + "/server.key -out " + dir +
             "/server.csr -subj '/CN=127.0.0.1'") &&
         Run("openssl x509 -req -in " + dir + "/server.csr -CA " + dir + "/ca.pem -CAkey " + dir +
             "/ca.key -CAcreateserial -out " + dir + "/server.pem -days 2 -extfile " + dir +
             "/server.ext") &&
         Run("openssl req -x509" + ec + " -keyout " + dir + "/self.key -out " + dir +
             "/self.pem -days 2 -subj '/CN=127.0.0.1' -addext subjectAltName=IP:127.0.0.1");
}

}  // namespace

std::string HttpTestServers::Own(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(ownPort) + path;
}

std::string HttpTestServers::Tls(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(tlsPort) + path;
}

HttpTestServers& Servers() {
  static HttpTestServers s;
  static const bool started = [] {
    const std::string& dir = s.certificates.path();
    if (!MakeCertificates(dir)) return false;
    ::setenv("SSL_CERT_FILE", (dir + "/ca.pem").c_str(), 1);
    ::unsetenv("CURL_CA_BUNDLE");
    s.ownPort = FreePort();
    s.tlsPort = FreePort();
    s.own = ServerProcess({HTTP_TEST_SERVER_PATH, std::to_string(s.ownPort),
                           std::to_string(s.tlsPort), dir + "/server.pem", dir + "/server.key"});
    s.untrustedPlainPort = FreePort();
    s.untrustedTlsPort = FreePort();
    s.untrusted = ServerProcess({HTTP_TEST_SERVER_PATH, std::to_string(s.untrustedPlainPort),
                                 std::to_string(s.untrustedTlsPort), dir + "/self.pem",
                                 dir + "/self.key"});
    s.ready = s.httpbin.Start() && s.proxy.Start() &&
              s.authProxy.Start("proxyuser", "proxypass") &&
              WaitForPort(s.ownPort, std::chrono::seconds(10)) &&
              WaitForPort(s.tlsPort, std::chrono::seconds(10)) &&
              WaitForPort(s.untrustedTlsPort, std::chrono::seconds(10));
    return s.ready;
  }();
  (void)started;
  return s;
}

}  // namespace vexaro::testing
