// Decoding the bytes handed to the picture box. The format is recognised by
// the first bytes: BMP, JPEG, PNG, GIF (first frame), ICO and CUR (first
// picture) through Qt's readers, PCX through our own. Anything else, Qt's
// other formats included, is no picture: the box shows what the cover of a
// video may be and nothing more.
#pragma once

#include <QImage>
#include <cstdint>
#include <span>

namespace vexaro {

// The picture, or a null image for an empty buffer, an unknown format or
// bytes that do not decode.
QImage DecodePicture(std::span<const std::uint8_t> bytes);

}  // namespace vexaro
