// The program with its real commands, driven by clicks from inside, for the
// test that closes the window while a download is under way.
//
//   download_probe VIDEO_ID SAVE_DIRECTORY CLOSE
//
// Runs the program (the same start-up, window, commands and end as vexaro)
// against the service of $VEXARO_SERVICE_URL: types VIDEO_ID into 编辑框1 and
// clicks "解析"; once the lookup has left a video address, puts
// SAVE_DIRECTORY into 编辑框3 and clicks "下载" (the file name is the one the
// lookup proposed). When the file CLOSE appears it closes the window as the
// user would; the process must then end with code 0 at once. Exit code 3 when
// the lookup does not succeed in time.
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/globals.h"
#include "app/window_ops.h"
#include "gui/commands_wiring.h"
#include "gui/main_window.h"
#include "gui/program.h"

namespace {

using namespace vexaro;

constexpr int kLookupTimeoutMilliseconds = 20000;

// Where the clicking has got to.
struct Progress {
  QElapsedTimer sinceParse;
  bool downloadClicked = false;
};

[[noreturn]] void Run(int argc, char** argv, QString videoId, QString saveDirectory, QString closePath) {
  RunProgram(argc, argv, [videoId, saveDirectory, closePath](MainWindow& window) {
    InstallCommands(window);
    auto progress = std::make_shared<Progress>();
    auto* step = new QTimer(&window);
    QObject::connect(step, &QTimer::timeout, &window, [&window, step, progress, videoId, saveDirectory, closePath] {
      if (!progress->sinceParse.isValid()) {
        qobject_cast<QPlainTextEdit*>(window.ControlWidget(Control::编辑框1))->setPlainText(videoId);
        QTest::mouseClick(window.ControlWidget(Control::按钮1), Qt::LeftButton);
        progress->sinceParse.start();
        return;
      }
      if (!progress->downloadClicked) {
        auto* name = qobject_cast<QLineEdit*>(window.ControlWidget(Control::编辑框4));
        if (!CurrentVideoUrl.Get().empty() && !name->text().isEmpty()) {
          qobject_cast<QLineEdit*>(window.ControlWidget(Control::编辑框3))->setText(saveDirectory);
          QTest::mouseClick(window.ControlWidget(Control::按钮2), Qt::LeftButton);
          progress->downloadClicked = true;
        } else if (progress->sinceParse.elapsed() > kLookupTimeoutMilliseconds) {
          std::fprintf(stderr, "download_probe: the lookup of %s did not succeed\n", qPrintable(videoId));
          std::_Exit(3);
        }
      }
      if (QFile::exists(closePath)) {
        step->stop();
        window.close();
      }
    });
    step->start(10);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: download_probe VIDEO_ID SAVE_DIRECTORY CLOSE\n");
    return 2;
  }
  Run(argc, argv, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
      QString::fromLocal8Bit(argv[3]));
}
