// Text operations over arbitrary bytes: nothing may crash, and the results
// must keep the operations' own promises.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text/ansi_text.h"
#include "text/code_page.h"

using vexaro::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first byte chooses the split point between the text and the sought
  // text, so both come from the input.
  const std::size_t cut = size == 0 ? 0 : 1 + data[0] % (size);
  const AnsiText text = BytesToText(input.substr(std::min(cut, size)));
  const AnsiText sought = BytesToText(input.substr(1 < size ? 1 : size, cut > 1 ? cut - 1 : 0));

  const Position found = Search(text, sought, 1, (size & 1) != 0);
  Check(found == kNotFound || (found >= 1 && static_cast<std::size_t>(found) <= text.size()));
  if (found != kNotFound && (size & 1) == 0) {
    Check(text.compare(static_cast<std::size_t>(found - 1), sought.size(), sought) == 0);
  }

  // Replacing a text by itself changes nothing.
  Check(Replace(text, sought, sought) == text);

  if (!sought.empty()) {
    // Joining the pieces gives back the text, less a trailing separator.
    auto pieces = Split(text, sought);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (i) joined += sought;
      joined += pieces[i];
    }
    Check(joined == text || joined + sought == text);
  }

  const AnsiText trimmed = Trim(text);
  Check(trimmed.size() <= text.size());
  Check(RemoveSpaces(trimmed) == RemoveSpaces(text));

  (void)TextBefore(text, sought);
  (void)TextBetween(text, sought, ";");
  (void)Middle(text, static_cast<Position>(cut) - 3, 7);

  // Whatever comes back from a conversion is text: no zero byte.
  const AnsiText roundTrip = Utf16ToAnsi(AnsiToUtf16(text));
  Check(roundTrip.find('\0') == std::string::npos);
  Check(Utf8ToAnsi(input).find('\0') == std::string::npos);
  (void)AnsiToUtf8(text);
  return 0;
}
