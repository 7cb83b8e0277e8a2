// Where the video-detail service is: a built-in address, or the one the
// environment variable VEXARO_SERVICE_URL gives (scheme, host and an optional
// port, for example "http://127.0.0.1:8080").
#pragma once

#include <optional>
#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

// The address used when VEXARO_SERVICE_URL is unset or not a valid address:
// the sample service on its default port of this machine.
inline constexpr std::string_view kDefaultServiceUrl = "http://127.0.0.1:8642";

// The environment variable that points the program at another service.
inline constexpr std::string_view kServiceUrlVariable = "VEXARO_SERVICE_URL";

// `text` as a service address: "http://" or "https://", a host (a name of
// letters, digits, "-" and ".", or a bracketed IPv6 address) and an optional
// ":" port from 1 to 65535, with at most one trailing "/" (dropped). Nothing
// for anything else, so a stray path or query never ends up in the request.
std::optional<AnsiText> ParseServiceUrl(std::string_view text);

// The service address now in effect.
AnsiText ServiceBaseUrl();

// The detail request of a video: the service address, "/video/detail?video_id=",
// the ID unchanged and "&dtu=200".
AnsiText DetailUrl(std::string_view videoId);

}  // namespace vexaro
