// The application's two shared texts. Commands on the window's thread and
// workers on their own threads replace and read them at any time; each read
// gives a whole value, the one current at that moment.
#pragma once

#include <mutex>
#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

class SharedText {
 public:
  AnsiText Get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void Set(std::string_view value) {
    AnsiText copy(value);
    std::lock_guard lock(mutex_);
    value_.swap(copy);
  }
  void Release() { Set({}); }

 private:
  mutable std::mutex mutex_;
  AnsiText value_;
};

// The video ID of the last Parse (empty when it found none).
extern SharedText CurrentVideoId;
// The video file's address of the last detail lookup that reached its end.
extern SharedText CurrentVideoUrl;

// Releases both texts; runs when the program ends.
void ReleaseGlobals();

}  // namespace vexaro
