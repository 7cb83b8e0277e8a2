#include "http/winhttp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "http/curl_handles.h"
#include "http/http_transfer.h"
#include "http/winhttp_state.h"
#include "text/code_page.h"

namespace vexaro {

namespace http_detail {

namespace {
thread_local DWORD lastError = 0;
}  // namespace

bool Fail(DWORD error) {
  lastError = error;
  return false;
}

HINTERNET FailHandle(DWORD error) {
  lastError = error;
  return nullptr;
}

std::string ToWireBytes(std::u16string_view text) {
  return WideCharToMultiByte(CodePage::Gbk, text);
}

std::u16string FromWireBytes(std::string_view bytes) {
  return MultiByteToWideChar(CodePage::Gbk, bytes);
}

std::string ToUtf8(std::u16string_view text) { return WideCharToMultiByte(CodePage::Utf8, text); }

namespace {

bool IsListSpace(char16_t c) { return c == u';' || c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::vector<std::u16string_view> ListEntries(std::u16string_view list) {
  std::vector<std::u16string_view> entries;
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsListSpace(list[i])) ++i;
    std::size_t start = i;
    while (i < list.size() && !IsListSpace(list[i])) ++i;
    if (i > start) entries.push_back(list.substr(start, i - start));
  }
  return entries;
}

std::string ProxyUrl(std::u16string_view server) {
  if (server.substr(0, 7) == u"http://") server.remove_prefix(7);
  while (!server.empty() && server.back() == u'/') server.remove_suffix(1);
  if (server.empty()) return {};
  std::string address = ToUtf8(server);
  // A port is present when the text after the last ':' is all digits and the
  // colon is not inside a bracketed IPv6 address.
  std::size_t colon = address.rfind(':');
  bool hasPort = colon != std::string::npos && address.find(']', colon) == std::string::npos &&
                 colon + 1 < address.size() &&
                 std::all_of(address.begin() + static_cast<std::ptrdiff_t>(colon) + 1,
                             address.end(), [](char c) { return c >= '0' && c <= '9'; });
  return "http://" + address + (hasPort ? "" : ":80");
}

}  // namespace

std::string ProxyForScheme(std::u16string_view proxyList, bool secure) {
  const std::u16string_view wanted = secure ? u"https=" : u"http=";
  std::optional<std::u16string_view> generic;
  for (std::u16string_view entry : ListEntries(proxyList)) {
    std::size_t equals = entry.find(u'=');
    if (equals == std::u16string_view::npos) {
      if (!generic) generic = entry;
      continue;
    }
    if (entry.substr(0, equals + 1) == wanted) return ProxyUrl(entry.substr(equals + 1));
  }
  return generic ? ProxyUrl(*generic) : std::string();
}

std::string NoProxyList(std::u16string_view bypassList) {
  std::string list;
  for (std::u16string_view entry : ListEntries(bypassList)) {
    if (entry == u"<local>") continue;  // libcurl has no such rule
    if (!list.empty()) list += ',';
    list += ToUtf8(entry);
  }
  return list;
}

}  // namespace http_detail

namespace {

using http_detail::Fail;
using http_detail::FailHandle;
using http_detail::HeaderField;
using http_detail::HttpTransfer;
using http_detail::Timeouts;

enum class Kind { kSession, kConnection, kRequest };

struct InternetObject {
  explicit InternetObject(Kind k) : kind(k) {}
  virtual ~InternetObject() = default;
  const Kind kind;
  std::mutex mutex;  // guards the members of the derived object
};

struct Session final : InternetObject {
  Session() : InternetObject(Kind::kSession) {}
  std::string agent;
  DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
  std::u16string proxyList;
  std::u16string bypassList;
  Timeouts timeouts;
};

struct Connection final : InternetObject {
  Connection() : InternetObject(Kind::kConnection) {}
  std::shared_ptr<Session> session;
  std::string host;  // UTF-8, checked when the connection was made
  INTERNET_PORT port = 0;
};

struct Request final : InternetObject {
  Request() : InternetObject(Kind::kRequest) {}
  enum class Phase { kOpen, kSent, kReceived, kFailed };
  std::shared_ptr<Connection> connection;
  Phase phase = Phase::kOpen;
  bool secure = false;
  std::string path;  // escaped, with its query
  http_detail::TransferSettings settings;
  HttpTransfer transfer;
};

// The live handles. A handle is the address of its object; looking one up
// gives shared ownership, so closing a handle while another thread still
// works with it is safe.
class HandleTable {
 public:
  HINTERNET Add(std::shared_ptr<InternetObject> object) {
    HINTERNET handle = object.get();
    std::lock_guard lock(mutex_);
    objects_.emplace(handle, std::move(object));
    return handle;
  }
  std::shared_ptr<InternetObject> Find(HINTERNET handle) {
    std::lock_guard lock(mutex_);
    auto found = objects_.find(handle);
    return found == objects_.end() ? nullptr : found->second;
  }
  std::shared_ptr<InternetObject> Remove(HINTERNET handle) {
    std::lock_guard lock(mutex_);
    auto found = objects_.find(handle);
    if (found == objects_.end()) return nullptr;
    std::shared_ptr<InternetObject> object = std::move(found->second);
    objects_.erase(found);
    return object;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HINTERNET, std::shared_ptr<InternetObject>> objects_;
};

HandleTable& Handles() {
  static HandleTable* table = new HandleTable;  // lives until the process ends
  return *table;
}

// The object behind `handle` when it is of the kind `T`; otherwise null with
// the matching last error.
template <typename T>
std::shared_ptr<T> Lookup(HINTERNET handle, Kind kind) {
  std::shared_ptr<InternetObject> object = Handles().Find(handle);
  if (!object) {
    Fail(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (object->kind != kind) {
    Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return std::static_pointer_cast<T>(object);
}

std::u16string_view ZeroTerminated(const char16_t* text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

bool IsTokenByte(unsigned char c) {
  return c > 0x20 && c < 0x7F && std::strchr("()<>@,;:\\\"/[]?={}", c) == nullptr;
}

bool IsToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return IsTokenByte(static_cast<unsigned char>(c));
  });
}

// Header lines separated by "\r\n" (a lone "\n" ends a line as well), each
// "Name: value"; empty lines are skipped. Nothing when a line is malformed or
// holds a control character, so nothing can be smuggled into the request.
std::optional<std::vector<HeaderField>> ParseHeaderLines(std::string_view text) {
  std::vector<HeaderField> fields;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.empty()) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) return std::nullopt;
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    for (char c : value) {
      auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return std::nullopt;
    }
    fields.push_back({std::string(line.substr(0, colon)), std::string(value)});
  }
  return fields;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Applies header lines to a request's list with WinHttpAddRequestHeaders'
// modifiers; all lines or none.
bool ApplyHeaders(std::vector<HeaderField>& list, std::vector<HeaderField> lines,
                  DWORD modifiers) {
  std::vector<HeaderField> result = list;
  for (HeaderField& line : lines) {
    auto existing = std::find_if(result.begin(), result.end(),
                                 [&](const HeaderField& f) { return SameName(f.name, line.name); });
    const bool exists = existing != result.end();
    if (modifiers & WINHTTP_ADDREQ_FLAG_REPLACE) {
      if (exists) {
        if (line.value.empty())
          result.erase(existing);
        else
          existing->value = std::move(line.value);
      } else if (modifiers & WINHTTP_ADDREQ_FLAG_ADD) {
        if (!line.value.empty()) result.push_back(std::move(line));
      } else {
        return Fail(ERROR_WINHTTP_HEADER_NOT_FOUND);
      }
    } else if (modifiers & WINHTTP_ADDREQ_FLAG_ADD_IF_NEW) {
      if (exists) return Fail(ERROR_WINHTTP_HEADER_ALREADY_EXISTS);
      result.push_back(std::move(line));
    } else if (exists && (modifiers & (WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA |
                                       WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON))) {
      existing->value += (modifiers & WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON) ? "; " : ", ";
      existing->value += line.value;
    } else {
      result.push_back(std::move(line));
    }
  }
  list = std::move(result);
  return true;
}

// Percent-escapes what may not stand raw in a request line: control
// characters, spaces and every byte of a non-ASCII character's UTF-8 form.
std::string EscapeForRequestLine(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(utf8.size());
  for (char c : utf8) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0x0F];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The absolute URL of a request, put together part by part so that nothing
// in the host can change where the request goes. Empty when the host is not
// a host name.
std::string BuildRequestUrl(const std::string& host, INTERNET_PORT port, bool secure,
                            const std::string& pathAndQuery) {
  curl::Url url(curl_url());
  if (!url) return {};
  const std::string portText =
      std::to_string(port != 0 ? port : (secure ? INTERNET_DEFAULT_HTTPS_PORT
                                                : INTERNET_DEFAULT_HTTP_PORT));
  std::string_view target = pathAndQuery;
  target = target.substr(0, target.find('#'));  // a fragment never goes on the wire
  std::size_t question = target.find('?');
  std::string path(target.substr(0, question));
  if (path.empty() || path.front() != '/') path.insert(0, "/");
  if (curl_url_set(url.get(), CURLUPART_SCHEME, secure ? "https" : "http", 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK)
    return {};
  if (question != std::string_view::npos && question + 1 < target.size()) {
    std::string query(target.substr(question + 1));
    if (curl_url_set(url.get(), CURLUPART_QUERY, query.c_str(), 0) != CURLUE_OK) return {};
  }
  char* text = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) return {};
  curl::String owned(text);
  return owned.get();
}

bool IsHostName(const std::string& host) {
  if (host.empty()) return false;
  for (char c : host) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || std::strchr("/\\?#@%", c) != nullptr) return false;
  }
  return !BuildRequestUrl(host, 0, false, "/").empty();
}

std::optional<int> Milliseconds(int value) {
  if (value < -1) return std::nullopt;
  return value == -1 ? 0 : value;
}

std::optional<unsigned long> CurlAuthScheme(DWORD scheme) {
  switch (scheme) {
    case WINHTTP_AUTH_SCHEME_BASIC:
      return CURLAUTH_BASIC;
    case WINHTTP_AUTH_SCHEME_NTLM:
      return CURLAUTH_NTLM;
    case WINHTTP_AUTH_SCHEME_DIGEST:
      return CURLAUTH_DIGEST;
    case WINHTTP_AUTH_SCHEME_NEGOTIATE:
      return CURLAUTH_NEGOTIATE;
    default:
      return std::nullopt;
  }
}

// ---- Reading the final response's headers ----------------------------------

std::vector<std::string_view> HeaderLines(std::string_view raw) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t end = raw.find("\r\n", start);
    if (end == std::string_view::npos) end = raw.size();
    if (end > start) lines.push_back(raw.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::optional<std::string> HeaderValue(std::string_view raw, std::string_view name,
                                       DWORD& index) {
  std::vector<std::string_view> lines = HeaderLines(raw);
  DWORD seen = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::size_t colon = lines[i].find(':');
    if (colon == std::string_view::npos || !SameName(lines[i].substr(0, colon), name)) continue;
    if (seen++ < index) continue;
    std::string_view value = lines[i].substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
      value.remove_prefix(1);
    ++index;
    return std::string(value);
  }
  return std::nullopt;
}

// The status line's parts: version, code, reason phrase.
struct StatusLine {
  std::string_view version, code, reason;
};

StatusLine ParseStatusLine(std::string_view raw) {
  std::string_view line = raw.substr(0, raw.find("\r\n"));
  StatusLine status;
  std::size_t space = line.find(' ');
  status.version = line.substr(0, space);
  if (space == std::string_view::npos) return status;
  std::string_view rest = line.substr(space + 1);
  std::size_t second = rest.find(' ');
  status.code = rest.substr(0, second);
  if (second != std::string_view::npos) status.reason = rest.substr(second + 1);
  return status;
}

bool CopyOut(std::u16string_view text, void* buffer, DWORD* bufferLength) {
  const std::size_t needed = (text.size() + 1) * sizeof(char16_t);
  if (buffer == nullptr || *bufferLength < needed) {
    *bufferLength = static_cast<DWORD>(needed);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  auto* out = static_cast<char16_t*>(buffer);
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = u'\0';
  *bufferLength = static_cast<DWORD>(text.size() * sizeof(char16_t));
  return true;
}

}  // namespace

// ---- The API ----------------------------------------------------------------

DWORD GetLastError() { return http_detail::lastError; }

bool WinHttpCheckPlatform() {
  if (!curl::GlobalInit()) return false;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && (info->features & CURL_VERSION_SSL) != 0;
}

HINTERNET WinHttpOpen(const char16_t* agent, DWORD accessType, const char16_t* proxy,
                      const char16_t* bypass, DWORD flags) {
  if (flags & WINHTTP_FLAG_ASYNC) return FailHandle(ERROR_INVALID_PARAMETER);
  if (accessType != WINHTTP_ACCESS_TYPE_DEFAULT_PROXY &&
      accessType != WINHTTP_ACCESS_TYPE_NO_PROXY &&
      accessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY &&
      accessType != WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY)
    return FailHandle(ERROR_INVALID_PARAMETER);
  if (accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && ZeroTerminated(proxy).empty())
    return FailHandle(ERROR_INVALID_PARAMETER);
  if (!curl::GlobalInit()) return FailHandle(ERROR_WINHTTP_INTERNAL_ERROR);
  try {
    auto session = std::make_shared<Session>();
    session->agent = http_detail::ToWireBytes(ZeroTerminated(agent));
    // Off Windows there is no system proxy configuration to read.
    session->accessType = accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY
                              ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                              : WINHTTP_ACCESS_TYPE_NO_PROXY;
    if (session->accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
      session->proxyList = ZeroTerminated(proxy);
      session->bypassList = ZeroTerminated(bypass);
    }
    return Handles().Add(std::move(session));
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

HINTERNET WinHttpConnect(HINTERNET sessionHandle, const char16_t* serverName,
                         INTERNET_PORT port, DWORD /*reserved*/) {
  auto session = Lookup<Session>(sessionHandle, Kind::kSession);
  if (!session) return nullptr;
  std::string host = http_detail::ToUtf8(ZeroTerminated(serverName));
  if (!IsHostName(host)) return FailHandle(ERROR_WINHTTP_INVALID_URL);
  try {
    auto connection = std::make_shared<Connection>();
    connection->session = std::move(session);
    connection->host = std::move(host);
    connection->port = port;
    return Handles().Add(std::move(connection));
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

HINTERNET WinHttpOpenRequest(HINTERNET connectionHandle, const char16_t* verb,
                             const char16_t* objectName, const char16_t* version,
                             const char16_t* referrer, const char16_t** acceptTypes,
                             DWORD flags) {
  auto connection = Lookup<Connection>(connectionHandle, Kind::kConnection);
  if (!connection) return nullptr;
  std::string verbText = verb == nullptr ? "GET" : http_detail::ToUtf8(verb);
  if (!IsToken(verbText)) return FailHandle(ERROR_INVALID_PARAMETER);
  std::u16string_view versionText = ZeroTerminated(version);
  if (!versionText.empty() && versionText != u"HTTP/1.1" && versionText != u"HTTP/1.0")
    return FailHandle(ERROR_INVALID_PARAMETER);
  try {
    auto request = std::make_shared<Request>();
    request->secure = (flags & WINHTTP_FLAG_SECURE) != 0;
    request->path = EscapeForRequestLine(
        http_detail::ToUtf8(objectName == nullptr ? u"/" : ZeroTerminated(objectName)));
    http_detail::TransferSettings& settings = request->settings;
    settings.verb = std::move(verbText);
    settings.http10 = versionText == u"HTTP/1.0";
    {
      std::lock_guard lock(connection->session->mutex);
      settings.timeouts = connection->session->timeouts;
    }
    if (!ZeroTerminated(referrer).empty())
      settings.headers.push_back({"Referer", http_detail::ToWireBytes(referrer)});
    if (acceptTypes != nullptr && acceptTypes[0] != nullptr) {
      std::string accept;
      for (const char16_t** type = acceptTypes; *type != nullptr; ++type) {
        if (!accept.empty()) accept += ", ";
        accept += http_detail::ToWireBytes(*type);
      }
      settings.headers.push_back({"Accept", std::move(accept)});
    }
    request->connection = std::move(connection);
    return Handles().Add(std::move(request));
  } catch (const std::bad_alloc&) {
    return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  }
}

bool WinHttpSetTimeouts(HINTERNET handle, int resolveTimeout, int connectTimeout,
                        int sendTimeout, int receiveTimeout) {
  std::optional<int> resolve = Milliseconds(resolveTimeout), connect = Milliseconds(connectTimeout),
                     send = Milliseconds(sendTimeout), receive = Milliseconds(receiveTimeout);
  if (!resolve || !connect || !send || !receive) return Fail(ERROR_INVALID_PARAMETER);
  const Timeouts timeouts{*resolve, *connect, *send, *receive};
  std::shared_ptr<InternetObject> object = Handles().Find(handle);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  std::lock_guard lock(object->mutex);
  if (object->kind == Kind::kSession) {
    static_cast<Session&>(*object).timeouts = timeouts;
    return true;
  }
  if (object->kind != Kind::kRequest) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  auto& request = static_cast<Request&>(*object);
  if (request.phase != Request::Phase::kOpen) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  request.settings.timeouts = timeouts;
  return true;
}

bool WinHttpSetCredentials(HINTERNET handle, DWORD authTargets, DWORD authScheme,
                           const char16_t* userName, const char16_t* password,
                           void* /*authParams*/) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  std::optional<unsigned long> scheme = CurlAuthScheme(authScheme);
  if (!scheme || userName == nullptr || password == nullptr ||
      (authTargets != WINHTTP_AUTH_TARGET_SERVER && authTargets != WINHTTP_AUTH_TARGET_PROXY))
    return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kOpen) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  http_detail::Credentials& credentials = authTargets == WINHTTP_AUTH_TARGET_SERVER
                                              ? request->settings.server
                                              : request->settings.proxy;
  credentials = {true, *scheme, http_detail::ToWireBytes(userName),
                 http_detail::ToWireBytes(password)};
  return true;
}

bool WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD bufferLength) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  if (buffer == nullptr || bufferLength != sizeof(DWORD)) return Fail(ERROR_INVALID_PARAMETER);
  DWORD value = 0;
  std::memcpy(&value, buffer, sizeof value);
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kOpen) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  http_detail::TransferSettings& settings = request->settings;
  switch (option) {
    case WINHTTP_OPTION_DISABLE_FEATURE: {
      constexpr DWORD kKnown = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS |
                               WINHTTP_DISABLE_AUTHENTICATION | WINHTTP_DISABLE_KEEP_ALIVE;
      if (value & ~kKnown) return Fail(ERROR_INVALID_PARAMETER);
      if (value & WINHTTP_DISABLE_COOKIES) settings.cookies = false;
      if (value & WINHTTP_DISABLE_REDIRECTS) settings.redirects = false;
      if (value & WINHTTP_DISABLE_AUTHENTICATION) {
        settings.server.present = false;
        settings.proxy.present = false;
      }
      if (value & WINHTTP_DISABLE_KEEP_ALIVE) settings.keepAlive = false;
      return true;
    }
    case WINHTTP_OPTION_ENABLE_FEATURE:
      // Certificates are always verified; revocation checking is accepted.
      if (value & ~(WINHTTP_ENABLE_SSL_REVOCATION | WINHTTP_ENABLE_SSL_REVERT_IMPERSONATION))
        return Fail(ERROR_INVALID_PARAMETER);
      return true;
    case WINHTTP_OPTION_REDIRECT_POLICY:
      if (value > WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS) return Fail(ERROR_INVALID_PARAMETER);
      settings.redirects = value != WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
      settings.allowHttpsToHttp = value == WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS;
      return true;
    case WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS:
      settings.maxRedirects = static_cast<int>(std::min<DWORD>(value, 1000));
      return true;
    default:
      return Fail(ERROR_WINHTTP_INVALID_OPTION);
  }
}

bool WinHttpAddRequestHeaders(HINTERNET handle, const char16_t* headers, DWORD length,
                              DWORD modifiers) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  if (headers == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::u16string_view text = length == static_cast<DWORD>(-1)
                                 ? std::u16string_view(headers)
                                 : std::u16string_view(headers, length);
  std::optional<std::vector<HeaderField>> lines =
      ParseHeaderLines(http_detail::ToWireBytes(text));
  if (!lines || lines->empty()) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kOpen) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  return ApplyHeaders(request->settings.headers, std::move(*lines), modifiers);
}

bool WinHttpSendRequest(HINTERNET handle, const char16_t* headers, DWORD headersLength,
                        const void* optional, DWORD optionalLength, DWORD totalLength,
                        std::uintptr_t /*context*/) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  if (totalLength != optionalLength || (optional == nullptr && optionalLength != 0))
    return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kOpen) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  http_detail::TransferSettings& settings = request->settings;
  if (headers != nullptr && headersLength != 0) {
    std::u16string_view text = headersLength == static_cast<DWORD>(-1)
                                   ? std::u16string_view(headers)
                                   : std::u16string_view(headers, headersLength);
    std::optional<std::vector<HeaderField>> lines =
        ParseHeaderLines(http_detail::ToWireBytes(text));
    if (!lines) return Fail(ERROR_INVALID_PARAMETER);
    if (!ApplyHeaders(settings.headers, std::move(*lines), WINHTTP_ADDREQ_FLAG_ADD)) return false;
  }
  const Connection& connection = *request->connection;
  settings.url = BuildRequestUrl(connection.host, connection.port, request->secure, request->path);
  if (settings.url.empty()) return Fail(ERROR_WINHTTP_INVALID_URL);
  if (optionalLength != 0)
    settings.body.assign(static_cast<const char*>(optional), optionalLength);
  {
    const Session& session = *connection.session;
    std::lock_guard sessionLock(connection.session->mutex);
    settings.agent = session.agent;
    if (session.accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
      settings.proxyUrl = http_detail::ProxyForScheme(session.proxyList, request->secure);
      settings.noProxy = http_detail::NoProxyList(session.bypassList);
    }
  }
  // The settings are not read again once the request is on its way; moving
  // them spares a copy of the request body.
  DWORD error = request->transfer.Send(std::move(settings));
  if (error != 0) {
    request->phase = Request::Phase::kFailed;
    return Fail(error);
  }
  request->phase = Request::Phase::kSent;
  return true;
}

bool WinHttpReceiveResponse(HINTERNET handle, void* /*reserved*/) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kSent) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  DWORD error = request->transfer.Receive();
  if (error != 0) {
    request->phase = Request::Phase::kFailed;
    return Fail(error);
  }
  request->phase = Request::Phase::kReceived;
  return true;
}

bool WinHttpQueryDataAvailable(HINTERNET handle, DWORD* numberOfBytesAvailable) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kReceived)
    return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  DWORD count = 0;
  if (DWORD error = request->transfer.QueryAvailable(count)) return Fail(error);
  if (numberOfBytesAvailable != nullptr) *numberOfBytesAvailable = count;
  return true;
}

bool WinHttpReadData(HINTERNET handle, void* buffer, DWORD numberOfBytesToRead,
                     DWORD* numberOfBytesRead) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  if (numberOfBytesRead == nullptr || (buffer == nullptr && numberOfBytesToRead != 0))
    return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(request->mutex);
  *numberOfBytesRead = 0;
  if (request->phase != Request::Phase::kReceived)
    return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (DWORD error = request->transfer.Read(buffer, numberOfBytesToRead, *numberOfBytesRead))
    return Fail(error);
  return true;
}

bool WinHttpQueryHeaders(HINTERNET handle, DWORD infoLevel, const char16_t* name, void* buffer,
                         DWORD* bufferLength, DWORD* index) {
  auto request = Lookup<Request>(handle, Kind::kRequest);
  if (!request) return false;
  if (bufferLength == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(request->mutex);
  if (request->phase != Request::Phase::kReceived)
    return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  const std::string& raw = request->transfer.RawHeaders();
  const bool asNumber = (infoLevel & WINHTTP_QUERY_FLAG_NUMBER) != 0;
  const DWORD level = infoLevel & 0xFFFF;
  DWORD noIndex = 0;
  DWORD& position = index != nullptr ? *index : noIndex;

  std::string value;
  std::optional<DWORD> nextPosition;  // a header found by name moves the index on
  switch (level) {
    case WINHTTP_QUERY_RAW_HEADERS_CRLF:
      value = raw;
      break;
    case WINHTTP_QUERY_RAW_HEADERS:
      for (std::string_view line : HeaderLines(raw)) {
        value += line;
        value += '\0';
      }
      break;
    case WINHTTP_QUERY_VERSION:
      value = ParseStatusLine(raw).version;
      break;
    case WINHTTP_QUERY_STATUS_CODE:
      value = ParseStatusLine(raw).code;
      break;
    case WINHTTP_QUERY_STATUS_TEXT:
      value = ParseStatusLine(raw).reason;
      break;
    default: {
      std::string headerName;
      switch (level) {
        case WINHTTP_QUERY_CONTENT_TYPE: headerName = "Content-Type"; break;
        case WINHTTP_QUERY_CONTENT_LENGTH: headerName = "Content-Length"; break;
        case WINHTTP_QUERY_LOCATION: headerName = "Location"; break;
        case WINHTTP_QUERY_SET_COOKIE: headerName = "Set-Cookie"; break;
        case WINHTTP_QUERY_CUSTOM:
          if (name == nullptr) return Fail(ERROR_INVALID_PARAMETER);
          headerName = http_detail::ToWireBytes(name);
          break;
        default:
          return Fail(ERROR_WINHTTP_INVALID_OPTION);
      }
      DWORD next = position;
      std::optional<std::string> found = HeaderValue(raw, headerName, next);
      if (!found) return Fail(ERROR_WINHTTP_HEADER_NOT_FOUND);
      value = std::move(*found);
      nextPosition = next;
    }
  }
  if (asNumber) {
    DWORD number = 0;
    for (char c : value) {
      if (c < '0' || c > '9') break;
      number = number * 10 + static_cast<DWORD>(c - '0');
    }
    if (buffer == nullptr || *bufferLength < sizeof number) {
      *bufferLength = sizeof number;
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, &number, sizeof number);
    *bufferLength = sizeof number;
  } else {
    std::u16string text = http_detail::FromWireBytes(value);
    if (level == WINHTTP_QUERY_RAW_HEADERS) text.push_back(u'\0');  // the list ends in two zeros
    if (!CopyOut(text, buffer, bufferLength)) return false;
  }
  if (nextPosition) position = *nextPosition;
  return true;
}

bool WinHttpCloseHandle(HINTERNET handle) {
  std::shared_ptr<InternetObject> object = Handles().Remove(handle);
  if (!object) return Fail(ERROR_INVALID_HANDLE);
  // A call blocked on the network with this request gives up; the object
  // itself goes when the last holder lets it go.
  if (object->kind == Kind::kRequest) static_cast<Request&>(*object).transfer.Cancel();
  return true;
}

}  // namespace vexaro
