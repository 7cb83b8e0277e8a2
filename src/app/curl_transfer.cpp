#include "app/curl_transfer.h"

#include <cstdlib>
#include <mutex>

namespace vexaro {

namespace {

// A server that connects but then sends nothing for this long has stalled;
// the transfer ends with what it has.
constexpr long kConnectTimeoutSeconds = 15;
constexpr long kStallSeconds = 60;
constexpr long kMaxRedirects = 10;
// Large reads keep a long download's per-call overhead small.
constexpr long kReceiveBufferBytes = 128 * 1024;

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl ignores these variables; reading them here lets a private CA be
// trusted, as the HTTP layer does.
const char* CaBundleFromEnvironment() {
  for (const char* name : {"SSL_CERT_FILE", "CURL_CA_BUNDLE"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return nullptr;
}

}  // namespace

FetchTransfer NewFetchTransfer(const std::string& url) {
  FetchTransfer transfer;
  if (url.empty()) return transfer;
  InitialiseCurlOnce();
  CurlEasy handle(curl_easy_init());
  if (!handle) return transfer;

  curl_slist* headers = nullptr;
  for (const char* line : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    curl_slist* longer = curl_slist_append(headers, line);
    if (!longer) {
      curl_slist_free_all(headers);
      return transfer;
    }
    headers = longer;
  }
  transfer.headers.reset(headers);

  CURL* h = handle.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(h, CURLOPT_USERAGENT, kFetchUserAgent);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, transfer.headers.get());
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  // Addresses come from the network: nothing but HTTP and HTTPS is fetched,
  // also after a redirect (no file://, no other protocols).
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  if (const char* caBundle = CaBundleFromEnvironment()) curl_easy_setopt(h, CURLOPT_CAINFO, caBundle);

  transfer.handle = std::move(handle);
  return transfer;
}

}  // namespace vexaro
