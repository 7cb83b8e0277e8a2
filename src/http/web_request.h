// WebRequest: one HTTP or HTTPS request over the WinHttp layer, with the
// program's default headers, cookies, optional credentials, proxy, time-out
// and redirect control. Failures come back as numbered texts (700 to 713) in
// StatusText, never as exceptions.
//
// Every call opens its own handles and closes them before it returns; only
// what the caller passes again (chiefly its Cookies variable) carries over.
#pragma once

#include <string_view>

#include "text/ansi_text.h"

namespace vexaro {

// The seventeen optional parameters of WebRequest, in their fixed order, so
// that a caller names only what it needs:
//   WebRequest(url, {.Method = 1, .RequestBody = "a=1", .StatusText = &status});
// Inputs are values; outputs (and the in-and-out Cookies) point at the
// caller's variables, and a null pointer means the output is not wanted.
struct WebRequestOptions {
  int Method = 0;              // index into GET POST HEAD PUT OPTIONS DELETE TRACE CONNECT
  AnsiText RequestBody{};        // sent as the body, whatever the method
  AnsiText* Cookies = nullptr;          // in: sent as a Cookie line; out: the merged cookies
  AnsiText* ReturnedCookies = nullptr;  // out: the cookies of the response
  AnsiText RequestHeaders{};              // extra header lines separated by "\r\n"
  AnsiText* ResponseHeaders = nullptr;  // out: the raw headers of the final response
  bool DisableRedirects = false;
  AnsiText UserName{};  // server Basic authentication, used when both are given
  AnsiText Password{};
  AnsiText ProxyServer{};  // "host:port"; empty: no proxy
  AnsiText ProxyUserName{};
  AnsiText ProxyPassword{};
  int TimeoutSeconds = 0;                // each phase's time-out; below 1 means 30
  AnsiText* RedirectLocation = nullptr;  // out: a Location of the final response
  AnsiText* StatusText = nullptr;        // out: "200 OK" or a failure text
  ByteBuffer* ResponseBytes = nullptr;   // out: the body bytes
  bool MergeCookies = true;              // merge received cookies into Cookies
};

// Performs the request and returns the body as text (see DecodeBodyText);
// empty after every failure but a body that broke off (713).
AnsiText WebRequest(std::string_view Url, const WebRequestOptions& options = {});

// ---- The request's parts, for its callers and tests -------------------------

// The verb for a Method value; values outside 0 to 7 give "GET".
std::string_view RequestVerb(int Method);

// The header text sent with a request: RequestHeaders (with "\r\n" added)
// followed by each default line whose header the text does not hold yet.
AnsiText BuildRequestHeaderText(std::string_view RequestHeaders, int Method,
                                std::string_view Cookies);

// The failure text numbered `number` (700 to 713, no 706), in code page 936;
// empty for any other number.
std::string_view WebRequestFailureText(int number);

}  // namespace vexaro
