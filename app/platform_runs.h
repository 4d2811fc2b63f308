#pragma once

#include "app/main_window.h"

namespace varnelo {

class PlaceSearch;

// CollectBaidu and CollectAmap over the program's one place search, which must
// outlive every run started with them.
PlatformRuns PlaceSearchRuns(const PlaceSearch& search);

}  // namespace varnelo
