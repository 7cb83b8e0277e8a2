// Texts between the program (code page 936 bytes) and Qt (UTF-16).
#pragma once

#include <QString>
#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

QString ToQString(std::string_view ansi);

// The text in code page 936 (characters it lacks become '?'), cut at the
// first zero character, since an AnsiText never holds a zero byte.
AnsiText ToAnsiText(const QString& text);

}  // namespace vexaro
