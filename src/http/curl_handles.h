// Owning holders for libcurl's C handles, so that every path gives them back,
// and the set-up every libcurl transfer of the program shares. Used by the
// HTTP layer and by the application's whole-body fetches.
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

// Points `easy` at the certificates the environment names. libcurl itself
// ignores these variables; reading them lets a private CA be trusted:
// CURL_CA_BUNDLE, else SSL_CERT_FILE, for the bundle, and SSL_CERT_DIR.
void TrustCertificatesFromEnvironment(CURL* easy);

}  // namespace vexaro::curl
