// The program's window driven from outside, for the tests that need a
// process of its own.
//
//   window_probe hang READY CLOSE
//     Runs the program (the same start-up, window and end as vexaro) with
//     four workers that call the window operations without pause. Writes the
//     file READY once they run, and closes the window as the user would when
//     the file CLOSE appears. The process must then end with code 0 at once.
//
//   window_probe render PNG
//     Shows the window with Chinese text in it, checks through the screen
//     (a real X server under QT_QPA_PLATFORM=xcb) that the text is drawn as
//     glyphs, and saves a screenshot of the window as PNG. Exit code 0 when
//     the check passes.
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <cstdio>
#include <string>

#include "app/globals.h"
#include "app/platform.h"
#include "app/window_ops.h"
#include "glyph_check.h"
#include "gui/main_window.h"
#include "gui/program.h"
#include "gui/qt_window_operations.h"
#include "gui/text_conversion.h"
#include "text/code_page.h"

namespace {

using namespace vexaro;

std::atomic<long> callsMade{0};

ByteBuffer SmallPng() {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return ByteBuffer(bytes.begin(), bytes.end());
}

void BusyWorker(int number) {
  const ByteBuffer picture = SmallPng();
  const AnsiText line = Utf8ToAnsi("工作线程 " + std::to_string(number) + "\r\n");
  for (long i = 0;; ++i) {
    switch (i % 6) {
      case 0: AppendControlText(Control::编辑框2, line); break;
      case 1: CurrentVideoUrl.Set(ReadControlText(Control::编辑框1)); break;
      case 2: WriteControlText(Control::编辑框4, CurrentVideoUrl.Get().substr(0, 8)); break;
      case 3: ShowPicture(Control::图片框1, picture); break;
      case 4: (void)IsTicked(Control::选择框1); break;
      case 5: (void)ReadClipboardText(); break;
    }
    ++callsMade;
  }
}

[[noreturn]] void Hang(int argc, char** argv, QString readyPath, QString closePath) {
  RunProgram(argc, argv, [readyPath, closePath](MainWindow& window) {
    for (int n = 1; n <= 4; ++n) StartWorker([n] { BusyWorker(n); });
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, readyPath, closePath] {
      if (callsMade.load() > 200 && !QFile::exists(readyPath)) {
        QFile ready(readyPath);
        ready.open(QIODevice::WriteOnly);
      }
      if (QFile::exists(closePath)) {
        poll->stop();
        window.close();
      }
    });
    poll->start(10);
  });
}

// Sets a text, gets it onto the screen and reads the widget back from there.
QImage ShownOnScreen(QWidget* widget, const QString& text) {
  if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) edit->setPlainText(text);
  if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(text);
  widget->repaint();
  QCoreApplication::processEvents();
  QWidget* window = widget->window();
  const QPoint at = widget->mapTo(window, QPoint(0, 0));
  return window->screen()
      ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
      .toImage();
}

int Render(int argc, char** argv, const QString& pngPath) {
  QApplication application(argc, argv);
  MainWindow window;
  QtWindowOperations operations(window);
  SetWindowOperations(&operations);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window, 10000)) {
    std::fprintf(stderr, "the window never appeared\n");
    return 2;
  }
  int failures = 0;
  for (Control control : {Control::编辑框2, Control::透明标签1}) {
    QWidget* widget = window.ControlWidget(control);
    const QString before = widget->property("text").toString();
    const QString problem = testing::CheckGlyphs(
        [widget](const QString& text) { return ShownOnScreen(widget, text); },
        QStringLiteral("视频分享链接解析下载"));
    std::fprintf(stderr, "%s (%s): %s\n", qPrintable(widget->objectName()),
                 qPrintable(QFontInfo(widget->font()).family()),
                 problem.isEmpty() ? "glyphs" : qPrintable(problem));
    if (!problem.isEmpty()) ++failures;
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(before);
  }

  WriteControlText(Control::编辑框2, {});
  for (const char* line : {"解析成功\r\n", "标题:春日的江南水乡\r\n", "时长:00:01:23\r\n",
                           "作者:小明\r\n", "正在下载......\r\n", "下载完成\r\n"})
    AppendControlText(Control::编辑框2, Utf8ToAnsi(line));
  WriteControlText(Control::编辑框4, Utf8ToAnsi("春日的江南水乡"));
  QImage cover(160, 90, QImage::Format_RGB32);
  for (int y = 0; y < cover.height(); ++y)
    for (int x = 0; x < cover.width(); ++x) cover.setPixel(x, y, qRgb(x, 80 + y, 200 - x / 2));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  cover.save(&buffer, "PNG");
  ShowPicture(Control::图片框1, ByteBuffer(png.begin(), png.end()));
  window.repaint();
  QCoreApplication::processEvents();
  const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  std::fprintf(stderr, "frame %d,%d %dx%d; screenshot %dx%d\n", window.frameGeometry().x(),
               window.frameGeometry().y(), window.frameGeometry().width(),
               window.frameGeometry().height(), shot.width(), shot.height());
  if (!shot.save(pngPath, "PNG")) ++failures;
  SetWindowOperations(nullptr);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "hang" && argc == 4) Hang(argc, argv, argv[2], argv[3]);
  if (mode == "render" && argc == 3) return Render(argc, argv, QString::fromLocal8Bit(argv[2]));
  std::fprintf(stderr, "usage: window_probe hang READY CLOSE | window_probe render PNG\n");
  return 2;
}
