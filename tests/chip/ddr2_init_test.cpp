#include "device/chip/ddr2_init.h"

#include <gtest/gtest.h>

#include <optional>

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "sim/units/ddr2_unit.h"
#include "sim/usb/sim_adapter.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

// An open device whose system clock runs at the context's gSysClk, as the bring-up
// leaves it before the memory initialisation; trace and text cleared.
UsbDevice* OpenWithClock(testing::SimRig& rig) {
  UsbDevice* dev = rig.Open();
  if (rig.chip().Variant().IsSilicon()) {
    config_sys_clk(rig.ctx().gSysClk, dev);
  } else {
    FpgaReleasePlls(dev);
  }
  rig.ClearTrace();
  rig.ClearDiag();
  return dev;
}

std::optional<uint32_t> LastWrite(testing::SimRig& rig, uint16_t address) {
  std::optional<uint32_t> value;
  for (auto [a, v] : rig.trace().Writes()) {
    if (a == address) value = v;
  }
  return value;
}

// Simulated time the completion poll took: it starts after the write of DDR2_DYN,
// and time moves only with transfers.
uint64_t PollUs(testing::SimRig& rig) {
  const auto& events = rig.trace().Events();
  size_t start = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i].address == DDR2_DYN && events[i].kind != sim::TraceEvent::Kind::RegRead) start = i + 1;
  }
  return (events.size() - start) * sim::SimAdapter::kControlTransferUs;
}

TEST(SiliconDdr2Init, WritesTheParameterSetInOrderAndWaits) {
  testing::SimRig rig;
  Ddr2SelectOdt(rig.ctx(), 2);
  EXPECT_EQ(rig.ctx().gDdr2Odt, 2u);
  UsbDevice* dev = OpenWithClock(rig);
  EXPECT_TRUE(SiliconDdr2Init(dev));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DDR2_MAP_BACS, 0x001F0F77}, {DDR2_MAP_COL, 0xFFF00000},
                                          {DDR2_MAP_ROW, 0x0FFF2222},  {DDR2_TIM0, 0x00030814},
                                          {DDR2_TIM1, 0x00500019},     {DDR2_TIM2, 0x020D0F15},
                                          {DDR2_TIM3, 0x02532305},     {DDR2_TIM4, 0x0B030905},
                                          {DDR2_RFSH, 0x00000827},     {DDR2_CTRL0, 0x00000000},
                                          {DDR2_CTRL1, 0x00000042},    {DDR2_CTRL2, 0x09520000},
                                          {DDR2_CTRL3, 0x02223314},    {DDR2_CTRL4, 0x00430043},
                                          {DDR2_CTRL5, 0xF00F000F},    {DDR2_CTRL6, 0xF380F00F},
                                          {DDR2_CTRL7, 0xF00F0496},    {DDR2_CTRL8, 0x03080406},
                                          {DDR2_CTRL9, 0x00001000},    {DDR2_CTRL13, 0x00000007},
                                          {DDR2PHY_CTL_0, 0x54F00022}, {DDR2PHY_CTL_1, 0x00004012},
                                          {DDR2PHY_DBG_2, 0x40404040}, {DDR2_DYN, 0x00000001}}));
  const auto reads = rig.trace().ReadAddresses();
  ASSERT_FALSE(reads.empty());
  // Polled until the controller's initialisation time has passed: 1 ms is the second read.
  EXPECT_EQ(std::count(reads.begin(), reads.end(), DDR2_DYN), 2);
  EXPECT_TRUE(rig.chip().Find<sim::Ddr2Unit>()->Ready());
  // The controller's registers keep the values written.
  EXPECT_EQ(rig.chip().Peek(DDR2_CTRL3), 0x02223314u);
  EXPECT_EQ(rig.Diag(), " sysclk is 166.6..., so calling new nw DDR2-667 code\n");
}

struct OdtCase {
  const char* variant;
  uint32_t sysClk;
  uint32_t odt;
  uint32_t ctrl1, ctrl3, phy0;
  const char* line;
};

TEST(SiliconDdr2Init, TerminationAndClockSelectTheWords) {
  const OdtCase cases[] = {
      {"rev1", 166666666, 2, 0x00000042, 0x02223314, 0x54F00022,
       " sysclk is 166.6..., so calling new nw DDR2-667 code\n"},
      // The selection at load (9) means off: termination timing cleared as well.
      {"rev1", 166666666, 9, 0x00000002, 0x02220014, 0x54F00000,
       " sysclk is 166.6..., so calling new nw DDR2-667 code\n"},
      // A0 drops the PHY word's top byte.
      {"a0", 100000000, 1, 0x0000000E, 0x02223303, 0x00F00011, " sysclk is 100, so calling new nw DDR2-400 code\n"},
      {"rev1", 133333333, 3, 0x00000002, 0x02220003, 0x43F00000,
       " sysclk is 133.3..., so calling new nw DDR2-533 code\n"},
      {"a0", 62500000, 2, 0x0000004A, 0x02223303, 0x00F00022, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.variant << " " << c.sysClk << " odt " << c.odt);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    rig.ctx().gSysClk = c.sysClk;
    Ddr2SelectOdt(rig.ctx(), c.odt);
    UsbDevice* dev = OpenWithClock(rig);
    EXPECT_TRUE(SiliconDdr2Init(dev));
    EXPECT_EQ(LastWrite(rig, DDR2_CTRL1), c.ctrl1);
    EXPECT_EQ(LastWrite(rig, DDR2_CTRL3), c.ctrl3);
    EXPECT_EQ(LastWrite(rig, DDR2PHY_CTL_0), c.phy0);
    EXPECT_EQ(rig.Diag(), c.line);
  }
}

TEST(SiliconDdr2Init, UtilityPrintsNoClockLineAndUsesItsPhyDebugWord) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, Variant::Utility);
  UsbDevice* dev = OpenWithClock(rig);
  EXPECT_TRUE(SiliconDdr2Init(dev));
  EXPECT_EQ(LastWrite(rig, DDR2PHY_DBG_2), 0x4843484Du);
  EXPECT_EQ(rig.Diag(), "");
}

TEST(SiliconDdr2Init, UnsupportedClockWritesNothing) {
  testing::SimRig rig;
  rig.ctx().gSysClk = 50000000;
  UsbDevice* dev = OpenWithClock(rig);
  EXPECT_FALSE(SiliconDdr2Init(dev));
  EXPECT_TRUE(rig.trace().Writes().empty());
  EXPECT_EQ(rig.Diag(), "ERROR: SiliconDdr2Init() failed, Unsupported Sys_clk =0x50000000\n");
}

TEST(SiliconDdr2Init, CompletionTimesOutAfter10ms) {
  // The controller that never finishes, and one whose system clock was never
  // switched on: both give up after 10 ms with the last value read.
  for (bool clockRunning : {true, false}) {
    SCOPED_TRACE(clockRunning ? "never completes" : "no system clock");
    testing::SimRig rig;
    UsbDevice* dev = clockRunning ? OpenWithClock(rig) : rig.Open();
    rig.chip().Find<sim::Ddr2Unit>()->neverCompletes = clockRunning;
    EXPECT_FALSE(SiliconDdr2Init(dev));
    EXPECT_GT(PollUs(rig), 10000u);
    // One read after the deadline is seen expiring, to catch a completion that came in time.
    EXPECT_LT(PollUs(rig), 11000u + 2 * sim::SimAdapter::kControlTransferUs);
    EXPECT_EQ(rig.Diag(), " sysclk is 166.6..., so calling new nw DDR2-667 code\n"
                          "ERROR: Ddr2Init() failed, bad DDR2_DYN=0x00000001\n");
  }
}

TEST(SiliconDdr2Init, FailedStatusReadsAreNotCompletion) {
  // The read-failure marker has bits 31 and 30 set; with the device gone it must not
  // pass for a finished initialisation.
  for (Variant variant : {Variant::Library, Variant::Utility}) {
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, variant);
    UsbDevice* dev = OpenWithClock(rig);
    rig.adapter().faults().failAddresses.insert(DDR2_DYN);
    EXPECT_FALSE(SiliconDdr2Init(dev));
    const std::string& text = rig.Diag();
    EXPECT_NE(text.find(variant == Variant::Utility ? "ERROR: Ddr2Init() failed, bad DDR2_DYN=0xFFFEFFFF\n"
                                                    : "ERROR: Ddr2Init() failed, bad DDR2_DYN=0xFFFAFFFF\n"),
              std::string::npos)
        << text;
  }
}

Writes FpgaSequence(uint32_t phyDebugWord) {
  return {{DDR2_MAP_BACS, 0x001F0F77}, {DDR2_MAP_COL, 0xFFF00000}, {DDR2_MAP_ROW, 0x0FFF2222},
          {DDR2_TIM0, 0x00041016},     {DDR2_TIM1, 0x00300033},    {DDR2_TIM2, 0x0214101B},
          {DDR2_TIM3, 0x02642306},     {DDR2_TIM4, 0x0B030B05},    {DDR2_RFSH, 0x00000827},
          {DDR2_CTRL0, 0x000006A0},    {DDR2_CTRL1, 0x00000040},   {DDR2_CTRL2, 0x07320000},
          {DDR2_CTRL3, 0x10001123},    {DDR2_CTRL4, 0x00000202},   {DDR2_CTRL5, 0xF00F000F},
          {DDR2_CTRL6, 0xF380F00F},    {DDR2_CTRL7, 0xF00F0496},   {DDR2_CTRL8, 0x03080406},
          {DDR2_CTRL9, 0x00001700},    {DDR2_TIM2, 0x02141016},    {DDR2_TIM4, 0x07040605},
          {DDR2_CTRL0, 0x00000640},    {DDR2_TIM1, 0x001E0010},    {DDR2PHY_CTL_0, 0x00020222},
          {DDR2PHY_DBG_2, phyDebugWord}, {DDR2_DYN, 0x00000001}};
}

TEST(Ddr2Init, FpgaSequenceWithItsRepeatedRegisters) {
  for (Variant variant : {Variant::Library, Variant::Utility}) {
    SCOPED_TRACE(variant == Variant::Utility ? "utility" : "library");
    testing::SimRig rig(sim::ChipVariant::Fpga(110), 1, variant);
    // Neither the clock nor the termination choice plays a part on the FPGA.
    rig.ctx().gSysClk = 50000000;
    Ddr2SelectOdt(rig.ctx(), 1);
    UsbDevice* dev = OpenWithClock(rig);
    EXPECT_TRUE(Ddr2Init(dev));
    EXPECT_EQ(rig.trace().Writes(), FpgaSequence(variant == Variant::Utility ? 0x4843484D : 0x40404040));
    // The second value written is the one that stays.
    EXPECT_EQ(rig.chip().Peek(DDR2_TIM1), 0x001E0010u);
    EXPECT_EQ(rig.Diag(), "");
  }
}

TEST(Ddr2Init, CompletionTimeoutIsReported) {
  testing::SimRig rig(sim::ChipVariant::Fpga(110));
  UsbDevice* dev = OpenWithClock(rig);
  rig.chip().Find<sim::Ddr2Unit>()->neverCompletes = true;
  EXPECT_FALSE(Ddr2Init(dev));
  EXPECT_EQ(rig.Diag(), "ERROR: Ddr2Init() failed, bad DDR2_DYN=0x00000001\n");
}

}  // namespace
}  // namespace zev
