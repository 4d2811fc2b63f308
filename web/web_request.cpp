#include "web/web_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string_view>

#include "text/code_page.h"
#include "text/text_search.h"
#include "web/cookie_text.h"
#include "web/gzip_codec.h"
#include "web/http_client.h"
#include "web/request_rules.h"

namespace varnelo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxHeaderBytes = size_t{1} << 20;

// The longest wait on the network before the loop looks at its idle time again.
// An abort does not wait for it: the stop callback wakes the poll at once.
constexpr int kPollMilliseconds = 50;

// The client's own timeouts, used when the caller keeps them (-1): a minute to
// connect and half a minute of silence, as the platform's request objects
// default to (libcurl's own would wait without end for a silent server).
constexpr long kOwnConnectMilliseconds = 60000;
constexpr long kOwnIdleMilliseconds = 30000;

// WinHTTP follows at most 10 redirects by default; so do we.
constexpr long kMaxRedirects = 10;

bool SameHeaderName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

struct CurlList {
  curl_slist* head = nullptr;
  bool failed = false;
  ~CurlList() { curl_slist_free_all(head); }
  void Add(const std::string& line) {
    if (curl_slist* grown = curl_slist_append(head, line.c_str())) {
      head = grown;
    } else {
      failed = true;
    }
  }
};

// The header lines as libcurl takes them: ours in order ("Name;" is libcurl's
// form for an empty value, since "Name:" alone drops a header), then "Name:"
// entries that remove what libcurl would add of its own accord (Accept: */*,
// Content-Type for a body, Expect: 100-continue for a large one) unless a header
// of ours has that name. The server so receives the header text's headers and
// only what HTTP itself needs besides (Host, Content-Length).
void BuildHeaderList(const HeaderList& headers, CurlList& list) {
  for (const auto& [name, value] : headers)
    list.Add(value.empty() ? name + ";" : name + ": " + value);
  for (std::string_view own : {"Accept", "Content-Type", "Expect"}) {
    bool ours = std::any_of(headers.begin(), headers.end(),
                            [&](const auto& header) { return SameHeaderName(header.first, own); });
    if (!ours) list.Add(std::string(own) + ":");
  }
}

struct Transfer {
  Bytes body;
  std::string headerBlock;
  bool tooLarge = false;
  Clock::time_point lastActivity = Clock::now();
  curl_off_t seenDown = 0;
  curl_off_t seenUp = 0;
  std::stop_token abort;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (bytes > kMaxResponseBodyBytes - transfer->body.size()) {
    transfer->tooLarge = true;
    return 0;  // ends the transfer with a write error
  }
  transfer->body.insert(transfer->body.end(), data, data + bytes);
  transfer->lastActivity = Clock::now();
  return bytes;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  std::string_view line(data, bytes);
  // Each response (an interim 1xx, each step of a redirect chain, an
  // authentication round) starts with its status line; only the final
  // response's block and body are kept.
  if (line.starts_with("HTTP/")) {
    transfer->headerBlock.clear();
    transfer->body.clear();
  }
  if (transfer->headerBlock.size() + bytes > kMaxHeaderBytes) return 0;
  transfer->headerBlock += line;
  transfer->lastActivity = Clock::now();
  return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  auto* transfer = static_cast<Transfer*>(user);
  if (downloaded != transfer->seenDown || uploaded != transfer->seenUp) {
    transfer->seenDown = downloaded;
    transfer->seenUp = uploaded;
    transfer->lastActivity = Clock::now();
  }
  return transfer->abort.stop_requested() ? 1 : 0;
}

// A connection is ready and the request is about to go: send and receive time
// count from here, not from the start of the connect.
int OnConnected(void* user, char*, char*, int, int) {
  static_cast<Transfer*>(user)->lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

struct Response {
  Bytes body;
  std::string headers;
  int status = 0;
  std::string error;  // empty when the exchange completed
};

// Drives the transfer to its end on the client's multi handle, watching the
// stop token and the idle time. Empty when the exchange completed, else why not.
std::string Drive(CURL* easy, CURLM* multi, Transfer& transfer, long idleMilliseconds) {
  if (transfer.abort.stop_requested()) return "aborted";
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return "the transfer could not start";
  // Raising the token wakes curl_multi_poll at once; the loop then sees it.
  std::stop_callback wake(transfer.abort, [multi] { curl_multi_wakeup(multi); });

  std::string failure;
  transfer.lastActivity = Clock::now();
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      failure = "the transfer failed";
      break;
    }
    bool done = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        done = true;
        if (message->data.result != CURLE_OK) failure = curl_easy_strerror(message->data.result);
      }
    }
    if (done) break;
    if (running == 0) {
      failure = "the transfer ended without a result";
      break;
    }
    if (transfer.abort.stop_requested()) {
      failure = "aborted";
      break;
    }
    const auto idle = Clock::now() - transfer.lastActivity;
    const auto limit = std::chrono::milliseconds(idleMilliseconds);
    if (idle > limit) {
      failure = "timed out";
      break;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit - idle).count();
    curl_multi_poll(multi, nullptr, 0,
                    static_cast<int>(std::min<int64_t>(kPollMilliseconds, left + 1)), nullptr);
  }
  // Taking out an unfinished transfer closes its connection; a finished one
  // goes back to the multi handle's cache for the client's next exchange.
  curl_multi_remove_handle(multi, easy);
  if (failure.empty() && transfer.abort.stop_requested()) failure = "aborted";
  if (transfer.tooLarge) failure = "the response body is above 64 MiB";
  return failure;
}

// Steps 5 to 15 on libcurl: the options, the headers, the send and the results.
Response Exchange(HttpClient& client, WebRequestArgs& args, std::string_view method) {
  CURL* easy = static_cast<CURL*>(client.easyHandle());
  CURLM* multi = static_cast<CURLM*>(client.multiHandle());
  // A reused client keeps its connections and caches, never the previous
  // request's options (curl_easy_reset leaves live connections alone, and those
  // of an easy handle in a multi handle belong to the multi handle anyway).
  curl_easy_reset(easy);

  Transfer transfer;
  transfer.abort = args.abort;

  // Timeouts. The platform sets four, each to the same T: resolve,
  // connect, send and receive, the last two limiting how long one write or read
  // may wait. CURLOPT_CONNECTTIMEOUT_MS covers resolving, connecting and the TLS
  // handshake, so it takes T. Send and receive become an idle timer in Drive: the
  // exchange fails when no byte has moved for T since the connection was ready
  // or the last byte came or went. As with the platform, there is no limit on a
  // whole exchange that keeps moving (the body bound and the abort end it).
  long connectMilliseconds = kOwnConnectMilliseconds;
  long idleMilliseconds = kOwnIdleMilliseconds;
  if (std::optional<int64_t> timeout = TimeoutMilliseconds(args.timeoutSeconds)) {
    connectMilliseconds = idleMilliseconds = static_cast<long>(*timeout);
  }
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMilliseconds);

  // The named proxy. An empty CURLOPT_PROXY also keeps libcurl from
  // taking one from the environment (http_proxy and the like): without a proxy
  // argument the request goes straight to the server.
  curl_easy_setopt(easy, CURLOPT_PROXY, args.proxy.c_str());
  if (!args.proxy.empty()) {
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYHOST, 0L);
    if (!args.proxyUser.empty()) {
      // The credential flag: 0 names the server's credentials, anything else
      // (1 by default) the proxy's. They go out as Basic, without a first
      // round trip to learn the scheme.
      const bool forProxy = args.proxyCredentialFlag != 0;
      curl_easy_setopt(easy, forProxy ? CURLOPT_PROXYUSERNAME : CURLOPT_USERNAME,
                       args.proxyUser.c_str());
      curl_easy_setopt(easy, forProxy ? CURLOPT_PROXYPASSWORD : CURLOPT_PASSWORD,
                       args.proxyPassword.c_str());
    }
  }

  // The URL goes out as UTF-8, as the platform converts its wide text.
  const std::string wireUrl = GbkToUtf8(args.url);
  curl_easy_setopt(easy, CURLOPT_URL, wireUrl.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // HTTP/1.1, as the platform's request objects speak it: header names reach
  // the caller as the server spelled them.
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  // The body comes back as sent; inflating follows the caller's request headers alone.
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);

  // redirects followed unless noRedirect (Option 6); certificate errors
  // of the server never fail a request (Option 4 = 0x3300).
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, args.noRedirect ? 0L : 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);

  // Steps 9 to 11.
  args.requestHeaders = CompleteRequestHeaders(args.requestHeaders, args.url);
  CurlList headerList;
  BuildHeaderList(RequestHeaderLines(args.cookies, args.requestHeaders), headerList);
  Response response;
  if (headerList.failed) {
    response.error = "out of memory";
    return response;
  }
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.head);

  // the bytes when given, else the text (sent as UTF-8). HEAD sends
  // none; every other method sends a body when there is one.
  const std::string textBody = args.postBytes.empty() ? GbkToUtf8(args.postText) : std::string();
  const char* bodyData = args.postBytes.empty()
                             ? textBody.data()
                             : reinterpret_cast<const char*>(args.postBytes.data());
  const size_t bodySize = args.postBytes.empty() ? textBody.size() : args.postBytes.size();
  if (method == "HEAD") {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (method == "POST" || bodySize > 0) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodySize));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, bodyData);
  }
  const std::string methodName(method);
  if (method != "GET" && method != "POST" && method != "HEAD") {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, methodName.c_str());
  } else if (method == "GET" && bodySize > 0) {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET");
  }
  if (method != "HEAD") {
    // A declared length above the bound fails before any of the body arrives.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(kMaxResponseBodyBytes));
  }

  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &transfer);

  response.error = Drive(easy, multi, transfer, idleMilliseconds);
  if (response.error.empty()) {
    // Steps 13 to 15.
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    response.body = std::move(transfer.body);
    response.headers = std::move(transfer.headerBlock);
  }
  // Every failure is silent: no body, no headers, no status. Nothing of this
  // call (header list, buffers, callbacks) stays referenced by the handle.
  curl_easy_reset(easy);
  return response;
}

const GzipCodec& BuiltInCodec() {
  static const GzipCodec codec;  // keeps no state, so one serves every thread
  return codec;
}

// The steps of both variants. Empty when no client could be had, in which case
// nothing of the caller's was written (bar the early scheme correction of the
// byte variant, and error).
std::optional<Bytes> Perform(WebRequestArgs& args, bool correctSchemeFirst) {
  args.error.clear();
  if (correctSchemeFirst) CorrectScheme(args.url);
  const std::string_view method = MethodName(args.method);

  // the caller's client, or a fresh one for this call alone.
  std::optional<HttpClient> ownClient;
  HttpClient* client = args.requestObject;
  if (client == nullptr) client = &ownClient.emplace();
  if (!client->valid()) {
    args.error = "no HTTP client could be made";
    return std::nullopt;
  }

  if (!correctSchemeFirst) CorrectScheme(args.url);

  Response response = Exchange(*client, args, method);
  args.error = response.error;

  // Steps 14 to 16; a failed exchange carries on with its empty results.
  args.responseHeaders = ReplaceNoCase(response.headers, "Set-Cookie", "Set-Cookie");
  args.status = response.status;
  args.newCookies = CaptureCookies(args.responseHeaders);
  MergeCookies(args.cookies, args.newCookies);
  ownClient.reset();  // a caller's client stays with its owner

  // Gzip: the caller's request alone decides, never the Content-Encoding.
  Bytes body = std::move(response.body);
  if (!body.empty() && AsksForGzip(args.requestHeaders)) {
    const GzipCodec& codec = args.gzipCodec != nullptr ? *args.gzipCodec : BuiltInCodec();
    GzipCodec::Inflated inflated = codec.Inflate(body);
    if (inflated.tooLarge) {
      // A body that inflates past the bound is a failed request, not the raw
      // gzip bytes in its place.
      args.error = "the inflated body is above 64 MiB";
      return Bytes{};
    }
    if (!inflated.bytes.empty()) body = std::move(inflated.bytes);
  }
  return body;
}

}  // namespace

std::string WebRequest(WebRequestArgs& args) {
  std::optional<Bytes> body = Perform(args, /*correctSchemeFirst=*/false);
  // always taken as UTF-8; a byte-order mark stays; the text ends at
  // its first NUL.
  if (!body || body->empty()) return {};
  return Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(body->data()), body->size()));
}

Bytes WebRequestBytes(WebRequestArgs& args) {
  std::optional<Bytes> body = Perform(args, /*correctSchemeFirst=*/true);
  return body ? std::move(*body) : Bytes{};
}

}  // namespace varnelo
