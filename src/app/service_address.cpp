#include "app/service_address.h"

#include <cstdlib>
#include <string>

namespace vexaro {

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHostNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsAsciiDigit(c) || c == '-' ||
         c == '.';
}

bool IsIpv6Byte(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
         c == '.';
}

// Takes the host off the front of `rest`; false when there is none.
bool TakeHost(std::string_view& rest) {
  std::size_t length = 0;
  if (!rest.empty() && rest.front() == '[') {
    length = 1;
    while (length < rest.size() && IsIpv6Byte(rest[length])) ++length;
    if (length == 1 || length >= rest.size() || rest[length] != ']') return false;
    ++length;
  } else {
    while (length < rest.size() && IsHostNameByte(rest[length])) ++length;
    if (length == 0) return false;
  }
  rest.remove_prefix(length);
  return true;
}

// Takes ":port" off the front of `rest` when it is there; false when it is
// there but not a port.
bool TakePort(std::string_view& rest) {
  if (rest.empty() || rest.front() != ':') return true;
  rest.remove_prefix(1);
  std::size_t length = 0;
  long port = 0;
  while (length < rest.size() && IsAsciiDigit(rest[length]) && length < 5) {
    port = port * 10 + (rest[length] - '0');
    ++length;
  }
  if (length == 0 || port < 1 || port > 65535) return false;
  rest.remove_prefix(length);
  return true;
}

}  // namespace

std::optional<AnsiText> ParseServiceUrl(std::string_view text) {
  std::string_view rest = text;
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (rest.size() >= scheme.size() && EqualsIgnoringCase(rest.substr(0, scheme.size()), scheme)) {
      rest.remove_prefix(scheme.size());
      break;
    }
  }
  if (rest.size() == text.size()) return std::nullopt;
  if (!TakeHost(rest) || !TakePort(rest)) return std::nullopt;
  if (rest == "/") rest.remove_prefix(1);
  if (!rest.empty()) return std::nullopt;
  AnsiText address(text);
  if (address.back() == '/') address.pop_back();
  return address;
}

AnsiText ServiceBaseUrl() {
  const char* configured = std::getenv(std::string(kServiceUrlVariable).c_str());
  if (configured) {
    if (std::optional<AnsiText> address = ParseServiceUrl(configured)) return *address;
  }
  return AnsiText(kDefaultServiceUrl);
}

AnsiText DetailUrl(std::string_view videoId) {
  AnsiText url = ServiceBaseUrl();
  url += "/video/detail?video_id=";
  url += videoId;
  url += "&dtu=200";
  return url;
}

}  // namespace vexaro
