#pragma once

#include <cstdint>

#include "device/core/clock.h"

namespace zev::sim {

// Time as the virtual adapter sees it, in microseconds.
class SimTime {
 public:
  virtual ~SimTime() = default;
  virtual uint64_t NowUs() = 0;
};

// Simulated time for in-process tests and benchmarks: it stands still until the
// virtual adapter advances it (each transfer costs its bus time) or the device
// library sleeps, so timeouts are exact and cost no real time. It is also the
// library's millisecond clock when installed with zev::ScopedClock.
class SimClock final : public SimTime, public zev::Clock {
 public:
  // `startTick` is the millisecond tick at time zero (to exercise tick wrap-around).
  explicit SimClock(uint32_t startTick = 0x10000) : startTick_(startTick) {}

  uint64_t NowUs() override { return nowUs_; }
  void AdvanceUs(uint64_t us) { nowUs_ += us; }

  uint32_t TickCount() override { return startTick_ + static_cast<uint32_t>(nowUs_ / 1000); }
  void SleepMs(uint32_t ms) override { AdvanceUs(uint64_t{ms} * 1000); }

 private:
  uint32_t startTick_;
  uint64_t nowUs_ = 0;
};

// Real time (steady clock), for the adapters zev-sim hosts.
class RealTime final : public SimTime {
 public:
  uint64_t NowUs() override;
};

}  // namespace zev::sim
