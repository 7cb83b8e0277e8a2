// The default file name of a video: the Chinese characters of its title.
#pragma once

#include "text/ansi_text.h"

namespace vexaro {

// The GB2312 Chinese characters of `text` (code page 936 pairs with a lead
// byte from 0xB0 to 0xF7 and a trail byte from 0xA1 to 0xFE), in their order,
// and nothing else: single bytes, full-width punctuation and letters, and the
// characters GBK adds are dropped.
AnsiText KeepHanzi(std::string_view text);

}  // namespace vexaro
