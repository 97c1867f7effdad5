// The graphics engine routines: GeEnable and the rectangle fill, checked on the packet
// bytes and on the picture the virtual monitor shows.
#include "device/video/graphics_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "sim/core/trace.h"
#include "tests/support/display_mode.h"
#include "tests/support/picture_compare.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

std::vector<sim::TraceEvent> BulkEvents(testing::SimRig& rig) {
  std::vector<sim::TraceEvent> bulk;
  for (const auto& e : rig.trace().Events()) {
    if (e.kind == sim::TraceEvent::Kind::Bulk) bulk.push_back(e);
  }
  return bulk;
}

VideoState Mode640x480(UsbDevice* dev) {
  VideoState vs;
  vs.dwWidth = 640;
  vs.dwHeight = 480;
  vs.dwBpp = 32;
  vs.dwLineWidth = 640;
  vs.dwStride = 640 * 3;
  vs.device = dev;
  return vs;
}

TEST(GeEnable, SetsBitZeroKeepingTheOthers) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  GfxSetRegDW(dev, GE_CTRL, 0x30);
  rig.ClearTrace();
  EXPECT_TRUE(GeEnable(dev));
  EXPECT_EQ(rig.trace().ReadAddresses(), std::vector<uint16_t>{GE_CTRL});
  EXPECT_EQ(rig.trace().Writes(), (Writes{{GE_CTRL, 0x31}}));
}

TEST(GfxDrawRect32, SendsTheTwentyEightBytePacket) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  ASSERT_TRUE(GfxDrawRect32(Mode640x480(dev), 0x0102, 0x0304, 0x10, 0x20, 0x00ABCDEF, 0x55));
  const auto bulk = BulkEvents(rig);
  ASSERT_EQ(bulk.size(), 1u) << "the library sends it once";
  const std::vector<uint8_t> packet = {0x02, 0xFD, 0, 0, 20, 0, 0, 0,    0x02, 0x01, 0x04, 0x03, 0x10, 0,
                                       0x20, 0,    0x55, 0, 0, 0, 0x80, 0x82, 0xE0, 0x01, 0xEF, 0xCD, 0xAB, 0};
  EXPECT_EQ(bulk[0].length, 28u);
  EXPECT_EQ(bulk[0].head, packet);
  EXPECT_EQ(rig.trace().Counters().regReads + rig.trace().Counters().regWrites, 0u) << "no register access";
}

// Sizes up to the mode's are accepted; a check that fails sends nothing.
TEST(GfxDrawRect32, RefusesWhatDoesNotFitTheMode) {
  const struct {
    uint32_t bpp, xlr, ylr;
    const char* message;  // empty: accepted
  } cases[] = {
      {32, 640, 480, ""},
      {32, 641, 480, "GfxDrawRect32(), bad dwXlr=641, s/b <640\n"},
      {32, 640, 481, "GfxDrawRect32(), bad dwYlr=481, s/b <480\n"},
      {32, 0xFFFFFFFF, 0, "GfxDrawRect32(), bad dwXlr=4294967295, s/b <640\n"},
      {24, 1, 1, "GfxDrawRect32(), bad dwBpp=24, s/b 32\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    testing::SimRig rig;
    VideoState vs = Mode640x480(rig.Open());
    vs.dwBpp = c.bpp;
    const bool accepted = *c.message == '\0';
    EXPECT_EQ(GfxDrawRect32(vs, 0, 0, c.xlr, c.ylr, 0xFFFFFF, 0), accepted);
    EXPECT_EQ(rig.Diag(), c.message);
    EXPECT_EQ(BulkEvents(rig).size(), accepted ? 1u : 0u);
  }
}

// The utility's copy sends the packet a second time, only after the first went out.
TEST(GfxDrawRect32, UtilitySendsThePacketTwice) {
  for (bool stalled : {false, true}) {
    SCOPED_TRACE(stalled ? "bulk pipe stalls" : "bulk pipe works");
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, Variant::Utility);
    UsbDevice* dev = rig.Open();
    rig.adapter().faults().stallBulk = stalled;
    EXPECT_EQ(GfxDrawRect32(Mode640x480(dev), 1, 2, 3, 4, 0xFF0000, 0), !stalled);
    const auto bulk = BulkEvents(rig);
    if (stalled) {
      EXPECT_TRUE(bulk.empty());
      EXPECT_EQ(rig.trace().Counters().failedTransfers, 1u) << "no second attempt";
    } else {
      ASSERT_EQ(bulk.size(), 2u);
      EXPECT_EQ(bulk[0].head, bulk[1].head);
    }
  }
}

// Each colour code on the captured picture: the rectangle in its colour, the rest of
// the (fresh, black) frame untouched. Codes outside 0..4 draw white.
TEST(GfxDrawRectColor, ColourCodesOnTheScreen) {
  const std::pair<int32_t, uint32_t> cases[] = {{0, 0xFF0000}, {1, 0x00FF00},  {2, 0x0000FF},  {3, 0xFFFFFF},
                                                {4, 0x000000}, {7, 0xFFFFFF},  {5, 0xFFFFFF},  {-1, 0xFFFFFF}};
  for (const auto& [code, colour] : cases) {
    SCOPED_TRACE(code);
    testing::SimRig rig;
    rig.Open();
    ASSERT_TRUE(testing::SetDisplayMode(rig.ctx(), testing::TestTiming(16, 8)));
    ASSERT_TRUE(GfxDrawRectColor(rig.ctx().connection, 3, 2, 4, 5, code));
    sim::RgbPicture want = testing::Filled(16, 8, 0);
    for (uint32_t y = 2; y < 7; ++y) {
      for (uint32_t x = 3; x < 7; ++x) want.SetPixel(x, y, colour);
    }
    const sim::ScanOut frame = testing::Capture(rig);
    ASSERT_EQ(frame.status, sim::ScanOutStatus::Shown);
    EXPECT_TRUE(testing::SamePicture(frame.picture, want));
  }
}

// On a chip with 4 bytes per pixel the same routine fills the same pixels.
TEST(GfxDrawRectColor, FourBytePixelsOfOldFpgaBuilds) {
  testing::SimRig rig(sim::ChipVariant::Fpga(50));
  rig.Open();
  ASSERT_TRUE(testing::SetDisplayMode(rig.ctx(), testing::TestTiming(16, 8)));
  ASSERT_TRUE(GfxDrawRectColor(rig.ctx().connection, 0, 0, 16, 8, kColourBlue));
  ASSERT_TRUE(GfxDrawRectColor(rig.ctx().connection, 15, 7, 1, 1, kColourRed));
  sim::RgbPicture want = testing::Filled(16, 8, 0x0000FF);
  want.SetPixel(15, 7, 0xFF0000);
  EXPECT_TRUE(testing::SamePicture(testing::Capture(rig).picture, want));
}

TEST(GfxDrawRectColor, CoordinatesBeyondSixteenBitsAreRefused) {
  testing::SimRig rig;
  rig.Open();
  rig.ctx().connection.video = Mode640x480(rig.dev());
  EXPECT_FALSE(GfxDrawRectColor(rig.ctx().connection, 0x10000, 0, 1, 1, kColourRed));
  EXPECT_EQ(rig.Diag(), "GfxDrawRectColor(), bad x=65536 or y=0, s/b <= 65535\n");
  EXPECT_TRUE(BulkEvents(rig).empty());
}

}  // namespace
}  // namespace zev
