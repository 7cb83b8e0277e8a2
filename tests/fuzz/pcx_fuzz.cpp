// The picture box's PCX reader over arbitrary bytes: a picture comes back
// whole (as many pixels as its size says, within the cap) or not at all.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_check.h"
#include "gui/pcx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = vexaro::ReadPcx(std::span<const std::uint8_t>(data, size));
  if (image) {
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(image->width) * static_cast<std::uint64_t>(image->height);
    vexaro::fuzzing::Check(image->width > 0 && image->height > 0 &&
                           pixels <= vexaro::kMaxPcxPixels && image->pixels.size() == pixels);
  }
  return 0;
}
