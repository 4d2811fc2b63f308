#include "web/http_client.h"

#include <curl/curl.h>

namespace varnelo {

struct HttpClient::Handles {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
};

HttpClient::HttpClient() : handles_(std::make_unique<Handles>()) {
  handles_->easy = curl_easy_init();
  // The connection cache lives in the multi handle, which stays for the
  // client's lifetime; the easy handle is added for each exchange.
  handles_->multi = curl_multi_init();
}

HttpClient::~HttpClient() {
  if (handles_->easy != nullptr) curl_easy_cleanup(handles_->easy);
  if (handles_->multi != nullptr) curl_multi_cleanup(handles_->multi);
}

bool HttpClient::valid() const { return handles_->easy != nullptr && handles_->multi != nullptr; }

void* HttpClient::easyHandle() const { return handles_->easy; }

void* HttpClient::multiHandle() const { return handles_->multi; }

}  // namespace varnelo
