#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace zev::sim {

// Time as the ANX9805 model sees it: the chip's microsecond clock, or none, in which case
// every operation finishes as soon as it starts.
class Anx9805Time {
 public:
  explicit Anx9805Time(std::function<uint64_t()> nowUs = {}) : nowUs_(std::move(nowUs)) {}

  uint64_t Deadline(uint64_t durationUs) const { return nowUs_ ? nowUs_() + durationUs : 0; }
  bool Passed(uint64_t deadline) const { return !nowUs_ || nowUs_() >= deadline; }

 private:
  std::function<uint64_t()> nowUs_;
};

}  // namespace zev::sim
