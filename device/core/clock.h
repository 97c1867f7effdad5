#pragma once

#include <cstdint>

namespace zev {

// The millisecond tick and sleep every polling loop of the device library uses.
// The tick is 32 bits wide and wraps, like the tick count the timeouts were designed
// around. Tests install a simulated clock that the virtual adapter advances per
// transfer, so timeouts are exact and take no real time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t TickCount() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

// steady_clock based.
class SteadyClock final : public Clock {
 public:
  uint32_t TickCount() override;
  void SleepMs(uint32_t ms) override;
};

// The process-wide clock (a SteadyClock unless one was installed).
Clock& CurrentClock();

// Installs `clock` as the process-wide clock for the lifetime of the guard.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

uint32_t GetTickCount();
void Sleep(uint32_t ms);

}  // namespace zev
