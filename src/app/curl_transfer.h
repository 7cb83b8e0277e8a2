// What the program's whole-body GETs share: the libcurl handle holders and a
// transfer set up the way the program's downloads are sent (HTTP/1.0, the
// program's user agent, any content type, no cache, redirects followed, HTTP
// and HTTPS only). Used by FetchUrl and the file download; no other module
// sees libcurl through this header.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace vexaro {

struct CurlEasyCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;

struct CurlHeaderListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHeaderList = std::unique_ptr<curl_slist, CurlHeaderListCleanup>;

// The user agent of the program's whole-body GETs.
inline constexpr const char* kFetchUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// One GET of `url`, configured but not started. The handle's header option
// points into `headers`, which must outlive the transfer (libcurl copies the
// URL and the other texts). Empty when libcurl cannot
// make a handle or the URL is empty.
struct FetchTransfer {
  CurlEasy handle;
  CurlHeaderList headers;
};
FetchTransfer NewFetchTransfer(const std::string& url);

}  // namespace vexaro
