#include "zevutil/core/lib_frame.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "sim/units/system_unit.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/library_instance.h"

namespace zev {
namespace {

using api::ConnectionPreamble;
using api::ZEVLibDeInit;
using api::ZEVLibInit;

bool WroteRegister(const sim::Trace& trace, uint16_t address) {
  for (const auto& [at, value] : trace.Writes()) {
    if (at == address) return true;
  }
  return false;
}

TEST(ZEVLibInit, OneAdapterIsOpenedAndBroughtUp) {
  testing::SimRig rig;
  rig.ctx().gHdmiAudio.bMclk = 7;
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  ASSERT_NE(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 1);
  EXPECT_EQ(rig.chip().Find<sim::SystemUnit>()->liteResets(), 1);
  EXPECT_EQ(rig.dev()->idRev, sim::ChipVariant::SiliconRev1().IdRev()) << "identity stored by the bring-up";
  EXPECT_EQ(rig.ctx().gHdmiAudio.bMclk, 2) << "audio settings back at their defaults";
  EXPECT_EQ(rig.ctx().gSysClk, 166666666u) << "frequency index 4 at load";
}

TEST(ZEVLibInit, TwoAdaptersAreRefusedWithoutOpeningEither) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 2);
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_LIB_MORE_THAN_ONE_DEV);
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0);
  EXPECT_EQ(rig.trace(0).Counters().Transfers(), 0u);
  EXPECT_EQ(rig.trace(1).Counters().Transfers(), 0u);
  EXPECT_EQ(ZEVLibDeInit(rig.ctx()), 0);
}

TEST(ZEVLibInit, NoAdapterCannotBeOpened) {
  testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_FRM_WRK_INIT_FAIL);
  EXPECT_EQ(rig.dev(), nullptr);
}

TEST(ZEVLibInit, AdapterThatDoesNotAnswerTheProbeIsClosedAgain) {
  testing::SimRig rig;
  rig.adapter().faults().failAddresses.insert(ID_REV);
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_FRM_WRK_INIT_FAIL);
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0);
}

TEST(ZEVLibInit, FailedBringUpLeavesTheConnectionOpen) {
  testing::SimRig rig;
  rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_HDWRE_INIT_FAIL);
  EXPECT_NE(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 1);
  EXPECT_EQ(rig.Diag(),
            "\n*****************************\n*   Set DDR2_CLK to 333Mhz  *\n*****************************\n"
            "ERROR:  VoskarLRST() after LRST, bad HW_CFG=0x00000001\n"
            "ERROR:  GfxHwInit() failed calling ZEVLRST\n");
  EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_SUCCESS) << "the device answers, so exports go on";
}

TEST(ZEVLibInit, CalledAgainReplacesTheConnection) {
  testing::SimRig rig;
  ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(rig.backend.openTransports, 1);
}

TEST(ZEVLibDeInit, ClosesOnceAndIsHarmlessAfterwards) {
  testing::SimRig rig;
  EXPECT_EQ(ZEVLibDeInit(rig.ctx()), 0) << "before any ZEVLibInit";
  ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.ctx().gFreqIndex = 2;
  rig.ctx().gMemSize = 0x3FFFFFF;
  EXPECT_EQ(ZEVLibDeInit(rig.ctx()), 0);
  EXPECT_EQ(rig.dev(), nullptr);
  EXPECT_EQ(rig.backend.openTransports, 0);
  EXPECT_EQ(ZEVLibDeInit(rig.ctx()), 0);
  EXPECT_EQ(rig.ctx().gFreqIndex, 2u) << "settings survive the close";
  EXPECT_EQ(rig.ctx().gMemSize, 0x3FFFFFFu);
}

TEST(ConnectionPreamble, HealthyConnectionCostsOneRead) {
  testing::SimRig rig;
  ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.ClearTrace();
  EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_SUCCESS);
  ASSERT_EQ(rig.trace().Events().size(), 1u);
  EXPECT_EQ(rig.trace().ReadAddresses(), std::vector<uint16_t>{ID_REV});
}

TEST(ConnectionPreamble, ReopensAndBringsUpAfterUnplugAndReplug) {
  testing::SimRig rig;
  ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  const int liteResetsBefore = rig.chip().Find<sim::SystemUnit>()->liteResets();
  rig.adapter().Unplug();
  rig.adapter().Plug();  // powers the chip up afresh
  rig.ClearTrace();

  EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_SUCCESS);
  EXPECT_NE(rig.dev(), nullptr) << "a new connection: the old handle died with the unplug";
  EXPECT_EQ(rig.backend.openTransports, 1);
  EXPECT_EQ(rig.chip().Find<sim::SystemUnit>()->liteResets(), liteResetsBefore + 1)
      << "the replugged chip was brought up";
  EXPECT_TRUE(WroteRegister(rig.trace(), GE_CTRL));
}

TEST(ConnectionPreamble, InitialisesALibraryNeverInitialised) {
  testing::SimRig rig;
  EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_SUCCESS);
  EXPECT_NE(rig.dev(), nullptr);
}

TEST(ConnectionPreamble, GivesUpWhenNoAdapterCanBeOpened) {
  struct Case {
    const char* what;
    void (*arrange)(testing::SimRig&);
  };
  const Case cases[] = {
      {"unplugged", [](testing::SimRig& r) { r.adapter().Unplug(); }},
      {"a second adapter appeared", [](testing::SimRig& r) {
         r.adapter().faults().failNext = 3;  // the probe fails
         r.AddAdapter();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;
    ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    c.arrange(rig);
    EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(rig.dev(), nullptr);
    EXPECT_EQ(rig.backend.openTransports, 0);
  }
}

TEST(ConnectionPreamble, FailedBringUpOnReopenIsACommunicationFailure) {
  testing::SimRig rig;
  ASSERT_EQ(ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.adapter().Unplug();
  rig.adapter().Plug();
  rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
  EXPECT_EQ(ConnectionPreamble(rig.ctx()), ZEV_DEV_COM_FAIL);
  EXPECT_NE(rig.dev(), nullptr) << "the connection itself stays open, as after ZEVLibInit";
}

TEST(LibraryInstance, StartsClosedWithTheValuesAtLoadAndClosesWhenItGoes) {
  testing::SimRig rig;
  {
    LibraryInstance library(rig.backend);
    LibContext& ctx = library.ctx();
    EXPECT_EQ(ctx.variant, Variant::Library);
    EXPECT_EQ(ConnectedDevice(ctx), nullptr);
    EXPECT_EQ(ctx.gFreqIndex, 4u);
    EXPECT_EQ(ctx.gOdtIndex, 9u);
    EXPECT_EQ(ctx.gMemSize, 0x1FFFFFFu);
    EXPECT_EQ(ctx.gMemAddrBits, 25);
    ASSERT_EQ(ZEVLibInit(ctx), ZEV_SUCCESS);
    EXPECT_EQ(rig.backend.openTransports, 1);
  }
  EXPECT_EQ(rig.backend.openTransports, 0);
}

}  // namespace
}  // namespace zev
