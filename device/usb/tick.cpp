#include "device/usb/tick.h"

#include <algorithm>

#include "device/core/clock.h"

namespace zev {

bool TickDeadlinePassedAt(uint32_t now, uint32_t start, uint32_t deadline) {
  if (deadline > start) {
    // No wrap between start and deadline; a tick below start means the counter wrapped.
    return now > deadline || now < start;
  }
  // The deadline wrapped past zero (or equals start, which never counts as passed).
  return now > deadline && now < start;
}

bool TickDeadlinePassed(uint32_t start, uint32_t deadline) {
  return TickDeadlinePassedAt(GetTickCount(), start, deadline);
}

bool TickTimeoutElapsed(uint32_t start, uint32_t timeoutMs) {
  const uint32_t timeout = std::min(timeoutMs, kMaxTimeoutMs);
  return TickDeadlinePassed(start, start + timeout);
}

}  // namespace zev
