#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnelo {

class PlaceSearch;
struct SearchContext;

// Where a record's fields sit in an answer: the path of field F of record i is
// recordPrefix + i + F.
struct RecordPaths {
  std::string_view telephone;
  std::string_view name;
  std::string_view address;
  std::string_view area;
  std::string_view x;
  std::string_view y;
};

// Everything in which a Baidu run and an Amap run differ; the run itself is one
// design for both.
struct RunPlatform {
  // The platform's city value for a city line; no value ends the run's city loop.
  std::optional<std::string> (*cityParameter)(std::string_view cityLine);
  // Asks for page (counted from 1 for both; each platform numbers its URL its own way).
  std::string (*search)(const PlaceSearch& search, std::string_view keyword, std::string_view city,
                        int page, const SearchContext& context);
  // Amap answers "too fast" instead of a page when asked too often.
  bool checksRateLimit;
  // Baidu ends a keyword at an empty list; Amap only when the list is missing
  // altogether, and asks for the next page after an empty one.
  bool emptyListEndsKeyword;
  std::string_view listPath;
  std::string_view recordPrefix;
  RecordPaths fields;
};

const RunPlatform& BaiduRunPlatform();
const RunPlatform& AmapRunPlatform();

// The text the Amap service answers with when it is asked too often.
inline constexpr std::string_view kAmapRateLimitText = R"(status":"6","data":"too fast)";

}  // namespace varnelo
