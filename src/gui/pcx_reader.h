// PCX pictures (ZSoft Paintbrush), which the picture box reads besides the
// formats Qt knows. Plain C++, no Qt: the reader turns the bytes of a file
// into 32-bit pixels.
//
// Read: 1-bit planar with 1 to 4 planes (monochrome, 4-, 8- and 16-colour),
// 2- and 4-bit packed palette pictures, 8-bit palette pictures (256-colour
// palette after the picture data, grey levels without one) and 24-bit RGB
// (three 8-bit planes); run-length encoded or, rarely, stored raw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vexaro {

struct PcxImage {
  int width = 0;
  int height = 0;
  // Row by row from the top, each pixel 0xFFRRGGBB.
  std::vector<std::uint32_t> pixels;
};

// The most pixels a PCX picture may have (128 MiB of 32-bit pixels): a
// header can claim up to 65536 x 65536, and a cover picture never needs that.
inline constexpr std::uint64_t kMaxPcxPixels = std::uint64_t{32} << 20;

// Whether the bytes start like a PCX file (maker byte 0x0A, a known version,
// a known encoding).
bool LooksLikePcx(std::span<const std::uint8_t> bytes);

// Decodes a PCX file. Nothing for a header that is not PCX, an unsupported
// layout, a picture over kMaxPcxPixels, or picture data that is far too short
// to describe the picture the header claims. Picture data that ends early
// (a file cut off in transfer) leaves the rest of the picture black.
std::optional<PcxImage> ReadPcx(std::span<const std::uint8_t> bytes);

}  // namespace vexaro
