// A video download straight to disk. The body is streamed into a temporary
// file beside the target and moved into place only when the whole answer has
// come, so memory stays flat whatever the size, and a failed download never
// empties or replaces a file already there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

enum class DownloadFailure {
  kNone,
  kNoAddress,     // the URL is empty
  kHttpStatus,    // the server answered with a status of 400 or above
  kNoConnection,  // the server could not be resolved or reached
  kBrokenOff,     // the answer stopped before its end, or stalled
  kWriteFailed,   // the file could not be created, written or moved into place
  kDiskFull,      // the file system (or the user's quota) has no room for it
  kNameTooLong,   // the file system refuses a name or path that long
  kNetwork,       // any other failure of the transfer
};

struct DownloadResult {
  DownloadFailure failure = DownloadFailure::kNone;
  long httpStatus = 0;       // with kHttpStatus
  std::string networkError;  // with kNetwork: libcurl's own words (ASCII)

  bool Succeeded() const { return failure == DownloadFailure::kNone; }
};

// GETs `url` the way FetchUrl does (HTTP/1.0, the program's agent, no cache,
// redirects followed) and stores the body as `target`. On any failure the
// temporary file is removed and `target` is left as it was.
DownloadResult DownloadToFile(std::string_view url, const std::filesystem::path& target);

// The short reason shown after "下载失败:", in code page 936.
AnsiText DescribeFailure(const DownloadResult& result);

}  // namespace vexaro
