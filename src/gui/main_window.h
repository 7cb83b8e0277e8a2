// The program's one window: the share-link input, the Parse and Download
// buttons, the cover picture, the output box, the save directory and the
// file name, placed exactly where the program has always had them.
#pragma once

#include <QWidget>
#include <functional>
#include <string_view>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vexaro {

// From app/window_ops.h, whose control names moc cannot read.
enum class Control;
class PictureBox;

// The initial text of 编辑框1: a share link of the form the service hands
// out, on a host of our own.
inline constexpr std::string_view kSampleShareLink =
    "http://share.vexaro.test/#/shareVideo1?videoID=6381399&key="
    "rmMkAeZGXHvDMKR12P9QchawEDc8ISlaXOGZRHvx-cttkwJz7PUiiSNgzWeiQE60cihJHPOaRXCb8gxMVKhZG00i"
    "2mTkd2FaAiUmyF4xtVXvNjjZveLYCly7MY_Lpw0HUkY"
    "&from=1&style=1";

inline constexpr char kWindowCaption[] = "Vexaro Talmorn Brimzo";

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The control of that name (never null).
  QWidget* ControlWidget(Control control) const;

  // What the two buttons run when clicked; nothing until set.
  void SetParseHandler(std::function<void()> handler);
  void SetDownloadHandler(std::function<void()> handler);

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void CreateControls();
  // Gives the window its outer size once the window system says how wide the
  // frame is (it may tell only after the window appears).
  void FitOuterSize();

  QLabel* label1_ = nullptr;
  QPlainTextEdit* edit1_ = nullptr;
  QPushButton* button1_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QGroupBox* group1_ = nullptr;
  PictureBox* picture1_ = nullptr;
  QPlainTextEdit* edit2_ = nullptr;
  QLabel* label2_ = nullptr;
  QLineEdit* edit3_ = nullptr;
  QLabel* label3_ = nullptr;
  QLineEdit* edit4_ = nullptr;
  QPushButton* button2_ = nullptr;

  std::function<void()> parseHandler_;
  std::function<void()> downloadHandler_;
  bool created_ = false;
  QMargins fittedFrame_{-1, -1, -1, -1};
};

}  // namespace vexaro
