// The code-page layer: what MultiByteToWideChar and WideCharToMultiByte do for
// code pages 936 and 65001, on ICU's converters.
//
// Code page 936 is ICU's "windows-936-2000", which matches Microsoft's table
// byte for byte. Bytes that do not decode become '?' (U+003F), and characters
// that code page 936 cannot represent become its default character '?'.
// Invalid UTF-8 decodes to U+FFFD per bad sequence, as Windows does.
#pragma once

#include <string>
#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

enum class CodePage : unsigned { Gbk = 936, Utf8 = 65001 };

// CompositeCheck is WC_COMPOSITECHECK: a base character followed by a
// combining mark is first joined into the precomposed character, when one
// exists, so that it can take its own code page 936 form.
enum class ConversionFlags : unsigned { None = 0, CompositeCheck = 0x200 };

// MultiByteToWideChar(codePage, 0, ...) over the whole input.
std::u16string MultiByteToWideChar(CodePage codePage, std::string_view bytes);

// WideCharToMultiByte(codePage, flags, ..., default character '?') over the
// whole input.
std::string WideCharToMultiByte(CodePage codePage, std::u16string_view units,
                                ConversionFlags flags = ConversionFlags::None);

// UTF-8 bytes to code page 936. Each invalid UTF-8 sequence becomes '?', the
// rest converts; characters missing from code page 936 become '?'. The result
// ends at the first zero byte of the input.
AnsiText Utf8ToAnsi(std::string_view utf8);

// Code page 936 to UTF-8 and back, for file names and anything else that
// leaves the program as UTF-8.
std::string AnsiToUtf8(std::string_view ansi);

// Code page 936 to UTF-16 and back, for the window.
std::u16string AnsiToU16(std::string_view ansi);
AnsiText U16ToAnsi(std::u16string_view units);

}  // namespace vexaro
