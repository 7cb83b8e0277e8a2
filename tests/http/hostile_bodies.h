// Bodies that the hostile server sends and the tests expect back unchanged.
#pragma once

#include <string_view>

namespace vexaro::testing {

// "Vexaro hands the body back exactly as the server sent it.\n" three times,
// gzip-compressed (no file name, time 0). Its fourth byte is already a zero.
inline constexpr std::string_view kGzipBody{
    "\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\xFF\x0B\x4B\xAD\x48\x2C\xCA\x57\xC8\x48\xCC\x4B\x29\x56"
    "\x28\xC9\x48\x55\x48\xCA\x4F\xA9\x54\x48\x4A\x4C\xCE\x56\x00\xCA\x24\x97\xE4\x54\x2A\x24\x42"
    "\x24\x8A\x53\x8B\xCA\x52\x8B\x80\x54\x5E\x89\x42\x66\x89\x1E\x57\xD8\x00\xE8\x04\x00\x25\x0C"
    "\xC7\x92\xAE\x00\x00\x00",
    75};

// Announced as gzip, but not gzip at all.
inline constexpr std::string_view kFakeGzipBody = "plain text that only claims to be gzip";

// What a stalled body sends before it falls silent.
inline constexpr std::string_view kStalledBodyStart = "first";

}  // namespace vexaro::testing
