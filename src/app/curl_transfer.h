// What the program's whole-body GETs share: a transfer set up the way the
// program's downloads are sent (HTTP/1.0, the program's user agent, any
// content type, no cache, redirects followed, HTTP and HTTPS only). Used by
// FetchUrl and the file download; the handle holders are the HTTP layer's.
#pragma once

#include <string>

#include "http/curl_handles.h"

namespace vexaro {

// The user agent of the program's whole-body GETs.
inline constexpr const char* kFetchUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// One GET of `url`, configured but not started. The handle's header option
// points into `headers`, which must outlive the transfer (libcurl copies the
// URL and the other texts). Empty when libcurl cannot
// make a handle or the URL is empty.
struct FetchTransfer {
  curl::Easy handle;
  curl::Slist headers;
};
FetchTransfer NewFetchTransfer(const std::string& url);

}  // namespace vexaro
