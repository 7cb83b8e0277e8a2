#include "app/window_ops.h"

#include <atomic>

namespace vexaro {

namespace {
std::atomic<WindowOperations*> installedWindow{nullptr};
}

void SetWindowOperations(WindowOperations* window) { installedWindow.store(window); }

AnsiText ReadControlText(Control control) {
  WindowOperations* window = installedWindow.load();
  return window ? window->ReadControlText(control) : AnsiText();
}

void WriteControlText(Control control, std::string_view text) {
  if (WindowOperations* window = installedWindow.load()) window->WriteControlText(control, text);
}

void AppendControlText(Control control, std::string_view text) {
  if (WindowOperations* window = installedWindow.load()) window->AppendControlText(control, text);
}

bool IsTicked(Control control) {
  WindowOperations* window = installedWindow.load();
  return window && window->IsTicked(control);
}

void ShowPicture(Control control, const ByteBuffer& bytes) {
  if (WindowOperations* window = installedWindow.load()) window->ShowPicture(control, bytes);
}

AnsiText ReadClipboardText() {
  WindowOperations* window = installedWindow.load();
  return window ? window->ReadClipboardText() : AnsiText();
}

}  // namespace vexaro
