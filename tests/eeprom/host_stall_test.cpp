#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/usb/register_access.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

// A clock that jumps far ahead at one chosen reading, as when the host is descheduled
// in the middle of a poll.
class JumpingClock final : public Clock {
 public:
  JumpingClock(sim::SimClock& base, int jumpAtCall) : base_(base), jumpAt_(jumpAtCall) {}
  uint32_t TickCount() override {
    if (++calls_ == jumpAt_) base_.AdvanceUs(150'000);
    return base_.TickCount();
  }
  void SleepMs(uint32_t ms) override { base_.SleepMs(ms); }

 private:
  sim::SimClock& base_;
  int jumpAt_;
  int calls_ = 0;
};

TEST(EepromtWaitDone, WriteThatFinishedInTimeIsSeenAfterAHostStall) {
  // The part programs a byte in a few milliseconds. The host reads "busy" once and is
  // then descheduled well past the 100 ms timeout: the write did finish, and the wait
  // must say so rather than report a timeout.
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  ASSERT_TRUE(GfxEepromErWrEn(dev));
  ASSERT_EQ(GfxSetRegDW(dev, E2P_DATA, 0x5A), 0u);
  ASSERT_EQ(GfxSetRegDW(dev, E2P_CMD, E2P_CMD_WRITE | 0x10), 0u);

  JumpingClock stalling(rig.clock, 3);  // start, the check before read 1, then the stall
  ScopedClock installed(stalling);
  EXPECT_TRUE(EepromtWaitDone(dev));
  EXPECT_EQ(rig.Diag(), "");
  EXPECT_EQ(rig.adapter().eeprom()[0x10], 0x5A);
}

}  // namespace
}  // namespace zev
