#include "gui/commands_wiring.h"

#include "gui/main_window.h"

namespace vexaro {

// The Parse and Download commands are not part of the program yet. Once they
// are, this connects them:
//   window.SetParseHandler(ParseCommand);
//   window.SetDownloadHandler(DownloadCommand);
// (declared in app/commands.h). Until then the buttons do nothing.
void InstallCommands(MainWindow& window) { (void)window; }

}  // namespace vexaro
