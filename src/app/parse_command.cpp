#include "app/commands.h"
#include "app/globals.h"
#include "app/platform.h"
#include "app/window_ops.h"
#include "regex/regex_object.h"

namespace vexaro {

namespace {

// A share link carries the ID as a query item; the first "videoID=" that is
// followed by a digit gives it. Letter case is ignored.
constexpr std::string_view kVideoIdPattern = "videoID=(\\d+)";

}  // namespace

bool IsAllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char byte : text) {
    if (byte < '0' || byte > '9') return false;
  }
  return true;
}

void ParseCommand() {
  RegexObject regex;
  if (IsTicked(Control::选择框1)) WriteControlText(Control::编辑框1, ReadClipboardText());
  const AnsiText text = ReadControlText(Control::编辑框1);

  AnsiText videoId;
  if (IsAllDigits(text)) {
    videoId = text;
  } else {
    // A pattern or run that fails leaves no match, and so the empty ID.
    regex.Create(kVideoIdPattern, text);
    videoId = regex.GetSubMatchText(1, 1);
  }

  CurrentVideoId.Set(videoId);
  if (!videoId.empty()) StartWorker(DetailLookup);
}

}  // namespace vexaro
