#include "sim/core/sim_clock.h"

#include <chrono>

namespace zev::sim {

uint64_t RealTime::NowUs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

}  // namespace zev::sim
