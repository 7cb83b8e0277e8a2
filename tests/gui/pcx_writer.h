// Writes PCX files for the tests: any header field can be set, so the tests
// can make both sound files and hostile ones.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vexaro::testing {

struct PcxHeaderFields {
  std::uint8_t version = 5;
  std::uint8_t encoding = 1;
  std::uint8_t bitsPerPixel = 8;
  std::uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  std::uint8_t planes = 1;
  std::uint16_t bytesPerLine = 0;
  std::vector<std::uint8_t> egaPalette = {};  // up to 48 bytes
};

inline std::vector<std::uint8_t> PcxHeader(const PcxHeaderFields& f) {
  std::vector<std::uint8_t> header(128, 0);
  auto put16 = [&](std::size_t at, std::uint16_t value) {
    header[at] = static_cast<std::uint8_t>(value & 0xFF);
    header[at + 1] = static_cast<std::uint8_t>(value >> 8);
  };
  header[0] = 0x0A;
  header[1] = f.version;
  header[2] = f.encoding;
  header[3] = f.bitsPerPixel;
  put16(4, f.xMin);
  put16(6, f.yMin);
  put16(8, f.xMax);
  put16(10, f.yMax);
  put16(12, 72);
  put16(14, 72);
  std::copy_n(f.egaPalette.begin(), std::min<std::size_t>(f.egaPalette.size(), 48),
              header.begin() + 16);
  header[65] = f.planes;
  put16(66, f.bytesPerLine);
  put16(68, 1);
  return header;
}

// Run-length encodes bytes the way PCX writers do: runs of up to 63, and a
// single byte of 0xC0 or above written as a run of one.
inline void AppendRunLength(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data) {
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t run = 1;
    while (i + run < data.size() && run < 63 && data[i + run] == data[i]) ++run;
    if (run > 1 || data[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
    out.push_back(data[i]);
    i += run;
  }
}

// An 8-bit palette picture: `indices` row by row, `palette` 256 RGB triples.
inline std::vector<std::uint8_t> Pcx8Bit(int width, int height,
                                         const std::vector<std::uint8_t>& indices,
                                         const std::vector<std::uint8_t>& palette) {
  const std::uint16_t bytesPerLine = static_cast<std::uint16_t>((width + 1) & ~1);
  std::vector<std::uint8_t> file = PcxHeader({.bitsPerPixel = 8,
                                              .xMax = static_cast<std::uint16_t>(width - 1),
                                              .yMax = static_cast<std::uint16_t>(height - 1),
                                              .planes = 1,
                                              .bytesPerLine = bytesPerLine});
  for (int y = 0; y < height; ++y) {
    std::vector<std::uint8_t> line(bytesPerLine, 0);
    std::copy_n(indices.begin() + y * width, width, line.begin());
    AppendRunLength(file, line);
  }
  file.push_back(0x0C);
  std::vector<std::uint8_t> fullPalette = palette;
  fullPalette.resize(768, 0);
  file.insert(file.end(), fullPalette.begin(), fullPalette.end());
  return file;
}

// A 24-bit picture: `rgb` row by row, three bytes a pixel.
inline std::vector<std::uint8_t> Pcx24Bit(int width, int height,
                                          const std::vector<std::uint8_t>& rgb) {
  const std::uint16_t bytesPerLine = static_cast<std::uint16_t>((width + 1) & ~1);
  std::vector<std::uint8_t> file = PcxHeader({.bitsPerPixel = 8,
                                              .xMax = static_cast<std::uint16_t>(width - 1),
                                              .yMax = static_cast<std::uint16_t>(height - 1),
                                              .planes = 3,
                                              .bytesPerLine = bytesPerLine});
  for (int y = 0; y < height; ++y) {
    for (int channel = 0; channel < 3; ++channel) {
      std::vector<std::uint8_t> plane(bytesPerLine, 0);
      for (int x = 0; x < width; ++x) plane[x] = rgb[(y * width + x) * 3 + channel];
      AppendRunLength(file, plane);
    }
  }
  return file;
}

}  // namespace vexaro::testing
