#include "app/file_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "app/curl_transfer.h"
#include "app/messages.h"

namespace vexaro {

namespace {

// A file of our own in the target's directory, removed again unless it was
// moved into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::filesystem::path& directory) {
    std::random_device entropy;
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
      char name[40];
      std::snprintf(name, sizeof name, ".vexaro-%08x%08x.part", entropy(), entropy());
      path_ = directory / name;
      // 0666 before the umask, as any new file of the user's gets.
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!movedIntoPlace_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }

  // Closes the file and renames it to `target`, replacing what is there.
  bool MoveInto(const std::filesystem::path& target) {
    const int fd = fd_;
    fd_ = -1;
    // close() reports write errors that only show when the data leaves
    // (a full disk on some file systems).
    if (::close(fd) != 0) return false;
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    movedIntoPlace_ = true;
    return true;
  }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  bool movedIntoPlace_ = false;
};

struct FileSink {
  int fd = -1;
  bool writeFailed = false;
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
      sink->writeFailed = true;
      return CURL_WRITEFUNC_ERROR;
    }
    written += static_cast<std::size_t>(n);
  }
  return length;
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
      if (code == CURLE_WRITE_ERROR && sink.writeFailed) {
        result.failure = DownloadFailure::kWriteFailed;
      } else {
        result.failure = DownloadFailure::kNetwork;
        result.networkError = curl_easy_strerror(code);
      }
  }
  return result;
}

DownloadResult Failed(DownloadFailure failure) {
  DownloadResult result;
  result.failure = failure;
  return result;
}

}  // namespace

DownloadResult DownloadToFile(std::string_view url, const std::filesystem::path& target) {
  if (url.empty()) return Failed(DownloadFailure::kNoAddress);

  std::filesystem::path directory = target.parent_path();
  if (directory.empty()) directory = ".";
  // The file comes first: a directory that cannot be written fails before
  // anything is fetched.
  TemporaryFile file(directory);
  if (!file.IsOpen()) return Failed(DownloadFailure::kWriteFailed);

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
  if (!file.MoveInto(target)) return Failed(DownloadFailure::kWriteFailed);
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
    case DownloadFailure::kNetwork:
      return AnsiText(messages::kReasonNetwork) + " (" + result.networkError + ")";
  }
  return {};
}

}  // namespace vexaro
