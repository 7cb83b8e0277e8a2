// WinHttpCrackUrl: splits an absolute http or https URL into its parts, in
// place (pointers into the URL) or by copy, as the caller's record asks.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

#include "http/winhttp.h"
#include "http/winhttp_state.h"

namespace vexaro {

namespace {

struct Part {
  std::size_t start = 0;
  std::size_t length = 0;
};

struct CrackedUrl {
  Part scheme, host, user, password, path, extra;
  int schemeKind = 0;
  INTERNET_PORT port = 0;
};

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

// The parts of `url`, or the WinHttp error that rejects it.
std::optional<CrackedUrl> Crack(std::u16string_view url, DWORD& error) {
  CrackedUrl cracked;
  std::size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) {
    error = ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    return std::nullopt;
  }
  std::u16string_view scheme = url.substr(0, colon);
  if (EqualsIgnoringAsciiCase(scheme, u"http")) {
    cracked.schemeKind = INTERNET_SCHEME_HTTP;
    cracked.port = INTERNET_DEFAULT_HTTP_PORT;
  } else if (EqualsIgnoringAsciiCase(scheme, u"https")) {
    cracked.schemeKind = INTERNET_SCHEME_HTTPS;
    cracked.port = INTERNET_DEFAULT_HTTPS_PORT;
  } else {
    error = ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    return std::nullopt;
  }
  cracked.scheme = {0, colon};
  error = ERROR_WINHTTP_INVALID_URL;
  if (url.substr(colon + 1, 2) != u"//") return std::nullopt;

  const std::size_t authorityStart = colon + 3;
  std::size_t authorityEnd = url.find_first_of(u"/?#", authorityStart);
  if (authorityEnd == std::u16string_view::npos) authorityEnd = url.size();
  std::u16string_view authority = url.substr(authorityStart, authorityEnd - authorityStart);

  std::size_t hostStart = authorityStart;
  std::size_t at = authority.rfind(u'@');
  if (at != std::u16string_view::npos) {
    std::u16string_view userInfo = authority.substr(0, at);
    std::size_t split = userInfo.find(u':');
    cracked.user = {authorityStart, split == std::u16string_view::npos ? at : split};
    if (split != std::u16string_view::npos)
      cracked.password = {authorityStart + split + 1, at - split - 1};
    hostStart = authorityStart + at + 1;
  }
  std::u16string_view hostAndPort = url.substr(hostStart, authorityEnd - hostStart);
  std::size_t portColon;
  if (!hostAndPort.empty() && hostAndPort.front() == u'[') {
    std::size_t close = hostAndPort.find(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    cracked.host = {hostStart, close + 1};
    portColon = close + 1;
    if (portColon < hostAndPort.size() && hostAndPort[portColon] != u':') return std::nullopt;
  } else {
    portColon = hostAndPort.find(u':');
    cracked.host = {hostStart, std::min(portColon, hostAndPort.size())};
  }
  if (cracked.host.length == 0) return std::nullopt;
  if (portColon < hostAndPort.size()) {
    std::u16string_view digits = hostAndPort.substr(portColon + 1);
    if (!digits.empty()) {
      unsigned long port = 0;
      for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        port = port * 10 + static_cast<unsigned long>(c - u'0');
        if (port > 65535) return std::nullopt;
      }
      if (port == 0) return std::nullopt;
      cracked.port = static_cast<INTERNET_PORT>(port);
    }
  }

  std::size_t extraStart = url.find_first_of(u"?#", authorityEnd);
  if (extraStart == std::u16string_view::npos) extraStart = url.size();
  cracked.path = {authorityEnd, extraStart - authorityEnd};
  cracked.extra = {extraStart, url.size() - extraStart};
  error = 0;
  return cracked;
}

// Hands one part to the caller as the record asks. False (and the needed
// length, terminator included) when the caller's buffer is too small.
bool Deliver(const char16_t* url, const Part& part, char16_t*& pointer, DWORD& length) {
  if (length == 0) return true;  // not wanted
  if (pointer == nullptr) {
    pointer = const_cast<char16_t*>(url + part.start);
    length = static_cast<DWORD>(part.length);
    return true;
  }
  if (length <= part.length) {
    length = static_cast<DWORD>(part.length + 1);
    return false;
  }
  for (std::size_t i = 0; i < part.length; ++i) pointer[i] = url[part.start + i];
  pointer[part.length] = u'\0';
  length = static_cast<DWORD>(part.length);
  return true;
}

}  // namespace

bool WinHttpCrackUrl(const char16_t* url, DWORD urlLength, DWORD /*flags*/,
                     URL_COMPONENTS* components) {
  if (url == nullptr || components == nullptr ||
      components->dwStructSize != sizeof(URL_COMPONENTS))
    return http_detail::Fail(ERROR_INVALID_PARAMETER);
  std::u16string_view text =
      urlLength == 0 ? std::u16string_view(url) : std::u16string_view(url, urlLength);
  DWORD error = 0;
  std::optional<CrackedUrl> cracked = Crack(text, error);
  if (!cracked) return http_detail::Fail(error);

  URL_COMPONENTS& c = *components;
  bool fits = true;
  fits &= Deliver(url, cracked->scheme, c.lpszScheme, c.dwSchemeLength);
  fits &= Deliver(url, cracked->host, c.lpszHostName, c.dwHostNameLength);
  fits &= Deliver(url, cracked->user, c.lpszUserName, c.dwUserNameLength);
  fits &= Deliver(url, cracked->password, c.lpszPassword, c.dwPasswordLength);
  fits &= Deliver(url, cracked->path, c.lpszUrlPath, c.dwUrlPathLength);
  fits &= Deliver(url, cracked->extra, c.lpszExtraInfo, c.dwExtraInfoLength);
  if (!fits) return http_detail::Fail(ERROR_INSUFFICIENT_BUFFER);
  c.nScheme = cracked->schemeKind;
  c.nPort = cracked->port;
  return true;
}

}  // namespace vexaro
