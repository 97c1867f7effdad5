#include "device/usb/tick.h"

#include <gtest/gtest.h>

#include "sim/core/sim_clock.h"

namespace zev {
namespace {

struct TickCase {
  uint32_t now, start, deadline;
  bool passed;
};

TEST(Tick, DeadlineDecisions) {
  const TickCase cases[] = {
      {1000, 1000, 2000, false},                // just started
      {2000, 1000, 2000, false},                // at the deadline: not yet
      {2001, 1000, 2000, true},                 // after it
      {999, 1000, 2000, true},                  // the counter wrapped after start
      {0x100, 0xFFFFFF00, 0x000002E8, false},   // deadline wrapped, not reached
      {0x2E8, 0xFFFFFF00, 0x000002E8, false},   // at the wrapped deadline
      {0x300, 0xFFFFFF00, 0x000002E8, true},    // past the wrapped deadline
      {0xFFFFFF80, 0xFFFFFF00, 0x000002E8, false},  // before the wrap
      {0x500, 0x500, 0x500, false},             // deadline equal to start never passes
      {0x501, 0x500, 0x500, false},
      {0x4FF, 0x500, 0x500, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TickDeadlinePassedAt(c.now, c.start, c.deadline), c.passed)
        << std::hex << "now " << c.now << " start " << c.start << " deadline " << c.deadline;
  }
}

TEST(Tick, TimeoutIsCappedAtSixtySeconds) {
  sim::SimClock clock(0);
  ScopedClock installed(clock);
  const uint32_t start = GetTickCount();
  clock.AdvanceUs(60000ull * 1000);
  EXPECT_FALSE(TickTimeoutElapsed(start, 70000));
  clock.AdvanceUs(1000);
  EXPECT_TRUE(TickTimeoutElapsed(start, 70000));  // 60001 ms: the uncapped 70 s would still run
}

TEST(Tick, TimeoutAcrossTheWrap) {
  sim::SimClock clock(0xFFFFFF00);
  ScopedClock installed(clock);
  const uint32_t start = GetTickCount();
  clock.AdvanceUs(0x200ull * 1000);  // tick 0x100
  EXPECT_FALSE(TickTimeoutElapsed(start, 1000));
  clock.AdvanceUs(0x200ull * 1000);  // tick 0x300
  EXPECT_TRUE(TickTimeoutElapsed(start, 1000));
}

}  // namespace
}  // namespace zev
