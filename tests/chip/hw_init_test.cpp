#include "device/chip/hw_init.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/chip/registers.h"
#include "sim/units/i2c_master_unit.h"
#include "sim/units/system_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using sim::ChipVariant;
using sim::Trace;
using sim::TraceEvent;

// Register blocks a bring-up step writes, to see which steps ran and in which order.
enum class Block { Reset, Clock, Ddr2, I2c, Engine, Output, Other };

Block BlockOf(uint16_t address) {
  if (address == HW_CFG) return Block::Reset;
  if (address >= PIX_PLL_CTL && address <= CPM_CTL) return Block::Clock;
  if (address <= DDR2_DBGSTS5) return Block::Ddr2;
  if (address >= IC_CON && address < DC_CTRL) return Block::I2c;
  if (address >= GE_CTRL && address <= GE_CHR_KRY_LOW) return Block::Engine;
  if (address == RGB_CFG || address == VDAC_CFG || address == I2C_SEL) return Block::Output;
  return Block::Other;
}

// The blocks written, in order of their first write.
std::vector<Block> BlocksWritten(const Trace& trace) {
  std::vector<Block> blocks;
  for (const auto& [address, value] : trace.Writes()) {
    const Block block = BlockOf(address);
    if (std::find(blocks.begin(), blocks.end(), block) == blocks.end()) blocks.push_back(block);
  }
  return blocks;
}

// The trace from the first write of `address` on, as text lines.
std::vector<std::string> TraceFrom(const Trace& trace, uint16_t address) {
  std::vector<std::string> lines;
  for (const auto& e : trace.Events()) {
    if (lines.empty() && !(e.kind == TraceEvent::Kind::RegWrite && e.address == address)) continue;
    lines.push_back(Trace::Format(e));
  }
  return lines;
}

// DDR2_DYN bits 31:30 never report the initialisation complete.
void StickDdr2Completion(testing::SimRig& rig) { rig.chip().SetStuckBits(DDR2_DYN, {0, 0xC0000000}); }

TEST(GfxHwInit, SiliconRunsEveryStepInOrderAndStoresTheIdentity) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  dev->fpgaRev = dev->idRev = 0x5555;
  ASSERT_TRUE(GfxHwInit(dev)) << rig.Diag();

  EXPECT_EQ(BlocksWritten(rig.trace()),
            (std::vector<Block>{Block::Reset, Block::Clock, Block::Ddr2, Block::I2c, Block::Engine, Block::Output}));
  EXPECT_EQ(TraceFrom(rig.trace(), GE_CTRL),
            (std::vector<std::string>{"W 4000 = 00000001", "R 4000 = 00000001", "W 4000 = 00000001",
                                      "W 8028 = 00000003", "W 8024 = 00000007", "W 3010 = 00000001",
                                      "R 3010 = 00000001", "R 3004 = 00000000", "R 3000 = 9D000001"}));
  EXPECT_EQ(dev->fpgaRev, 0u);
  EXPECT_EQ(dev->idRev, ChipVariant::SiliconRev1().IdRev());
  EXPECT_EQ(dev->idRev >> 16, 0x9D00u);
  EXPECT_EQ(rig.Diag(),
            " config_sys_clk():  setting clk_ddr 333.333... MHz (25/3 * 80/2) hand-optimized values\n"
            " sysclk is 166.6..., so calling new nw DDR2-667 code\n");
}

TEST(GfxHwInit, FpgaReleasesThePllsAndStoresItsBuild) {
  testing::SimRig rig(ChipVariant::Fpga(110));
  UsbDevice* dev = rig.Open();
  ASSERT_TRUE(GfxHwInit(dev)) << rig.Diag();
  EXPECT_EQ(BlocksWritten(rig.trace()),
            (std::vector<Block>{Block::Reset, Block::Clock, Block::Ddr2, Block::I2c, Block::Engine, Block::Output}));
  for (const auto& [address, value] : rig.trace().Writes(PIX_PLL_CTL, CPM_CTL)) {
    EXPECT_TRUE(address == SYS_PLL_CTL || address == PIX_PLL_CTL) << "no PLL is programmed: " << std::hex << address;
  }
  EXPECT_EQ(dev->fpgaRev, 110u);
  EXPECT_EQ(dev->idRev, ChipVariant::Fpga(110).IdRev());
  EXPECT_TRUE(rig.Diag().empty()) << rig.Diag();
}

TEST(GfxHwInit, FpgaIgnoresTheSystemClockAndTheOdtSelection) {
  testing::SimRig plain(ChipVariant::Fpga(110));
  ASSERT_TRUE(GfxHwInit(plain.Open()));
  testing::SimRig changed(ChipVariant::Fpga(110));
  changed.ctx().gSysClk = 12345678;
  changed.ctx().gDdr2Odt = 1;
  ASSERT_TRUE(GfxHwInit(changed.Open()));
  EXPECT_EQ(changed.trace().Writes(), plain.trace().Writes());
}

TEST(GfxHwInit, UtilityAnnouncesTheDefaultVideoPort) {
  const std::string line = "\n  GfxHwInit() Set HDMI as default video port.\n";
  testing::SimRig utility(ChipVariant::Fpga(110), 1, Variant::Utility);
  ASSERT_TRUE(GfxHwInit(utility.Open()));
  EXPECT_NE(utility.Diag().find(line), std::string::npos) << utility.Diag();
  testing::SimRig library(ChipVariant::Fpga(110));
  ASSERT_TRUE(GfxHwInit(library.Open()));
  EXPECT_EQ(library.Diag().find(line), std::string::npos);
}

TEST(GfxHwInit, LiteResetThatNeverEndsStopsBeforeClockAndMemory) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
  EXPECT_FALSE(GfxHwInit(dev));
  EXPECT_EQ(rig.Diag(), "ERROR:  VoskarLRST() after LRST, bad HW_CFG=0x00000001\n"
                        "ERROR:  GfxHwInit() failed calling ZEVLRST\n");
  EXPECT_EQ(BlocksWritten(rig.trace()), std::vector<Block>{Block::Reset});
}

TEST(GfxHwInit, UnsupportedSystemClockFailsInTheMemorySetUp) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.ctx().gSysClk = 12345678;
  EXPECT_FALSE(GfxHwInit(dev));
  EXPECT_EQ(rig.Diag(), "ERROR: SiliconDdr2Init() failed, Unsupported Sys_clk =0x12345678\n"
                        "ERROR:  GfxHwInit() failed calling SiliconDdr2Init\n");
  EXPECT_FALSE(rig.trace().Writes(SYS_PLL1_CFG, SYS_PLL1_CFG).empty()) << "the PLL got the search result";
  EXPECT_EQ(BlocksWritten(rig.trace()), (std::vector<Block>{Block::Reset, Block::Clock}));
}

TEST(GfxHwInit, MemoryThatNeverCompletesStopsBeforeTheI2cMaster) {
  struct Case {
    ChipVariant variant;
    const char* lastLine;
  };
  const Case cases[] = {
      {ChipVariant::SiliconRev1(), "ERROR:  GfxHwInit() failed calling SiliconDdr2Init\n"},
      {ChipVariant::Fpga(110), "ERROR:  GfxHwInit() failed calling Ddr2Init\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant.Name());
    testing::SimRig rig(c.variant);
    UsbDevice* dev = rig.Open();
    StickDdr2Completion(rig);
    EXPECT_FALSE(GfxHwInit(dev));
    // The memory set-up's own line, then the bring-up's.
    const std::string& diag = rig.Diag();
    const size_t at = diag.find("ERROR: Ddr2Init() failed, bad DDR2_DYN=0x");
    ASSERT_NE(at, std::string::npos) << diag;
    EXPECT_EQ(diag.substr(diag.find('\n', at) + 1), c.lastLine);
    EXPECT_TRUE(rig.trace().Writes(IC_CON, 0x114C).empty());
  }
}

TEST(GfxHwInit, I2cMasterThatStaysBusyStopsBeforeTheEngine) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::I2cMasterUnit>()->faults.busStuckBusy = true;
  dev->idRev = 0x5555;
  EXPECT_FALSE(GfxHwInit(dev));
  EXPECT_TRUE(rig.Diag().ends_with("\n ERROR: VgaI2cInit() failed\nERROR:  GfxHwInit() failed calling VgaI2cInit\n"))
      << rig.Diag();
  const std::vector<Block> blocks = BlocksWritten(rig.trace());
  EXPECT_EQ(std::count(blocks.begin(), blocks.end(), Block::Engine), 0);
  EXPECT_EQ(std::count(blocks.begin(), blocks.end(), Block::Output), 0);
  EXPECT_EQ(dev->idRev, 0x5555u) << "the identity is stored only by a complete bring-up";
}

TEST(GfxHwInit, NullDeviceFailsAtTheLiteReset) {
  testing::SimRig rig;
  EXPECT_FALSE(GfxHwInit(nullptr));
}

TEST(LibHwBringUp, TakesTheClockAndTerminationFromTheIndices) {
  testing::SimRig rig;
  rig.Open();
  rig.ctx().gFreqIndex = 2;
  rig.ctx().gOdtIndex = 1;
  ASSERT_TRUE(LibHwBringUp(rig.ctx())) << rig.Diag();
  EXPECT_EQ(rig.ctx().gSysClk, 100000000u);
  EXPECT_EQ(rig.ctx().gDdr2Odt, 1u);
  EXPECT_TRUE(rig.Diag().starts_with("\n*****************************\n*   Set DDR2_CLK to 200Mhz  *\n"
                                     "*****************************\n"))
      << rig.Diag();
  EXPECT_EQ(rig.trace().Writes(DDR2PHY_CTL_0, DDR2PHY_CTL_0),
            (std::vector<std::pair<uint16_t, uint32_t>>{{DDR2PHY_CTL_0, 0x43F00011}}));
}

TEST(LibHwBringUp, InvalidFrequencyIndexKeepsTheClockAndGoesOn) {
  testing::SimRig rig;
  rig.Open();
  rig.ctx().gFreqIndex = 0;
  rig.ctx().gSysClk = 133333333;
  EXPECT_TRUE(LibHwBringUp(rig.ctx())) << rig.Diag();
  EXPECT_EQ(rig.ctx().gSysClk, 133333333u);
  EXPECT_TRUE(rig.Diag().starts_with("\nERROR GfxChangeSysClk(): Invalid System Clock index\n\n")) << rig.Diag();
  EXPECT_EQ(rig.ctx().gDdr2Odt, 9u) << "the index at load, which the memory set-up treats as off";
}

TEST(LibHwBringUp, WithoutAConnectionFails) {
  testing::SimRig rig;
  EXPECT_FALSE(LibHwBringUp(rig.ctx()));
}

}  // namespace
}  // namespace zev
