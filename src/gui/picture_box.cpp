#include "gui/picture_box.h"

#include <QPainter>
#include <utility>

namespace vexaro {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::SetPicture(QImage picture) {
  picture_ = std::move(picture);
  ScaleToBox();
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  if (shown_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(0, 0, shown_);
}

void PictureBox::resizeEvent(QResizeEvent*) { ScaleToBox(); }

void PictureBox::ScaleToBox() {
  if (picture_.isNull() || width() <= 0 || height() <= 0) {
    shown_ = QPixmap();
    return;
  }
  shown_ = QPixmap::fromImage(
      picture_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace vexaro
