// Cover pictures of the sample service, drawn in code: the same small scene
// (a sky, a sun, hills) in each of the formats the window reads.
#pragma once

#include <string>
#include <string_view>

namespace vexaro::sample {

enum class PictureFormat { kBmp, kPng, kGif, kIco, kPcx, kJpeg };

// The encoded picture; the same bytes on every call.
const std::string& PictureBytes(PictureFormat format);

// "bmp", "png", ... (the file extension of the cover's URL) and the format of
// an extension; false when there is none of that name.
std::string_view PictureExtension(PictureFormat format);
bool PictureFormatOf(std::string_view extension, PictureFormat& format);

// The media type an answer carries for the format.
std::string_view PictureMediaType(PictureFormat format);

}  // namespace vexaro::sample
