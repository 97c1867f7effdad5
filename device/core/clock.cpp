#include "device/core/clock.h"

#include <chrono>
#include <thread>

namespace zev {
namespace {

Clock*& InstalledClock() {
  static Clock* clock = nullptr;
  return clock;
}

}  // namespace

uint32_t SteadyClock::TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SteadyClock::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Clock& CurrentClock() {
  static SteadyClock steady;
  Clock* installed = InstalledClock();
  return installed != nullptr ? *installed : steady;
}

ScopedClock::ScopedClock(Clock& clock) : previous_(InstalledClock()) { InstalledClock() = &clock; }
ScopedClock::~ScopedClock() { InstalledClock() = previous_; }

uint32_t GetTickCount() { return CurrentClock().TickCount(); }
void Sleep(uint32_t ms) { CurrentClock().SleepMs(ms); }

}  // namespace zev
