// The picture box: shows one picture stretched over the whole box, without
// keeping its aspect ratio, and without a border.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace vexaro {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // Replaces the picture; a null image leaves the box empty.
  void SetPicture(QImage picture);
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ScaleToBox();

  QImage picture_;
  // The picture at the box's size, made once per picture and size rather
  // than on every paint (a cover may be far larger than the box).
  QPixmap shown_;
};

}  // namespace vexaro
