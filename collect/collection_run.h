#pragma once

#include <stop_token>

namespace varnelo {

class PlaceSearch;
class RunObserver;
class RunWindow;

// How a run ended.
enum class RunEnd {
  kFinished,  // every city line done (or a Baidu city without a code); "采集完成" shown
  kDeclined,  // the user answered No to the Amap rate-limit question
  kStopped,   // the stop token was raised
};

// One collection run over the window's city lines and keywords, up to 100 pages
// each. Runs on the calling thread (the desktop program calls it on a worker) and
// returns when the run has ended. Once stop is raised no further window access
// has any effect and the run returns promptly. observer, when given, hears of
// every city line and page (collect/run_observer.h).
RunEnd CollectBaidu(RunWindow& window, const PlaceSearch& search, std::stop_token stop = {},
                    RunObserver* observer = nullptr);
RunEnd CollectAmap(RunWindow& window, const PlaceSearch& search, std::stop_token stop = {},
                   RunObserver* observer = nullptr);

}  // namespace varnelo
