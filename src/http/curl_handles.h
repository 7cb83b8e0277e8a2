// Owning holders for libcurl's C handles, so that every path out of the HTTP
// layer gives them back.
#pragma once

#include <curl/curl.h>

#include <memory>

namespace vexaro::curl {

struct EasyDeleter {
  void operator()(CURL* easy) const noexcept { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const noexcept { curl_url_cleanup(url); }
};
struct StringDeleter {
  void operator()(char* text) const noexcept { curl_free(text); }
};

using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using Url = std::unique_ptr<CURLU, UrlDeleter>;
using String = std::unique_ptr<char, StringDeleter>;  // text that libcurl allocated

// A header list that grows by Append; curl_slist_append returns the list head,
// or null when it runs out of memory, which leaves the old list intact.
class Slist {
 public:
  bool Append(const char* line) {
    curl_slist* grown = curl_slist_append(list_.get(), line);
    if (grown == nullptr) return false;
    list_.release();
    list_.reset(grown);
    return true;
  }
  curl_slist* get() const { return list_.get(); }
  void Reset() { list_.reset(); }

 private:
  std::unique_ptr<curl_slist, SlistDeleter> list_;
};

// Process-wide libcurl set-up, done once; false when libcurl cannot start.
bool GlobalInit();

}  // namespace vexaro::curl
