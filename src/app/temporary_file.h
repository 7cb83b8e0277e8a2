// The hidden files a download writes into before the video is complete.
//
// Each one is listed from its creation until it is moved into place or
// removed, so that a program ending mid-download (the window closed while a
// worker still writes) removes what it leaves: RegisterTemporaryFileRemoval
// makes RemoveTemporaryFiles run however the process ends normally (return
// from main, std::exit, std::quick_exit).
#pragma once

#include <filesystem>

namespace vexaro {

class TemporaryFile {
 public:
  // Creates a new empty file ".vexaro-<16 hex digits>.part" in `directory`
  // for writing. On failure IsOpen() is false and Error() tells why (an errno
  // value; ECANCELED once the program has begun to end).
  explicit TemporaryFile(const std::filesystem::path& directory);
  // Closes and removes the file unless it was moved into place.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  int Error() const { return error_; }
  const std::filesystem::path& Path() const { return path_; }

  // Closes the file and renames it to `target`, replacing what is there.
  // False with Error() set when either fails; the file is then removed by
  // the destructor and `target` is untouched.
  bool MoveInto(const std::filesystem::path& target);

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  int error_ = 0;
  bool listed_ = false;
};

// Removes every listed temporary file and refuses to create new ones from
// then on. Safe while workers are still creating, writing or moving theirs.
void RemoveTemporaryFiles();

// Registers RemoveTemporaryFiles with std::atexit and std::at_quick_exit
// (once, however often it is called).
void RegisterTemporaryFileRemoval();

}  // namespace vexaro
