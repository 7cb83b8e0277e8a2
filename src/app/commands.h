// The window's two commands and the workers they start.
#pragma once

#include "text/ansi_text.h"

namespace vexaro {

// "解析" (按钮1): finds the video ID in 编辑框1 (taking the clipboard's text
// first when 选择框1 is ticked), stores it in CurrentVideoId and, when there
// is one, starts DetailLookup on a worker thread. Runs on the window's thread.
void ParseCommand();

// True when `text` is not empty and every byte is an ASCII digit.
bool IsAllDigits(std::string_view text);

// The worker of a Parse: asks the detail service about CurrentVideoId and,
// when it answers with success, shows the cover, the detail lines and the
// default file name, and keeps the video's address in CurrentVideoUrl. A
// failed lookup ends without a trace.
void DetailLookup();

// "下载" (按钮2): creates the save directory of 编辑框3 when it is missing
// and, once a lookup has left a video address, starts DownloadWorker.
void DownloadCommand();

// The worker of a Download: saves the video of CurrentVideoUrl as
// <编辑框3>/<编辑框4 or a time stamp>.mp4 and reports the outcome in 编辑框2.
void DownloadWorker();

}  // namespace vexaro
