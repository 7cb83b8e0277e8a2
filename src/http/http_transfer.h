// One HTTP exchange driven step by step with libcurl's multi interface, so
// that sending, waiting for the response headers and reading the body are
// separate phases with their own failures and time-outs, and the body is
// handed out in pieces as it arrives instead of being held whole.
//
// Redirects are followed here, not by libcurl, so that each hop can be judged
// as WinHttp judges it (at most a set number, never from https to http unless
// allowed) and only the final response's headers are kept. A hop to another
// origin (scheme, host or port) gets neither the server credentials nor the
// caller's Authorization and Cookie lines.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "http/curl_handles.h"
#include "http/winhttp.h"

namespace vexaro::http_detail {

// A request header as it goes on the wire (code page 936 bytes).
struct HeaderField {
  std::string name;
  std::string value;
};

// Time-outs in milliseconds; 0 means none.
struct Timeouts {
  int resolve = 0;
  int connect = 60000;
  int send = 30000;
  int receive = 30000;
};

struct Credentials {
  bool present = false;
  unsigned long scheme = 0;  // CURLAUTH_* bits
  std::string user;
  std::string password;
};

struct TransferSettings {
  std::string url;  // absolute, already escaped
  std::string verb = "GET";
  bool http10 = false;
  std::vector<HeaderField> headers;
  std::string body;
  std::string proxyUrl;  // empty: no proxy
  std::string noProxy;   // comma-separated host names
  std::string agent;     // empty: no User-Agent of our own
  Credentials server;
  Credentials proxy;
  bool cookies = true;  // carry cookies across the hops of this request
  bool redirects = true;
  bool keepAlive = true;
  bool allowHttpsToHttp = false;
  int maxRedirects = 10;
  Timeouts timeouts;
};

class HttpTransfer {
 public:
  HttpTransfer();
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  // Each returns 0 on success or a WinHttp error code.
  DWORD Send(TransferSettings settings);
  DWORD Receive();
  DWORD QueryAvailable(DWORD& count);
  DWORD Read(void* buffer, DWORD size, DWORD& bytesRead);

  // The final response: its raw header bytes ("HTTP/1.1 200 OK\r\n...\r\n\r\n").
  const std::string& RawHeaders() const { return rawHeaders_; }

  // Makes a call that waits on the network give up; any thread may call it.
  void Cancel() noexcept;

 private:
  enum class DriveResult { kReached, kFinished, kFailed };

  DWORD ConfigureEasy();
  DWORD ApplyHop();
  DWORD StartHop(curl::Url target);
  curl::Url RedirectTarget() const;
  bool SameOriginAsFirst(CURLU* url) const;
  void ResetHopState();
  DriveResult DriveUntil(const std::function<bool()>& reached, int idleLimitMs);
  void CollectFinished();
  DWORD FinishedError() const;
  void DriveForBody();
  std::size_t Available() const { return pending_.size() - pendingStart_; }

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count,
                              void* self) noexcept;
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count,
                            void* self) noexcept;
  static int OnPrerequest(void* self, char*, char*, int, int) noexcept;
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t,
                        curl_off_t uploaded) noexcept;

  curl::Multi multi_;
  curl::Easy easy_;
  curl::Slist headerList_;
  curl::Url url_;        // the current hop's URL
  std::string origin_;   // scheme://host:port of the first hop
  TransferSettings settings_;
  bool inMulti_ = false;
  int hops_ = 0;
  std::string cookieLine_;

  // State of the current hop.
  std::string rawHeaders_;
  int status_ = 0;
  bool headersComplete_ = false;
  bool headerOverflow_ = false;
  std::size_t headerBytes_ = 0;  // as received, every response of the hop
  bool connected_ = false;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
  curl_off_t uploaded_ = 0;
  std::string pending_;  // body bytes received and not yet read
  std::size_t pendingStart_ = 0;
  bool paused_ = false;
  DWORD bodyError_ = 0;  // reported by the next read
  DWORD driveError_ = 0;
  std::chrono::steady_clock::time_point lastActivity_;

  std::atomic<bool> cancelled_{false};
};

// The WinHttp error that stands for a libcurl result.
DWORD ErrorFromCurl(CURLcode code);

}  // namespace vexaro::http_detail
