#include "gui/program.h"

#include <QApplication>
#include <cstdlib>

#include "app/startup.h"
#include "app/temporary_file.h"
#include "app/window_ops.h"
#include "gui/main_window.h"
#include "gui/qt_window_operations.h"
#include "gui/termination_signals.h"

namespace vexaro {

void RunProgram(int argc, char** argv, const std::function<void(MainWindow&)>& installCommands) {
  EnterProgramDirectory();
  RegisterReleaseAtEnd();
  // A download cut short by the program's end leaves no hidden file behind.
  RegisterTemporaryFileRemoval();

  // Neither the application nor the window is ever destroyed: the process
  // ends while workers may still hold on to the window operations.
  auto* application = new QApplication(argc, argv);
  QuitOnTerminationSignals(application);
  auto* window = new MainWindow;
  auto* operations = new QtWindowOperations(*window);
  SetWindowOperations(operations);
  installCommands(*window);
  window->show();  // its "created" event fills in the save directory

  application->exec();

  // Closing the window (or a termination signal) ends the program at once. Workers waiting on the
  // window return now, later calls do nothing, and quick_exit runs the
  // registered ReleaseGlobals and ends the process without destroying the
  // statics a worker may still be using. A download not yet complete loses
  // its temporary file and leaves its target as it was.
  operations->Release();
  SetWindowOperations(nullptr);
  std::quick_exit(0);
}

}  // namespace vexaro
