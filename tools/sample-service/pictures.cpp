#include "pictures.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vexaro::sample {

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

// The scene at (x, y) of a picture of width × height.
Rgb ScenePixel(int x, int y, int width, int height) {
  const double u = (x + 0.5) / width;
  const double v = (y + 0.5) / height;
  const double sunX = u - 0.72, sunY = v - 0.28;
  if (sunX * sunX + sunY * sunY < 0.018) return {250, 204, 64};
  const double hill = 0.62 + 0.08 * std::sin(u * 9.0) + 0.04 * std::sin(u * 23.0);
  if (v > hill) {
    const auto shade = static_cast<std::uint8_t>(150 - 70 * (v - hill) / (1.0 - hill + 1e-9));
    return {static_cast<std::uint8_t>(shade / 3), shade, static_cast<std::uint8_t>(shade / 2)};
  }
  return {static_cast<std::uint8_t>(90 + 80 * v), static_cast<std::uint8_t>(150 + 60 * v), 235};
}

void PutLe16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void PutLe32(std::string& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}
void PutBe16(std::string& out, unsigned value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}
void PutBe32(std::string& out, std::uint32_t value) {
  PutBe16(out, value >> 16);
  PutBe16(out, value & 0xFFFF);
}

// A 24-bit BMP, rows bottom-up and padded to four bytes.
std::string EncodeBmp(int width, int height) {
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes * height);
  std::string out = "BM";
  PutLe32(out, 14 + 40 + pixelBytes);
  PutLe32(out, 0);
  PutLe32(out, 14 + 40);
  PutLe32(out, 40);
  PutLe32(out, static_cast<std::uint32_t>(width));
  PutLe32(out, static_cast<std::uint32_t>(height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);  // no compression
  PutLe32(out, pixelBytes);
  PutLe32(out, 2835);  // 72 dpi
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = ScenePixel(x, y, width, height);
      out += static_cast<char>(p.b);
      out += static_cast<char>(p.g);
      out += static_cast<char>(p.r);
    }
    out.append(static_cast<std::size_t>(rowBytes - width * 3), '\0');
  }
  return out;
}

void PutPngChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  PutBe32(out, static_cast<std::uint32_t>(
                   crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// An 8-bit RGB PNG, every row with filter 0.
std::string EncodePng(int width, int height) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';
    for (int x = 0; x < width; ++x) {
      const Rgb p = ScenePixel(x, y, width, height);
      raw += static_cast<char>(p.r);
      raw += static_cast<char>(p.g);
      raw += static_cast<char>(p.b);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
            reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9);
  packed.resize(packedSize);

  std::string out = "\x89PNG\r\n\x1A\n";
  std::string header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header += '\x08';  // bit depth
  header += '\x02';  // colour type: RGB
  header.append(3, '\0');
  PutPngChunk(out, "IHDR", header);
  PutPngChunk(out, "IDAT", packed);
  PutPngChunk(out, "IEND", {});
  return out;
}

// The 16 colours of the GIF and the nearest of them to a pixel.
constexpr std::array<Rgb, 16> kPalette = {{
    {0, 0, 0},       {250, 204, 64},  {100, 160, 235}, {120, 175, 235},
    {140, 190, 235}, {160, 200, 235}, {30, 100, 50},   {40, 120, 60},
    {45, 135, 67},   {50, 150, 75},   {20, 80, 40},    {255, 255, 255},
    {200, 60, 60},   {60, 60, 200},   {128, 128, 128}, {90, 150, 235},
}};

std::uint8_t NearestPaletteIndex(Rgb p) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < static_cast<int>(kPalette.size()); ++i) {
    const int dr = p.r - kPalette[i].r, dg = p.g - kPalette[i].g, db = p.b - kPalette[i].b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) bestDistance = distance, best = i;
  }
  return static_cast<std::uint8_t>(best);
}

// Packs codes of a fixed width, least significant bit first, as GIF wants.
class GifBitWriter {
 public:
  void Put(unsigned code, int width) {
    accumulator_ |= code << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      bytes_ += static_cast<char>(accumulator_ & 0xFF);
      accumulator_ >>= 8;
      bits_ -= 8;
    }
  }
  std::string Finish() {
    if (bits_ > 0) bytes_ += static_cast<char>(accumulator_ & 0xFF);
    return bytes_;
  }

 private:
  std::string bytes_;
  unsigned accumulator_ = 0;
  int bits_ = 0;
};

// A GIF89a with a 16-colour table. The image data is LZW without any
// compression: every pixel is a literal code, and a clear code comes often
// enough that the code width never grows.
std::string EncodeGif(int width, int height) {
  constexpr int kMinCodeSize = 4;
  constexpr unsigned kClear = 1u << kMinCodeSize, kEnd = kClear + 1;
  constexpr int kCodeWidth = kMinCodeSize + 1;
  constexpr int kLiteralsPerClear = (1 << kMinCodeSize) - 3;

  std::string out = "GIF89a";
  PutLe16(out, static_cast<unsigned>(width));
  PutLe16(out, static_cast<unsigned>(height));
  out += '\xF3';  // global colour table of 16 entries
  out += '\0';
  out += '\0';
  for (const Rgb& c : kPalette) out += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
  out += ',';
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, static_cast<unsigned>(width));
  PutLe16(out, static_cast<unsigned>(height));
  out += '\0';
  out += static_cast<char>(kMinCodeSize);

  GifBitWriter writer;
  int sinceClear = kLiteralsPerClear;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (sinceClear == kLiteralsPerClear) {
        writer.Put(kClear, kCodeWidth);
        sinceClear = 0;
      }
      writer.Put(NearestPaletteIndex(ScenePixel(x, y, width, height)), kCodeWidth);
      ++sinceClear;
    }
  }
  writer.Put(kEnd, kCodeWidth);
  const std::string data = writer.Finish();
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t length = std::min<std::size_t>(255, data.size() - at);
    out += static_cast<char>(length);
    out.append(data, at, length);
  }
  out += '\0';
  out += ';';
  return out;
}

// An ICO holding one 32-bit BMP image (with its AND mask, all opaque).
std::string EncodeIco(int size) {
  std::string image;
  PutLe32(image, 40);
  PutLe32(image, static_cast<std::uint32_t>(size));
  PutLe32(image, static_cast<std::uint32_t>(size * 2));  // colour rows and mask rows
  PutLe16(image, 1);
  PutLe16(image, 32);
  PutLe32(image, 0);
  PutLe32(image, 0);
  PutLe32(image, 0);
  PutLe32(image, 0);
  PutLe32(image, 0);
  PutLe32(image, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const Rgb p = ScenePixel(x, y, size, size);
      image += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r), '\xFF'};
    }
  }
  const int maskRowBytes = (size + 31) / 32 * 4;
  image.append(static_cast<std::size_t>(maskRowBytes * size), '\0');

  std::string out;
  PutLe16(out, 0);
  PutLe16(out, 1);  // icon
  PutLe16(out, 1);  // one image
  out += static_cast<char>(size);
  out += static_cast<char>(size);
  out += '\0';
  out += '\0';
  PutLe16(out, 1);
  PutLe16(out, 32);
  PutLe32(out, static_cast<std::uint32_t>(image.size()));
  PutLe32(out, 6 + 16);
  return out + image;
}

// A 256-colour PCX (version 5, run-length encoded) with its palette at the end.
std::string EncodePcx(int width, int height) {
  const int bytesPerLine = (width + 1) / 2 * 2;
  std::string out;
  out += '\x0A';  // manufacturer
  out += '\x05';  // version
  out += '\x01';  // run-length encoding
  out += '\x08';  // bits per pixel
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, static_cast<unsigned>(width - 1));
  PutLe16(out, static_cast<unsigned>(height - 1));
  PutLe16(out, 72);
  PutLe16(out, 72);
  out.append(48, '\0');  // 16-colour palette, unused
  out += '\0';
  out += '\x01';  // one plane
  PutLe16(out, static_cast<unsigned>(bytesPerLine));
  PutLe16(out, 1);  // colour palette
  out.append(58, '\0');

  for (int y = 0; y < height; ++y) {
    std::vector<std::uint8_t> line(static_cast<std::size_t>(bytesPerLine), 0);
    for (int x = 0; x < width; ++x) line[static_cast<std::size_t>(x)] = NearestPaletteIndex(ScenePixel(x, y, width, height));
    for (std::size_t at = 0; at < line.size();) {
      std::size_t run = 1;
      while (at + run < line.size() && run < 63 && line[at + run] == line[at]) ++run;
      if (run > 1 || line[at] >= 0xC0) out += static_cast<char>(0xC0 | run);
      out += static_cast<char>(line[at]);
      at += run;
    }
  }
  out += '\x0C';
  for (int i = 0; i < 256; ++i) {
    const Rgb c = i < static_cast<int>(kPalette.size()) ? kPalette[static_cast<std::size_t>(i)] : Rgb{0, 0, 0};
    out += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
  }
  return out;
}

// Writes JPEG entropy-coded bits, most significant first, with a zero byte
// stuffed after every 0xFF.
class JpegBitWriter {
 public:
  void Put(unsigned bits, int count) {
    for (int i = count - 1; i >= 0; --i) {
      current_ = static_cast<unsigned>((current_ << 1) | ((bits >> i) & 1u));
      if (++filled_ == 8) Flush();
    }
  }
  std::string Finish() {
    while (filled_ != 0) Put(1, 1);  // pad with one bits
    return bytes_;
  }

 private:
  void Flush() {
    bytes_ += static_cast<char>(current_);
    if (current_ == 0xFF) bytes_ += '\0';
    current_ = 0;
    filled_ = 0;
  }
  std::string bytes_;
  unsigned current_ = 0;
  int filled_ = 0;
};

// A baseline JPEG made of flat 8×8 tiles, each the scene's colour at the
// tile's centre. A flat tile has only its DC coefficient, so the encoder
// needs no transform: every block is a DC difference and an end-of-block.
std::string EncodeJpeg(int width, int height) {
  // The standard DC table (categories 0 to 11) and an AC table whose only
  // symbol is end-of-block, coded as the single bit 0.
  constexpr std::array<std::uint8_t, 16> kDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  constexpr int kQuantizer = 8;  // a flat block's DC is 8 × (level - 128)

  std::array<unsigned, 12> dcCode{};
  std::array<int, 12> dcLength{};
  {
    unsigned code = 0;
    int symbol = 0;
    for (int length = 1; length <= 16; ++length) {
      for (int i = 0; i < kDcCounts[static_cast<std::size_t>(length - 1)]; ++i) {
        dcCode[static_cast<std::size_t>(symbol)] = code++;
        dcLength[static_cast<std::size_t>(symbol)] = length;
        ++symbol;
      }
      code <<= 1;
    }
  }

  std::string out = "\xFF\xD8";
  out += "\xFF\xE0";
  PutBe16(out, 16);
  out += std::string("JFIF\0\x01\x01\0", 8);
  PutBe16(out, 1);
  PutBe16(out, 1);
  out += std::string("\0\0", 2);

  out += "\xFF\xDB";
  PutBe16(out, 67);
  out += '\0';
  out.append(64, static_cast<char>(kQuantizer));

  out += "\xFF\xC0";
  PutBe16(out, 17);
  out += '\x08';
  PutBe16(out, static_cast<unsigned>(height));
  PutBe16(out, static_cast<unsigned>(width));
  out += '\x03';
  for (char id : {'\x01', '\x02', '\x03'}) out += {id, '\x11', '\0'};

  out += "\xFF\xC4";
  PutBe16(out, 2 + 1 + 16 + 12 + 1 + 16 + 1);
  out += '\x00';  // DC table 0
  for (std::uint8_t count : kDcCounts) out += static_cast<char>(count);
  for (int symbol = 0; symbol < 12; ++symbol) out += static_cast<char>(symbol);
  out += '\x10';  // AC table 0
  out += '\x01';
  out.append(15, '\0');
  out += '\0';  // the one symbol: end-of-block

  out += "\xFF\xDA";
  PutBe16(out, 12);
  out += '\x03';
  for (char id : {'\x01', '\x02', '\x03'}) out += {id, '\0'};
  out += std::string("\0\x3F\0", 3);

  JpegBitWriter writer;
  std::array<int, 3> previousDc{};
  for (int by = 0; by < height / 8; ++by) {
    for (int bx = 0; bx < width / 8; ++bx) {
      const Rgb p = ScenePixel(bx * 8 + 4, by * 8 + 4, width, height);
      const double levels[3] = {
          0.299 * p.r + 0.587 * p.g + 0.114 * p.b,
          -0.168736 * p.r - 0.331264 * p.g + 0.5 * p.b + 128,
          0.5 * p.r - 0.418688 * p.g - 0.081312 * p.b + 128,
      };
      for (std::size_t c = 0; c < 3; ++c) {
        const int dc = static_cast<int>(std::lround(8.0 * (levels[c] - 128.0) / kQuantizer));
        const int difference = dc - previousDc[c];
        previousDc[c] = dc;
        int category = 0;
        while ((std::abs(difference) >> category) != 0) ++category;
        writer.Put(dcCode[static_cast<std::size_t>(category)], dcLength[static_cast<std::size_t>(category)]);
        if (category > 0) {
          const int value = difference >= 0 ? difference : difference + (1 << category) - 1;
          writer.Put(static_cast<unsigned>(value), category);
        }
        writer.Put(0, 1);  // end-of-block
      }
    }
  }
  out += writer.Finish();
  out += "\xFF\xD9";
  return out;
}

std::string Encode(PictureFormat format) {
  switch (format) {
    case PictureFormat::kBmp: return EncodeBmp(120, 90);
    case PictureFormat::kPng: return EncodePng(192, 184);
    case PictureFormat::kGif: return EncodeGif(100, 75);
    case PictureFormat::kIco: return EncodeIco(32);
    case PictureFormat::kPcx: return EncodePcx(90, 68);
    case PictureFormat::kJpeg: return EncodeJpeg(160, 120);
  }
  return {};
}

}  // namespace

const std::string& PictureBytes(PictureFormat format) {
  // Made once, on first use; the static locals make that thread-safe.
  static const std::array<std::string, 6> pictures = {
      Encode(PictureFormat::kBmp), Encode(PictureFormat::kPng), Encode(PictureFormat::kGif),
      Encode(PictureFormat::kIco), Encode(PictureFormat::kPcx), Encode(PictureFormat::kJpeg),
  };
  return pictures[static_cast<std::size_t>(format)];
}

std::string_view PictureExtension(PictureFormat format) {
  constexpr std::array<std::string_view, 6> extensions = {"bmp", "png", "gif", "ico", "pcx", "jpg"};
  return extensions[static_cast<std::size_t>(format)];
}

bool PictureFormatOf(std::string_view extension, PictureFormat& format) {
  for (PictureFormat candidate : {PictureFormat::kBmp, PictureFormat::kPng, PictureFormat::kGif,
                                  PictureFormat::kIco, PictureFormat::kPcx, PictureFormat::kJpeg}) {
    if (PictureExtension(candidate) == extension) {
      format = candidate;
      return true;
    }
  }
  return false;
}

std::string_view PictureMediaType(PictureFormat format) {
  constexpr std::array<std::string_view, 6> types = {"image/bmp", "image/png", "image/gif",
                                                      "image/x-icon", "image/x-pcx", "image/jpeg"};
  return types[static_cast<std::size_t>(format)];
}

}  // namespace vexaro::sample
