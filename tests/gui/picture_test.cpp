#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <random>

#include "app/window_ops.h"
#include "gui/main_window.h"
#include "gui/picture_box.h"
#include "gui/picture_decoder.h"
#include "gui/qt_window_operations.h"
#include "pcx_writer.h"
#include "shown_window.h"

namespace vexaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The test picture: 16 x 12 in four quadrants, red, green / blue, white. Its
// aspect ratio is not the box's, and it is smaller than the box.
constexpr int kWidth = 16, kHeight = 12;
const QRgb kQuadrants[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)},
                               {qRgb(0, 0, 255), qRgb(255, 255, 255)}};

QRgb QuadrantColour(int x, int y, int width, int height) {
  return kQuadrants[y * 2 / height][x * 2 / width];
}

QImage TestPicture() {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) image.setPixel(x, y, QuadrantColour(x, y, kWidth, kHeight));
  return image;
}

Bytes SavedByQt(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return Bytes(bytes.begin(), bytes.end());
}

// Qt writes no GIF: a 2 x 2 GIF of the four colours, LZW coded by hand
// (clear, 0, 1, 2 in 3 bits; 3, end in 4 bits).
Bytes TwoByTwoGif() {
  return {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0,
          255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255,
          0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0,
          2, 3, 0x44, 0x34, 0x05, 0,
          0x3B};
}

Bytes PcxOf(const QImage& image, bool eightBit) {
  const int width = image.width(), height = image.height();
  if (!eightBit) {
    Bytes rgb;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const QRgb c = image.pixel(x, y);
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(qRed(c)),
                               static_cast<std::uint8_t>(qGreen(c)),
                               static_cast<std::uint8_t>(qBlue(c))});
      }
    return testing::Pcx24Bit(width, height, rgb);
  }
  Bytes palette;
  for (const auto& row : kQuadrants)
    for (QRgb c : row)
      palette.insert(palette.end(), {static_cast<std::uint8_t>(qRed(c)),
                                     static_cast<std::uint8_t>(qGreen(c)),
                                     static_cast<std::uint8_t>(qBlue(c))});
  Bytes indices;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      indices.push_back(static_cast<std::uint8_t>((y * 2 / height) * 2 + x * 2 / width));
  return testing::Pcx8Bit(width, height, indices, palette);
}

class PictureBoxTest : public ShownWindowTest {
 protected:
  PictureBox* Box() {
    return qobject_cast<PictureBox*>(window_.ControlWidget(Control::图片框1));
  }

  // Checks that the box shows the four quadrants over its whole area.
  void ExpectFillsTheBox(const char* what) {
    ASSERT_FALSE(Box()->Picture().isNull()) << what;
    const QImage shown = Box()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(192, 184)) << what;
    // Samples well inside each quadrant and right at the box's corners.
    const QPoint samples[] = {{2, 2},     {189, 2},   {2, 181},  {189, 181}, {0, 0},
                              {191, 183}, {48, 46},   {144, 46}, {48, 138},  {144, 138}};
    for (const QPoint& p : samples) {
      const QRgb want = QuadrantColour(p.x(), p.y(), 192, 184);
      const QRgb got = shown.pixel(p);
      const int tolerance = 40;  // JPEG and smooth scaling blur a little
      EXPECT_NEAR(qRed(got), qRed(want), tolerance) << what << " at " << p.x() << "," << p.y();
      EXPECT_NEAR(qGreen(got), qGreen(want), tolerance) << what << " at " << p.x() << "," << p.y();
      EXPECT_NEAR(qBlue(got), qBlue(want), tolerance) << what << " at " << p.x() << "," << p.y();
    }
  }
};

TEST_F(PictureBoxTest, EveryFormatFillsTheBox) {
  const QImage picture = TestPicture();
  Bytes cursor = SavedByQt(picture, "ico");
  cursor[2] = 2;  // the same file as a cursor: type 2, hot spot 0,0
  cursor[10] = cursor[11] = cursor[12] = cursor[13] = 0;
  const std::pair<const char*, Bytes> files[] = {
      {"BMP", SavedByQt(picture, "bmp")},   {"JPEG", SavedByQt(picture, "jpeg")},
      {"PNG", SavedByQt(picture, "png")},   {"GIF", TwoByTwoGif()},
      {"ICO", SavedByQt(picture, "ico")},   {"CUR", cursor},
      {"PCX 8-bit", PcxOf(picture, true)},  {"PCX 24-bit", PcxOf(picture, false)},
  };
  for (const auto& [what, bytes] : files) {
    ShowPicture(Control::图片框1, {});
    ASSERT_TRUE(Box()->Picture().isNull());
    ShowPicture(Control::图片框1, bytes);
    ExpectFillsTheBox(what);
  }
}

TEST_F(PictureBoxTest, LargerPictureOfAnotherShapeFillsTheBoxToo) {
  ShowPicture(Control::图片框1, SavedByQt(TestPicture().scaled(900, 300), "png"));
  ExpectFillsTheBox("900 x 300");
}

TEST_F(PictureBoxTest, EmptyBufferClearsTheBox) {
  ShowPicture(Control::图片框1, SavedByQt(TestPicture(), "png"));
  ASSERT_FALSE(Box()->Picture().isNull());
  ShowPicture(Control::图片框1, {});
  EXPECT_TRUE(Box()->Picture().isNull());
  const QImage shown = Box()->grab().toImage();
  EXPECT_NE(shown.pixel(96, 92), qRgb(255, 0, 0));
}

TEST_F(PictureBoxTest, BytesThatAreNoPictureLeaveTheBoxEmpty) {
  std::mt19937 random(7);
  const Bytes png = SavedByQt(TestPicture(), "png");
  std::vector<Bytes> inputs;
  for (int i = 0; i < 50; ++i) {
    Bytes noise(1 + random() % 4096);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    inputs.push_back(noise);
  }
  // Signatures of every format followed by noise, and a cut-off PNG.
  for (const Bytes& start : std::vector<Bytes>{{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
                                               {0xFF, 0xD8, 0xFF},
                                               {'G', 'I', 'F', '8', '9', 'a'},
                                               {'B', 'M'},
                                               {0, 0, 1, 0},
                                               {0, 0, 2, 0},
                                               {0x0A, 5, 1, 8}}) {
    Bytes bytes = start;
    for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
    inputs.push_back(bytes);
  }
  inputs.push_back(Bytes(png.begin(), png.begin() + 40));
  for (const Bytes& bytes : inputs) {
    ShowPicture(Control::图片框1, SavedByQt(TestPicture(), "png"));
    ShowPicture(Control::图片框1, bytes);
    EXPECT_TRUE(Box()->Picture().isNull()) << bytes.size() << " bytes";
  }
}

TEST(PictureDecoder, OnlyTheBoxsFormats) {
  // Qt reads TIFF and friends, but the picture box does not.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(TestPicture().save(&buffer, "tiff"));
  EXPECT_TRUE(DecodePicture(Bytes(bytes.begin(), bytes.end())).isNull());
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

TEST(PictureDecoder, HugeDimensionsAreRefused) {
  // A sound PNG header (its checksum right) claiming 100000 x 100000 pixels:
  // the allocation limit refuses it before any pixel is read.
  Bytes png = SavedByQt(TestPicture(), "png");
  const std::uint8_t huge[] = {0x00, 0x01, 0x86, 0xA0};
  std::copy(huge, huge + 4, png.begin() + 16);
  std::copy(huge, huge + 4, png.begin() + 20);
  const std::uint32_t crc = Crc32(png.data() + 12, 17);  // "IHDR" and its 13 bytes
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  EXPECT_TRUE(DecodePicture(png).isNull());
}

}  // namespace
}  // namespace vexaro
