#include "collect/run_platform.h"

#include "collect/baidu_city_codes.h"
#include "collect/place_search.h"
#include "text/text_search.h"

namespace varnelo {
namespace {

std::optional<std::string> BaiduCity(std::string_view cityLine) {
  // A name Baidu has no code for ends the run: the lines after it are not searched.
  std::string code = BaiduCityCode(TextBefore(cityLine, "|"));
  if (code.empty()) return std::nullopt;
  return code;
}

std::optional<std::string> AmapCity(std::string_view cityLine) {
  // Amap takes the administrative code as it is, even an empty one.
  return TextAfterLast(cityLine, "|");
}

std::string BaiduSearch(const PlaceSearch& search, std::string_view keyword, std::string_view city,
                        int page, const SearchContext& context) {
  return search.SearchBaidu(keyword, city, page - 1, context);
}

std::string AmapSearch(const PlaceSearch& search, std::string_view keyword, std::string_view city,
                       int page, const SearchContext& context) {
  return search.SearchAmap(keyword, city, page, context);
}

}  // namespace

const RunPlatform& BaiduRunPlatform() {
  static const RunPlatform platform{
      .cityParameter = BaiduCity,
      .search = BaiduSearch,
      .checksRateLimit = false,
      .emptyListEndsKeyword = true,
      .listPath = "content",
      .recordPrefix = "content[",
      .fields = {.telephone = "].tel",
                 .name = "].name",
                 .address = "].addr",
                 .area = "]['area_name']",
                 .x = "]['navi_x']",
                 .y = "]['navi_y']"},
  };
  return platform;
}

const RunPlatform& AmapRunPlatform() {
  static const RunPlatform platform{
      .cityParameter = AmapCity,
      .search = AmapSearch,
      .checksRateLimit = true,
      .emptyListEndsKeyword = false,
      .listPath = "data['poi_list']",
      .recordPrefix = "data['poi_list'][",
      .fields = {.telephone = "].tel",
                 .name = "]['disp_name']",
                 .address = "].address",
                 .area = "].cityname",
                 .x = "].longitude",
                 .y = "].latitude"},
  };
  return platform;
}

}  // namespace varnelo
