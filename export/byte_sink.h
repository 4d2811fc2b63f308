#pragma once

#include <cstddef>
#include <cstdint>

namespace varnelo {

// Where a binary writer puts its bytes; it counts them, so a writer can be run
// once into a CountingSink to learn where everything lands and once for real.
class ByteSink {
 public:
  virtual ~ByteSink() = default;

  void Write(const void* data, size_t size) {
    position_ += size;
    Put(data, size);
  }
  uint64_t position() const { return position_; }

 protected:
  virtual void Put(const void* data, size_t size) = 0;

 private:
  uint64_t position_ = 0;
};

class CountingSink final : public ByteSink {
 protected:
  void Put(const void*, size_t) override {}
};

}  // namespace varnelo
