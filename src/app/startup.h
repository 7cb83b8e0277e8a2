// The program's start and end, apart from the window itself.
#pragma once

#include "text/ansi_text.h"

namespace vexaro {

// The default save directory: the program's directory, the path separator
// and "mp4". It need not exist; Download creates it.
AnsiText DefaultSaveDirectory();

// Handler of the window's "created" event: writes DefaultSaveDirectory()
// into 编辑框3.
void SetDefaultSaveDirectory();

// Makes the directory that holds the program's file the current directory,
// so that a relative save directory names a folder beside the program.
// False when it could not be found or entered.
bool EnterProgramDirectory();

// Registers ReleaseGlobals to run when the program ends, whether it ends by
// returning from main, std::exit or std::quick_exit.
void RegisterReleaseAtEnd();

}  // namespace vexaro
