#include "gui/pcx_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vexaro {

namespace {

constexpr std::size_t kHeaderSize = 128;
// The 256-colour palette: a marker byte 0x0C and 256 RGB triples at the end.
constexpr std::size_t kPaletteBlockSize = 1 + 256 * 3;
constexpr std::uint8_t kPaletteMarker = 0x0C;
// One run-length pair (count byte, value byte) stands for up to 63 bytes.
constexpr std::uint64_t kLongestRun = 63;

constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// The colours of a 16-colour picture whose header carries no palette
// (version 3): the standard EGA colours.
constexpr std::array<std::uint32_t, 16> kEgaColours = {
    Rgb(0x00, 0x00, 0x00), Rgb(0x00, 0x00, 0xAA), Rgb(0x00, 0xAA, 0x00), Rgb(0x00, 0xAA, 0xAA),
    Rgb(0xAA, 0x00, 0x00), Rgb(0xAA, 0x00, 0xAA), Rgb(0xAA, 0x55, 0x00), Rgb(0xAA, 0xAA, 0xAA),
    Rgb(0x55, 0x55, 0x55), Rgb(0x55, 0x55, 0xFF), Rgb(0x55, 0xFF, 0x55), Rgb(0x55, 0xFF, 0xFF),
    Rgb(0xFF, 0x55, 0x55), Rgb(0xFF, 0x55, 0xFF), Rgb(0xFF, 0xFF, 0x55), Rgb(0xFF, 0xFF, 0xFF)};

std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

struct Header {
  int version = 0;
  bool compressed = true;
  int bitsPerPixel = 0;  // per plane
  int planes = 0;
  std::size_t bytesPerLine = 0;  // per plane, padding included
  int width = 0;
  int height = 0;
};

std::optional<Header> ReadHeader(std::span<const std::uint8_t> bytes) {
  if (!LooksLikePcx(bytes)) return std::nullopt;
  Header header;
  header.version = bytes[1];
  header.compressed = bytes[2] == 1;
  header.bitsPerPixel = bytes[3];
  const int xMin = ReadLe16(bytes, 4), yMin = ReadLe16(bytes, 6);
  const int xMax = ReadLe16(bytes, 8), yMax = ReadLe16(bytes, 10);
  header.planes = bytes[65];
  header.bytesPerLine = ReadLe16(bytes, 66);
  if (xMax < xMin || yMax < yMin) return std::nullopt;
  header.width = xMax - xMin + 1;
  header.height = yMax - yMin + 1;

  const int bits = header.bitsPerPixel, planes = header.planes;
  const bool supported = (bits == 1 && planes >= 1 && planes <= 4) ||
                         ((bits == 2 || bits == 4) && planes == 1) ||
                         (bits == 8 && (planes == 1 || planes == 3));
  if (!supported) return std::nullopt;
  const std::size_t neededBytesPerLine =
      (static_cast<std::size_t>(header.width) * static_cast<std::size_t>(bits) + 7) / 8;
  if (header.bytesPerLine < neededBytesPerLine) return std::nullopt;
  if (static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height) >
      kMaxPcxPixels)
    return std::nullopt;
  return header;
}

// Hands out the decoded bytes of the picture data scan line by scan line.
// Runs may cross from one line into the next (many writers do that). Past the
// end of the data every byte is zero.
class RunLengthReader {
 public:
  RunLengthReader(std::span<const std::uint8_t> data, bool compressed)
      : data_(data), compressed_(compressed) {}

  void Fill(std::span<std::uint8_t> line) {
    std::size_t filled = 0;
    while (filled < line.size()) {
      if (runLeft_ > 0) {
        const std::size_t n = std::min(runLeft_, line.size() - filled);
        std::memset(line.data() + filled, runValue_, n);
        filled += n;
        runLeft_ -= n;
        continue;
      }
      if (next_ >= data_.size()) {
        std::memset(line.data() + filled, 0, line.size() - filled);
        return;
      }
      const std::uint8_t byte = data_[next_++];
      if (compressed_ && (byte & 0xC0) == 0xC0) {
        runLeft_ = byte & 0x3F;
        runValue_ = next_ < data_.size() ? data_[next_++] : 0;
      } else {
        line[filled++] = byte;
      }
    }
  }

 private:
  std::span<const std::uint8_t> data_;
  bool compressed_;
  std::size_t next_ = 0;
  std::size_t runLeft_ = 0;
  std::uint8_t runValue_ = 0;
};

using Palette = std::array<std::uint32_t, 256>;

Palette HeaderPalette(std::span<const std::uint8_t> bytes, const Header& header) {
  Palette palette{};
  if (header.bitsPerPixel == 1 && header.planes == 1) {
    palette[0] = Rgb(0, 0, 0);
    palette[1] = Rgb(0xFF, 0xFF, 0xFF);
  } else if (header.version == 3) {
    std::copy(kEgaColours.begin(), kEgaColours.end(), palette.begin());
  } else {
    for (std::size_t i = 0; i < 16; ++i)
      palette[i] = Rgb(bytes[16 + 3 * i], bytes[17 + 3 * i], bytes[18 + 3 * i]);
  }
  return palette;
}

// The 256-colour palette at the end of the file, or grey levels without one.
Palette TrailingPalette(std::span<const std::uint8_t> bytes, bool present) {
  Palette palette{};
  if (present) {
    const std::uint8_t* rgb = bytes.data() + bytes.size() - kPaletteBlockSize + 1;
    for (std::size_t i = 0; i < 256; ++i)
      palette[i] = Rgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  } else {
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = Rgb(i, i, i);
  }
  return palette;
}

}  // namespace

bool LooksLikePcx(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || bytes[0] != 0x0A) return false;
  const std::uint8_t version = bytes[1];
  const bool knownVersion = version == 0 || version == 2 || version == 3 || version == 4 ||
                            version == 5;
  return knownVersion && (bytes[2] == 0 || bytes[2] == 1);
}

std::optional<PcxImage> ReadPcx(std::span<const std::uint8_t> bytes) {
  const std::optional<Header> header = ReadHeader(bytes);
  if (!header) return std::nullopt;

  const bool eightBitPalette = header->bitsPerPixel == 8 && header->planes == 1;
  const bool trailingPalette = eightBitPalette &&
                               bytes.size() >= kHeaderSize + kPaletteBlockSize &&
                               bytes[bytes.size() - kPaletteBlockSize] == kPaletteMarker;
  std::span<const std::uint8_t> data = bytes.subspan(kHeaderSize);
  if (trailingPalette) data = data.first(data.size() - kPaletteBlockSize);

  const std::size_t lineSize = header->bytesPerLine * static_cast<std::size_t>(header->planes);
  const std::uint64_t decodedSize =
      static_cast<std::uint64_t>(lineSize) * static_cast<std::uint64_t>(header->height);
  // Data that could not describe the picture even at the best compression is
  // no picture; refusing it early keeps a small hostile file from making the
  // reader allocate for a picture that is not there.
  const std::uint64_t mostDecodable =
      header->compressed ? (data.size() / 2) * kLongestRun + data.size() % 2 : data.size();
  if (decodedSize > mostDecodable) return std::nullopt;

  const Palette palette =
      eightBitPalette ? TrailingPalette(bytes, trailingPalette) : HeaderPalette(bytes, *header);

  PcxImage image;
  image.width = header->width;
  image.height = header->height;
  image.pixels.resize(static_cast<std::size_t>(image.width) *
                      static_cast<std::size_t>(image.height));
  std::vector<std::uint8_t> line(lineSize);
  RunLengthReader reader(data, header->compressed);
  const std::size_t width = static_cast<std::size_t>(image.width);
  const std::size_t planeSize = header->bytesPerLine;

  for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y) {
    reader.Fill(line);
    std::uint32_t* row = image.pixels.data() + y * width;
    if (header->bitsPerPixel == 8 && header->planes == 3) {
      const std::uint8_t* red = line.data();
      const std::uint8_t* green = red + planeSize;
      const std::uint8_t* blue = green + planeSize;
      for (std::size_t x = 0; x < width; ++x) row[x] = Rgb(red[x], green[x], blue[x]);
    } else if (header->bitsPerPixel == 8) {
      for (std::size_t x = 0; x < width; ++x) row[x] = palette[line[x]];
    } else if (header->bitsPerPixel == 1) {
      // Planar: bit x of each plane gives one bit of the colour index.
      for (std::size_t x = 0; x < width; ++x) {
        unsigned index = 0;
        for (int plane = 0; plane < header->planes; ++plane) {
          const std::uint8_t byte = line[static_cast<std::size_t>(plane) * planeSize + x / 8];
          index |= ((byte >> (7 - x % 8)) & 1u) << plane;
        }
        row[x] = palette[index];
      }
    } else {
      // Packed: 2 or 4 bits per pixel, the leftmost pixel in the high bits.
      const unsigned bits = static_cast<unsigned>(header->bitsPerPixel);
      const unsigned mask = (1u << bits) - 1;
      const unsigned pixelsPerByte = 8 / bits;
      for (std::size_t x = 0; x < width; ++x) {
        const unsigned shift = 8 - bits * (1 + static_cast<unsigned>(x % pixelsPerByte));
        row[x] = palette[(line[x / pixelsPerByte] >> shift) & mask];
      }
    }
  }
  return image;
}

}  // namespace vexaro
