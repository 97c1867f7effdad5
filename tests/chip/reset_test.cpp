#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "sim/units/system_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

TEST(VoskarLRST, SetsTheResetBitAndChecksItOnce) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(VoskarLRST(dev));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{HW_CFG, HW_CFG_LRST}}));
  EXPECT_EQ(rig.trace().ReadAddresses(), (std::vector<uint16_t>{HW_CFG, HW_CFG}));
  EXPECT_EQ(rig.chip().Find<sim::SystemUnit>()->liteResets(), 1);
  EXPECT_EQ(rig.Diag(), "");
}

TEST(VoskarLRST, ResetThatNeverEndsIsReported) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
  EXPECT_FALSE(VoskarLRST(dev));
  EXPECT_EQ(rig.Diag(), "ERROR:  VoskarLRST() after LRST, bad HW_CFG=0x00000001\n");
}

struct SysClkCase {
  Variant variant;
  int32_t index;
  bool ok;
  uint32_t sysClk;  // gSysClk afterwards (starts at a value no index gives)
  const char* text;
};

constexpr uint32_t kUntouched = 12345;

#define BANNER(line) "\n*****************************\n" line "*****************************\n"

TEST(GfxChangeSysClk, IndexSetsClockAndBanner) {
  const SysClkCase cases[] = {
      {Variant::Library, 1, true, 62500000, ""},
      {Variant::Utility, 1, true, 62500000, BANNER("*   Set DDR2_CLK to 125Mhz  *\n")},
      {Variant::Library, 2, true, 100000000, BANNER("*   Set DDR2_CLK to 200Mhz  *\n")},
      {Variant::Library, 3, true, 133333333, BANNER("*   Set DDR2_CLK to 266Mhz  *\n")},
      {Variant::Library, 4, true, 166666666, BANNER("*   Set DDR2_CLK to 333Mhz  *\n")},
      {Variant::Utility, 4, true, 166666666, BANNER("*   Set DDR2_CLK to 333Mhz  *\n")},
      {Variant::Library, 0, false, kUntouched, "\nERROR GfxChangeSysClk(): Invalid System Clock index\n\n"},
      {Variant::Library, 5, false, kUntouched, "\nERROR GfxChangeSysClk(): Invalid System Clock index\n\n"},
      {Variant::Utility, -1, false, kUntouched, "\nERROR GfxChangeSysClk(): Invalid System Clock index\n\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "index " << c.index << (c.variant == Variant::Utility ? " utility" : ""));
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, c.variant);
    rig.ctx().gSysClk = kUntouched;
    EXPECT_EQ(GfxChangeSysClk(rig.ctx(), c.index), c.ok);
    EXPECT_EQ(rig.ctx().gSysClk, c.sysClk);
    EXPECT_EQ(rig.Diag(), c.text);
  }
}

}  // namespace
}  // namespace zev
