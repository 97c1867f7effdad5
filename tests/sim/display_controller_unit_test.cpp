#include "sim/units/display_controller_unit.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/display_controller.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

struct DcRig {
  explicit DcRig(ChipVariant variant = ChipVariant::SiliconRev1())
      : rig(variant), chip(rig.chip()), dc(*chip.Find<DisplayControllerUnit>()) {}
  testing::SimRig rig;
  Chip& chip;
  DisplayControllerUnit& dc;
};

TEST(DisplayControllerUnit, ResetStatePerLayout) {
  const struct {
    ChipVariant variant;
    uint32_t ctrl, status;
  } cases[] = {
      {ChipVariant::Fpga(50), 0x108, 0x20100},
      {ChipVariant::SiliconRev1(), 0x01000108, 0x30100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant.Name());
    DcRig r(c.variant);
    EXPECT_EQ(r.chip.Read(DC_CTRL), c.ctrl);
    EXPECT_EQ(r.chip.Read(DC_STS), c.status);
    EXPECT_TRUE(r.dc.Blanked());
    EXPECT_FALSE(r.dc.Enabled());
    EXPECT_EQ(r.dc.BitsPerPixel(), 32u);
    EXPECT_EQ(r.dc.BytesPerPixel(), c.variant.HasPacked24Bpp() ? 3u : 4u);
  }
}

// The status shows a change of DC_CTRL from the third read after the write on; while
// a blank is requested but not yet in effect it is pending.
TEST(DisplayControllerUnit, StatusFollowsControlAfterAFewReads) {
  DcRig r;
  r.chip.Write(DC_CTRL, 0x01000109);  // enable
  for (int i = 0; i < DisplayControllerUnit::kStatusLagReads; ++i) EXPECT_EQ(r.chip.Read(DC_STS), 0x30100u);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x30101u);
  EXPECT_TRUE(r.dc.Enabled());

  r.chip.Write(DC_CTRL, 0x01000009);  // unblank: no interrupt
  r.chip.Read(DC_STS);
  r.chip.Read(DC_STS);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x30001u);

  r.chip.Write(DC_CTRL, 0x01000109);  // blank
  EXPECT_EQ(r.chip.Read(DC_STS), 0x30801u) << "pending";
  r.chip.Read(DC_STS);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x31141u) << "blanked, both interrupts raised";

  // Writing other bits to DC_CTRL does not restart the wait.
  r.chip.Write(DC_CTRL, 0x01000189);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x31141u);
}

TEST(DisplayControllerUnit, InterruptBitsClearWhenOneIsWritten) {
  DcRig r;
  r.chip.Write(DC_CTRL, 0x01000008);  // unblank, then blank again
  for (int i = 0; i < 3; ++i) r.chip.Read(DC_STS);
  r.chip.Write(DC_CTRL, 0x01000108);
  for (int i = 0; i < 2; ++i) r.chip.Read(DC_STS);
  ASSERT_EQ(r.chip.Read(DC_STS), 0x31140u);
  r.chip.Write(DC_STS, DC_STS_RUNNING | DC_STS_BLANKED | DC_STS_BLANK_PENDING_);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x31140u) << "only the interrupt bits are writable";
  r.chip.Write(DC_STS, DC_STS_BLANK_INT_);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x30140u);
  r.chip.Write(DC_STS, DC_STS_VBLANK_INT_);
  EXPECT_EQ(r.chip.Read(DC_STS), 0x30100u);
}

TEST(DisplayControllerUnit, Faults) {
  DcRig r;
  r.dc.neverEnables = true;
  r.chip.Write(DC_CTRL, 0x01000109);
  for (int i = 0; i < 10; ++i) r.chip.Read(DC_STS);
  EXPECT_FALSE(r.dc.Enabled());

  DcRig b;
  b.dc.neverBlanks = true;
  b.chip.Write(DC_CTRL, 0x01000008);
  for (int i = 0; i < 3; ++i) b.chip.Read(DC_STS);
  b.chip.Write(DC_CTRL, 0x01000108);
  for (int i = 0; i < 10; ++i) b.chip.Read(DC_STS);
  EXPECT_FALSE(b.dc.Blanked());
  EXPECT_EQ(b.chip.Read(DC_STS), 0x30800u) << "the blank stays pending";
}

TEST(DisplayControllerUnit, DecodesTheScanOutRegisters) {
  DcRig r(ChipVariant::Fpga(50));
  r.chip.Write(DC_CTRL, 0x404);  // 16 bpp, DVO
  r.chip.Write(DC_HSIZE, 0x031F027F);
  r.chip.Write(DC_HBLANK, 0x02870317);
  r.chip.Write(DC_HSYNC, 0x028F02EF);
  r.chip.Write(DC_VSIZE, 0x020C01DF);
  r.chip.Write(DC_VBLANK, 0x01E70204);
  r.chip.Write(DC_VSYNC, 0x01E901EB);
  r.chip.Write(DC_FBBASE, 0x80000);
  r.chip.Write(DC_FRAME_LEN, 614400);
  r.chip.Write(DC_IF_DVO_CTRL, 0x319);
  const DcTiming t = r.dc.Timing();
  EXPECT_EQ(std::vector<uint32_t>({t.width, t.height, t.hTotal, t.vTotal, t.hBlankStart, t.hBlankEnd, t.hSyncStart,
                                   t.hSyncEnd, t.vBlankStart, t.vBlankEnd, t.vSyncStart, t.vSyncEnd}),
            std::vector<uint32_t>({640, 480, 800, 525, 648, 792, 656, 752, 488, 517, 490, 492}));
  EXPECT_EQ(r.dc.BitsPerPixel(), 16u);
  EXPECT_EQ(r.dc.BytesPerPixel(), 2u);
  EXPECT_EQ(r.dc.FrameBufferBase(), 0x80000u);
  EXPECT_EQ(r.dc.FrameLength(), 614400u);
  const DcInterfaceControl dvo = r.dc.Interface(DcInterface::Dvo);
  EXPECT_EQ(dvo.value, 0x319u);
  EXPECT_TRUE(dvo.enabled && dvo.syncPol1 && dvo.syncPol2 && dvo.dpMode && dvo.dvoStyle);
  EXPECT_FALSE(dvo.siliconVga);
  EXPECT_EQ(r.dc.Interface(DcInterface::Hdmi).value, 0u);
}

TEST(DisplayControllerUnit, ChipResetReturnsToBlankedAndStopped) {
  DcRig r;
  r.chip.Write(DC_CTRL, 0x01000009);
  for (int i = 0; i < 3; ++i) r.chip.Read(DC_STS);
  ASSERT_TRUE(r.dc.Enabled());
  r.chip.PowerUp();
  EXPECT_TRUE(r.dc.Blanked());
  EXPECT_FALSE(r.dc.Enabled());
  EXPECT_EQ(r.chip.Read(DC_CTRL), 0x01000108u);
}

}  // namespace
}  // namespace zev::sim
