#include "gui/text_conversion.h"

#include <string>

#include "text/code_page.h"

namespace vexaro {

QString ToQString(std::string_view ansi) {
  const std::u16string units = AnsiToU16(ansi);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

AnsiText ToAnsiText(const QString& text) {
  std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                            static_cast<std::size_t>(text.size()));
  if (const std::size_t zero = units.find(u'\0'); zero != std::u16string_view::npos)
    units = units.substr(0, zero);
  return U16ToAnsi(units);
}

}  // namespace vexaro
