#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "sim/units/clock_unit.h"
#include "sim/usb/sim_adapter.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

// Simulated time spent sleeping since `startUs`: everything that is not bus time.
uint64_t SleptUs(testing::SimRig& rig, uint64_t startUs) {
  return rig.clock.NowUs() - startUs - rig.trace().Counters().Transfers() * sim::SimAdapter::kControlTransferUs;
}

void ExpectSettings(const PllSettings& s, const PllSettings& want) {
  EXPECT_EQ(s.pllOut, want.pllOut);
  EXPECT_EQ(s.DIVR0, want.DIVR0);
  EXPECT_EQ(s.DIVF0, want.DIVF0);
  EXPECT_EQ(s.DIVQ0, want.DIVQ0);
  EXPECT_EQ(s.RANGE0, want.RANGE0);
  EXPECT_EQ(s.DIVR1, want.DIVR1);
  EXPECT_EQ(s.DIVF1, want.DIVF1);
  EXPECT_EQ(s.DIVQ1, want.DIVQ1);
  EXPECT_EQ(s.RANGE1, want.RANGE1);
}

TEST(FindPllSettings, StopsAtTheFirstExactCandidate) {
  // 25 MHz × 14 / 2 = 175 MHz, then 175 MHz / 7 × 20 / 4; later exact candidates
  // (e.g. through a 200 MHz first stage) are never reached.
  PllSettings s;
  FindPllSettings(125000000, &s);
  ExpectSettings(s, {.pllOut = 125000000, .DIVR0 = 0, .DIVF0 = 13, .DIVQ0 = 1, .RANGE0 = 4,
                     .DIVR1 = 6, .DIVF1 = 19, .DIVQ1 = 2, .RANGE1 = 4});
}

TEST(FindPllSettings, TiesKeepTheFirstCandidate) {
  // 56.644 MHz (a 28.322 MHz pixel clock) has no exact setting; several settings miss
  // it by the same 728 Hz, and the first in loop order wins.
  PllSettings s;
  FindPllSettings(56644000, &s);
  ExpectSettings(s, {.pllOut = 56644728, .DIVR0 = 4, .DIVF0 = 81, .DIVQ0 = 2, .RANGE0 = 1,
                     .DIVR1 = 18, .DIVF1 = 83, .DIVQ1 = 3, .RANGE1 = 1});
}

TEST(FindPllSettings, LeavesTheRecordAloneWhenNothingBeatsTheTarget) {
  // Every output is at least 5 MHz, so for a target of 1000 Hz no candidate is closer
  // than the target itself.
  const PllSettings sentinel{7, 7, 7, 7, 7, 7, 7, 7, 7};
  for (uint32_t target : {0u, 1000u}) {
    PllSettings s = sentinel;
    FindPllSettings(target, &s);
    ExpectSettings(s, sentinel);
  }
}

TEST(FindPllSettings, TargetAboveTheRangeGetsTheHighestOutput) {
  PllSettings s;
  FindPllSettings(0xFFFFFFFF, &s);
  EXPECT_EQ(s.pllOut, 700000000u);
}

TEST(PllRangeCode, BoundsBelongToTheHigherCode) {
  const std::pair<uint32_t, uint32_t> cases[] = {
      {5000000, 1}, {7999999, 1}, {8000000, 2}, {12999999, 2}, {13000000, 3}, {21000000, 4},
      {33999999, 4}, {34000000, 5}, {54000000, 6}, {87999999, 6}, {88000000, 7}, {200000000, 7},
  };
  for (auto [hz, code] : cases) EXPECT_EQ(PllRangeCode(hz), code) << hz;
}

struct SysClkCase {
  const char* variant;
  uint32_t sysClk;
  uint32_t stage1Word;
  uint64_t pllOutHz;  // what the chip's system PLL then runs at
  const char* line;
};

// The supported clocks use hand-optimised settings with stage 0 unused: only the
// stage-1 bits (1 and 3) are cleared, one 2 ms settling sleep, then bit 31.
TEST(ConfigSysClk, HandOptimisedSettings) {
  const SysClkCase cases[] = {
      {"rev1", 166666666, 0x0010024F, 666666640,
       " config_sys_clk():  setting clk_ddr 333.333... MHz (25/3 * 80/2) hand-optimized values\n"},
      {"a0", 166666666, 0x0011024F, 333333320,
       " config_sys_clk():  setting clk_ddr 333.333... MHz (25/3 * 80/2) hand-optimized values\n"},
      {"rev1", 133333333, 0x0010023F, 533333312,
       " config_sys_clk():  setting clk_ddr 266.666... MHz (25/3 * 64/2) hand-optimized values\n"},
      {"a0", 100000000, 0x0041000F, 200000000,
       " config_sys_clk():  setting clk_ddr 200.000 MHz (400/2) hand-optimized values\n"},
      {"a0", 62500000, 0x00420013, 125000000, ""},
      {"rev1", 62500000, 0x00410013, 250000000, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.variant << " " << c.sysClk);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    UsbDevice* dev = rig.Open();
    const uint64_t start = rig.clock.NowUs();
    EXPECT_TRUE(config_sys_clk(c.sysClk, dev));
    EXPECT_EQ(rig.trace().Writes(), (Writes{{SYS_PLL_CTL, 0x8000000F},
                                            {SYS_PLL1_CFG, c.stage1Word},
                                            {SYS_PLL0_CFG, 0},
                                            {SYS_PLL_CTL, 0x80000005},
                                            {SYS_PLL_CTL, 0x00000005}}));
    EXPECT_EQ(SleptUs(rig, start), 2000u);
    EXPECT_EQ(rig.chip().Find<sim::ClockUnit>()->SysPllOutHz(), c.pllOutHz);
    EXPECT_EQ(rig.Diag(), c.line);
  }
}

TEST(ConfigSysClk, OtherClocksUseTheSearchAtFourTimesTheClock) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(config_sys_clk(50000000, dev));
  const Writes writes = rig.trace().Writes();
  ASSERT_EQ(writes.size(), 6u);
  EXPECT_EQ(writes[0], (std::pair<uint16_t, uint32_t>{SYS_PLL_CTL, 0x8000000F}));
  EXPECT_EQ(writes[1].first, SYS_PLL1_CFG);
  EXPECT_EQ(writes[2].first, SYS_PLL0_CFG);
  // Both stages in use: bits 0 and 2 first, then 1 and 3, then 31.
  EXPECT_EQ(writes[3], (std::pair<uint16_t, uint32_t>{SYS_PLL_CTL, 0x8000000A}));
  EXPECT_EQ(writes[4], (std::pair<uint16_t, uint32_t>{SYS_PLL_CTL, 0x80000000}));
  EXPECT_EQ(writes[5], (std::pair<uint16_t, uint32_t>{SYS_PLL_CTL, 0x00000000}));
  EXPECT_EQ(rig.chip().Find<sim::ClockUnit>()->SysPllOutHz(), 200000000u);
  EXPECT_EQ(rig.Diag(), "");
}

TEST(ConfigPixClk, SearchesForTwiceThePixelClock) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  const uint64_t start = rig.clock.NowUs();
  EXPECT_TRUE(config_pix_clk(65000000, dev));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{PIX_PLL_CTL, 0x8000000F},
                                          {PIX_PLL1_CFG, 0x0052040C},
                                          {PIX_PLL0_CFG, 0x0041000F},
                                          {PIX_PLL_CTL, 0x8000000A},
                                          {PIX_PLL_CTL, 0x80000000},
                                          {PIX_PLL_CTL, 0x00000000}}));
  EXPECT_EQ(SleptUs(rig, start), 4000u);
  EXPECT_EQ(rig.chip().Find<sim::ClockUnit>()->PixelClockHz(), 65000000u);
  EXPECT_EQ(rig.Diag(),
            " Requested pixel clk = 65000000\n"
            " CLK_PIX_PLLOUT = 130000000 DIVR0 = 0 DIVF0 = 15 DIVQ0 = 1 RANGE0 = 4 \n"
            " DIVR1 = 4 DIVF1 = 12 DIVQ1 = 2 RANGE1 = 5\n"
            "  stage 1 pixpll = 0x0052040c\n"
            "  stage 0 pixpll = 0x0041000f\n");
}

TEST(ConfigPixClk, ClockTooLowForThePllLeavesBothStagesOff) {
  // 500 Hz (a 1 kHz target): no candidate beats the target, the record stays empty and the PLL is only
  // switched over, with neither stage started.
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(config_pix_clk(500, dev));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{PIX_PLL_CTL, 0x8000000F},
                                          {PIX_PLL1_CFG, 0},
                                          {PIX_PLL0_CFG, 0},
                                          {PIX_PLL_CTL, 0x0000000F}}));
}

TEST(FpgaReleasePlls, ClearsBit31OfBothControlRegistersThenWaits) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  const uint64_t start = rig.clock.NowUs();
  FpgaReleasePlls(dev);
  EXPECT_EQ(rig.trace().Writes(), (Writes{{SYS_PLL_CTL, 0x0000000F}, {PIX_PLL_CTL, 0x0000000F}}));
  EXPECT_EQ(rig.trace().ReadAddresses(), (std::vector<uint16_t>{SYS_PLL_CTL, PIX_PLL_CTL}));
  EXPECT_EQ(SleptUs(rig, start), 10000u);
  EXPECT_TRUE(rig.chip().Find<sim::ClockUnit>()->SysClockReleased());
}

}  // namespace
}  // namespace zev
