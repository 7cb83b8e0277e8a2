// The window operations on the Qt window. Calls from the window's own thread
// act at once; calls from any other thread are carried to the window's
// thread and wait until they have taken effect there, so each thread's calls
// act in the order it makes them and a read sees that thread's earlier
// writes. Release() lets every waiting call return at once and makes later
// calls do nothing, so workers never hang on a window that is going away; it
// happens by itself when the window is destroyed.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/window_ops.h"

class QThread;

namespace vexaro {

class MainWindow;

class QtWindowOperations final : public WindowOperations {
 public:
  // Construct, release and destroy on the window's thread.
  explicit QtWindowOperations(MainWindow& window);
  // Releases; destroy only once no thread is inside a call.
  ~QtWindowOperations() override;
  QtWindowOperations(const QtWindowOperations&) = delete;
  QtWindowOperations& operator=(const QtWindowOperations&) = delete;

  void Release();

  AnsiText ReadControlText(Control control) override;
  void WriteControlText(Control control, std::string_view text) override;
  void AppendControlText(Control control, std::string_view text) override;
  bool IsTicked(Control control) override;
  void ShowPicture(Control control, const ByteBuffer& bytes) override;
  AnsiText ReadClipboardText() override;

 private:
  struct Gate;

  template <typename Task>
  auto OnWindowThread(Task task) -> decltype(task());

  // Read only on the window's thread.
  QPointer<MainWindow> window_;
  QThread* const windowThread_;
  // Receives the calls of other threads; lives as long as this object.
  std::unique_ptr<QObject> carrier_;
  std::shared_ptr<Gate> gate_;
};

}  // namespace vexaro
