#include "collect/place_search.h"

#include <string>
#include <utility>

#include "collect/url_text.h"
#include "web/web_request.h"

namespace varnelo {
namespace {

WebRequestArgs SearchArgs(std::string url, const SearchContext& context,
                          const GzipCodec* gzipCodec) {
  // Everything else stays at "not given": a GET with the default headers and
  // time-outs, no cookies, no proxy.
  WebRequestArgs args;
  args.url = std::move(url);
  args.requestObject = context.requestObject;
  args.abort = context.abort;
  args.gzipCodec = gzipCodec;
  return args;
}

}  // namespace

PlaceSearch::PlaceSearch(PlaceSearchHosts hosts, const GzipCodec* gzipCodec)
    : hosts_(std::move(hosts)), gzipCodec_(gzipCodec) {}

std::string PlaceSearch::AmapUrl(std::string_view keyword, std::string_view city, int page) const {
  std::string url = "https://";
  url += hosts_.amap;
  url += "/service/poiInfo?query_type=TQUERY&pagesize=20&pagenum=";
  url += std::to_string(page);
  url +=
      "&qii=true&cluster_state=5&need_utd=true&utd_sceneid=1000&div=PC1000&addr_poi_merge=true"
      "&is_classify=true&zoom=12&city=";
  url += city;
  url += "&src=mypage&callnative=0&geoobj=&keywords=";
  url += EncodeUrlText(keyword);
  return url;
}

std::string PlaceSearch::BaiduUrl(std::string_view keyword, std::string_view city, int page) const {
  std::string url = "https://";
  url += hosts_.baidu;
  // The key "from" really stands twice; the web map sends it so.
  url +=
      "/?newmap=1&reqflag=pcmap&biz=1&from=webmap&da_par=direct&pcevaname=pc4.1&qt=con"
      "&from=webmap&c=";
  url += city;
  url += "&wd=";
  url += EncodeUrlText(keyword);
  url += "&wd2=&pn=";
  url += std::to_string(page);
  url += "&nn=";
  url += std::to_string(static_cast<long long>(page) * 10);
  url +=
      "&db=0&sug=0&addr=0&pl_data_type=cater&pl_sub_type=&pl_price_section=0%2C%2B"
      "&pl_sort_type=data_type&pl_sort_rule=0&pl_discount2_section=0%2C%2B"
      "&pl_groupon_section=0%2C%2B&pl_cater_book_pc_section=0%2C%2B"
      "&pl_hotel_book_pc_section=0%2C%2B&pl_ticket_book_flag_section=0%2C%2B"
      "&pl_movie_book_section=0%2C%2B&pl_business_type=cater&pl_business_id="
      "&da_src=pcmappg.poi.page&on_gel=1&src=7&gr=3&l=10&tn=B_NORMAL_MAP&u_loc=&ie=utf-8&b=&t=";
  url += UnixTimeText(UnixTimeUnit::kMilliseconds);
  return url;
}

std::string PlaceSearch::TencentUrl(std::string_view keyword, std::string_view region, int page,
                                    std::string_view key) const {
  std::string url = "http://";
  url += hosts_.tencent;
  url += "/ws/place/v1/search?boundary=region(";
  url += EncodeUrlText(region);
  url += ",0)&keyword=";
  url += EncodeUrlText(keyword);
  url += "&page_size=20&page_index=";
  url += std::to_string(page);
  url += "&orderby=_distance&key=";
  url += key;
  return url;
}

std::string PlaceSearch::SearchAmap(std::string_view keyword, std::string_view city, int page,
                                    const SearchContext& context) const {
  WebRequestArgs args = SearchArgs(AmapUrl(keyword, city, page), context, gzipCodec_);
  return WebRequest(args);
}

std::string PlaceSearch::SearchBaidu(std::string_view keyword, std::string_view city, int page,
                                     const SearchContext& context) const {
  WebRequestArgs args = SearchArgs(BaiduUrl(keyword, city, page), context, gzipCodec_);
  return WebRequest(args);
}

std::string PlaceSearch::SearchTencent(std::string_view keyword, std::string_view region, int page,
                                       std::string_view key, const SearchContext& context) const {
  WebRequestArgs args = SearchArgs(TencentUrl(keyword, region, page, key), context, gzipCodec_);
  const Bytes body = WebRequestBytes(args);
  return DecodeUrlText(std::string(body.begin(), body.end()), true);
}

}  // namespace varnelo
