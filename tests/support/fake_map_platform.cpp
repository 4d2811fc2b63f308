#include "tests/support/fake_map_platform.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "tests/support/test_certificate.h"

namespace varnelo::test {
namespace {

// ---- Answers -------------------------------------------------------------

// Decodes one UTF-8 sequence at pos; malformed input yields U+FFFD and one byte.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  int length = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    value = (value << 6) | (next & 0x3F);
  }
  pos += length;
  return value;
}

void AppendUnicodeEscape(std::string& out, unsigned unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

// A JSON string literal. escapeAll: write every non-ASCII character as \uXXXX
// (surrogate pairs above U+FFFF) and "/" as "\/", the way Baidu does.
std::string JsonString(std::string_view text, bool escapeAll) {
  std::string out = "\"";
  for (size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
      ++pos;
    } else if (c == '/' && escapeAll) {
      out += "\\/";
      ++pos;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      AppendUnicodeEscape(out, static_cast<unsigned char>(c));
      ++pos;
    } else if (static_cast<unsigned char>(c) < 0x80 || !escapeAll) {
      out += c;
      ++pos;
    } else {
      const char32_t code = NextCodePoint(text, pos);
      if (code > 0xFFFF) {
        AppendUnicodeEscape(out, 0xD800 + ((code - 0x10000) >> 10));
        AppendUnicodeEscape(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
      } else {
        AppendUnicodeEscape(out, static_cast<unsigned>(code));
      }
    }
  }
  out += '"';
  return out;
}

std::string BaiduString(std::string_view text) { return JsonString(text, true); }
std::string AmapString(std::string_view text) { return JsonString(text, false); }

std::string BaiduCurrentCity() {
  return R"("current_city":{"code":257,"geo":"1|12609384.38,2629132.09;12609384.38,2629132.09|12609384.38,2629132.09;","level":12,"name":)" +
         BaiduString("广州市") +
         R"(,"sup":1,"sup_bus":1,"sup_business_area":1,"sup_lukuang":1,"sup_subway":1,"type":2,"up_province_name":)" +
         BaiduString("广东省") + "}";
}

std::string BaiduPlace(const FakePlace& place, size_t index) {
  const std::string uid = "9d0f" + std::to_string(1000000 + index) + "a5e1c2b3d4e5f6a7b8c9";
  std::string out =
      R"({"acc_flag":0,"addr":)" + BaiduString(place.address) +
      R"(,"alias":[],"area":2120,"area_name":)" + BaiduString(place.area) + R"(,"cla":[[1,)" +
      BaiduString("美食") + R"(],[105,)" + BaiduString("中餐厅") +
      R"(]],"detail":1,"ext":{"detail_info":{"overall_rating":"4.5","price":"68","tag":)" +
      BaiduString("美食;中餐厅") + R"(},"src_name":"cater"},"geo_type":2,"name":)" +
      BaiduString(place.name) + R"(,"navi_x":)" + BaiduString(place.x) + R"(,"navi_y":)" +
      BaiduString(place.y) + R"(,"poiType":0,"std_tag":)" + BaiduString("美食;中餐厅");
  if (place.telephone) out += R"(,"tel":)" + BaiduString(*place.telephone);
  out += R"(,"uid":")" + uid + R"(","view_type":0,"x":)" + std::to_string(1322489139 + index) +
         R"(,"y":)" + std::to_string(375606755 + index) + "}";
  return out;
}

std::string AmapPlace(const FakePlace& place, size_t index) {
  const std::string id = "B00140D" + std::to_string(100 + index);
  return R"({"id":")" + id + R"(","name":)" + AmapString(place.name) + R"(,"disp_name":)" +
         AmapString(place.name) + R"(,"address":)" + AmapString(place.address) + R"(,"tel":)" +
         AmapString(place.telephone.value_or("")) + R"(,"cityname":)" + AmapString(place.area) +
         R"(,"adcode":"440105","typecode":"060400","longitude":)" + AmapString(place.x) +
         R"(,"latitude":)" + AmapString(place.y) +
         R"(,"distance":"","rating":"4.3","domain_list":[{"id":"1015","name":"business","value":"1"}],"templateData":{"pic_info":[]}})";
}

std::string AmapData(const std::string& poiList, size_t total) {
  return R"({"status":"1","searchOpt":{"city":"440100","pageIndex":"1","pageSize":"20","keyword":""},"data":{"code":"1","result":"true","total":")" +
         std::to_string(total) + R"(","message":"Successful.","busline_list":[],"poi_list":[)" +
         poiList + "]}}";
}

// ---- Requests ------------------------------------------------------------

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<PageKey> PageOf(MapPlatform platform, const httplib::Request& request) {
  const bool baidu = platform == MapPlatform::kBaidu;
  const auto page = ParseInt(request.get_param_value(baidu ? "pn" : "pagenum"));
  if (!page) return std::nullopt;
  return PageKey{platform, request.get_param_value(baidu ? "c" : "city"),
                 request.get_param_value(baidu ? "wd" : "keywords"), *page};
}

constexpr std::string_view kServerErrorPage =
    "<!DOCTYPE html><html><head><title>500 Internal Server Error</title></head>"
    "<body><h1>Internal Server Error</h1><p>The server encountered an internal error and was "
    "unable to complete your request.</p></body></html>";

// The bytes of a page of length total at offset: a record list that goes on
// until the last bytes close it, so any prefix looks like a page on its way.
class HugePage {
 public:
  explicit HugePage(size_t total)
      : total_(std::max(total, kHead.size() + kTail.size())),
        recordsEnd_((total_ - kHead.size() - kTail.size()) / kRecord.size() * kRecord.size()) {}

  // Up to length bytes from offset into out.
  void Fill(size_t offset, std::string& out, size_t length) const {
    out.resize(offset < total_ ? std::min(length, total_ - offset) : 0);
    for (size_t i = 0; i < out.size();) {
      const size_t pos = offset + i;
      if (pos >= kHead.size() && pos - kHead.size() < recordsEnd_) {
        const size_t inRecords = pos - kHead.size();
        const size_t from = inRecords % kRecord.size();
        const size_t count =
            std::min({kRecord.size() - from, out.size() - i, recordsEnd_ - inRecords});
        out.replace(i, count, kRecord.substr(from, count));
        i += count;
      } else {
        out[i++] = At(pos);
      }
    }
  }

 private:
  static constexpr std::string_view kHead = R"({"content":[)";
  static constexpr std::string_view kRecord =
      R"({"name":"shop","tel":"13800138000","addr":"road 1","area_name":"area"},)";
  static constexpr std::string_view kTail = R"({}]})";

  // Outside the records: the head, the padding after the last whole record
  // (white space to JSON), and the tail.
  char At(size_t pos) const {
    if (pos < kHead.size()) return kHead[pos];
    if (pos >= total_ - kTail.size()) return kTail[pos - (total_ - kTail.size())];
    return ' ';
  }

  size_t total_;
  size_t recordsEnd_;
};

constexpr std::string_view kGarbage =
    "<!DOCTYPE html><html><head><title>502 Bad Gateway</title></head>"
    "<body><center><h1>502 Bad Gateway</h1></center></body></html>";

}  // namespace

std::string BaiduAnswer(const std::vector<FakePlace>& places, int pageNumber) {
  std::string content;
  for (size_t i = 0; i < places.size(); ++i) {
    if (i > 0) content += ',';
    content += BaiduPlace(places[i], i);
  }
  const std::string count = std::to_string(places.size());
  return R"({"content":[)" + content + "]," + BaiduCurrentCity() + R"(,"result":{"count":)" +
         count + R"(,"page_num":)" + std::to_string(pageNumber) + R"(,"total":)" +
         std::to_string(places.size() + 10 * static_cast<size_t>(pageNumber)) +
         R"(,"type":11,"op_gel":1,"qid":"5523840917368519345","wd":"","what":""}})";
}

std::string BaiduPastLastPageAnswer() {
  return "{" + BaiduCurrentCity() +
         R"(,"result":{"count":0,"page_num":0,"total":0,"type":11,"op_gel":1,"qid":"5523840917368519346"}})";
}

std::string AmapAnswer(const std::vector<FakePlace>& places) {
  std::string list;
  for (size_t i = 0; i < places.size(); ++i) {
    if (i > 0) list += ',';
    list += AmapPlace(places[i], i);
  }
  return AmapData(list, places.size());
}

std::string AmapPastLastPageAnswer() { return AmapData("", 0); }

std::string AmapRateLimitAnswer() { return R"({"status":"6","data":"too fast"})"; }

std::string FixtureFolderName(std::string_view text) {
  if (text.empty()) return "%empty";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '%' || c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) {
      name += '%';
      name += kHex[byte >> 4];
      name += kHex[byte & 0xF];
    } else {
      name += c;
    }
  }
  // "." and ".." would name this folder or its parent.
  if (name == "." || name == "..") name.replace(0, 1, "%2E");
  return name;
}

std::filesystem::path FixturePath(const std::filesystem::path& root, const PageKey& page) {
  return root / (page.platform == MapPlatform::kBaidu ? "baidu" : "amap") /
         FixtureFolderName(page.city) / FixtureFolderName(page.keyword) /
         (std::to_string(page.page) + ".json");
}

FakeMapPlatform::FakeMapPlatform(std::filesystem::path fixtureRoot, int port)
    : fixtureRoot_(std::move(fixtureRoot)) {
  const TestCertificate& certificate = SelfSignedCertificate();
  server_ = std::make_unique<httplib::SSLServer>(certificate.certificate, certificate.key);
  if (!server_->is_valid()) return;
  // A run sends all its pages over one connection; never cut it off.
  server_->set_keep_alive_max_count(1000000);
  // Headers and body go out in separate writes; without this every answer
  // waits for the client's delayed acknowledgement.
  server_->set_tcp_nodelay(true);
  server_->Get("/service/poiInfo",
               [this](const httplib::Request& request, httplib::Response& response) {
                 Handle(MapPlatform::kAmap, request, response);
               });
  server_->Get("/", [this](const httplib::Request& request, httplib::Response& response) {
    Handle(MapPlatform::kBaidu, request, response);
  });
  // Anything else is recorded too, and not found.
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Handle(std::nullopt, request, response);
  });
  if (port == 0) {
    port = server_->bind_to_any_port("127.0.0.1");
  } else if (!server_->bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) return;
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  // Stop only works on a running server, so do not hand it out before.
  for (int i = 0; i < 5000 && !server_->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  port_ = port;
}

FakeMapPlatform::~FakeMapPlatform() { Stop(); }

std::string FakeMapPlatform::host() const { return "127.0.0.1:" + std::to_string(port_); }

void FakeMapPlatform::SetAnswer(const PageKey& page, std::string body) {
  std::lock_guard lock(mutex_);
  answers_[page] = std::move(body);
}

void FakeMapPlatform::SetFault(const PageKey& page, PageFault fault,
                               std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  faults_[page] = Fault{fault, delay};
}

void FakeMapPlatform::SetAnswerDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  answerDelay_ = delay;
}

void FakeMapPlatform::SetHugeBodyBytes(size_t bytes) {
  std::lock_guard lock(mutex_);
  hugeBodyBytes_ = bytes;
}

size_t FakeMapPlatform::HugeBodyBytesSent() const { return hugeBodyBytesSent_.load(); }

void FakeMapPlatform::SetRequestHook(std::function<void(const RecordedRequest&)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

std::vector<RecordedRequest> FakeMapPlatform::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<PageKey> FakeMapPlatform::RequestedPages() const {
  std::vector<PageKey> pages;
  for (const RecordedRequest& request : Requests()) {
    if (request.page) pages.push_back(*request.page);
  }
  return pages;
}

void FakeMapPlatform::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

bool FakeMapPlatform::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

int FakeMapPlatform::HeldAnswers() const {
  std::lock_guard lock(mutex_);
  return held_;
}

void FakeMapPlatform::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
  }
  changed_.notify_all();
  if (listener_.joinable()) {
    server_->stop();
    listener_.join();
  }
}

bool FakeMapPlatform::Hold(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  ++held_;
  const bool stopped = changed_.wait_for(lock, delay, [&] { return stopping_; });
  --held_;
  return !stopped;
}

std::string FakeMapPlatform::PageBody(const PageKey& page) const {
  {
    std::lock_guard lock(mutex_);
    if (auto it = answers_.find(page); it != answers_.end()) return it->second;
  }
  if (!fixtureRoot_.empty()) {
    std::ifstream file(FixturePath(fixtureRoot_, page), std::ios::binary);
    if (file) return std::string(std::istreambuf_iterator<char>(file), {});
  }
  return page.platform == MapPlatform::kBaidu ? BaiduPastLastPageAnswer()
                                              : AmapPastLastPageAnswer();
}

void FakeMapPlatform::Handle(std::optional<MapPlatform> platform, const httplib::Request& request,
                             httplib::Response& response) {
  RecordedRequest record{request.target, request.remote_port,
                         platform ? PageOf(*platform, request) : std::nullopt};
  Fault fault;
  std::chrono::milliseconds answerDelay;
  size_t hugeBodyBytes = 0;
  std::function<void(const RecordedRequest&)> hook;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(record);
    if (record.page) {
      if (auto it = faults_.find(*record.page); it != faults_.end()) fault = it->second;
    }
    answerDelay = answerDelay_;
    hugeBodyBytes = hugeBodyBytes_;
    hook = hook_;
  }
  changed_.notify_all();
  if (hook) hook(record);

  if (!record.page) {
    response.status = 404;
    return;
  }
  // Held for a day: until the server stops, as far as any test is concerned.
  if ((answerDelay.count() > 0 && !Hold(answerDelay)) ||
      (fault.kind == PageFault::kDelay && !Hold(fault.delay)) ||
      (fault.kind == PageFault::kNeverAnswer && !Hold(std::chrono::hours(24)))) {
    response.status = 503;  // shutting down; the client has usually gone already
    return;
  }
  switch (fault.kind) {
    case PageFault::kGarbage:
      response.set_content(std::string(kGarbage), "text/html");
      return;
    case PageFault::kEmptyBody:
      response.set_content("", "application/json");
      return;
    case PageFault::kCloseConnection:
      // The headers announce a body that never comes: the provider refuses to
      // write, and the server drops the connection.
      response.set_content_provider(4096, "application/json",
                                    [](size_t, size_t, httplib::DataSink&) { return false; });
      return;
    case PageFault::kServerError:
      response.status = 500;
      response.set_content(std::string(kServerErrorPage), "text/html");
      return;
    case PageFault::kCloseMidBody: {
      // The length of the whole page goes out in the headers; the provider
      // writes the first half and then refuses, which drops the connection.
      auto body = std::make_shared<std::string>(PageBody(*record.page));
      response.set_content_provider(body->size(), "application/json;charset=UTF-8",
                                    [body](size_t offset, size_t, httplib::DataSink& sink) {
                                      const size_t half = body->size() / 2;
                                      if (offset < half)
                                        return sink.write(body->data() + offset, half - offset);
                                      return false;
                                    });
      return;
    }
    case PageFault::kHugeBody: {
      auto page = std::make_shared<HugePage>(hugeBodyBytes);
      response.set_content_provider(
          hugeBodyBytes, "application/json;charset=UTF-8",
          [this, page, chunk = std::string()](size_t offset, size_t length,
                                              httplib::DataSink& sink) mutable {
            page->Fill(offset, chunk, std::min<size_t>(length, 64 * 1024));
            if (!sink.write(chunk.data(), chunk.size())) return false;
            hugeBodyBytesSent_ += chunk.size();
            return true;
          });
      return;
    }
    case PageFault::kHugeChunkedBody: {
      auto page = std::make_shared<HugePage>(hugeBodyBytes);
      response.set_chunked_content_provider(
          "application/json;charset=UTF-8",
          [this, page, total = hugeBodyBytes, chunk = std::string()](
              size_t offset, httplib::DataSink& sink) mutable {
            if (offset >= total) {
              sink.done();
              return true;
            }
            page->Fill(offset, chunk, 64 * 1024);
            if (!sink.write(chunk.data(), chunk.size())) return false;
            hugeBodyBytesSent_ += chunk.size();
            return true;
          });
      return;
    }
    case PageFault::kNone:
    case PageFault::kDelay:
    case PageFault::kNeverAnswer:
      break;
  }
  response.set_content(PageBody(*record.page), "application/json;charset=UTF-8");
}

}  // namespace varnelo::test
