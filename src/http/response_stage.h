// The response stage of WebRequest: the raw headers and status text of the
// final response, the cookies and redirect target its headers carry, and the
// body turned into text.
#pragma once

#include <optional>
#include <string_view>

#include "http/winhttp.h"
#include "text/ansi_text.h"

namespace vexaro {

struct ResponseHead {
  AnsiText headers;     // status line and header lines, each ended by "\r\n", and one more
  AnsiText statusText;  // "200 OK": from byte 10 of the headers to the end of the status line
};

// Reads the raw headers of a request whose response has been received;
// nothing when they cannot be read.
std::optional<ResponseHead> ReadResponseHead(HINTERNET request);

// Appends the name=value part of every "Set-Cookie" line to ReturnedCookies,
// each followed by "; ", then drops the last two bytes; a "Location: " line
// (any letter case) sets RedirectLocation, a later one winning.
void ScanResponseHeaders(std::string_view ResponseHeaders, AnsiText& ReturnedCookies,
                         AnsiText& RedirectLocation);

// The body as text, up to its first zero byte. A page whose first 1024 bytes
// declare charset=gbk or charset=gb2312 (in those letters) in a meta tag is
// decoded from that character set instead; every other body keeps its bytes.
AnsiText DecodeBodyText(const ByteBuffer& body);

}  // namespace vexaro
