#pragma once

#include <cstdint>
#include <vector>

namespace varnelo {

// A counted buffer of raw bytes: request and response bodies.
using Bytes = std::vector<uint8_t>;

}  // namespace varnelo
