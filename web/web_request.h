#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "web/bytes.h"

namespace varnelo {

class GzipCodec;
class HttpClient;

// The arguments of one HTTP exchange, in the routine's order. Only url is
// required; every other field left at its default means "not given". Fields
// marked in-out or out are written back by the call.
struct WebRequestArgs {
  std::string url;              // in-out: gets "http://" in front when it has no scheme
  int method = 0;               // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 DELETE, 5 OPTIONS,
                                // 6 TRACE, 7 CONNECT, anything else GET
  std::string postText;         // request body, used when postBytes is empty
  std::string cookies;          // in-out: sent as "Cookie"; the server's cookies are merged in
  std::string newCookies;       // out: the cookies this response set
  std::string requestHeaders;   // in-out: CR LF separated lines, completed with the defaults
  std::string responseHeaders;  // out: the response header block
  int status = 0;               // out: HTTP status, 0 when nothing was received
  bool noRedirect = false;      // true turns automatic redirects off
  Bytes postBytes;              // request body; sent instead of postText when not empty
  std::string proxy;            // named proxy server ("host:port")
  int timeoutSeconds = 0;       // -1 keeps the client's own, below 1 means 15 s
  std::string proxyUser;        // proxy (or server) credentials
  std::string proxyPassword;
  int proxyCredentialFlag = 1;          // 1: the credentials are for the proxy, 0: for the server
  HttpClient* requestObject = nullptr;  // a reusable client; a fresh one per call when null

  // Extras of this implementation.
  std::stop_token abort;                 // raised: the exchange in flight ends as a failed request
                                         // (within a few milliseconds)
  const GzipCodec* gzipCodec = nullptr;  // the system's codec; a built-in one when null
  std::string error;                     // out: why the request failed, for a caller that
                                         // shows it; empty when it did not fail
};

// Sound behaviour beyond the original routine: a response body above 64 MiB
// (kMaxResponseBodyBytes), or a gzip body that inflates past 64 MiB
// (GzipCodec::kMaxInflatedBytes), is a failed request with an empty result
// instead of memory without bound. A body that is too large fails the exchange
// itself, so responseHeaders is empty and status 0 as for any failure; a gzip
// body that inflates too far fails only the result, and the header block, status
// and cookies of the exchange stay as received.
inline constexpr size_t kMaxResponseBodyBytes = size_t{64} << 20;

// One complete synchronous exchange, step by step on libcurl. Returns
// the body converted from UTF-8 to code page 936; empty text when the request
// failed or nothing came back. Text arguments and results are code page 936.
// Failures are silent: an empty body, empty responseHeaders and status 0 (error
// says why). Works without a WebGlobal (web/web_global.h), though every program
// entry makes one.
std::string WebRequest(WebRequestArgs& args);

// The same exchange, returning the body bytes unconverted (inflated when gzip
// was asked for and inflating produced output).
Bytes WebRequestBytes(WebRequestArgs& args);

}  // namespace varnelo
