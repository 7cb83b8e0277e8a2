// RegexObject::Create with an arbitrary pattern and subject: a pattern the
// engine rejects or a run that exceeds its limits is a failed Create, never a
// crash or a hang, and every read stays inside the subject.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "regex/regex_object.h"
#include "text/ansi_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  if (size < 2) return 0;
  const std::uint8_t options = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // The pattern is everything up to the first line feed, the subject the rest.
  const std::size_t split = rest.find('\n');
  const AnsiText pattern = BytesToText(rest.substr(0, split));
  const AnsiText subject =
      split == std::string_view::npos ? AnsiText() : BytesToText(rest.substr(split + 1));

  RegexObject regex;
  const bool created = regex.Create(pattern, subject, options & 1, options & 2, options & 4,
                                    options & 8);
  const int count = regex.GetMatchCount();
  vexaro::fuzzing::Check(created || count == 0);
  for (int match = 0; match <= count + 1 && match < 64; ++match) {
    Position position = 0;
    const AnsiText text = regex.GetMatchText(match, &position);
    vexaro::fuzzing::Check(position == kNotFound ||
                           (position >= 0 &&
                            static_cast<std::size_t>(position) + text.size() <= subject.size()));
    const int groups = regex.GetSubMatchCount();
    for (int group = 0; group <= groups + 1 && group < 16; ++group) {
      (void)regex.GetSubMatchText(match, group, &position);
    }
  }
  (void)regex.Replace("[$1$&$`$'$$]");
  (void)regex.GetPattern();
  return 0;
}
