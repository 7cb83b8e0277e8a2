// A WinHttp-shaped HTTP client: the functions and constants of the Windows
// WinHttp API that WebRequest uses, with WinHttp's failure points, carried out
// by libcurl.
//
// Only synchronous use is offered. Strings are UTF-16 (char16_t); texts that
// go on the wire as bytes (header lines, credentials) pass through code page
// 936, the system's ANSI code page, and the object name of a request is sent
// as percent-escaped UTF-8, as WinHttp does by default.
//
// Every handle may be closed from any thread; a call that is blocked on the
// network with that handle then fails with ERROR_WINHTTP_OPERATION_CANCELLED.
// A failing call returns false (or a null handle) and leaves its reason for
// GetLastError on the calling thread.
#pragma once

#include <cstdint>

namespace vexaro {

using DWORD = std::uint32_t;
using INTERNET_PORT = std::uint16_t;
using HINTERNET = void*;

// ---- Constants -------------------------------------------------------------

inline constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
inline constexpr DWORD WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY = 4;

inline constexpr INTERNET_PORT INTERNET_DEFAULT_PORT = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr int INTERNET_SCHEME_HTTP = 1;
inline constexpr int INTERNET_SCHEME_HTTPS = 2;

inline constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;
inline constexpr DWORD WINHTTP_FLAG_ASYNC = 0x10000000;

inline constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
inline constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 0x00000001;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_NTLM = 0x00000002;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_DIGEST = 0x00000008;
inline constexpr DWORD WINHTTP_AUTH_SCHEME_NEGOTIATE = 0x00000010;

inline constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;
inline constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;
inline constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY = 88;
inline constexpr DWORD WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS = 89;

inline constexpr DWORD WINHTTP_DISABLE_COOKIES = 0x00000001;
inline constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 0x00000002;
inline constexpr DWORD WINHTTP_DISABLE_AUTHENTICATION = 0x00000004;
inline constexpr DWORD WINHTTP_DISABLE_KEEP_ALIVE = 0x00000008;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 0x00000001;
inline constexpr DWORD WINHTTP_ENABLE_SSL_REVERT_IMPERSONATION = 0x00000002;

inline constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_NEVER = 0;
inline constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP = 1;
inline constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS = 2;

inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA = 0x40000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON = 0x01000000;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE = WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA;
inline constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

inline constexpr DWORD WINHTTP_QUERY_CONTENT_TYPE = 1;
inline constexpr DWORD WINHTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr DWORD WINHTTP_QUERY_VERSION = 18;
inline constexpr DWORD WINHTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD WINHTTP_QUERY_STATUS_TEXT = 20;
inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS = 21;
inline constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr DWORD WINHTTP_QUERY_LOCATION = 33;
inline constexpr DWORD WINHTTP_QUERY_SET_COOKIE = 43;
inline constexpr DWORD WINHTTP_QUERY_CUSTOM = 65535;
inline constexpr DWORD WINHTTP_QUERY_FLAG_NUMBER = 0x20000000;
inline constexpr const char16_t* WINHTTP_HEADER_NAME_BY_INDEX = nullptr;
inline constexpr DWORD* WINHTTP_NO_HEADER_INDEX = nullptr;

inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
inline constexpr DWORD ERROR_WINHTTP_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
inline constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
inline constexpr DWORD ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_WINHTTP_INVALID_OPTION = 12009;
inline constexpr DWORD ERROR_WINHTTP_OPERATION_CANCELLED = 12017;
inline constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_STATE = 12019;
inline constexpr DWORD ERROR_WINHTTP_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_WINHTTP_CONNECTION_ERROR = 12030;
inline constexpr DWORD ERROR_WINHTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_WINHTTP_HEADER_ALREADY_EXISTS = 12155;
inline constexpr DWORD ERROR_WINHTTP_REDIRECT_FAILED = 12156;
inline constexpr DWORD ERROR_WINHTTP_SECURE_FAILURE = 12175;
inline constexpr DWORD ERROR_WINHTTP_HEADER_SIZE_OVERFLOW = 12183;

// The parts of a URL, as WinHttpCrackUrl fills them. A length of 0 means the
// part is not wanted; a non-zero length with a null pointer asks for a
// pointer into the cracked URL; a pointer with a length asks for a copy into
// that buffer of as many code units.
struct URL_COMPONENTS {
  DWORD dwStructSize = 0;
  char16_t* lpszScheme = nullptr;
  DWORD dwSchemeLength = 0;
  int nScheme = 0;
  char16_t* lpszHostName = nullptr;
  DWORD dwHostNameLength = 0;
  INTERNET_PORT nPort = 0;
  char16_t* lpszUserName = nullptr;
  DWORD dwUserNameLength = 0;
  char16_t* lpszPassword = nullptr;
  DWORD dwPasswordLength = 0;
  char16_t* lpszUrlPath = nullptr;
  DWORD dwUrlPathLength = 0;
  char16_t* lpszExtraInfo = nullptr;
  DWORD dwExtraInfoLength = 0;
};

// ---- Functions -------------------------------------------------------------

// The reason for the calling thread's last failed call.
DWORD GetLastError();

// True when the HTTP stack (libcurl with TLS) is usable.
bool WinHttpCheckPlatform();

// Splits an absolute http or https URL. `urlLength` 0 means the URL ends at
// its zero code unit. Fails for any other scheme, a missing "//", an empty
// host or a bad port.
bool WinHttpCrackUrl(const char16_t* url, DWORD urlLength, DWORD flags,
                     URL_COMPONENTS* components);

// The session. `proxy` is a WinHttp proxy list ("host:port",
// "http=host:port;https=host:port", entries separated by ';' or spaces) used
// with WINHTTP_ACCESS_TYPE_NAMED_PROXY; `bypass` lists hosts reached directly.
HINTERNET WinHttpOpen(const char16_t* agent, DWORD accessType, const char16_t* proxy,
                      const char16_t* bypass, DWORD flags);

// The server a request goes to; port 0 is the scheme's default.
HINTERNET WinHttpConnect(HINTERNET session, const char16_t* serverName, INTERNET_PORT port,
                         DWORD reserved);

// A request on a connection; a null verb is "GET", a null object "/", a null
// version HTTP/1.1; `acceptTypes` is a null-terminated list or null.
HINTERNET WinHttpOpenRequest(HINTERNET connection, const char16_t* verb,
                             const char16_t* objectName, const char16_t* version,
                             const char16_t* referrer, const char16_t** acceptTypes,
                             DWORD flags);

// Time-outs in milliseconds on a session (for its later requests) or on a
// request; 0 and -1 mean none. The resolve and connect times bound the way to
// a connected server, the send and receive times each wait for the network.
bool WinHttpSetTimeouts(HINTERNET handle, int resolveTimeout, int connectTimeout,
                        int sendTimeout, int receiveTimeout);

// Credentials for the server or the proxy, given before the request is sent
// (Basic is sent with the first request).
bool WinHttpSetCredentials(HINTERNET request, DWORD authTargets, DWORD authScheme,
                           const char16_t* userName, const char16_t* password,
                           void* authParams);

// The request options above, each a DWORD passed by address with length 4.
bool WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD bufferLength);

// Header lines separated by "\r\n"; `length` (DWORD)-1 means up to the zero
// code unit. Every line must be "Name: value" without control characters.
bool WinHttpAddRequestHeaders(HINTERNET request, const char16_t* headers, DWORD length,
                              DWORD modifiers);

// Connects (proxy tunnel and TLS handshake included) and sends the request
// with its body. `totalLength` must equal `optionalLength`.
bool WinHttpSendRequest(HINTERNET request, const char16_t* headers, DWORD headersLength,
                        const void* optional, DWORD optionalLength, DWORD totalLength,
                        std::uintptr_t context);

// Waits for the headers of the final response, following redirects unless
// they are disabled (at most 10 by default, never from https to http).
bool WinHttpReceiveResponse(HINTERNET request, void* reserved);

// Waits until body bytes are at hand and tells how many; 0 at the end of the
// body. When the body broke off, a count is still reported so that the next
// WinHttpReadData reports the failure.
bool WinHttpQueryDataAvailable(HINTERNET request, DWORD* numberOfBytesAvailable);

// Copies up to `numberOfBytesToRead` body bytes; 0 read at the end of the body.
// Fails when the body broke off or no bytes came within the receive time-out.
bool WinHttpReadData(HINTERNET request, void* buffer, DWORD numberOfBytesToRead,
                     DWORD* numberOfBytesRead);

// Headers of the final response. `bufferLength` is in bytes; when the buffer
// is missing or too small the call fails with ERROR_INSUFFICIENT_BUFFER and
// sets `bufferLength` to the bytes needed, terminator included.
bool WinHttpQueryHeaders(HINTERNET request, DWORD infoLevel, const char16_t* name, void* buffer,
                         DWORD* bufferLength, DWORD* index);

bool WinHttpCloseHandle(HINTERNET handle);

}  // namespace vexaro
