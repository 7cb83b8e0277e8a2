#include "http/curl_handles.h"

#include <cstdlib>
#include <mutex>

namespace vexaro::curl {

namespace {

const char* EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && *value != '\0') ? value : nullptr;
}

}  // namespace

bool GlobalInit() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ready;
}

void TrustCertificatesFromEnvironment(CURL* easy) {
  if (const char* bundle = EnvironmentValue("CURL_CA_BUNDLE")) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, bundle);
  } else if (const char* file = EnvironmentValue("SSL_CERT_FILE")) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, file);
  }
  if (const char* directory = EnvironmentValue("SSL_CERT_DIR")) {
    curl_easy_setopt(easy, CURLOPT_CAPATH, directory);
  }
}

}  // namespace vexaro::curl
