#include "gui/pcx_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "pcx_writer.h"

namespace vexaro {
namespace {

using testing::AppendRunLength;
using testing::Pcx24Bit;
using testing::Pcx8Bit;
using testing::PcxHeader;
using testing::PcxHeaderFields;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TEST(PcxReader, EightBitPaletteWithOddWidthAndRuns) {
  // 5 x 3: an odd width (each line padded to 6 bytes), a run of five in the
  // middle line, and an index of 0xC5, which must be written as a run of one.
  const Bytes indices = {0, 1, 2, 3, 0xC5,  //
                         7, 7, 7, 7, 7,     //
                         0xC5, 3, 2, 1, 0};
  Bytes palette(768, 0);
  auto set = [&](int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    palette[index * 3] = r;
    palette[index * 3 + 1] = g;
    palette[index * 3 + 2] = b;
  };
  set(0, 0, 0, 0);
  set(1, 255, 0, 0);
  set(2, 0, 255, 0);
  set(3, 0, 0, 255);
  set(7, 10, 20, 30);
  set(0xC5, 200, 100, 50);

  const auto image = ReadPcx(Pcx8Bit(5, 3, indices, palette));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, 5);
  ASSERT_EQ(image->height, 3);
  const std::vector<std::uint32_t> expected = {
      Rgb(0, 0, 0),       Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(0, 0, 255),   Rgb(200, 100, 50),
      Rgb(10, 20, 30),    Rgb(10, 20, 30),  Rgb(10, 20, 30),  Rgb(10, 20, 30),  Rgb(10, 20, 30),
      Rgb(200, 100, 50),  Rgb(0, 0, 255),   Rgb(0, 255, 0),   Rgb(255, 0, 0),   Rgb(0, 0, 0)};
  EXPECT_EQ(image->pixels, expected);
}

TEST(PcxReader, TwentyFourBitPlanesPerLine) {
  const Bytes rgb = {255, 0, 0,   0, 255, 0,   0, 0, 255,  //
                     1, 2, 3,     250, 251, 252, 9, 9, 9};
  const auto image = ReadPcx(Pcx24Bit(3, 2, rgb));
  ASSERT_TRUE(image);
  const std::vector<std::uint32_t> expected = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                                               Rgb(1, 2, 3),   Rgb(250, 251, 252), Rgb(9, 9, 9)};
  EXPECT_EQ(image->pixels, expected);
}

TEST(PcxReader, RunsThatCrossLineEnds) {
  // Some writers let one run cover the end of a line and the start of the
  // next: 4 x 2 grey levels, all one run of eight.
  Bytes file = PcxHeader({.bitsPerPixel = 8, .xMax = 3, .yMax = 1, .planes = 1,
                          .bytesPerLine = 4});
  file.insert(file.end(), {0xC8, 0x40});
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  // No 256-colour palette at the end: the indices are grey levels.
  EXPECT_EQ(image->pixels, std::vector<std::uint32_t>(8, Rgb(0x40, 0x40, 0x40)));
}

// A header palette of 16 distinct colours: colour i is (i*16, 255-i*16, i).
Bytes SixteenColours() {
  Bytes palette;
  for (int i = 0; i < 16; ++i)
    palette.insert(palette.end(), {static_cast<std::uint8_t>(i * 16),
                                   static_cast<std::uint8_t>(255 - i * 16),
                                   static_cast<std::uint8_t>(i)});
  return palette;
}

std::uint32_t SixteenColour(int i) {
  return Rgb(static_cast<std::uint32_t>(i * 16), static_cast<std::uint32_t>(255 - i * 16),
             static_cast<std::uint32_t>(i));
}

TEST(PcxReader, SixteenColoursInFourPlanes) {
  // 16 x 1, pixel x has colour index x: plane p holds bit p of each index.
  Bytes line;
  for (int plane = 0; plane < 4; ++plane) {
    std::uint8_t bytes[2] = {0, 0};
    for (int x = 0; x < 16; ++x)
      if ((x >> plane) & 1) bytes[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    line.insert(line.end(), bytes, bytes + 2);
  }
  Bytes file = PcxHeader({.bitsPerPixel = 1, .xMax = 15, .yMax = 0, .planes = 4,
                          .bytesPerLine = 2, .egaPalette = SixteenColours()});
  AppendRunLength(file, line);
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->pixels.size(), 16u);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(image->pixels[x], SixteenColour(x)) << "x=" << x;
}

TEST(PcxReader, SixteenColoursPackedInNibbles) {
  // 3 x 1 at 4 bits a pixel: indices 1, 14, 5 (the last nibble is padding).
  Bytes file = PcxHeader({.bitsPerPixel = 4, .xMax = 2, .yMax = 0, .planes = 1,
                          .bytesPerLine = 2, .egaPalette = SixteenColours()});
  AppendRunLength(file, {0x1E, 0x5F});
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{SixteenColour(1), SixteenColour(14),
                                                       SixteenColour(5)}));
}

TEST(PcxReader, MonochromeIsBlackAndWhite) {
  // 10 x 1: bits 1010000011 (the palette in the header does not apply).
  Bytes file = PcxHeader({.bitsPerPixel = 1, .xMax = 9, .yMax = 0, .planes = 1,
                          .bytesPerLine = 2, .egaPalette = SixteenColours()});
  AppendRunLength(file, {0xA0, 0xC0});
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  const std::uint32_t w = Rgb(255, 255, 255), k = Rgb(0, 0, 0);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{w, k, w, k, k, k, k, k, w, w}));
}

TEST(PcxReader, VersionThreeUsesTheStandardColours) {
  Bytes file = PcxHeader({.version = 3, .bitsPerPixel = 4, .xMax = 1, .yMax = 0, .planes = 1,
                          .bytesPerLine = 2, .egaPalette = SixteenColours()});
  AppendRunLength(file, {0x9F, 0x00});
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{Rgb(0x55, 0x55, 0xFF), Rgb(255, 255, 255)}));
}

TEST(PcxReader, StoredWithoutCompression) {
  // Encoding 0: every byte is a pixel, 0xC1 included.
  Bytes file = PcxHeader({.encoding = 0, .bitsPerPixel = 8, .xMax = 1, .yMax = 0, .planes = 1,
                          .bytesPerLine = 2});
  file.insert(file.end(), {0xC1, 0x05});
  const auto image = ReadPcx(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{Rgb(0xC1, 0xC1, 0xC1), Rgb(5, 5, 5)}));
}

TEST(PcxReader, DataCutShortLeavesTheRestBlack) {
  // A 24-bit 4 x 4 picture cut off after its first line.
  Bytes firstLine = PcxHeader({.bitsPerPixel = 8, .xMax = 3, .yMax = 3, .planes = 3,
                               .bytesPerLine = 4});
  AppendRunLength(firstLine, Bytes(12, 0x80));
  const auto image = ReadPcx(firstLine);
  ASSERT_TRUE(image);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(image->pixels[i], i < 4 ? Rgb(0x80, 0x80, 0x80) : Rgb(0, 0, 0)) << i;
}

TEST(PcxReader, RejectsWhatIsNoPictureItCanRead) {
  const Bytes data(64, 0x11);
  auto withData = [&](PcxHeaderFields fields) {
    Bytes file = PcxHeader(fields);
    file.insert(file.end(), data.begin(), data.end());
    return file;
  };
  struct Case {
    const char* what;
    Bytes file;
  };
  Bytes wrongMaker = withData({.xMax = 1, .bytesPerLine = 2});
  wrongMaker[0] = 0x0B;
  const Case cases[] = {
      {"shorter than a header", Bytes(127, 0x0A)},
      {"wrong maker byte", wrongMaker},
      {"unknown version", withData({.version = 1, .xMax = 1, .bytesPerLine = 2})},
      {"unknown encoding", withData({.encoding = 2, .xMax = 1, .bytesPerLine = 2})},
      {"right edge left of the left edge", withData({.xMin = 5, .xMax = 4, .bytesPerLine = 2})},
      {"bottom above the top", withData({.yMin = 5, .xMax = 1, .yMax = 4, .bytesPerLine = 2})},
      {"zero bytes a line", withData({.xMax = 1, .bytesPerLine = 0})},
      {"lines shorter than the width", withData({.xMax = 9, .bytesPerLine = 8})},
      {"8 bits in 2 planes", withData({.xMax = 1, .planes = 2, .bytesPerLine = 2})},
      {"24 bits in 1 plane", withData({.bitsPerPixel = 24, .xMax = 1, .bytesPerLine = 6})},
      {"no planes", withData({.xMax = 1, .planes = 0, .bytesPerLine = 2})},
      {"4 bits in 4 planes", withData({.bitsPerPixel = 4, .xMax = 1, .planes = 4,
                                       .bytesPerLine = 2})},
      // 65536 x 65536 claimed by a header with 64 bytes of data.
      {"largest header", withData({.xMax = 0xFFFF, .yMax = 0xFFFF, .planes = 3,
                                   .bytesPerLine = 0xFFFF})},
      // Under the pixel limit, but 64 bytes cannot expand to 16 MB of lines.
      {"data far too short", withData({.xMax = 3999, .yMax = 3999, .bytesPerLine = 4000})},
  };
  for (const Case& c : cases) EXPECT_FALSE(ReadPcx(c.file)) << c.what;
}

TEST(PcxReader, PixelLimitHoldsEvenWithEnoughData) {
  // 8193 x 4096 grey pixels is one line over 32 Mi pixels, though long runs
  // could describe every one of them.
  Bytes file = PcxHeader({.xMax = 8192, .yMax = 4095, .planes = 1, .bytesPerLine = 8194});
  const std::size_t decoded = std::size_t{8194} * 4096;
  file.resize(file.size() + decoded / 63 * 2 + 2, 0xFF);
  EXPECT_FALSE(ReadPcx(file));
}

TEST(PcxReader, DamagedFilesNeverCrash) {
  // Random damage to sound files of every kind; run under the sanitizers too.
  Bytes palette(768);
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<std::uint8_t>(i);
  Bytes indices(7 * 5);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 37);
  const std::vector<Bytes> sound = {Pcx8Bit(7, 5, indices, palette),
                                    Pcx24Bit(7, 5, Bytes(7 * 5 * 3, 0xC7))};
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    Bytes file = sound[round % sound.size()];
    const int damages = 1 + static_cast<int>(random() % 8);
    for (int d = 0; d < damages; ++d) {
      const std::size_t at = random() % file.size();
      file[at] = static_cast<std::uint8_t>(random());
    }
    if (random() % 4 == 0) file.resize(random() % file.size());
    const auto image = ReadPcx(file);
    if (image) {
      EXPECT_EQ(image->pixels.size(),
                static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height));
    }
  }
}

}  // namespace
}  // namespace vexaro
