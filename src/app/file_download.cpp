#include "app/file_download.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/curl_transfer.h"
#include "app/messages.h"
#include "app/temporary_file.h"

namespace vexaro {

namespace {

struct FileSink {
  int fd = -1;
  int writeError = 0;  // the errno value of a failed write
};

// libcurl's write callback: no exception may leave it.
std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* context) noexcept {
  auto* sink = static_cast<FileSink*>(context);
  const std::size_t length = size * count;
  std::size_t written = 0;
  while (written < length) {
    const ssize_t n = ::write(sink->fd, data + written, length - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->writeError = n < 0 ? errno : EIO;
      return CURL_WRITEFUNC_ERROR;
    }
    written += static_cast<std::size_t>(n);
  }
  return length;
}

DownloadResult Failed(DownloadFailure failure) {
  DownloadResult result;
  result.failure = failure;
  return result;
}

// A file that could not be created, written or moved, by the system's reason.
DownloadResult WriteFailure(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return Failed(DownloadFailure::kDiskFull);
    case ENAMETOOLONG:
      return Failed(DownloadFailure::kNameTooLong);
    default:
      return Failed(DownloadFailure::kWriteFailed);
  }
}

DownloadResult TransferFailure(CURLcode code, CURL* handle, const FileSink& sink) {
  DownloadResult result;
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR:
      result.failure = DownloadFailure::kHttpStatus;
      curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      result.failure = DownloadFailure::kNoConnection;
      break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_OPERATION_TIMEDOUT:
      result.failure = DownloadFailure::kBrokenOff;
      break;
    default:
      if (code == CURLE_WRITE_ERROR && sink.writeError != 0) {
        result = WriteFailure(sink.writeError);
      } else {
        result.failure = DownloadFailure::kNetwork;
        result.networkError = curl_easy_strerror(code);
      }
  }
  return result;
}

// Faults of the target's name that show before anything is fetched, so a
// long download does not end in a rename that was bound to fail: a name the
// file system refuses, a directory of that name, a path through a file. 0
// when the name can take the video. The name itself is not followed: the
// rename replaces a symbolic link, wherever it points.
int TargetNameError(const std::filesystem::path& target) {
  struct stat status;
  if (::lstat(target.c_str(), &status) == 0) return S_ISDIR(status.st_mode) ? EISDIR : 0;
  return errno == ENOENT ? 0 : errno;
}

}  // namespace

DownloadResult DownloadToFile(std::string_view url, const std::filesystem::path& target) {
  if (url.empty()) return Failed(DownloadFailure::kNoAddress);

  std::filesystem::path directory = target.parent_path();
  if (directory.empty()) directory = ".";
  // The file comes first: a name or a directory that cannot be written
  // fails before anything is fetched.
  if (const int error = TargetNameError(target); error != 0) return WriteFailure(error);
  TemporaryFile file(directory);
  if (!file.IsOpen()) return WriteFailure(file.Error());

  FetchTransfer transfer = NewFetchTransfer(std::string(url));
  if (!transfer.handle) {
    DownloadResult result = Failed(DownloadFailure::kNetwork);
    result.networkError = "no transfer could be started";
    return result;
  }
  CURL* handle = transfer.handle.get();
  FileSink sink{file.Descriptor()};
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
  // An error answer's body is no video.
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);

  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) return TransferFailure(code, handle, sink);
  if (!file.MoveInto(target)) return WriteFailure(file.Error());
  return {};
}

AnsiText DescribeFailure(const DownloadResult& result) {
  switch (result.failure) {
    case DownloadFailure::kNone:
      return {};
    case DownloadFailure::kNoAddress:
      return AnsiText(messages::kReasonNoAddress);
    case DownloadFailure::kHttpStatus:
      return "HTTP " + std::to_string(result.httpStatus);
    case DownloadFailure::kNoConnection:
      return AnsiText(messages::kReasonNoConnection);
    case DownloadFailure::kBrokenOff:
      return AnsiText(messages::kReasonBrokenOff);
    case DownloadFailure::kWriteFailed:
      return AnsiText(messages::kReasonWriteFailed);
    case DownloadFailure::kDiskFull:
      return AnsiText(messages::kReasonDiskFull);
    case DownloadFailure::kNameTooLong:
      return AnsiText(messages::kReasonNameTooLong);
    case DownloadFailure::kNetwork:
      return AnsiText(messages::kReasonNetwork) + " (" + result.networkError + ")";
  }
  return {};
}

}  // namespace vexaro
