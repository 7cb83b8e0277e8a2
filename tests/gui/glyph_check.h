// Tells real Chinese glyphs from the boxes ("tofu") drawn for characters that
// no font has. A character counts as drawn when its picture is not blank,
// differs from that of a character no font has (U+0378, unassigned), and
// differs from the pictures of the other characters (tofu boxes all look
// alike).
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <functional>

namespace vexaro::testing {

// Draws one text as the check needs it: on an otherwise plain background.
using TextRenderer = std::function<QImage(const QString& text)>;

// Draws into an image with QPainter, no window involved.
TextRenderer PainterRenderer(const QFont& font);

// Empty when every character of `chinese` is drawn as a glyph; otherwise
// what is wrong.
QString CheckGlyphs(const TextRenderer& render, const QString& chinese);

}  // namespace vexaro::testing
