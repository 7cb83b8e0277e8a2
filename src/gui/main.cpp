// Vexaro: looks up a video of a short-video service by its share link or ID
// and saves it as an .mp4 file.
#include "gui/commands_wiring.h"
#include "gui/program.h"

int main(int argc, char** argv) { vexaro::RunProgram(argc, argv, vexaro::InstallCommands); }
