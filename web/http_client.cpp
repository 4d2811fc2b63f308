#include "web/http_client.h"

#include <curl/curl.h>

#include "web/web_global.h"

namespace varnelo {

struct HttpClient::Handles {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;

  ~Handles() {
    // The easy handle is never left in the multi handle between exchanges.
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
  }
};

HttpClient::HttpClient() : handles_(std::make_unique<Handles>()) {
  // libcurl's global set-up, should the program have made no WebGlobal; never
  // left to curl_easy_init's own lazy (and not always thread-safe) one.
  if (!EnsureWebGlobal()) return;
  handles_->easy = curl_easy_init();
  // The connection cache lives in the multi handle, which stays for the
  // client's lifetime; the easy handle is added for each exchange.
  handles_->multi = curl_multi_init();
}

HttpClient::~HttpClient() = default;
HttpClient::HttpClient(HttpClient&& other) noexcept = default;
HttpClient& HttpClient::operator=(HttpClient&& other) noexcept = default;

bool HttpClient::valid() const {
  return handles_ != nullptr && handles_->easy != nullptr && handles_->multi != nullptr;
}

void* HttpClient::easyHandle() const { return handles_ ? handles_->easy : nullptr; }

void* HttpClient::multiHandle() const { return handles_ ? handles_->multi : nullptr; }

}  // namespace varnelo
