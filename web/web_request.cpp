#include "web/web_request.h"

#include <curl/curl.h>

#include <chrono>
#include <optional>
#include <string_view>

#include "text/code_page.h"
#include "text/text_search.h"
#include "web/cookie_text.h"
#include "web/gzip_codec.h"
#include "web/http_client.h"

namespace varnelo {
namespace {

using Clock = std::chrono::steady_clock;

// No place-search answer comes near this; a larger body is refused rather than
// held in memory without bound.
constexpr size_t kMaxBodyBytes = size_t{64} << 20;
constexpr size_t kMaxHeaderBytes = size_t{1} << 20;

// How often the exchange looks at its stop token and idle time while waiting
// on the network; an abort takes effect within this (or at once, through the
// wake-up of the stop callback).
constexpr int kPollMilliseconds = 50;

// The client's own timeouts, used when the caller keeps them (-1): a minute
// to connect and half a minute of silence, as the platform's request objects
// default to.
constexpr long kOwnConnectMilliseconds = 60000;
constexpr long kOwnIdleMilliseconds = 30000;

constexpr std::string_view kMethodNames[] = {"GET",    "POST",    "HEAD",  "PUT",
                                             "DELETE", "OPTIONS", "TRACE", "CONNECT"};

constexpr std::string_view kUserAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 Safari/537.36";

std::string_view MethodName(int method) {
  if (method < 0 || method >= static_cast<int>(std::size(kMethodNames))) return kMethodNames[0];
  return kMethodNames[method];
}

void CorrectScheme(std::string& url) {
  if (!ContainsText(url, "http://") && !ContainsText(url, "https://")) url.insert(0, "http://");
}

// Appends each default header whose key the text lacks (an exact, case-
// sensitive search anywhere in the text), each on a line of its own.
void CompleteHeaders(std::string& headers, const std::string& url) {
  const std::string referer = "Referer: http://" + UrlHost(url);
  const std::pair<std::string_view, std::string_view> defaults[] = {
      {"Accept:", "Accept: */*"},
      {"Referer:", referer},
      {"Accept-Language:", "Accept-Language: zh-cn"},
      {"User-Agent:", kUserAgent},
      {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
  };
  for (const auto& [key, line] : defaults) {
    if (ContainsText(headers, key)) continue;
    if (!headers.empty()) headers += "\r\n";
    headers += line;
  }
}

struct CurlList {
  curl_slist* head = nullptr;
  ~CurlList() { curl_slist_free_all(head); }
  void Add(const std::string& line) {
    if (curl_slist* grown = curl_slist_append(head, line.c_str())) head = grown;
  }
};

// One request header as libcurl takes it. An empty value needs the ";" form,
// since "Name:" alone tells libcurl to drop the header.
void AddHeader(CurlList& list, const std::string& name, const std::string& value) {
  if (name.empty()) return;
  list.Add(value.empty() ? name + ";" : name + ": " + value);
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
  if (transfer->body.size() + bytes > kMaxBodyBytes) {
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
  // Each response of a redirect chain starts with its status line; only the
  // final response's block is kept.
  if (line.starts_with("HTTP/")) transfer->headerBlock.clear();
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

struct Response {
  Bytes body;
  std::string headers;
  int status = 0;
  bool refused = false;  // the body was too large: a failed request
};

// Drives the transfer to its end on the client's multi handle, watching the
// stop token and the idle time. True when the exchange completed.
bool Drive(CURL* easy, CURLM* multi, Transfer& transfer, long idleMilliseconds) {
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return false;
  std::stop_callback wake(transfer.abort, [multi] { curl_multi_wakeup(multi); });

  bool completed = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    bool done = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        done = true;
        completed = message->data.result == CURLE_OK;
      }
    }
    if (done || running == 0) break;
    if (transfer.abort.stop_requested()) break;
    if (Clock::now() - transfer.lastActivity > std::chrono::milliseconds(idleMilliseconds)) break;
    curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
  }
  curl_multi_remove_handle(multi, easy);
  return completed && !transfer.abort.stop_requested();
}

Response Exchange(HttpClient& client, WebRequestArgs& args, std::string_view method) {
  CURL* easy = static_cast<CURL*>(client.easyHandle());
  CURLM* multi = static_cast<CURLM*>(client.multiHandle());
  // A reused client keeps its connections, never the previous request's options.
  curl_easy_reset(easy);

  Transfer transfer;
  transfer.abort = args.abort;

  // Timeouts: connecting (name resolution included) and silence while sending
  // or receiving each get the one value, as the four platform timeouts did.
  long connectMilliseconds = kOwnConnectMilliseconds;
  long idleMilliseconds = kOwnIdleMilliseconds;
  if (args.timeoutSeconds != -1) {
    long milliseconds = 15000;
    // 32-bit signed milliseconds: larger values are clamped to the largest.
    if (args.timeoutSeconds >= 1)
      milliseconds = std::min<long>(args.timeoutSeconds, 2147483) * 1000;
    connectMilliseconds = idleMilliseconds = milliseconds;
  }
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMilliseconds);

  if (!args.proxy.empty()) {
    curl_easy_setopt(easy, CURLOPT_PROXY, args.proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!args.proxyUser.empty()) {
      const bool forProxy = args.proxyCredentialFlag != 0;
      curl_easy_setopt(easy, forProxy ? CURLOPT_PROXYUSERNAME : CURLOPT_USERNAME,
                       args.proxyUser.c_str());
      curl_easy_setopt(easy, forProxy ? CURLOPT_PROXYPASSWORD : CURLOPT_PASSWORD,
                       args.proxyPassword.c_str());
    }
  }

  const std::string wireUrl = GbkToUtf8(args.url);
  curl_easy_setopt(easy, CURLOPT_URL, wireUrl.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, args.noRedirect ? 0L : 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  // Certificate errors of the server never fail a request.
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);

  CompleteHeaders(args.requestHeaders, args.url);
  CurlList headerList;
  if (!args.cookies.empty()) AddHeader(headerList, "Cookie", args.cookies);
  if (!ContainsText(args.requestHeaders, "\r\n")) {
    AddHeader(headerList, HeaderName(args.requestHeaders), HeaderValue(args.requestHeaders));
  } else {
    for (const std::string& line : SplitLines(args.requestHeaders)) {
      if (!line.empty()) AddHeader(headerList, HeaderName(line), HeaderValue(line));
    }
  }
  // libcurl's own additions that the platform's clients never send.
  headerList.Add("Expect:");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.head);

  // The body: the bytes when given, else the text (sent as UTF-8).
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
  if (method != "GET" && method != "POST" && method != "HEAD") {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, std::string(method).c_str());
  } else if (method == "GET" && bodySize > 0) {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET");
  }

  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);

  Response response;
  if (!Drive(easy, multi, transfer, idleMilliseconds)) {
    // Every failure is silent: no body, no headers, no status.
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    response.refused = transfer.tooLarge;
    return response;
  }
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);  // the list dies with this call
  response.status = static_cast<int>(status);
  response.body = std::move(transfer.body);
  response.headers = std::move(transfer.headerBlock);
  return response;
}

// The shared steps of both variants. Empty when no client could be had, in
// which case nothing of the caller's was written (bar the early scheme
// correction of the byte variant).
std::optional<Bytes> Perform(WebRequestArgs& args, bool correctSchemeFirst) {
  if (correctSchemeFirst) CorrectScheme(args.url);
  const std::string_view method = MethodName(args.method);

  std::optional<HttpClient> ownClient;
  HttpClient* client = args.requestObject;
  if (client == nullptr) client = &ownClient.emplace();
  if (!client->valid()) return std::nullopt;

  if (!correctSchemeFirst) CorrectScheme(args.url);

  Response response = Exchange(*client, args, method);

  args.responseHeaders = ReplaceNoCase(response.headers, "Set-Cookie", "Set-Cookie");
  args.status = response.status;
  args.newCookies = CaptureCookies(args.responseHeaders);
  MergeCookies(args.cookies, args.newCookies);
  if (response.refused) return Bytes{};

  Bytes body = std::move(response.body);
  if (ContainsText(args.requestHeaders, "Accept-Encoding: gzip") ||
      ContainsText(args.requestHeaders, "Accept-Encoding:gzip")) {
    static const GzipCodec fallbackCodec;
    const GzipCodec& codec = args.gzipCodec != nullptr ? *args.gzipCodec : fallbackCodec;
    GzipCodec::Inflated inflated = codec.Inflate(body);
    if (inflated.tooLarge) return Bytes{};  // a gzip bomb is a failed request
    if (!inflated.bytes.empty()) body = std::move(inflated.bytes);
  }
  return body;
}

}  // namespace

std::string WebRequest(WebRequestArgs& args) {
  std::optional<Bytes> body = Perform(args, /*correctSchemeFirst=*/false);
  if (!body || body->empty()) return {};
  return Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(body->data()), body->size()));
}

Bytes WebRequestBytes(WebRequestArgs& args) {
  std::optional<Bytes> body = Perform(args, /*correctSchemeFirst=*/true);
  return body ? std::move(*body) : Bytes{};
}

}  // namespace varnelo
