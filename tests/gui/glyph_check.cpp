#include "glyph_check.h"

#include <QPainter>
#include <vector>

namespace vexaro::testing {

namespace {

bool IsBlank(const QImage& image) {
  if (image.isNull()) return true;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != first) return false;
  return true;
}

}  // namespace

TextRenderer PainterRenderer(const QFont& font) {
  return [font](const QString& text) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
  };
}

QString CheckGlyphs(const TextRenderer& render, const QString& chinese) {
  const QImage missing = render(QString(QChar(0x0378)));
  std::vector<std::pair<QChar, QImage>> drawn;
  for (const QChar c : chinese) {
    const QImage image = render(QString(c));
    if (IsBlank(image)) return QStringLiteral("%1 draws nothing").arg(c);
    if (image == missing) return QStringLiteral("%1 draws as a missing character").arg(c);
    for (const auto& [other, otherImage] : drawn)
      if (other != c && otherImage == image)
        return QStringLiteral("%1 and %2 draw alike (boxes)").arg(c).arg(other);
    drawn.emplace_back(c, image);
  }
  return {};
}

}  // namespace vexaro::testing
