// Stop at random moments of runs over a fast fake platform, a few hundred
// times: the run always ends (no deadlock), what it left in the window is a
// clean prefix of a full run, and past Stop it does no more than finish the
// access it was in the middle of.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <random>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "collect/collection_run.h"
#include "collect/place_search.h"
#include "tests/faults/fault_support.h"
#include "tests/faults/stop_aware_run_window.h"
#include "tests/support/fake_map_platform.h"

namespace varnelo {
namespace {

using namespace varnelo::faults;
using Clock = std::chrono::steady_clock;

constexpr MapPlatform kPlatforms[] = {MapPlatform::kBaidu, MapPlatform::kAmap};
constexpr int kIterations = 300;
constexpr auto kTimeBudget = std::chrono::seconds(60);
// Between two of its stop checks a run reads the filters of one record, or
// appends one row and writes its count; nothing more may come after Stop.
constexpr int kMostAccessesAfterStop = 3;

const char* const kCities = "广州|440100\r\n深圳|440300";
const char* const kKeywords = "超市\r\n酒店";

// Three pages of 20 for every city and keyword, then a page without a list.
void ServePages(test::FakeMapPlatform& platform) {
  const std::pair<std::string, std::string> cities[] = {{"257", "440100"}, {"340", "440300"}};
  for (MapPlatform kind : kPlatforms) {
    const bool baidu = kind == MapPlatform::kBaidu;
    for (const auto& [baiduCity, amapCity] : cities) {
      for (const std::string keyword : {"超市", "酒店"}) {
        for (int page = 1; page <= 4; ++page) {
          const PageKey key{kind, baidu ? baiduCity : amapCity, keyword, baidu ? page - 1 : page};
          platform.SetAnswer(key, page < 4 ? Answer(kind, Shops(20, keyword + std::to_string(page)))
                                           : NoListAnswer(kind));
        }
      }
    }
  }
}

struct RunResult {
  RunEnd end = RunEnd::kFinished;
  std::vector<ResultRow> rows;
  int accessesAfterStop = 0;
  int rowsAfterStop = 0;
};

// One run, stopped when stopAt says so (never when it is empty). A run that
// does not end within a minute of Stop is a deadlock: nothing can be done with
// its thread, so the program ends there.
RunResult StoppedRun(MapPlatform platform, const PlaceSearch& search,
                     const std::function<void(StopAwareRunWindow&, std::future<RunEnd>&)>& stopAt) {
  StopAwareRunWindow window(kCities, kKeywords);
  std::stop_source source;
  std::promise<RunEnd> ended;
  std::future<RunEnd> end = ended.get_future();
  std::thread worker([&, token = source.get_token()] {
    ended.set_value(platform == MapPlatform::kBaidu ? CollectBaidu(window, search, token)
                                                    : CollectAmap(window, search, token));
  });
  if (stopAt) {
    stopAt(window, end);
    window.Stop(source);
  }
  if (end.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    std::fprintf(stderr, "a stopped run has not ended after 60 s: deadlock\n");
    std::abort();
  }
  worker.join();
  return {end.get(), window.Rows(), window.AccessesAfterStop(), window.RowsAfterStop()};
}

TEST(StopStressTest, StopAtRandomMomentsEndsEveryRunCleanly) {
  test::FakeMapPlatform platform;
  ASSERT_TRUE(platform.IsListening());
  ServePages(platform);
  const PlaceSearch search(PlaceSearchHosts{.amap = platform.host(), .baidu = platform.host()});

  // A full run of each platform: the rows every stopped run must be a prefix
  // of, and the span of accesses and time to stop in.
  struct Reference {
    std::vector<ResultRow> rows;
    int accesses = 0;
    std::chrono::microseconds duration{};
  } references[2];
  for (int p = 0; p < 2; ++p) {
    const auto start = Clock::now();
    StopAwareRunWindow window(kCities, kKeywords);
    ASSERT_EQ(RunToEnd(kPlatforms[p], window, search), RunEnd::kFinished);
    references[p].duration =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    references[p].rows = window.Rows();
    ASSERT_EQ(references[p].rows.size(), 2u * 2u * 3u * 20u);
    references[p].accesses = window.Accesses();
  }

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const auto deadline = Clock::now() + kTimeBudget;
  int iterations = 0;
  int stoppedMidway = 0;
  for (; iterations < kIterations && Clock::now() < deadline; ++iterations) {
    const int p = iterations % 2;
    const Reference& reference = references[p];
    // Half the runs stop after a chosen number of window accesses, half after a
    // chosen time; both spread over the whole of a run and a little beyond.
    std::function<void(StopAwareRunWindow&, std::future<RunEnd>&)> stopAt;
    if (random() % 2 == 0) {
      const int accesses = std::uniform_int_distribution<int>(0, reference.accesses + 5)(random);
      stopAt = [accesses](StopAwareRunWindow& window, std::future<RunEnd>& end) {
        while (!window.WaitForAccesses(accesses, std::chrono::milliseconds(1)) &&
               end.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        }
      };
    } else {
      const auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(
          0, reference.duration.count() + reference.duration.count() / 10)(random));
      stopAt = [delay](StopAwareRunWindow&, std::future<RunEnd>&) {
        std::this_thread::sleep_for(delay);
      };
    }

    const RunResult result = StoppedRun(kPlatforms[p], search, stopAt);

    SCOPED_TRACE("iteration " + std::to_string(iterations) + ", " + NameOf(kPlatforms[p]));
    // A run stopped after its last stop check may still have finished.
    EXPECT_TRUE(result.end == RunEnd::kStopped || result.end == RunEnd::kFinished);
    ASSERT_LE(result.rows.size(), reference.rows.size());
    EXPECT_TRUE(std::equal(result.rows.begin(), result.rows.end(), reference.rows.begin()))
        << "the rows of a stopped run are not the start of a full run's rows";
    EXPECT_LE(result.rowsAfterStop, 1);
    EXPECT_LE(result.accessesAfterStop, kMostAccessesAfterStop);
    if (result.end == RunEnd::kStopped && result.rows.size() < reference.rows.size()) {
      ++stoppedMidway;
    }
    if (HasFailure()) break;
  }
  RecordProperty("iterations", iterations);
  RecordProperty("stoppedMidway", stoppedMidway);
  std::printf("%d runs, %d of them stopped before their last row\n", iterations, stoppedMidway);
  // Stop has to have landed inside runs, or the loop tested nothing.
  EXPECT_GT(stoppedMidway, iterations / 4);
}

}  // namespace
}  // namespace varnelo
