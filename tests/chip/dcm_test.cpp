#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "sim/units/clock_unit.h"
#include "sim/usb/sim_adapter.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

struct DcmCase {
  uint32_t target;
  uint32_t m, d, input, freq;
};

TEST(FindDcmSettings, ClosestWithTiesToTheFirst) {
  const DcmCase cases[] = {
      // Exact with 50 MHz × 13 / 10; 50 MHz × 26 / 20 ties and loses to the smaller M.
      {65000000, 13, 10, 50000000, 65000000},
      // Below the 32 MHz floor: 27 MHz × 32 / 27 ties with 50 MHz × 16 / 25 and wins.
      {25175000, 32, 27, 27000000, 32000000},
      // Above the 135 MHz ceiling: 27 MHz × 10 / 2 is the first to reach it.
      {200000000, 10, 2, 27000000, 135000000},
      // 108 MHz = 27 MHz × 4: first as M 8, D 2.
      {108000000, 8, 2, 27000000, 108000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    DcmSettings s;
    FindDcmSettings(&s, c.target);
    EXPECT_EQ(s.M, c.m);
    EXPECT_EQ(s.D, c.d);
    EXPECT_EQ(s.dwRefClk, c.input);
    EXPECT_EQ(s.dwFreq, c.freq);
  }
}

TEST(FindDcmSettings, NeverPicksAnExcludedDivider) {
  // Every target from 32 to 135 MHz in 1 MHz steps: D is never 5-8, 13-16, 21-24, 29-32.
  for (uint32_t target = 32000000; target <= 135000000; target += 1000000) {
    DcmSettings s;
    FindDcmSettings(&s, target);
    EXPECT_EQ((s.D - 1) & 4, 0u) << target << " gave D " << s.D;
  }
}

// DCM_CFG word for M 13, D 10 from the 50 MHz input, program bit held.
constexpr uint32_t kW = 0x12500C09;

TEST(VoskarSetDCM, ProgramsAndWaitsForLock) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(VoskarSetDCM(dev, 13, 10, kDcmSel50MHz));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DCM_CFG, kW},
                                          {DCM_CFG, kW | 0x60000000},
                                          {DCM_CFG, kW | 0xE0000000},
                                          {DCM_CFG, kW},
                                          {DCM_CFG, kW | 0x80000000},  // acknowledge RDY
                                          {DCM_CFG, kW},
                                          {DCM_CFG, kW & ~kDcmProgram}}));
  const auto* clock = rig.chip().Find<sim::ClockUnit>();
  EXPECT_TRUE(clock->DcmLocked());
  EXPECT_EQ(clock->DcmOutHz(), 65000000u);
  EXPECT_EQ(rig.Diag(), "");
  // Programming again passes the entry check.
  rig.ClearTrace();
  EXPECT_TRUE(VoskarSetDCM(dev, 32, 27, kDcmSel27MHz));
  EXPECT_EQ(clock->DcmOutHz(), 32000000u);
}

TEST(VoskarSetDCM, BadArgumentsLeaveDcmCfgAlone) {
  const struct {
    uint32_t m, d, sel;
    const char* line;
  } cases[] = {
      {1, 10, 0, "ERROR:  VoskarSetDCM() bad dwM=1, s/b 2-33\n"},
      {34, 10, 0, "ERROR:  VoskarSetDCM() bad dwM=34, s/b 2-33\n"},
      {13, 1, 0, "ERROR:  VoskarSetDCM() bad dwD=1, s/b 2-32\n"},
      {13, 33, 0, "ERROR:  VoskarSetDCM() bad dwD=33, s/b 2-32\n"},
      {13, 10, 0x4000000, "ERROR:  VoskarSetDCM() bad dwSel=0x04000000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    testing::SimRig rig(sim::ChipVariant::Fpga(110));
    UsbDevice* dev = rig.Open();
    EXPECT_FALSE(VoskarSetDCM(dev, c.m, c.d, c.sel));
    EXPECT_TRUE(rig.trace().Events().empty());
    EXPECT_EQ(rig.Diag(), c.line);
  }
}

TEST(VoskarSetDCM, BusyAtEntryIsRefused) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  rig.chip().SetStuckBits(DCM_CFG, {.high = kDcmReady});
  EXPECT_FALSE(VoskarSetDCM(dev, 13, 10, kDcmSel50MHz));
  EXPECT_TRUE(rig.trace().Writes().empty());
  EXPECT_EQ(rig.Diag(), "ERROR:  VoskarSetDCM() bad DCM_CFG=0x01000000 at entry\n");
}

TEST(VoskarSetDCM, RdyThatNeverComesEndsAfterAHundredReads) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::ClockUnit>()->dcmNeverReady = true;
  EXPECT_FALSE(VoskarSetDCM(dev, 13, 10, kDcmSel50MHz));
  EXPECT_EQ(rig.trace().ReadAddresses().size(), 1u + 100u);
  // Four programming writes, then a strobe pair after every read without RDY.
  EXPECT_EQ(rig.trace().Writes().size(), 4u + 2u * 100u);
  EXPECT_EQ(rig.Diag(), "ERROR:  VoskarSetDCM() failed, never got RDY\n");
}

TEST(VoskarSetDCM, LockThatNeverComesTimesOutAfter100ms) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::ClockUnit>()->dcmNeverLocks = true;
  EXPECT_FALSE(VoskarSetDCM(dev, 13, 10, kDcmSel50MHz));
  // The lock poll starts after the last write (the program bit released); simulated
  // time moves only with transfers, so the poll's reads measure its duration.
  const auto& events = rig.trace().Events();
  size_t lastWrite = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind == sim::TraceEvent::Kind::RegWrite) lastWrite = i;
  }
  const uint64_t pollUs = (events.size() - lastWrite - 1) * sim::SimAdapter::kControlTransferUs;
  EXPECT_GT(pollUs, 100000u);
  EXPECT_LT(pollUs, 101000u + sim::SimAdapter::kControlTransferUs);
  EXPECT_EQ(rig.Diag(), "ERROR:  VoskarSetDCM() timed out waiting for lock, DCM_CFG=0x02500C09\n");
}

TEST(FpgaSetPixelClock, PicksTheInputAndLocks) {
  const struct {
    uint32_t pixClk;
    uint32_t sel;
    uint64_t dcmHz;
  } cases[] = {{65000000, kDcmSel50MHz, 65000000}, {25175000, kDcmSel27MHz, 32000000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pixClk);
    testing::SimRig rig(sim::ChipVariant::Fpga(110));
    UsbDevice* dev = rig.Open();
    EXPECT_TRUE(FpgaSetPixelClock(dev, c.pixClk));
    EXPECT_EQ(rig.trace().Writes().front().second & 0x6000000u, c.sel);
    EXPECT_EQ(rig.chip().Find<sim::ClockUnit>()->PixelClockHz(), c.dcmHz);
  }
}

}  // namespace
}  // namespace zev
