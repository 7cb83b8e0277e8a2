#include "gui/program.h"

#include <QApplication>
#include <cstdlib>

#include "app/startup.h"
#include "app/window_ops.h"
#include "gui/main_window.h"
#include "gui/qt_window_operations.h"

namespace vexaro {

void RunProgram(int argc, char** argv, const std::function<void(MainWindow&)>& installCommands) {
  EnterProgramDirectory();
  RegisterReleaseAtEnd();

  // Neither the application nor the window is ever destroyed: the process
  // ends while workers may still hold on to the window operations.
  auto* application = new QApplication(argc, argv);
  auto* window = new MainWindow;
  auto* operations = new QtWindowOperations(*window);
  SetWindowOperations(operations);
  installCommands(*window);
  window->show();  // its "created" event fills in the save directory

  application->exec();

  // Closing the window ends the program at once. Workers waiting on the
  // window return now, later calls do nothing, and quick_exit runs the
  // registered ReleaseGlobals and ends the process without destroying the
  // statics a worker may still be using.
  operations->Release();
  SetWindowOperations(nullptr);
  std::quick_exit(0);
}

}  // namespace vexaro
