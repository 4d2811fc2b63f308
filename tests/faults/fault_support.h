#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collect/collection_run.h"
#include "tests/support/fake_map_platform.h"

namespace varnelo {

class PlaceSearch;
class RunWindow;

// Shared pieces of the whole-run fault tests and the stop stress.
namespace faults {

using test::FakePlace;
using test::MapPlatform;
using test::PageKey;

const char* NameOf(MapPlatform platform);

// The city value each platform sends for the city line "广州|440100".
std::string Guangzhou(MapPlatform platform);

// A page of "广州|440100" as the platform's URL names it, from the run's page
// number (counted from 1 on both platforms).
PageKey GuangzhouPage(MapPlatform platform, std::string keyword, int runPage);

// count shops named prefix0, prefix1, ... with distinct mobile numbers.
std::vector<FakePlace> Shops(int count, const std::string& prefix);

// An answer with these places, in the platform's shape.
std::string Answer(MapPlatform platform, const std::vector<FakePlace>& places);

// An answer that has no record list at all: the keyword ends there on both
// platforms (an empty Amap list would ask for the next page, up to 100).
std::string NoListAnswer(MapPlatform platform);

// Runs the platform's collection over window and search on a thread of its
// own and returns how it ended. A run that has not ended after bound fails
// the test; it is then stopped, and a run that does not end even so aborts
// the test program, since nothing else can be done with a hung thread.
RunEnd RunToEnd(MapPlatform platform, RunWindow& window, const PlaceSearch& search,
                std::chrono::seconds bound = std::chrono::seconds(90));

// The peak resident size of this process so far, in bytes.
inline size_t PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<size_t>(usage.ru_maxrss) * 1024;  // Linux counts in KiB
}

// Sanitizers keep freed memory in quarantine and add shadow memory, so the
// resident size says nothing about what the code itself holds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace faults
}  // namespace varnelo
