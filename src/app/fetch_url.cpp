#include "app/fetch_url.h"

#include <limits>
#include <new>
#include <string>

#include "app/curl_transfer.h"

namespace vexaro {

namespace {

struct BodySink {
  ByteBuffer bytes;
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  bool overLimit = false;
};

// libcurl's write callback: no exception may leave it.
std::size_t AppendToBody(char* data, std::size_t size, std::size_t count, void* context) noexcept {
  auto* sink = static_cast<BodySink*>(context);
  const std::size_t length = size * count;
  if (length > sink->limit - sink->bytes.size()) {
    sink->overLimit = true;
    return CURL_WRITEFUNC_ERROR;
  }
  try {
    sink->bytes.insert(sink->bytes.end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CURL_WRITEFUNC_ERROR;  // keeps what came so far
  }
  return length;
}

ByteBuffer Fetch(std::string_view url, std::size_t limit) {
  FetchTransfer transfer = NewFetchTransfer(std::string(url));
  if (!transfer.handle) return {};
  BodySink sink;
  sink.limit = limit;
  curl_easy_setopt(transfer.handle.get(), CURLOPT_WRITEFUNCTION, AppendToBody);
  curl_easy_setopt(transfer.handle.get(), CURLOPT_WRITEDATA, &sink);
  // The outcome is not looked at: a transfer that broke off gives the bytes
  // that came before the break, and an error answer gives its body.
  curl_easy_perform(transfer.handle.get());
  if (sink.overLimit) return {};
  return std::move(sink.bytes);
}

}  // namespace

ByteBuffer FetchUrl(std::string_view url) {
  return Fetch(url, std::numeric_limits<std::size_t>::max());
}

ByteBuffer FetchUrlAtMost(std::string_view url, std::size_t limit) { return Fetch(url, limit); }

}  // namespace vexaro
