// What the sample service knows: the detail records of a handful of videos
// and the video files they point at, among them records and files that fail
// in the ways a real service fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexaro::sample {

// The ID of the sample share link's video.
inline constexpr std::string_view kSampleVideoId = "6381399";

// The detail answer (UTF-8 JSON) for a video ID; `base` is the service's own
// address ("http://host:port"), which the cover and video URLs start with.
// Unknown IDs get the service's "video does not exist" answer, and a request
// without dtu=200 its "bad parameter" answer.
std::string DetailJson(std::string_view videoId, std::string_view dtu, std::string_view base);

// How long the detail answer of a video is held back (0: not at all).
bool IsSlowVideo(std::string_view videoId);

enum class VideoKind {
  kMissing,   // answered with 404
  kComplete,  // the whole file, with Range support
  kBrokenOff, // the connection closes halfway through the announced length
  kSlow,      // the whole file, at the service's slow-video rate
};

// What /video/<id>/<quality>.mp4 serves.
VideoKind VideoKindOf(std::string_view videoId, std::string_view quality);

// The length of a video file when the service is started with `hdSize` as
// its video size: hd files have that size, sd files about half of it.
std::uint64_t VideoLength(std::string_view quality, std::uint64_t hdSize);

}  // namespace vexaro::sample
