// CESU-8, the string form the JavaScript engine speaks: UTF-8 in which every
// UTF-16 code unit is encoded on its own, so a surrogate pair becomes two
// 3-byte sequences. Texts cross into the engine and back through UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace vexaro {

// Each UTF-16 code unit (a lone surrogate too) becomes its 1-, 2- or 3-byte
// sequence.
std::string U16ToCesu8(std::u16string_view units);

// The reverse. A 4-byte UTF-8 sequence (which the engine may hold for a
// character beyond U+FFFF) becomes a surrogate pair; every byte that starts
// no well-formed sequence becomes U+FFFD.
std::u16string Cesu8ToU16(std::string_view bytes);

}  // namespace vexaro
