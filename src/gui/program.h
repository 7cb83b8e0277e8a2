// The program from start to end: the platform's start-up work, the window,
// the message loop, and an end that neither waits for nor trips over the
// workers still running.
#pragma once

#include <functional>

namespace vexaro {

class MainWindow;

// Runs the program and ends the process with code 0 when the window is
// closed; never returns. `installCommands` connects the window's buttons to
// their commands before the window is shown.
[[noreturn]] void RunProgram(int argc, char** argv,
                             const std::function<void(MainWindow&)>& installCommands);

}  // namespace vexaro
