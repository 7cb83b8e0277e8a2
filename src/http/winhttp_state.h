// Pieces of the WinHttp layer shared by its source files: the per-thread last
// error, the text conversions at the wire and the proxy-list reading.
#pragma once

#include <string>
#include <string_view>

#include "http/winhttp.h"

namespace vexaro::http_detail {

// Records `error` for GetLastError and returns false (or a null handle).
bool Fail(DWORD error);
HINTERNET FailHandle(DWORD error);

// UTF-16 to the bytes that go on the wire in header lines and credentials
// (code page 936), and back for the headers that come in.
std::string ToWireBytes(std::u16string_view text);
std::u16string FromWireBytes(std::string_view bytes);
std::string ToUtf8(std::u16string_view text);

// The proxy a WinHttp proxy list names for a request of the given scheme, as
// libcurl's "http://host:port", or empty for a direct connection. Entries are
// "[scheme=][http://]host[:port]" separated by ';' or white space; an entry
// for the scheme wins over one without a scheme.
std::string ProxyForScheme(std::u16string_view proxyList, bool secure);

// A WinHttp bypass list as libcurl's comma-separated no-proxy list.
std::string NoProxyList(std::u16string_view bypassList);

}  // namespace vexaro::http_detail
