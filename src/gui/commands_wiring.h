// Connects the window's buttons to the Parse and Download commands.
#pragma once

namespace vexaro {

class MainWindow;

void InstallCommands(MainWindow& window);

}  // namespace vexaro
