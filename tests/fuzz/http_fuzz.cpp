// The HTTP client's text stages over arbitrary input: the cookie merge, the
// header scan and the body decoding. The first byte picks the stage.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "http/cookie_text.h"
#include "http/response_stage.h"
#include "fuzz_check.h"
#include "text/ansi_text.h"

using vexaro::fuzzing::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 3) {
    case 0: {  // cookies sent, a line feed, cookies received
      const std::size_t split = rest.find('\n');
      AnsiText cookies = BytesToText(rest.substr(0, split));
      AnsiText returned =
          split == std::string_view::npos ? AnsiText() : BytesToText(rest.substr(split + 1));
      const AnsiText merged = MergeCookieText(cookies, returned);
      Check(merged == cookies);
      // A merged text's items hold no spaces, and no cookie stands twice.
      // (Empty items may: the merge keeps one, and a trailing separator
      // then reads as none. With a lone lead byte in the input, a separator
      // after it is read as the second half of a character, so items may
      // join: that is the text operations' rule, checked by their own tests.)
      if (std::any_of(rest.begin(), rest.end(), [](char c) { return c & 0x80; })) break;
      std::set<AnsiText> seen;
      for (const AnsiText& item : Split(merged, "; ")) {
        Check(RemoveSpaces(item) == item);
        Check(item.empty() || seen.insert(item).second);
      }
      break;
    }
    case 1: {  // raw response headers
      AnsiText returned, location;
      ScanResponseHeaders(BytesToText(rest), returned, location);
      Check(returned.find('\0') == AnsiText::npos);
      break;
    }
    default: {  // a response body
      const ByteBuffer body(rest.begin(), rest.end());
      const AnsiText text = DecodeBodyText(body);
      Check(text.find('\0') == AnsiText::npos);
      break;
    }
  }
  return 0;
}
