#include "http/response_stage.h"

#include <cstdint>
#include <vector>

#include "http/message_pump.h"
#include "regex/regex_object.h"
#include "text/code_page.h"
#include "text/component_library.h"

namespace vexaro {

namespace {

// Where the status text starts: behind "HTTP/1.1 " (the version is not read).
constexpr Position kStatusTextStart = 10;

constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr Position kCharsetScanBytes = 1024;

// Releases the component library for the thread on every way out.
class ComponentLibraryScope {
 public:
  ComponentLibraryScope() { CoInitialize(); }
  ~ComponentLibraryScope() { CoUninitialize(); }
  ComponentLibraryScope(const ComponentLibraryScope&) = delete;
  ComponentLibraryScope& operator=(const ComponentLibraryScope&) = delete;
};

// The whole body read in code page 936 (which is what both "gbk" and
// "gb2312" name on the system the program is made for) and brought back to
// code page 936 text: undecodable bytes become '?', and the text ends at the
// first zero character.
AnsiText RedecodeAsGbk(const ByteBuffer& body) {
  std::u16string units = MultiByteToWideChar(
      CodePage::Gbk,
      std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
  std::u16string_view text = units;
  text = text.substr(0, text.find(u'\0'));
  return U16ToAnsi(text);
}

}  // namespace

std::optional<ResponseHead> ReadResponseHead(HINTERNET request) {
  // The first call only asks for the size.
  DWORD size = 0;
  DWORD index = 0;
  char16_t probe = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                      &probe, &size, &index);
  std::vector<char16_t> buffer(size / sizeof(char16_t) + 1, u'\0');
  index = 0;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           buffer.data(), &size, &index))
    return std::nullopt;
  ByteBuffer units;  // the text helpers take UTF-16 as little-endian bytes
  units.reserve(buffer.size() * 2);
  for (char16_t unit : buffer) {
    units.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    units.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  ResponseHead head;
  head.headers = Utf16ToAnsi(units);  // ends at the first zero unit
  Position lineEnd = Search(head.headers, "\r\n", kStatusTextStart);
  if (static_cast<Position>(head.headers.size()) >= kStatusTextStart && lineEnd != kNotFound)
    head.statusText = Middle(head.headers, kStatusTextStart, lineEnd - kStatusTextStart);
  return head;
}

void ScanResponseHeaders(std::string_view ResponseHeaders, AnsiText& ReturnedCookies,
                         AnsiText& RedirectLocation) {
  for (const AnsiText& line : Split(ResponseHeaders, "\r\n")) {
    if (TextEquals(TextBefore(line, ": "), "Set-Cookie")) {
      AnsiText value = Search(line, ";") == kNotFound
                           ? Replace(line, "Set-Cookie:", "", 1, kAll, /*exact=*/false)
                           : TextBetween(line, "Set-Cookie:", ";");
      ReturnedCookies += Trim(value);
      ReturnedCookies += "; ";
    }
    if (EqualsIgnoringCase(FirstBytes(line, 10), "Location: "))
      RedirectLocation = Middle(line, 11, static_cast<Position>(line.size()));
    ProcessPendingMessages();
  }
  ReturnedCookies = FirstBytes(ReturnedCookies, static_cast<Position>(ReturnedCookies.size()) - 2);
}

AnsiText DecodeBodyText(const ByteBuffer& body) {
  AnsiText text = BytesToText(body);
  ComponentLibraryScope componentLibrary;
  RegexObject charsetFinder;
  if (charsetFinder.Create(kCharsetPattern, FirstBytes(text, kCharsetScanBytes))) {
    AnsiText charset = charsetFinder.GetSubMatchText(1, 1);
    if (TextEquals(charset, "gbk") || TextEquals(charset, "gb2312")) text = RedecodeAsGbk(body);
    ProcessPendingMessages();
  }
  return text;
}

}  // namespace vexaro
