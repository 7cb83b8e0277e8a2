#include "app/startup.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/globals.h"
#include "app/platform.h"
#include "app/window_ops.h"

namespace vexaro {

AnsiText DefaultSaveDirectory() {
  AnsiText directory = ProgramDirectory();
  directory += kPathSeparator;
  directory += "mp4";
  return directory;
}

void SetDefaultSaveDirectory() { WriteControlText(Control::编辑框3, DefaultSaveDirectory()); }

bool EnterProgramDirectory() {
  // The path as the file system spells it (not through code page 936, which
  // cannot hold every name a directory may have).
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !program.has_parent_path()) return false;
  std::filesystem::current_path(program.parent_path(), error);
  return !error;
}

void RegisterReleaseAtEnd() {
  static const bool registered = [] {
    // Releasing twice does no harm: the second finds both texts empty.
    std::atexit(ReleaseGlobals);
    std::at_quick_exit(ReleaseGlobals);
    return true;
  }();
  (void)registered;
}

}  // namespace vexaro
