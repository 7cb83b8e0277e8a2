#include "http/web_request.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>

#include "http/cookie_text.h"
#include "http/message_pump.h"
#include "http/response_stage.h"
#include "http/winhttp.h"

namespace vexaro {

namespace {

constexpr int kDefaultTimeoutMs = 30000;

// The failure texts, as the program shows them (code page 936 bytes).
constexpr std::string_view kFailureTexts[] = {
    // 700 当前系统不支持WinHttp服务!
    "700 \xB5\xB1\xC7\xB0\xCF\xB5\xCD\xB3\xB2\xBB\xD6\xA7\xB3\xD6WinHttp\xB7\xFE\xCE\xF1!",
    // 701 解析URL地址失败!
    "701 \xBD\xE2\xCE\xF6URL\xB5\xD8\xD6\xB7\xCA\xA7\xB0\xDC!",
    // 702 创建WinHttp会话失败!
    "702 \xB4\xB4\xBD\xA8WinHttp\xBB\xE1\xBB\xB0\xCA\xA7\xB0\xDC!",
    // 703 创建WinHttp连接失败!
    "703 \xB4\xB4\xBD\xA8WinHttp\xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC!",
    // 704 创建WinHttp请求失败!
    "704 \xB4\xB4\xBD\xA8WinHttp\xC7\xEB\xC7\xF3\xCA\xA7\xB0\xDC!",
    // 705 设置超时时间失败!
    "705 \xC9\xE8\xD6\xC3\xB3\xAC\xCA\xB1\xCA\xB1\xBC\xE4\xCA\xA7\xB0\xDC!",
    // (there is no 706)
    "",
    // 707 设置代理凭证失败!
    "707 \xC9\xE8\xD6\xC3\xB4\xFA\xC0\xED\xC6\xBE\xD6\xA4\xCA\xA7\xB0\xDC!",
    // 708 禁止自动设置Cookies失败!
    "708 \xBD\xFB\xD6\xB9\xD7\xD4\xB6\xAF\xC9\xE8\xD6\xC3"
    "Cookies\xCA\xA7\xB0\xDC!",
    // 709 重定向设置失败!
    "709 \xD6\xD8\xB6\xA8\xCF\xF2\xC9\xE8\xD6\xC3\xCA\xA7\xB0\xDC!",
    // 710 设置协议头失败!
    "710 \xC9\xE8\xD6\xC3\xD0\xAD\xD2\xE9\xCD\xB7\xCA\xA7\xB0\xDC!",
    // 711 发送请求失败!
    "711 \xB7\xA2\xCB\xCD\xC7\xEB\xC7\xF3\xCA\xA7\xB0\xDC!",
    // 712 服务器未响应!
    "712 \xB7\xFE\xCE\xF1\xC6\xF7\xCE\xB4\xCF\xEC\xD3\xA6!",
    // 713 读取数据失败!
    "713 \xB6\xC1\xC8\xA1\xCA\xFD\xBE\xDD\xCA\xA7\xB0\xDC!",
};

constexpr std::string_view kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                       "OPTIONS", "DELETE", "TRACE", "CONNECT"};

// UTF-16 code units and the little-endian byte buffers of the text helpers.
std::u16string UnitsOf(const ByteBuffer& bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return units;
}

ByteBuffer BytesOf(std::u16string_view units) {
  ByteBuffer bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

// A text as zero-terminated UTF-16 (std::u16string keeps the terminator).
std::u16string Wide(std::string_view text) { return UnitsOf(AnsiToUtf16(text, true)); }

// The three handles of one call, closed request first, then the connection,
// then the root, skipping any that was never opened.
class RequestHandles {
 public:
  RequestHandles() = default;
  RequestHandles(const RequestHandles&) = delete;
  RequestHandles& operator=(const RequestHandles&) = delete;
  ~RequestHandles() { CloseAll(); }

  void CloseAll() {
    for (HINTERNET* handle : {&request, &connection, &root}) {
      if (*handle != nullptr) WinHttpCloseHandle(*handle);
      *handle = nullptr;
    }
  }

  HINTERNET root = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
};

// The caller's variables, or scratch ones for the outputs it left out.
struct Outputs {
  explicit Outputs(const WebRequestOptions& options)
      : cookies(options.Cookies ? *options.Cookies : scratchCookies),
        returnedCookies(options.ReturnedCookies ? *options.ReturnedCookies
                                                : scratchReturnedCookies),
        responseHeaders(options.ResponseHeaders ? *options.ResponseHeaders
                                                : scratchResponseHeaders),
        redirectLocation(options.RedirectLocation ? *options.RedirectLocation
                                                  : scratchRedirectLocation),
        statusText(options.StatusText ? *options.StatusText : scratchStatusText),
        responseBytes(options.ResponseBytes ? *options.ResponseBytes : scratchResponseBytes) {}

  AnsiText scratchCookies, scratchReturnedCookies, scratchResponseHeaders,
      scratchRedirectLocation, scratchStatusText;
  ByteBuffer scratchResponseBytes;
  AnsiText& cookies;
  AnsiText& returnedCookies;
  AnsiText& responseHeaders;
  AnsiText& redirectLocation;
  AnsiText& statusText;
  ByteBuffer& responseBytes;
};

// How a run of the request steps ended.
enum class Ending {
  kFinish,     // through the final step: messages, then clean-up
  kEarlyExit,  // straight to the clean-up
};

// Reads the body until the layer reports its end; a failed read leaves the
// 713 text and keeps what came before it.
ByteBuffer ReadBody(HINTERNET request, AnsiText& statusText) {
  ByteBuffer body;
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available) || available < 1) break;
    ByteBuffer chunk(available, 0);
    DWORD read = 0;
    if (!WinHttpReadData(request, chunk.data(), available, &read)) {
      statusText = AnsiText(WebRequestFailureText(713));
      break;
    }
    if (read == 0) break;  // nothing more will come; never spin on an empty read
    body.insert(body.end(), chunk.begin(), chunk.begin() + std::min<DWORD>(read, available));
  }
  return body;
}

Ending RunRequest(std::string_view url, const WebRequestOptions& options, Outputs& out,
                  RequestHandles& handles, AnsiText& result) {
  auto fail = [&out](int number) { out.statusText = AnsiText(WebRequestFailureText(number)); };

  if (!WinHttpCheckPlatform()) {
    fail(700);
    return Ending::kFinish;
  }

  // Crack the URL; the record asks for pointers into the URL's own units.
  const std::u16string wideUrl = Wide(url);
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof(URL_COMPONENTS);
  components.dwSchemeLength = static_cast<DWORD>(-1);
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (wideUrl.empty() || !WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()),
                                          0, &components)) {
    fail(701);
    return Ending::kFinish;
  }
  const AnsiText hostName = Utf16ToAnsi(
      BytesOf(std::u16string_view(components.lpszHostName, components.dwHostNameLength)));
  const INTERNET_PORT port = components.nPort;
  const bool secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  const std::u16string_view extraInfo(components.lpszExtraInfo, components.dwExtraInfoLength);
  std::u16string objectName;
  if (components.dwUrlPathLength >= 1) {
    objectName.assign(components.lpszUrlPath, components.dwUrlPathLength);
    objectName += extraInfo;
  } else {
    objectName = u"/";
    objectName += extraInfo;
  }

  // Proxy: an HTTP URL names the proxy for http only, as a WinHttp list does.
  DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
  std::u16string proxy;
  if (!options.ProxyServer.empty()) {
    accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    proxy = Wide(secure ? options.ProxyServer : "http=" + options.ProxyServer);
  }
  handles.root = WinHttpOpen(nullptr, accessType, proxy.c_str(), nullptr, 0);
  if (handles.root == nullptr) {
    fail(702);
    return Ending::kFinish;
  }
  handles.connection = WinHttpConnect(handles.root, Wide(hostName).c_str(), port, 0);
  if (handles.connection == nullptr) {
    fail(703);
    return Ending::kFinish;
  }
  handles.request =
      WinHttpOpenRequest(handles.connection, Wide(RequestVerb(options.Method)).c_str(),
                         objectName.c_str(), nullptr, nullptr, nullptr,
                         secure ? WINHTTP_FLAG_SECURE : 0);
  if (handles.request == nullptr) {
    fail(704);
    return Ending::kFinish;
  }

  // The seconds are widened before the multiplication so that a huge value
  // stays a long time-out instead of overflowing.
  const int timeoutMs =
      options.TimeoutSeconds >= 1
          ? static_cast<int>(std::min<std::int64_t>(std::int64_t{options.TimeoutSeconds} * 1000,
                                                    INT_MAX))
          : kDefaultTimeoutMs;
  if (!WinHttpSetTimeouts(handles.request, timeoutMs, timeoutMs, timeoutMs, timeoutMs)) {
    fail(705);
    return Ending::kFinish;
  }

  if (!options.UserName.empty() && !options.Password.empty() &&
      !WinHttpSetCredentials(handles.request, WINHTTP_AUTH_TARGET_SERVER,
                             WINHTTP_AUTH_SCHEME_BASIC, Wide(options.UserName).c_str(),
                             Wide(options.Password).c_str(), nullptr)) {
    fail(707);
    return Ending::kEarlyExit;
  }
  if (!options.ProxyUserName.empty() && !options.ProxyPassword.empty() &&
      !WinHttpSetCredentials(handles.request, WINHTTP_AUTH_TARGET_PROXY,
                             WINHTTP_AUTH_SCHEME_BASIC, Wide(options.ProxyUserName).c_str(),
                             Wide(options.ProxyPassword).c_str(), nullptr)) {
    fail(707);
    return Ending::kEarlyExit;
  }

  // With no cookies to send, WinHttp's own cookie handling is switched off;
  // otherwise it stays on (the option set then is the revocation check).
  const DWORD disableCookies = WINHTTP_DISABLE_COOKIES;
  const DWORD enableRevocation = WINHTTP_ENABLE_SSL_REVOCATION;
  const bool cookieOptionSet =
      out.cookies.empty()
          ? WinHttpSetOption(handles.request, WINHTTP_OPTION_DISABLE_FEATURE, &disableCookies,
                             sizeof(DWORD))
          : WinHttpSetOption(handles.request, WINHTTP_OPTION_ENABLE_FEATURE, &enableRevocation,
                             sizeof(DWORD));
  if (!cookieOptionSet) {
    fail(708);
    return Ending::kEarlyExit;
  }
  const DWORD disableRedirects = WINHTTP_DISABLE_REDIRECTS;
  if (options.DisableRedirects &&
      !WinHttpSetOption(handles.request, WINHTTP_OPTION_DISABLE_FEATURE, &disableRedirects,
                        sizeof(DWORD))) {
    fail(709);
    return Ending::kEarlyExit;
  }

  const std::u16string headerText =
      Wide(BuildRequestHeaderText(options.RequestHeaders, options.Method, out.cookies));
  if (!WinHttpAddRequestHeaders(handles.request, headerText.c_str(),
                                static_cast<DWORD>(headerText.size()),
                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
    fail(710);
    return Ending::kFinish;
  }

  const std::string& body = options.RequestBody;
  if (!WinHttpSendRequest(handles.request, nullptr, 0, body.empty() ? nullptr : body.data(),
                          static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0)) {
    fail(711);
    return Ending::kFinish;
  }
  if (!WinHttpReceiveResponse(handles.request, nullptr)) {
    fail(712);
    return Ending::kFinish;
  }

  ByteBuffer received = ReadBody(handles.request, out.statusText);

  // The response stage.
  std::optional<ResponseHead> head = ReadResponseHead(handles.request);
  if (!head) return Ending::kFinish;
  out.responseHeaders = head->headers;
  out.statusText = head->statusText;
  ScanResponseHeaders(head->headers, out.returnedCookies, out.redirectLocation);
  if (options.MergeCookies && !out.cookies.empty())
    out.returnedCookies = MergeCookieText(out.cookies, out.returnedCookies);
  // The text is made first so that the bytes can then be handed over rather
  // than copied: a body of hundreds of megabytes is held once less.
  result = DecodeBodyText(received);
  out.responseBytes = std::move(received);
  return Ending::kFinish;
}

}  // namespace

std::string_view RequestVerb(int Method) {
  return (Method >= 0 && Method < static_cast<int>(std::size(kVerbs))) ? kVerbs[Method] : "GET";
}

std::string_view WebRequestFailureText(int number) {
  if (number < 700 || number > 713) return {};
  return kFailureTexts[number - 700];
}

AnsiText BuildRequestHeaderText(std::string_view RequestHeaders, int Method,
                                std::string_view Cookies) {
  AnsiText text(RequestHeaders);
  if (!text.empty()) text += "\r\n";
  // Each default line is added when the text does not hold its header yet,
  // found anywhere in the text (not only at a line start).
  auto addUnlessPresent = [&text](std::string_view sought, bool ignoreCase,
                                  std::string_view line) {
    if (Search(text, sought, 1, ignoreCase) == kNotFound) text += line;
  };
  addUnlessPresent("User-Agent: ", true,
                   "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
                   "Trident/5.0)\r\n");
  addUnlessPresent("Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n");
  addUnlessPresent("Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n");
  addUnlessPresent("Accept-Language: ", true, "Accept-Language: zh-cn\r\n");
  if (Method == 1) {
    if (Search(text, "content-type:") != kNotFound)
      text = Replace(text, "content-type", "Content-Type");
    addUnlessPresent("Content-Type:", false,
                     "Content-Type: application/x-www-form-urlencoded\r\n");
  }
  addUnlessPresent("Cache-Control: ", true, "Cache-Control: no-cache\r\n");
  if (!Cookies.empty()) {
    AnsiText cookieLine = "Cookie: ";
    cookieLine += Cookies;
    cookieLine += "\r\n";
    addUnlessPresent("Cookie: ", true, cookieLine);
  }
  return text;
}

AnsiText WebRequest(std::string_view Url, const WebRequestOptions& options) {
  Outputs out(options);
  RequestHandles handles;
  AnsiText result;
  if (RunRequest(Url, options, out, handles, result) == Ending::kEarlyExit) {
    handles.CloseAll();
    return {};
  }
  ProcessPendingMessages();
  handles.CloseAll();
  return result;
}

}  // namespace vexaro
