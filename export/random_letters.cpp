#include "export/random_letters.h"

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace varnelo {

uint32_t ReadFastCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return static_cast<uint32_t>(__rdtsc());
#else
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(ticks);
#endif
}

int32_t RandomInRange(int32_t low, int32_t high, const FastCounter& counter) {
  if (high < low) return 0;
  uint32_t x = counter ? counter() : ReadFastCounter();
  uint32_t v = x * 23u + 7u;
  // For the full 32-bit range n wraps to 0; every value is then in range, so
  // v is used as it is instead of dividing by zero.
  uint32_t n = static_cast<uint32_t>(high) - static_cast<uint32_t>(low) + 1u;
  uint32_t offset = n == 0 ? v : v % n;
  return static_cast<int32_t>(static_cast<uint32_t>(low) + offset);
}

std::string RandomLetters(int count, int letterCase, const FastCounter& counter) {
  std::string letters;
  if (count < 1) return letters;
  letters.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    bool lower = letterCase == 0 || (letterCase != 1 && RandomInRange(1, 2, counter) == 1);
    int32_t code = lower ? RandomInRange(97, 122, counter) : RandomInRange(65, 90, counter);
    letters.push_back(static_cast<char>(code));
  }
  return letters;
}

}  // namespace varnelo
