#include "gui/main_window.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>
#include <limits>
#include <mutex>

#include "app/startup.h"
#include "app/window_ops.h"
#include "gui/picture_box.h"
#include "gui/text_conversion.h"

namespace vexaro {

namespace {

constexpr QPoint kOuterPosition{50, 50};
constexpr QSize kOuterSize{764, 355};

// The faces the window names come from Chinese Windows. Where they are
// missing, the CJK faces of fonts-noto-cjk stand in: Sans for the UI face
// "微软雅黑", Serif for SimSun, the default face of the GB2312 character set.
// The Simplified Chinese forms come first so Han characters take their
// mainland shapes.
void RegisterFontSubstitutes() {
  static std::once_flag once;
  std::call_once(once, [] {
    const QStringList sans = {"Microsoft YaHei", "Noto Sans CJK SC", "Source Han Sans SC",
                              "WenQuanYi Micro Hei", "Droid Sans Fallback"};
    const QStringList serif = {"Noto Serif CJK SC", "Source Han Serif SC", "AR PL UMing CN",
                               "Noto Sans CJK SC", "WenQuanYi Micro Hei"};
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), sans);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), sans.mid(1));
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif);
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
  });
}

QFont NamedFont(const QString& family, int pixelSize, bool bold) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// The default font of the window's controls, with a Simplified Chinese face
// behind it for the characters it lacks.
QFont DefaultWindowFont(const QFont& base) {
  QFont font = base;
  QStringList families = base.families();
  if (families.isEmpty()) families << base.family();
  families << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("Microsoft YaHei");
  font.setFamilies(families);
  return font;
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromUtf8(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* TransparentLabel(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setAutoFillBackground(false);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

QPlainTextEdit* MultiLineEdit(QWidget* parent) {
  auto* edit = new QPlainTextEdit(parent);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  return edit;
}

QLineEdit* SingleLineEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(std::numeric_limits<int>::max());
  return edit;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  RegisterFontSubstitutes();
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setFont(DefaultWindowFont(font()));
  CreateControls();
  move(kOuterPosition);
  FitOuterSize();
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateControls() {
  label1_ = Place(TransparentLabel(this, QStringLiteral("视频ID或\n分享链接")), "透明标签1", 1, 8,
                  90, 48);
  label1_->setFont(NamedFont(QStringLiteral("SimSun"), 16, true));

  edit1_ = Place(MultiLineEdit(this), "编辑框1", 96, 8, 544, 64);
  edit1_->setPlainText(ToQString(kSampleShareLink));

  button1_ = Place(new QPushButton(QStringLiteral("解析"), this), "按钮1", 648, 8, 104, 62);
  connect(button1_, &QPushButton::clicked, this, [this] {
    if (parseHandler_) parseHandler_();
  });

  check1_ = Place(new QCheckBox(QStringLiteral("剪贴板"), this), "选择框1", 21, 54, 64, 16);
  check1_->setChecked(false);

  group1_ = Place(new QGroupBox(this), "分组框1", 8, 75, 744, 208);
  picture1_ = Place(new PictureBox(group1_), "图片框1", 11, 16, 192, 184);
  edit2_ = Place(MultiLineEdit(group1_), "编辑框2", 211, 9, 528, 197);
  edit2_->setFont(NamedFont(QStringLiteral("微软雅黑"), 12, true));

  label2_ = Place(TransparentLabel(this, QStringLiteral("保存目录:")), "透明标签2", 12, 290, 60, 24);
  edit3_ = Place(SingleLineEdit(this), "编辑框3", 74, 286, 296, 32);
  label3_ = Place(TransparentLabel(this, QStringLiteral("文件名")), "透明标签3", 392, 288, 48, 24);
  edit4_ = Place(SingleLineEdit(this), "编辑框4", 448, 288, 176, 32);

  button2_ = Place(new QPushButton(QStringLiteral("下载"), this), "按钮2", 664, 287, 80, 32);
  connect(button2_, &QPushButton::clicked, this, [this] {
    if (downloadHandler_) downloadHandler_();
  });
}

QWidget* MainWindow::ControlWidget(Control control) const {
  switch (control) {
    case Control::透明标签1: return label1_;
    case Control::编辑框1: return edit1_;
    case Control::按钮1: return button1_;
    case Control::选择框1: return check1_;
    case Control::分组框1: return group1_;
    case Control::图片框1: return picture1_;
    case Control::编辑框2: return edit2_;
    case Control::透明标签2: return label2_;
    case Control::编辑框3: return edit3_;
    case Control::透明标签3: return label3_;
    case Control::编辑框4: return edit4_;
    case Control::按钮2: return button2_;
  }
  return edit2_;
}

void MainWindow::SetParseHandler(std::function<void()> handler) {
  parseHandler_ = std::move(handler);
}

void MainWindow::SetDownloadHandler(std::function<void()> handler) {
  downloadHandler_ = std::move(handler);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The window's "created" event: it comes once, before the window takes any
  // input, and fills in the default save directory.
  if (!created_) {
    created_ = true;
    SetDefaultSaveDirectory();
  }
  FitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  FitOuterSize();
}

void MainWindow::FitOuterSize() {
  QMargins frame;
  if (const QWindow* window = windowHandle()) frame = window->frameMargins();
  if (frame == fittedFrame_) return;
  fittedFrame_ = frame;
  setFixedSize(kOuterSize.width() - frame.left() - frame.right(),
               kOuterSize.height() - frame.top() - frame.bottom());
}

}  // namespace vexaro
