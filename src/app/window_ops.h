// The window operations: the only way the commands and their workers read and
// change the window. The Qt window installs its implementation at startup;
// tests install a fake. Every operation may be called from any thread; the
// implementation keeps each thread's calls in order.
#pragma once

#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

// The window's controls, by their own names.
enum class Control {
  透明标签1,
  编辑框1,
  按钮1,
  选择框1,
  分组框1,
  图片框1,
  编辑框2,
  透明标签2,
  编辑框3,
  透明标签3,
  编辑框4,
  按钮2,
};

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;
  // The current text of an edit box, in code page 936.
  virtual AnsiText ReadControlText(Control control) = 0;
  // Replaces the whole text of an edit box.
  virtual void WriteControlText(Control control, std::string_view text) = 0;
  // Adds text at the end of an edit box wherever the caret is, scrolls to it;
  // the addition cannot be undone.
  virtual void AppendControlText(Control control, std::string_view text) = 0;
  // Whether a check box is ticked now.
  virtual bool IsTicked(Control control) = 0;
  // Decodes bytes as a picture and shows it stretched over the picture box;
  // an empty buffer or bytes that are no picture leave the box empty.
  virtual void ShowPicture(Control control, const ByteBuffer& bytes) = 0;
  // The clipboard's text in code page 936; empty when it holds no text.
  virtual AnsiText ReadClipboardText() = 0;
};

// Installs the window (nullptr: none). Not owned. Called by the GUI at
// startup and at the end, and by tests.
void SetWindowOperations(WindowOperations* window);

// The operations the commands call. Without a window they do nothing and read
// the empty text or false.
AnsiText ReadControlText(Control control);
void WriteControlText(Control control, std::string_view text);
void AppendControlText(Control control, std::string_view text);
bool IsTicked(Control control);
void ShowPicture(Control control, const ByteBuffer& bytes);
AnsiText ReadClipboardText();

}  // namespace vexaro
