#include "app/temporary_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace vexaro {

namespace {

// The temporary files that exist right now. Creating, moving and removing a
// file happen under the lock together with the list's change, so the removal
// at the program's end sees every file that exists and none appears after
// it: a worker's file is either moved into place before, or removed.
class TemporaryFileList {
 public:
  // Never destroyed: workers may still use it while the process ends.
  static TemporaryFileList& Instance() {
    static auto* list = new TemporaryFileList;
    return *list;
  }

  // Creates `path` (which must not exist) and lists it. The descriptor, or
  // -1 with `error` set.
  int Create(const std::string& path, int& error) {
    std::lock_guard lock(mutex_);
    if (ending_) {
      error = ECANCELED;
      return -1;
    }
    // 0666 before the umask, as any new file of the user's gets.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = errno;
      return -1;
    }
    try {
      paths_.push_back(path);
    } catch (const std::bad_alloc&) {
      ::close(fd);
      ::unlink(path.c_str());
      error = ENOMEM;
      return -1;
    }
    return fd;
  }

  // Renames a listed file to `target` and takes it off the list; the errno
  // value of a failure, or 0.
  int Move(const std::string& path, const std::string& target) {
    std::lock_guard lock(mutex_);
    if (ending_) return ECANCELED;  // already removed
    if (::rename(path.c_str(), target.c_str()) != 0) return errno;
    Forget(path);
    return 0;
  }

  void Remove(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (ending_) return;  // already removed
    ::unlink(path.c_str());
    Forget(path);
  }

  void RemoveAll() {
    std::lock_guard lock(mutex_);
    ending_ = true;
    for (const std::string& path : paths_) ::unlink(path.c_str());
    paths_.clear();
  }

 private:
  TemporaryFileList() = default;

  void Forget(const std::string& path) {
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found != paths_.end()) paths_.erase(found);
  }

  std::mutex mutex_;
  std::vector<std::string> paths_;
  bool ending_ = false;
};

}  // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& directory) {
  TemporaryFileList& list = TemporaryFileList::Instance();
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".vexaro-%08x%08x.part", entropy(), entropy());
    path_ = directory / name;
    fd_ = list.Create(path_.native(), error_);
    if (fd_ >= 0 || error_ != EEXIST) break;
  }
  listed_ = fd_ >= 0;
}

TemporaryFile::~TemporaryFile() {
  if (fd_ >= 0) ::close(fd_);
  if (listed_) TemporaryFileList::Instance().Remove(path_.native());
}

bool TemporaryFile::MoveInto(const std::filesystem::path& target) {
  const int fd = fd_;
  fd_ = -1;
  // close() reports write errors that only show when the data leaves (a
  // full disk on some file systems).
  if (::close(fd) != 0) {
    error_ = errno;
    return false;
  }
  error_ = TemporaryFileList::Instance().Move(path_.native(), target.native());
  if (error_ != 0) return false;
  listed_ = false;
  return true;
}

void RemoveTemporaryFiles() { TemporaryFileList::Instance().RemoveAll(); }

void RegisterTemporaryFileRemoval() {
  static const bool registered = [] {
    // The list is made now, before the handlers are registered, and is never
    // destroyed, so the handlers always find it.
    TemporaryFileList::Instance();
    std::atexit(RemoveTemporaryFiles);
    std::at_quick_exit(RemoveTemporaryFiles);
    return true;
  }();
  (void)registered;
}

}  // namespace vexaro
