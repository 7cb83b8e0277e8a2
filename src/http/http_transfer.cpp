#include "http/http_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vexaro {
namespace http_detail {

namespace {

using Clock = std::chrono::steady_clock;

// Body bytes held before the transfer is paused until the reader catches up.
constexpr std::size_t kPendingLimit = std::size_t{1} << 20;
// Header bytes, interim responses included, that one request's answer may
// take before the exchange fails with ERROR_WINHTTP_HEADER_SIZE_OVERFLOW:
// WinHttp's default limit of the response header size. It keeps a server
// that sends header lines without end from filling the memory, and it lies
// well below libcurl's own limit, so the failure is always ours.
constexpr std::size_t kHeaderLimit = std::size_t{64} << 10;
// The longest single wait, so that a cancel or a time-out is seen promptly.
constexpr int kMaxPollMs = 1000;

bool EqualsAsciiIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// libcurl takes a status line's "HTTP/" in any case, and so must we, or a
// response it accepts would reach us as a header line without a status.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return EqualsAsciiIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "HTTP/1.1 302 Found" -> 302; 0 when there is no number.
int StatusCodeOf(std::string_view statusLine) {
  std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos) return 0;
  int code = 0;
  int digits = 0;
  for (std::size_t i = space + 1; i < statusLine.size() && digits < 3; ++i, ++digits) {
    char c = statusLine[i];
    if (c < '0' || c > '9') break;
    code = code * 10 + (c - '0');
  }
  return digits == 3 ? code : 0;
}

std::string UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK) return {};
  curl::String owned(text);
  return owned ? std::string(owned.get()) : std::string();
}

std::string OriginOf(CURLU* url) {
  std::string host = UrlPart(url, CURLUPART_HOST);
  std::transform(host.begin(), host.end(), host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return UrlPart(url, CURLUPART_SCHEME) + "://" + host + ":" +
         UrlPart(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
}

// The CA file (or directory) the environment names; libcurl itself ignores
// these variables, and tests use them to trust a CA of their own.
}  // namespace

DWORD ErrorFromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return 0;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_WINHTTP_TIMEOUT;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
      return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
      return ERROR_WINHTTP_CONNECTION_ERROR;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_HTTP_RETURNED_ERROR:
      return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case CURLE_URL_MALFORMAT:
      return ERROR_WINHTTP_INVALID_URL;
    case CURLE_OUT_OF_MEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_ABORTED_BY_CALLBACK:
      return ERROR_WINHTTP_OPERATION_CANCELLED;
    default:
      return ERROR_WINHTTP_INTERNAL_ERROR;
  }
}

HttpTransfer::HttpTransfer() : multi_(curl_multi_init()) {}

HttpTransfer::~HttpTransfer() {
  if (inMulti_) curl_multi_remove_handle(multi_.get(), easy_.get());
}

void HttpTransfer::Cancel() noexcept {
  cancelled_ = true;
  if (multi_) curl_multi_wakeup(multi_.get());
}

DWORD HttpTransfer::Send(TransferSettings settings) {
  settings_ = std::move(settings);
  if (!curl::GlobalInit() || !multi_) return ERROR_WINHTTP_INTERNAL_ERROR;
  easy_.reset(curl_easy_init());
  url_.reset(curl_url());
  if (!easy_ || !url_) return ERROR_NOT_ENOUGH_MEMORY;
  if (curl_url_set(url_.get(), CURLUPART_URL, settings_.url.c_str(), CURLU_PATH_AS_IS) !=
      CURLUE_OK)
    return ERROR_WINHTTP_INVALID_URL;
  origin_ = OriginOf(url_.get());
  if (DWORD error = ConfigureEasy()) return error;
  ResetHopState();
  if (DWORD error = ApplyHop()) return error;
  if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK)
    return ERROR_WINHTTP_INTERNAL_ERROR;
  inMulti_ = true;

  const curl_off_t bodySize = static_cast<curl_off_t>(settings_.body.size());
  auto sent = [&] {
    return (connected_ && uploaded_ >= bodySize) || status_ != 0 || headersComplete_;
  };
  switch (DriveUntil(sent, settings_.timeouts.send)) {
    case DriveResult::kReached:
      return 0;
    case DriveResult::kFinished:
      return FinishedError();
    case DriveResult::kFailed:
      return driveError_;
  }
  return ERROR_WINHTTP_INTERNAL_ERROR;
}

DWORD HttpTransfer::ConfigureEasy() {
  CURL* easy = easy_.get();
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
  };
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_PATH_AS_IS, 1L);
  set(CURLOPT_HTTP_VERSION,
      settings_.http10 ? long{CURL_HTTP_VERSION_1_0} : long{CURL_HTTP_VERSION_1_1});
  set(CURLOPT_HTTP_CONTENT_DECODING, 0L);  // the body is handed back as sent
  set(CURLOPT_HTTP_TRANSFER_DECODING, 1L);
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
  set(CURLOPT_HEADERDATA, this);
  set(CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
  set(CURLOPT_WRITEDATA, this);
  set(CURLOPT_PREREQFUNCTION, &HttpTransfer::OnPrerequest);
  set(CURLOPT_PREREQDATA, this);
  set(CURLOPT_XFERINFOFUNCTION, &HttpTransfer::OnProgress);
  set(CURLOPT_XFERINFODATA, this);
  set(CURLOPT_NOPROGRESS, 0L);

  const Timeouts& timeouts = settings_.timeouts;
  long connectMs = 0;  // libcurl's own default when there is no limit
  if (timeouts.connect > 0)
    connectMs = long{timeouts.connect} + (timeouts.resolve > 0 ? long{timeouts.resolve} : 0L);
  set(CURLOPT_CONNECTTIMEOUT_MS, connectMs);

  curl::TrustCertificatesFromEnvironment(easy_.get());
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);

  // An explicit proxy (or "" for none) and no-proxy list keep libcurl from
  // reading proxy settings from the environment.
  set(CURLOPT_PROXY, settings_.proxyUrl.c_str());
  set(CURLOPT_NOPROXY, settings_.noProxy.c_str());
  if (settings_.proxy.present) {
    set(CURLOPT_PROXYUSERNAME, settings_.proxy.user.c_str());
    set(CURLOPT_PROXYPASSWORD, settings_.proxy.password.c_str());
    set(CURLOPT_PROXYAUTH, settings_.proxy.scheme);
  }
  if (!settings_.agent.empty()) set(CURLOPT_USERAGENT, settings_.agent.c_str());
  if (!settings_.keepAlive) set(CURLOPT_FORBID_REUSE, 1L);
  if (settings_.cookies) set(CURLOPT_COOKIEFILE, "");  // cookie engine, no file
  return ok ? 0 : ERROR_WINHTTP_INTERNAL_ERROR;
}

bool HttpTransfer::SameOriginAsFirst(CURLU* url) const { return OriginOf(url) == origin_; }

DWORD HttpTransfer::ApplyHop() {
  CURL* easy = easy_.get();
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
  };
  std::string url = UrlPart(url_.get(), CURLUPART_URL);
  if (url.empty()) return ERROR_WINHTTP_INVALID_URL;
  set(CURLOPT_URL, url.c_str());  // libcurl copies option strings

  // The method: start from a plain GET, then add what this request needs.
  const std::string& verb = settings_.verb;
  const bool hasBody = !settings_.body.empty() || verb == "POST";
  set(CURLOPT_HTTPGET, 1L);
  set(CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
  if (verb == "HEAD") set(CURLOPT_NOBODY, 1L);
  if (hasBody) {
    set(CURLOPT_POSTFIELDS, settings_.body.data());
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(settings_.body.size()));
  }
  if (verb != "GET" && verb != "POST" && !(verb == "HEAD" && !hasBody))
    set(CURLOPT_CUSTOMREQUEST, verb.c_str());

  // Credentials and the caller's own Authorization and Cookie lines go only
  // to the origin the caller asked for.
  const bool sameOrigin = SameOriginAsFirst(url_.get());
  if (sameOrigin && settings_.server.present) {
    set(CURLOPT_USERNAME, settings_.server.user.c_str());
    set(CURLOPT_PASSWORD, settings_.server.password.c_str());
    set(CURLOPT_HTTPAUTH, settings_.server.scheme);
  } else {
    set(CURLOPT_USERNAME, static_cast<const char*>(nullptr));
    set(CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
  }

  headerList_.Reset();
  cookieLine_.clear();
  bool hasAccept = false, hasContentType = false, hasExpect = false;
  for (const HeaderField& field : settings_.headers) {
    const bool isCookie = EqualsAsciiIgnoringCase(field.name, "Cookie");
    if (!sameOrigin && (isCookie || EqualsAsciiIgnoringCase(field.name, "Authorization")))
      continue;
    // After a redirect the cookies that the hops set travel in libcurl's own
    // Cookie line; the caller's cookies join that line rather than a second one.
    if (isCookie && settings_.cookies && hops_ > 0) {
      if (!cookieLine_.empty()) cookieLine_ += "; ";
      cookieLine_ += field.value;
      continue;
    }
    hasAccept = hasAccept || EqualsAsciiIgnoringCase(field.name, "Accept");
    hasContentType = hasContentType || EqualsAsciiIgnoringCase(field.name, "Content-Type");
    hasExpect = hasExpect || EqualsAsciiIgnoringCase(field.name, "Expect");
    // libcurl sends "Name;" as a header with an empty value; "Name:" would remove it.
    std::string line = field.name + (field.value.empty() ? ";" : ": " + field.value);
    ok = ok && headerList_.Append(line.c_str());
  }
  // WinHttp adds no Accept, Content-Type or Expect lines of its own.
  if (!hasAccept) ok = ok && headerList_.Append("Accept:");
  if (hasBody && !hasContentType) ok = ok && headerList_.Append("Content-Type:");
  if (!hasExpect) ok = ok && headerList_.Append("Expect:");
  set(CURLOPT_HTTPHEADER, headerList_.get());
  set(CURLOPT_COOKIE, cookieLine_.empty() ? nullptr : cookieLine_.c_str());
  return ok ? 0 : ERROR_WINHTTP_INTERNAL_ERROR;
}

void HttpTransfer::ResetHopState() {
  rawHeaders_.clear();
  status_ = 0;
  headersComplete_ = false;
  headerOverflow_ = false;
  headerBytes_ = 0;
  connected_ = false;
  done_ = false;
  result_ = CURLE_OK;
  uploaded_ = 0;
  pending_.clear();
  pendingStart_ = 0;
  paused_ = false;
  bodyError_ = 0;
}

DWORD HttpTransfer::Receive() {
  for (;;) {
    switch (DriveUntil([this] { return headersComplete_; }, settings_.timeouts.receive)) {
      case DriveResult::kReached:
        break;
      case DriveResult::kFinished: {
        DWORD error = FinishedError();
        return error != 0 ? error : ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
      }
      case DriveResult::kFailed:
        return driveError_;
    }
    curl::Url target = RedirectTarget();
    if (!target) return 0;
    if (hops_ >= settings_.maxRedirects) return ERROR_WINHTTP_REDIRECT_FAILED;
    if (DWORD error = StartHop(std::move(target))) return error;
  }
}

curl::Url HttpTransfer::RedirectTarget() const {
  if (!settings_.redirects) return {};
  if (status_ != 301 && status_ != 302 && status_ != 303 && status_ != 307 && status_ != 308)
    return {};
  std::string_view headers = rawHeaders_;
  std::string location;
  std::size_t lineStart = headers.find("\r\n");  // skip the status line
  while (lineStart != std::string_view::npos) {
    lineStart += 2;
    std::size_t lineEnd = headers.find("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) break;
    std::string_view line = headers.substr(lineStart, lineEnd - lineStart);
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        EqualsAsciiIgnoringCase(line.substr(0, colon), "Location")) {
      location = std::string(TrimBlanks(line.substr(colon + 1)));
      break;
    }
    lineStart = lineEnd;
  }
  if (location.empty() || location.find('\0') != std::string::npos) return {};

  curl::Url target(curl_url_dup(url_.get()));
  if (!target ||
      curl_url_set(target.get(), CURLUPART_URL, location.c_str(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE) != CURLUE_OK)
    return {};
  std::string scheme = UrlPart(target.get(), CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https") return {};
  if (scheme == "http" && UrlPart(url_.get(), CURLUPART_SCHEME) == "https" &&
      !settings_.allowHttpsToHttp)
    return {};
  return target;
}

DWORD HttpTransfer::StartHop(curl::Url target) {
  // 303 turns every method but HEAD into GET; 301 and 302 turn POST into
  // GET; 307 and 308 repeat the request as it was.
  const bool toGet = (status_ == 303 && settings_.verb != "HEAD") ||
                     ((status_ == 301 || status_ == 302) && settings_.verb == "POST");
  if (toGet) {
    settings_.verb = "GET";
    settings_.body.clear();
  }
  curl_multi_remove_handle(multi_.get(), easy_.get());
  inMulti_ = false;
  url_ = std::move(target);
  ++hops_;
  ResetHopState();
  if (DWORD error = ApplyHop()) return error;
  if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK)
    return ERROR_WINHTTP_INTERNAL_ERROR;
  inMulti_ = true;
  return 0;
}

HttpTransfer::DriveResult HttpTransfer::DriveUntil(const std::function<bool()>& reached,
                                                   int idleLimitMs) {
  lastActivity_ = Clock::now();
  for (;;) {
    if (reached()) return DriveResult::kReached;
    if (done_) return DriveResult::kFinished;
    if (cancelled_) {
      driveError_ = ERROR_WINHTTP_OPERATION_CANCELLED;
      return DriveResult::kFailed;
    }
    int running = 0;
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
      driveError_ = ERROR_WINHTTP_INTERNAL_ERROR;
      return DriveResult::kFailed;
    }
    CollectFinished();
    if (reached()) return DriveResult::kReached;
    if (done_) return DriveResult::kFinished;

    // Until the connection stands, libcurl's connect time-out is in charge;
    // after that each phase's own limit counts from the last sign of life.
    int waitMs = kMaxPollMs;
    if (connected_ && idleLimitMs > 0) {
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                        lastActivity_);
      if (idle.count() >= idleLimitMs) {
        driveError_ = ERROR_WINHTTP_TIMEOUT;
        return DriveResult::kFailed;
      }
      waitMs = static_cast<int>(std::min<long long>(waitMs, idleLimitMs - idle.count()));
    }
    if (curl_multi_poll(multi_.get(), nullptr, 0, std::max(waitMs, 1), nullptr) != CURLM_OK) {
      driveError_ = ERROR_WINHTTP_INTERNAL_ERROR;
      return DriveResult::kFailed;
    }
  }
}

void HttpTransfer::CollectFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
      done_ = true;
      result_ = message->data.result;
    }
  }
}

DWORD HttpTransfer::FinishedError() const {
  if (headerOverflow_) return ERROR_WINHTTP_HEADER_SIZE_OVERFLOW;
  if (cancelled_) return ERROR_WINHTTP_OPERATION_CANCELLED;
  return ErrorFromCurl(result_);
}

void HttpTransfer::DriveForBody() {
  if (paused_) {
    paused_ = false;
    curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
  }
  if (DriveUntil([this] { return Available() > 0; }, settings_.timeouts.receive) ==
      DriveResult::kFailed)
    bodyError_ = driveError_;
}

DWORD HttpTransfer::QueryAvailable(DWORD& count) {
  if (Available() == 0 && bodyError_ == 0 && !done_) DriveForBody();
  if (cancelled_ && Available() == 0) return ERROR_WINHTTP_OPERATION_CANCELLED;
  if (Available() > 0) {
    count = static_cast<DWORD>(std::min<std::size_t>(Available(), 0xFFFFFFFFu));
  } else if (bodyError_ != 0 || (done_ && result_ != CURLE_OK)) {
    // The body broke off: offer one byte so that the read reports it.
    count = 1;
  } else {
    count = 0;
  }
  return 0;
}

DWORD HttpTransfer::Read(void* buffer, DWORD size, DWORD& bytesRead) {
  bytesRead = 0;
  if (size == 0) return 0;
  if (Available() == 0 && bodyError_ == 0 && !done_) DriveForBody();
  if (Available() > 0) {
    std::size_t n = std::min<std::size_t>(Available(), size);
    std::memcpy(buffer, pending_.data() + pendingStart_, n);
    pendingStart_ += n;
    if (pendingStart_ == pending_.size()) {
      pending_.clear();
      pendingStart_ = 0;
    }
    bytesRead = static_cast<DWORD>(n);
    return 0;
  }
  if (bodyError_ != 0) return bodyError_;
  if (done_ && result_ != CURLE_OK) return FinishedError();
  return 0;
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count,
                                   void* self) noexcept {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const std::size_t length = size * count;
  try {
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    transfer->lastActivity_ = Clock::now();
    transfer->headerBytes_ += length;
    if (transfer->headerBytes_ > kHeaderLimit) {
      transfer->headerOverflow_ = true;
      return 0;
    }
    if (transfer->headersComplete_) {
      // Trailers after a chunked body are not part of the response head,
      // whatever they look like.
    } else if (StartsWithIgnoringCase(line, "HTTP/")) {
      // A new response: an interim one or the final one.
      transfer->rawHeaders_.assign(line);
      transfer->rawHeaders_ += "\r\n";
      transfer->status_ = StatusCodeOf(line);
    } else if (line.empty()) {
      transfer->rawHeaders_ += "\r\n";
      if (transfer->status_ < 100 || transfer->status_ >= 200) transfer->headersComplete_ = true;
    } else {
      transfer->rawHeaders_ += line;
      transfer->rawHeaders_ += "\r\n";
    }
    return length;
  } catch (...) {
    return 0;  // out of memory: libcurl ends the transfer with an error
  }
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count,
                                 void* self) noexcept {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const std::size_t length = size * count;
  if (transfer->Available() >= kPendingLimit) {
    transfer->paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  try {
    if (transfer->pendingStart_ > 0) {
      transfer->pending_.erase(0, transfer->pendingStart_);
      transfer->pendingStart_ = 0;
    }
    transfer->pending_.append(data, length);
  } catch (...) {
    return 0;
  }
  transfer->lastActivity_ = Clock::now();
  return length;
}

int HttpTransfer::OnPrerequest(void* self, char*, char*, int, int) noexcept {
  auto* transfer = static_cast<HttpTransfer*>(self);
  transfer->connected_ = true;
  transfer->lastActivity_ = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int HttpTransfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t,
                             curl_off_t uploaded) noexcept {
  auto* transfer = static_cast<HttpTransfer*>(self);
  if (uploaded != transfer->uploaded_) {
    transfer->uploaded_ = uploaded;
    transfer->lastActivity_ = Clock::now();
  }
  return transfer->cancelled_ ? 1 : 0;
}

}  // namespace http_detail
}  // namespace vexaro
