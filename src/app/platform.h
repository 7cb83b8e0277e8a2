// The platform operations of the application: threads, the program's own
// directory, and the whole-body fetch of a URL.
#pragma once

#include <functional>

#include "text/ansi_text.h"

namespace vexaro {

// Starts a detached thread that runs `routine`. The caller neither waits for
// it nor learns whether it started.
void StartWorker(std::function<void()> routine);

// The directory that holds the program's file, in code page 936, without a
// trailing separator.
AnsiText ProgramDirectory();

// The platform's path separator as text ("/" here).
inline constexpr std::string_view kPathSeparator = "/";

// A whole-body GET of `url` (HTTP/1.0, the program's own agent, any content
// type, no cache, redirects followed, status not looked at). Empty for an
// empty or unreadable URL; when the transfer breaks off, the bytes so far.
ByteBuffer FetchUrl(std::string_view url);

}  // namespace vexaro
