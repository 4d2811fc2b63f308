#include "app/platform_runs.h"

#include "collect/collection_run.h"
#include "collect/place_search.h"

namespace varnelo {

PlatformRuns PlaceSearchRuns(const PlaceSearch& search) {
  return PlatformRuns{
      [&search](RunWindow& window, std::stop_token stop) {
        return CollectBaidu(window, search, std::move(stop));
      },
      [&search](RunWindow& window, std::stop_token stop) {
        return CollectAmap(window, search, std::move(stop));
      },
  };
}

}  // namespace varnelo
