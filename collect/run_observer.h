#pragma once

#include <cstddef>
#include <string_view>

namespace varnelo {

// How one page request of a run turned out.
enum class PageOutcome {
  kRecords,      // a readable answer with a record list (records: its length, may be 0)
  kNoList,       // a readable answer without a record list: the keyword's pages end
  kFailed,       // empty answer: the request failed or the body was empty
  kUnreadable,   // an answer that is not JSON
  kRateLimited,  // the Amap "too fast" answer
};

// What a run reports besides what it writes to its window, for callers that
// show progress of their own (the command line). Every call comes from the
// run's thread, in the order the run does things; the defaults ignore it.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // City line index (from 0) of count is about to be searched.
  virtual void CityStarted(size_t /*index*/, size_t /*count*/, std::string_view /*cityLine*/) {}
  // The answer for a keyword's page has been read. page counts from 1 on both
  // platforms, whatever number the platform's URL carries.
  virtual void PageDone(std::string_view /*keyword*/, int /*page*/, PageOutcome /*outcome*/,
                        int /*records*/) {}
};

}  // namespace varnelo
