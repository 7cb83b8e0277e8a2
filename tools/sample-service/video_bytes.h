// The bytes of the sample service's video files: deterministic, different at
// every offset and for every video, so a download can be checked byte for
// byte without keeping a copy. Each file starts like an MP4 (an "ftyp" box);
// the rest is a pseudo-random stream made from the file's seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexaro::sample {

inline constexpr unsigned char kVideoHeader[24] = {
    0, 0, 0, 24, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 2, 0, 'i', 's', 'o', 'm', 'm', 'p', '4', '1'};

// The seed of one video file, from its video ID and quality name.
inline std::uint64_t VideoSeed(std::string_view videoId, std::string_view quality) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (char c : videoId) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  hash = (hash ^ '/') * 1099511628211ull;
  for (char c : quality) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// The 8-byte word number `index` of the stream (splitmix64 of the index).
inline std::uint64_t VideoWord(std::uint64_t seed, std::uint64_t index) {
  std::uint64_t z = seed + (index + 1) * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Fills out[0, length) with the bytes of the file at [offset, offset + length).
inline void FillVideoBytes(std::uint64_t seed, std::uint64_t offset, unsigned char* out,
                           std::size_t length) {
  std::size_t done = 0;
  while (done < length && offset + done < sizeof kVideoHeader) {
    out[done] = kVideoHeader[offset + done];
    ++done;
  }
  while (done < length) {
    const std::uint64_t at = offset + done;
    const std::uint64_t word = VideoWord(seed, at / 8);
    std::size_t byteInWord = static_cast<std::size_t>(at % 8);
    for (; byteInWord < 8 && done < length; ++byteInWord, ++done) {
      out[done] = static_cast<unsigned char>(word >> (8 * byteInWord));
    }
  }
}

}  // namespace vexaro::sample
