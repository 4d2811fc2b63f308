#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace varnelo {

// A source of fast-changing 32-bit values. Tests pass their own; an empty
// function means ReadFastCounter.
using FastCounter = std::function<uint32_t()>;

// The low 32 bits of the processor's time-stamp counter where there is one,
// of a steady clock elsewhere.
uint32_t ReadFastCounter();

// A pseudo-random integer from low to high, both included; 0 when high < low.
// Each call takes one counter value x and returns low + ((x * 23 + 7) mod n),
// in unsigned 32-bit arithmetic, where n = high - low + 1.
int32_t RandomInRange(int32_t low, int32_t high, const FastCounter& counter = {});

// count random ASCII letters (none for a count below 1): lowercase for
// letterCase 0, uppercase for 1, and for any other value each letter's case
// chosen by its own RandomInRange(1, 2).
std::string RandomLetters(int count, int letterCase, const FastCounter& counter = {});

}  // namespace varnelo
