// JsonDocument::Parse of arbitrary text, then the reads the detail lookup
// makes: whatever the text, the document answers with texts and never runs
// the text as code, crashes or hangs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_document.h"
#include "text/ansi_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  const AnsiText text = BytesToText(std::string_view(reinterpret_cast<const char*>(data), size));
  JsonDocument document;
  document.Parse(text);
  static const char* const kPaths[] = {
      "message",           "data[0].first_cover_image", "data[0].title",
      "data[0].duration",  "data[0].size",              "data[0].is_original_desc",
      "data[0].author.nickname", "data[0].format_watch_num", "data[0].synchronized_time",
  };
  for (const char* path : kPaths) (void)document.GetValue(path);
  std::vector<AnsiText> names;
  document.GetMemberNames(names, "data[0].addresses");
  // The first member name goes into a path, as the lookup does.
  if (!names.empty()) (void)document.GetValue("data[0].addresses." + names.front() + ".url");
  (void)document.GetValueType();
  (void)document.ToJson();
  return 0;
}
