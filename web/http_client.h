#pragma once

#include <memory>

namespace varnelo {

// A reusable HTTP client: the request object a caller may keep across
// exchanges. It holds a libcurl handle and its connection cache, so
// consecutive exchanges to the same host reuse the open TCP/TLS connection;
// no cookies or headers carry over. Used by one thread at a time.
class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // False when libcurl could not make its handles; such a client makes no
  // request.
  bool valid() const;

  // The libcurl easy and multi handles (CURL*, CURLM*), for the exchange.
  void* easyHandle() const;
  void* multiHandle() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace varnelo
