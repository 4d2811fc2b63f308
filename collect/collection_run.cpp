#include "collect/collection_run.h"

#include <string>
#include <string_view>
#include <vector>

#include "collect/place_search.h"
#include "collect/run_observer.h"
#include "collect/run_platform.h"
#include "collect/run_window.h"
#include "json/json_document.h"
#include "text/text_search.h"
#include "web/http_client.h"

namespace varnelo {
namespace {

constexpr int kPagesPerKeyword = 100;
constexpr int kNoList = -2;  // Count of a member that is not there
constexpr size_t kMobileLength = 11;

// Code page 936 bytes of "条信息" and of the full-width comma "，".
constexpr std::string_view kCountSuffix = "\xCC\xF5\xD0\xC5\xCF\xA2";
constexpr std::string_view kFullWidthComma = "\xA3\xAC";

class CollectionRun {
 public:
  CollectionRun(const RunPlatform& platform, RunWindow& window, const PlaceSearch& search,
                std::stop_token stop, RunObserver* observer)
      : platform_(platform),
        window_(window),
        search_(search),
        stop_(std::move(stop)),
        observer_(observer ? *observer : silentObserver_),
        context_{&client_, stop_} {}

  RunEnd Run() {
    const std::vector<std::string> cityLines = SplitLines(window_.CityText());
    for (size_t c = 0; c < cityLines.size(); ++c) {
      if (stop_.stop_requested()) return RunEnd::kStopped;
      const std::optional<std::string> city = platform_.cityParameter(cityLines[c]);
      if (!city) break;
      observer_.CityStarted(c, cityLines.size(), cityLines[c]);
      // Read again for every city, so keywords edited during a run count from
      // the next city on.
      for (const std::string& keyword : SplitLines(window_.KeywordText())) {
        if (const auto end = SearchKeyword(keyword, *city)) return *end;
      }
    }
    if (stop_.stop_requested()) return RunEnd::kStopped;
    window_.ShowFinished();
    return RunEnd::kFinished;
  }

 private:
  // Goes through a keyword's pages; a value when the run has to end.
  std::optional<RunEnd> SearchKeyword(const std::string& keyword, const std::string& city) {
    for (int page = 1; page <= kPagesPerKeyword; ++page) {
      if (stop_.stop_requested()) return RunEnd::kStopped;
      window_.ShowKeyword(keyword);
      const std::string answer = platform_.search(search_, keyword, city, page, context_);
      if (stop_.stop_requested()) return RunEnd::kStopped;

      if (platform_.checksRateLimit && ContainsText(answer, kAmapRateLimitText)) {
        observer_.PageDone(keyword, page, PageOutcome::kRateLimited, 0);
        const bool open = window_.AskOpenSliderLink();
        if (stop_.stop_requested()) return RunEnd::kStopped;
        if (!open) return RunEnd::kDeclined;
        window_.OpenLink(SliderLink());
        // The answer holds no list, so the keyword ends here; asking for the
        // same page again would only be refused again.
        return std::nullopt;
      }

      if (!document_.Parse(answer)) {
        observer_.PageDone(keyword, page,
                           answer.empty() ? PageOutcome::kFailed : PageOutcome::kUnreadable, 0);
        return std::nullopt;
      }
      const int count = document_.Count(platform_.listPath);
      const bool ends = platform_.emptyListEndsKeyword ? count <= 0 : count == kNoList;
      observer_.PageDone(keyword, page,
                         count == kNoList ? PageOutcome::kNoList : PageOutcome::kRecords,
                         count < 0 ? 0 : count);
      if (ends) return std::nullopt;
      for (int i = 0; i < count; ++i) {
        if (stop_.stop_requested()) return RunEnd::kStopped;
        TakeRecord(i);
      }
    }
    return std::nullopt;
  }

  void TakeRecord(int index) {
    const std::string prefix = std::string(platform_.recordPrefix) + std::to_string(index);
    const RecordPaths& fields = platform_.fields;
    const std::string telephone = Field(prefix, fields.telephone);
    if (telephone.empty()) return;  // no telephone: not even the count changes

    if (Wanted(telephone)) {
      ResultRow row;
      row[kColumnNumber] = std::to_string(runCounter_);
      row[kColumnName] = Field(prefix, fields.name);
      row[kColumnTelephone] = telephone;
      row[kColumnAddress] = Field(prefix, fields.address);
      row[kColumnArea] = Field(prefix, fields.area);
      row[kColumnCoordinates] = Field(prefix, fields.x);
      row[kColumnCoordinates] += kFullWidthComma;
      row[kColumnCoordinates] += Field(prefix, fields.y);
      if (stop_.stop_requested()) return;
      window_.AppendRow(row);
      ++runCounter_;
    }
    // Written for every record with a telephone, kept or dropped: the box shows
    // the number the next row will get.
    window_.ShowCount(std::to_string(runCounter_) + std::string(kCountSuffix));
  }

  // The check boxes are read for every record, so a change takes effect at once.
  bool Wanted(const std::string& telephone) {
    if (window_.LandlineFilter() &&
        (ContainsText(telephone, "-") || telephone.size() != kMobileLength)) {
      return false;
    }
    if (window_.DuplicateFilter() && window_.HasTelephone(telephone)) return false;
    return true;
  }

  std::string Field(const std::string& prefix, std::string_view suffix) {
    return document_.GetText(prefix + std::string(suffix));
  }

  std::string SliderLink() const {
    return "https://" + search_.hosts().amap +
           "/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0";
  }

  const RunPlatform& platform_;
  RunWindow& window_;
  const PlaceSearch& search_;
  std::stop_token stop_;
  RunObserver silentObserver_;
  RunObserver& observer_;
  // One client for the whole run, so its pages share one connection.
  HttpClient client_;
  SearchContext context_;
  JsonDocument document_;
  int runCounter_ = 1;
};

}  // namespace

RunEnd CollectBaidu(RunWindow& window, const PlaceSearch& search, std::stop_token stop,
                    RunObserver* observer) {
  return CollectionRun(BaiduRunPlatform(), window, search, std::move(stop), observer).Run();
}

RunEnd CollectAmap(RunWindow& window, const PlaceSearch& search, std::stop_token stop,
                   RunObserver* observer) {
  return CollectionRun(AmapRunPlatform(), window, search, std::move(stop), observer).Run();
}

}  // namespace varnelo
