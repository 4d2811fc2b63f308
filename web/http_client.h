#pragma once

#include <memory>

namespace varnelo {

// A reusable HTTP client: the request object ("requestObject") a
// caller may keep across exchanges. It holds a libcurl easy handle and a multi
// handle; the connection cache lives in the multi handle, so consecutive
// exchanges to the same host reuse the open TCP/TLS connection when the server
// keeps it. Nothing else carries over: each exchange starts from a reset easy
// handle (no cookies, headers, credentials or options of the one before). A
// connection that broke is simply opened anew by libcurl.
//
// Used by one thread at a time. It may be moved; a moved-from client is not
// valid(), and an exchange through it is one with no request object.
class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(HttpClient&& other) noexcept;
  HttpClient& operator=(HttpClient&& other) noexcept;
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // False when libcurl could not make its handles (or after a move); such a
  // client makes no request.
  bool valid() const;

  // The libcurl easy and multi handles (CURL*, CURLM*), for the exchange.
  void* easyHandle() const;
  void* multiHandle() const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace varnelo
