#include "app/curl_transfer.h"

namespace vexaro {

namespace {

// A server that connects but then sends nothing for this long has stalled;
// the transfer ends with what it has.
constexpr long kConnectTimeoutSeconds = 15;
constexpr long kStallSeconds = 60;
constexpr long kMaxRedirects = 10;
// Large reads keep a long download's per-call overhead small.
constexpr long kReceiveBufferBytes = 128 * 1024;

}  // namespace

FetchTransfer NewFetchTransfer(const std::string& url) {
  FetchTransfer transfer;
  if (url.empty()) return transfer;
  if (!curl::GlobalInit()) return transfer;
  curl::Easy handle(curl_easy_init());
  if (!handle) return transfer;

  for (const char* line : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    if (!transfer.headers.Append(line)) return transfer;
  }

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
  curl::TrustCertificatesFromEnvironment(h);

  transfer.handle = std::move(handle);
  return transfer;
}

}  // namespace vexaro
