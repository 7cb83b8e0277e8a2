#include "gui/picture_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "gui/pcx_reader.h"

namespace vexaro {

namespace {

// The largest picture any reader may allocate, in MiB: the same ceiling as
// for PCX (kMaxPcxPixels 32-bit pixels).
constexpr int kAllocationLimitMiB = 128;

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view signature) {
  return bytes.size() >= signature.size() &&
         std::memcmp(bytes.data(), signature.data(), signature.size()) == 0;
}

// The Qt reader for the bytes, by their signature; nothing when no reader of
// the picture box's formats fits.
const char* QtFormatOf(std::span<const std::uint8_t> bytes) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, "\x89PNG\r\n\x1A\n"sv)) return "png";
  if (StartsWith(bytes, "\xFF\xD8\xFF"sv)) return "jpeg";
  if (StartsWith(bytes, "GIF87a"sv) || StartsWith(bytes, "GIF89a"sv)) return "gif";
  if (StartsWith(bytes, "BM"sv)) return "bmp";
  if (StartsWith(bytes, "\0\0\1\0"sv)) return "ico";
  if (StartsWith(bytes, "\0\0\2\0"sv)) return "cur";
  return nullptr;
}

QImage ReadWithQt(std::span<const std::uint8_t> bytes, const char* format) {
  static const bool limitSet = [] {
    QImageReader::setAllocationLimit(kAllocationLimitMiB);
    return true;
  }();
  (void)limitSet;
  // The buffer only reads the bytes; fromRawData makes no copy of them.
  const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
  QBuffer buffer;
  buffer.setData(data);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

QImage FromPcx(const PcxImage& pcx) {
  QImage image(pcx.width, pcx.height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(pcx.width) * sizeof(std::uint32_t);
  for (int y = 0; y < pcx.height; ++y)
    std::memcpy(image.scanLine(y),
                pcx.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pcx.width),
                rowBytes);
  return image;
}

}  // namespace

QImage DecodePicture(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  if (const char* format = QtFormatOf(bytes)) return ReadWithQt(bytes, format);
  if (LooksLikePcx(bytes)) {
    if (const std::optional<PcxImage> pcx = ReadPcx(bytes)) return FromPcx(*pcx);
  }
  return {};
}

}  // namespace vexaro
