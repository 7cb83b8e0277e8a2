#include "gui/commands_wiring.h"

#include "app/commands.h"
#include "gui/main_window.h"

namespace vexaro {

// The two buttons run the application's commands on the window's thread.
void InstallCommands(MainWindow& window) {
  window.SetParseHandler(ParseCommand);
  window.SetDownloadHandler(DownloadCommand);
}

}  // namespace vexaro
