#include "app/platform.h"

#include <filesystem>
#include <system_error>
#include <thread>

#include "text/code_page.h"

namespace vexaro {

void StartWorker(std::function<void()> routine) {
  try {
    std::thread(std::move(routine)).detach();
  } catch (const std::system_error&) {
    // No thread could be started: like the platform's call, nothing is said.
  }
}

AnsiText ProgramDirectory() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return Utf8ToAnsi(program.parent_path().string());
}

}  // namespace vexaro
