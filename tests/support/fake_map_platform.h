#pragma once

#include <atomic>
#include <chrono>
#include <compare>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class SSLServer;
struct Request;
struct Response;
}  // namespace httplib

namespace varnelo::test {

// A stand-in for the place-search endpoints of both map platforms: one loopback
// HTTPS server (self-signed certificate) that answers the Amap path
// "/service/poiInfo" and the Baidu path "/" from fixture files and from answers
// set by the test, records every request, and can be told to misbehave on a
// given page. Texts here are UTF-8, as on the wire.

enum class MapPlatform { kBaidu, kAmap };

// One page the platform can be asked for, as the URL names it.
struct PageKey {
  MapPlatform platform = MapPlatform::kBaidu;
  std::string city;     // Baidu "c", Amap "city"
  std::string keyword;  // Baidu "wd", Amap "keywords", percent-decoded (UTF-8)
  int page = 0;         // Baidu "pn" (from 0), Amap "pagenum" (from 1)

  auto operator<=>(const PageKey&) const = default;
};

// How a page is answered when the test wants it to go wrong.
enum class PageFault {
  kNone,
  kGarbage,          // 200 with a body that is not JSON (the services' HTML error pages)
  kEmptyBody,        // 200 with no body
  kDelay,            // the normal answer, held back for the fault's delay
  kCloseConnection,  // the headers promise a body, then the connection is closed
  kServerError,      // status 500 with an HTML error page
  kCloseMidBody,     // the headers promise the whole page; half of it comes, then the
                     // connection is closed
  kNeverAnswer,      // the request is read and never answered, until the server stops
  kHugeBody,         // a well-formed page of SetHugeBodyBytes bytes (records without
                     // end), its length declared, written as the client takes it
  kHugeChunkedBody,  // the same page in chunks, its length declared nowhere
};

struct RecordedRequest {
  std::string target;           // path and query exactly as received
  int remotePort = 0;           // the client's port: equal ports mean one connection
  std::optional<PageKey> page;  // empty when the target named no page of either endpoint
};

// One place of a made-up answer.
struct FakePlace {
  std::string name{};
  std::optional<std::string> telephone{};  // none: Baidu leaves "tel" out, Amap sends ""
  std::string address{};
  std::string area{};  // Baidu "area_name", Amap "cityname"
  std::string x{};     // Baidu "navi_x", Amap "longitude"
  std::string y{};     // Baidu "navi_y", Amap "latitude"
};

// Answers in the shapes the services use. Baidu: numbers for counts, every
// non-ASCII character and "/" escaped, no "tel" member for a place without one.
// Amap: every scalar a string, characters as they are.
std::string BaiduAnswer(const std::vector<FakePlace>& places, int pageNumber = 0);
std::string BaiduPastLastPageAnswer();  // no "content" at all
std::string AmapAnswer(const std::vector<FakePlace>& places);
std::string AmapPastLastPageAnswer();  // an empty "poi_list"
std::string AmapRateLimitAnswer();     // {"status":"6","data":"too fast"}

// Fixture files live at <root>/<baidu|amap>/<city>/<keyword>/<page>.json, with
// city, keyword and page as the URL carries them. Folder names are the texts
// themselves, "%", "/", "\" and control bytes written as "%XX"; an empty text
// is the folder "%empty".
std::string FixtureFolderName(std::string_view text);
std::filesystem::path FixturePath(const std::filesystem::path& root, const PageKey& page);

class FakeMapPlatform {
 public:
  // Listens on 127.0.0.1 at port (0: a free one) until Stop or destruction.
  // fixtureRoot may be empty: then only answers set with SetAnswer exist.
  explicit FakeMapPlatform(std::filesystem::path fixtureRoot = {}, int port = 0);
  ~FakeMapPlatform();
  FakeMapPlatform(const FakeMapPlatform&) = delete;
  FakeMapPlatform& operator=(const FakeMapPlatform&) = delete;

  bool IsListening() const { return port_ > 0; }
  int port() const { return port_; }
  std::string host() const;  // "127.0.0.1:<port>", ready for PlaceSearchHosts

  // The answer for a page, instead of its fixture file. A page with neither is
  // past the last page.
  void SetAnswer(const PageKey& page, std::string body);
  void SetFault(const PageKey& page, PageFault fault,
                std::chrono::milliseconds delay = std::chrono::milliseconds(0));
  // Every answer waits this long first (network latency for benchmarks).
  void SetAnswerDelay(std::chrono::milliseconds delay);
  // The length of a kHugeBody or kHugeChunkedBody page; 100 MB unless set.
  void SetHugeBodyBytes(size_t bytes);
  // The bytes of huge pages written so far: a client that gives up early
  // leaves the rest unsent.
  size_t HugeBodyBytesSent() const;
  // Called on the server's thread for every request as it arrives.
  void SetRequestHook(std::function<void(const RecordedRequest&)> hook);

  std::vector<RecordedRequest> Requests() const;
  std::vector<PageKey> RequestedPages() const;  // the pages named, in order
  void ClearRequests();
  // True once at least count requests have arrived; false after timeout.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;
  // Answers being held back by a delay right now.
  int HeldAnswers() const;

  // Releases every held answer and shuts the server down. Idempotent.
  void Stop();

 private:
  struct Fault {
    PageFault kind = PageFault::kNone;
    std::chrono::milliseconds delay{0};
  };

  void Handle(std::optional<MapPlatform> platform, const httplib::Request& request,
              httplib::Response& response);
  std::string PageBody(const PageKey& page) const;
  // Waits for delay unless the server shuts down first; false when it does.
  bool Hold(std::chrono::milliseconds delay);

  std::filesystem::path fixtureRoot_;
  std::unique_ptr<httplib::SSLServer> server_;
  std::thread listener_;
  int port_ = 0;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  int held_ = 0;
  std::map<PageKey, std::string> answers_;
  std::map<PageKey, Fault> faults_;
  std::chrono::milliseconds answerDelay_{0};
  size_t hugeBodyBytes_ = 100'000'000;
  std::atomic<size_t> hugeBodyBytesSent_{0};
  std::function<void(const RecordedRequest&)> hook_;
  std::vector<RecordedRequest> requests_;
};

}  // namespace varnelo::test
