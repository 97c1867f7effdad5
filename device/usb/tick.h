#pragma once

#include <cstdint>

namespace zev {

// Timeouts of polling loops, against the wrapping 32-bit millisecond tick.
inline constexpr uint32_t kMaxTimeoutMs = 60000;

// True when `deadline` has passed, with the tick having started at `start`.
bool TickDeadlinePassed(uint32_t start, uint32_t deadline);
// True when `timeoutMs` (at most 60000) has elapsed since `start`.
bool TickTimeoutElapsed(uint32_t start, uint32_t timeoutMs);

// The same decisions for a given current tick (the functions above use the clock).
bool TickDeadlinePassedAt(uint32_t now, uint32_t start, uint32_t deadline);

}  // namespace zev
