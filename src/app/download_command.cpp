#include <filesystem>
#include <system_error>

#include "app/commands.h"
#include "app/file_download.h"
#include "app/globals.h"
#include "app/messages.h"
#include "app/platform.h"
#include "app/timestamp.h"
#include "app/window_ops.h"
#include "text/code_page.h"

namespace vexaro {

namespace {

// The file system sees UTF-8; the window's texts are code page 936.
std::filesystem::path FileSystemPath(std::string_view ansiPath) {
  return std::filesystem::path(AnsiToUtf8(ansiPath));
}

// True when a file, a directory or anything else has this exact name.
bool EntryExists(std::string_view ansiPath) {
  std::error_code error;
  return std::filesystem::exists(FileSystemPath(ansiPath), error);
}

}  // namespace

void DownloadCommand() {
  if (!EntryExists(ReadControlText(Control::编辑框3))) {
    // One level only; when the parent is missing this fails and the worker's
    // write reports it.
    std::error_code ignored;
    std::filesystem::create_directory(FileSystemPath(ReadControlText(Control::编辑框3)), ignored);
  }
  if (CurrentVideoUrl.Get().empty()) return;
  AppendControlText(Control::编辑框2, messages::kDownloading);
  StartWorker(DownloadWorker);
}

void DownloadWorker() {
  AnsiText name = ReadControlText(Control::编辑框4);
  AnsiText path = ReadControlText(Control::编辑框3);
  if (name.empty()) name = TimestampText(false);
  path += kPathSeparator;
  path += name;
  path += ".mp4";

  const DownloadResult result = DownloadToFile(CurrentVideoUrl.Get(), FileSystemPath(path));
  if (result.Succeeded()) {
    AppendControlText(Control::编辑框2, messages::kDownloadDone);
  } else {
    AnsiText line(messages::kDownloadFailed);
    line += DescribeFailure(result);
    line += messages::kLineEnd;
    AppendControlText(Control::编辑框2, line);
  }
}

}  // namespace vexaro
