#pragma once

#include <stop_token>
#include <string>
#include <string_view>

namespace varnelo {

class GzipCodec;
class HttpClient;

// The hosts of the three place-search endpoints. The product always uses the
// defaults; tests and the command line point a search at other hosts (a host may
// carry a port, "127.0.0.1:8443").
struct PlaceSearchHosts {
  static constexpr std::string_view kAmap = "www.amap.com";
  static constexpr std::string_view kBaidu = "map.baidu.com";
  static constexpr std::string_view kTencent = "apis.map.qq.com";

  std::string amap{kAmap};
  std::string baidu{kBaidu};
  std::string tencent{kTencent};
};

// What a caller may hand down to the one web request of a search: the run's
// reusable client (so consecutive pages share a connection) and its stop token
// (so Stop abandons the request in flight).
struct SearchContext {
  HttpClient* requestObject = nullptr;
  std::stop_token abort;
};

// Turns a keyword, a platform city parameter and a page number into the
// platform's place-search URL, fetches it and returns the answer text (code page
// 936; empty when the request failed). Keeps no state between calls, so one
// instance serves every run.
class PlaceSearch {
 public:
  explicit PlaceSearch(PlaceSearchHosts hosts = {}, const GzipCodec* gzipCodec = nullptr);

  // The URLs, built exactly as the endpoints expect them.
  std::string AmapUrl(std::string_view keyword, std::string_view city, int page) const;
  std::string BaiduUrl(std::string_view keyword, std::string_view city, int page) const;
  std::string TencentUrl(std::string_view keyword, std::string_view region, int page,
                         std::string_view key) const;

  // city: the Amap administrative code ("440100"); the first page is 1.
  std::string SearchAmap(std::string_view keyword, std::string_view city, int page,
                         const SearchContext& context = {}) const;
  // city: the Baidu city code ("257"); the first page is 0.
  std::string SearchBaidu(std::string_view keyword, std::string_view city, int page,
                          const SearchContext& context = {}) const;
  // Built but not called by the product.
  std::string SearchTencent(std::string_view keyword, std::string_view region, int page,
                            std::string_view key, const SearchContext& context = {}) const;

  const PlaceSearchHosts& hosts() const { return hosts_; }

 private:
  PlaceSearchHosts hosts_;
  const GzipCodec* gzipCodec_;
};

}  // namespace varnelo
