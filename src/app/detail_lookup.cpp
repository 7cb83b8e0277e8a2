#include <cstddef>
#include <vector>

#include "app/commands.h"
#include "app/fetch_url.h"
#include "app/globals.h"
#include "app/hanzi.h"
#include "app/messages.h"
#include "app/service_address.h"
#include "app/window_ops.h"
#include "http/web_request.h"
#include "json/json_document.h"
#include "text/code_page.h"

namespace vexaro {

namespace {

// A cover is a small picture; a body larger than this is no cover, and
// reading it whole could exhaust the memory.
constexpr std::size_t kCoverLimitBytes = 32 * 1024 * 1024;

struct DetailLine {
  std::string_view label;
  std::string_view path;
};

// The lines after the title, in the order they are shown.
constexpr DetailLine kDetailLines[] = {
    {messages::kDurationLabel, "data[0].duration"},
    {messages::kSizeLabel, "data[0].size"},
    {messages::kOriginalLabel, "data[0].is_original_desc"},
    {messages::kAuthorLabel, "data[0].author.nickname"},
    {messages::kPlaysLabel, "data[0].format_watch_num"},
    {messages::kTimeLabel, "data[0].synchronized_time"},
};

void AppendLine(std::string_view label, std::string_view value) {
  AnsiText line(label);
  line += value;
  line += messages::kLineEnd;
  AppendControlText(Control::编辑框2, line);
}

}  // namespace

void DetailLookup() {
  JsonDocument document;
  std::vector<AnsiText> names;

  const AnsiText body = WebRequest(DetailUrl(CurrentVideoId.Get()));
  // UTF-8 shrinks at most fourfold on its way to code page 936 (a four-byte
  // character becomes one '?'), so a larger body can never make a text the
  // document reads: skip converting hundreds of megabytes for nothing.
  if (body.size() <= 4 * JsonDocument::kMaxTextBytes) document.Parse(Utf8ToAnsi(body));
  if (document.GetValue("message") != messages::kSuccess) return;

  AppendControlText(Control::编辑框2, messages::kLookupSucceeded);
  ShowPicture(Control::图片框1,
              FetchUrlAtMost(document.GetValue("data[0].first_cover_image"), kCoverLimitBytes));

  const AnsiText title = document.GetValue("data[0].title");
  WriteControlText(Control::编辑框4, KeepHanzi(title));
  AppendLine(messages::kTitleLabel, title);
  for (const DetailLine& line : kDetailLines) AppendLine(line.label, document.GetValue(line.path));

  // The first address the record lists is the one downloaded. A record with
  // none leaves no address, so Download never fetches another video than the
  // one shown here.
  document.GetMemberNames(names, "data[0].addresses");
  AnsiText videoUrl;
  if (!names.empty()) videoUrl = document.GetValue("data[0].addresses." + names.front() + ".url");
  CurrentVideoUrl.Set(videoUrl);
  AppendLine(messages::kUrlLabel, videoUrl);
}

}  // namespace vexaro
