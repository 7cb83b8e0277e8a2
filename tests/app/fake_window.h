// A window for the commands under test: it keeps the controls' texts, the
// picture and the clipboard in memory, and lets a test wait, with a bound, for
// what detached workers write.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/window_ops.h"
#include "text/ansi_text.h"

namespace vexaro::testing {

class FakeWindow : public WindowOperations {
 public:
  // The one window of the test program, installed on first use. Workers from
  // an earlier test may still hold it, so it lives until the program ends.
  static FakeWindow& Installed() {
    static FakeWindow* window = [] {
      auto* w = new FakeWindow;
      SetWindowOperations(w);
      return w;
    }();
    return *window;
  }

  // Every control empty, no picture, nothing ticked, an empty clipboard.
  void Reset() {
    std::lock_guard lock(mutex_);
    texts_.clear();
    picture_.clear();
    pictureShown_ = 0;
    ticked_ = false;
    clipboard_.clear();
    clipboardReads_ = 0;
  }

  void SetText(Control control, const AnsiText& text) { WriteControlText(control, text); }
  void SetTicked(bool ticked) {
    std::lock_guard lock(mutex_);
    ticked_ = ticked;
  }
  void SetClipboard(const AnsiText& text) {
    std::lock_guard lock(mutex_);
    clipboard_ = text;
  }

  AnsiText Text(Control control) {
    std::lock_guard lock(mutex_);
    return texts_[control];
  }
  ByteBuffer Picture() {
    std::lock_guard lock(mutex_);
    return picture_;
  }
  int PictureShownCount() {
    std::lock_guard lock(mutex_);
    return pictureShown_;
  }
  int ClipboardReads() {
    std::lock_guard lock(mutex_);
    return clipboardReads_;
  }

  // The lines of a box, each without its "\r\n"; a last piece without one is
  // kept as it is.
  std::vector<AnsiText> Lines(Control control) {
    const AnsiText text = Text(control);
    std::vector<AnsiText> lines;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t end = text.find("\r\n", at);
      if (end == AnsiText::npos) {
        lines.push_back(text.substr(at));
        break;
      }
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  // Waits until `done` holds for the text of `control`; false after `timeout`.
  bool WaitForText(Control control, const std::function<bool(const AnsiText&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(texts_[control]); });
  }

  // Waits until the box holds at least `count` lines.
  bool WaitForLines(Control control, std::size_t count,
                    std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return WaitForText(
        control,
        [count](const AnsiText& text) {
          std::size_t lines = 0;
          for (std::size_t at = text.find("\r\n"); at != AnsiText::npos; at = text.find("\r\n", at + 2)) ++lines;
          return lines >= count;
        },
        timeout);
  }

  // WindowOperations
  AnsiText ReadControlText(Control control) override { return Text(control); }
  void WriteControlText(Control control, std::string_view text) override {
    std::lock_guard lock(mutex_);
    texts_[control] = AnsiText(text);
    changed_.notify_all();
  }
  void AppendControlText(Control control, std::string_view text) override {
    std::lock_guard lock(mutex_);
    texts_[control] += text;
    changed_.notify_all();
  }
  bool IsTicked(Control control) override {
    std::lock_guard lock(mutex_);
    return control == Control::选择框1 && ticked_;
  }
  void ShowPicture(Control, const ByteBuffer& bytes) override {
    std::lock_guard lock(mutex_);
    picture_ = bytes;
    ++pictureShown_;
    changed_.notify_all();
  }
  AnsiText ReadClipboardText() override {
    std::lock_guard lock(mutex_);
    ++clipboardReads_;
    return clipboard_;
  }

 private:
  FakeWindow() = default;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<Control, AnsiText> texts_;
  ByteBuffer picture_;
  int pictureShown_ = 0;
  bool ticked_ = false;
  AnsiText clipboard_;
  int clipboardReads_ = 0;
};

}  // namespace vexaro::testing
