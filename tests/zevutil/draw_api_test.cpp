// ZEVDrawRect and ZEVDrawPic on virtual adapters, checked on the picture the virtual
// monitor shows.
#include "zevutil/core/draw_api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/video/graphics_engine.h"
#include "sim/core/trace.h"
#include "tests/support/display_mode.h"
#include "tests/support/monitor_edids.h"
#include "tests/support/picture_compare.h"
#include "tests/support/reference_decoder.h"
#include "tests/support/sim_rig.h"
#include "tests/support/temp_dir.h"
#include "zevutil/core/display_api.h"
#include "zevutil/core/lib_frame.h"

namespace zev {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0xFF0000;

// A library context with its adapter initialised and showing a W x H mode.
class DrawRig {
 public:
  DrawRig(uint32_t width, uint32_t height) {
    ready = api::ZEVLibInit(rig.ctx()) == ZEV_SUCCESS &&
            testing::SetDisplayMode(rig.ctx(), testing::TestTiming(width, height));
    rig.ClearTrace();
    rig.ClearDiag();
  }
  LibContext& ctx() { return rig.ctx(); }
  sim::RgbPicture Screen() {
    const sim::ScanOut frame = testing::Capture(rig);
    EXPECT_EQ(frame.status, sim::ScanOutStatus::Shown) << frame.Describe();
    return frame.picture;
  }
  size_t BulkTransfers() { return rig.trace().Counters().bulkTransfers; }

  testing::SimRig rig;
  bool ready = false;
};

sim::RgbPicture WithRect(sim::RgbPicture picture, uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t colour) {
  for (uint32_t j = y; j < y + h; ++j) {
    for (uint32_t i = x; i < x + w; ++i) picture.SetPixel(i, j, colour);
  }
  return picture;
}

TEST(ZEVDrawRect, ColoursOutsideTheTableAreRefusedBeforeTheDevice) {
  for (int32_t colour : {5, -1, 7, INT32_MIN}) {
    SCOPED_TRACE(colour);
    testing::SimRig rig;
    EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), colour, 0, 0, 1, 1), ZEV_INVALID_ARG);
    EXPECT_EQ(rig.backend.openTransports, 0);
    EXPECT_EQ(rig.trace().Counters().Transfers(), 0u);
  }
}

// The screen starts white; a refused rectangle leaves it so (nothing is cleared), an
// accepted one clears it to black first.
TEST(ZEVDrawRect, TheRectangleMustFitTheDrawingArea) {
  constexpr uint32_t W = 160, H = 120;
  const struct {
    const char* what;
    int32_t colour;
    uint32_t x, y, width, height;
    ZEV_STATUS status;
  } cases[] = {
      {"x = W - 10, width 10", kColourRed, W - 10, 0, 10, H, ZEV_SUCCESS},
      {"x = W - 10, width 11", kColourRed, W - 10, 0, 11, H, ZEV_INVALID_DRAW_REQ},
      {"y = H - 10, height 10", kColourGreen, 0, H - 10, W, 10, ZEV_SUCCESS},
      {"y = H - 10, height 11", kColourGreen, 0, H - 10, W, 11, ZEV_INVALID_DRAW_REQ},
      {"whole screen white", kColourWhite, 0, 0, W, H, ZEV_SUCCESS},
      {"width beyond the screen", kColourBlue, 0, 0, W + 1, 1, ZEV_INVALID_DRAW_REQ},
      {"x beyond the screen, empty", kColourBlue, W + 1, 0, 0, 0, ZEV_INVALID_DRAW_REQ},
      {"empty at the right edge", kColourBlue, W, H, 0, 0, ZEV_SUCCESS},
      {"x + width wraps in 32 bits", kColourBlue, 0xFFFFFFF0u, 0, 0x20, 1, ZEV_INVALID_DRAW_REQ},
  };
  const uint32_t colours[] = {kRed, 0x00FF00, 0x0000FF, kWhite, kBlack};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DrawRig d(W, H);
    ASSERT_TRUE(d.ready) << d.rig.Diag();
    ASSERT_EQ(api::ZEVDrawRect(d.ctx(), kColourWhite, 0, 0, W, H), ZEV_SUCCESS);
    EXPECT_EQ(api::ZEVDrawRect(d.ctx(), c.colour, c.x, c.y, c.width, c.height), c.status);
    const sim::RgbPicture want = c.status == ZEV_SUCCESS
                                     ? WithRect(testing::Filled(W, H, kBlack), c.x, c.y, c.width, c.height,
                                                colours[c.colour])
                                     : testing::Filled(W, H, kWhite);
    EXPECT_TRUE(testing::SamePicture(d.Screen(), want));
  }
}

// Before any mode is recorded the area is 0 x 0: only the empty rectangle at the
// origin passes the check, and it cannot be drawn without a 32-bit mode.
TEST(ZEVDrawRect, NoDrawingAreaBeforeAModeIsSet) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), kColourRed, 0, 0, 1, 1), ZEV_INVALID_DRAW_REQ);
  rig.ClearDiag();
  EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), kColourRed, 0, 0, 0, 0), ZEV_DRAW_FAIL);
  EXPECT_EQ(rig.Diag(), "GfxDrawRect32(), bad dwBpp=0, s/b 32\nGfxDrawRect32(), bad dwBpp=0, s/b 32\n");
}

TEST(ZEVDrawRect, FailedTransferIsDrawFail) {
  DrawRig d(16, 8);
  ASSERT_TRUE(d.ready);
  d.rig.adapter().faults().stallBulk = true;
  EXPECT_EQ(api::ZEVDrawRect(d.ctx(), kColourRed, 0, 0, 1, 1), ZEV_DRAW_FAIL);
}

// Unplugged for good: the device check fails. Unplugged and back: the check re-opens
// the connection (a new device record) and the drawing goes through it; the new
// bring-up left the controller without a mode.
TEST(DrawExports, DeviceCheckAndReconnect) {
  testing::TempDir dir;
  const std::string picture = dir.File("p.bmp");
  std::string error;
  ASSERT_TRUE(sim::WriteBmp24File(testing::TestPattern(16, 8), picture, &error));
  {
    DrawRig d(16, 8);
    ASSERT_TRUE(d.ready);
    d.rig.adapter().Unplug();
    EXPECT_EQ(api::ZEVDrawRect(d.ctx(), kColourRed, 0, 0, 1, 1), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(api::ZEVDrawPic(d.ctx(), picture.c_str()), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(d.BulkTransfers(), 0u);
  }
  {
    DrawRig d(16, 8);
    ASSERT_TRUE(d.ready);
    d.rig.adapter().Unplug();
    d.rig.adapter().Plug();
    EXPECT_EQ(api::ZEVDrawRect(d.ctx(), kColourRed, 0, 0, 4, 4), ZEV_SUCCESS);
    EXPECT_EQ(d.BulkTransfers(), 2u) << "the clearing fill and the rectangle, on the new connection";
    EXPECT_EQ(api::ZEVDrawPic(d.ctx(), picture.c_str()), ZEV_SUCCESS);
    EXPECT_EQ(d.BulkTransfers(), 4u);
    EXPECT_EQ(testing::Capture(d.rig).status, sim::ScanOutStatus::NoMode);
  }
}

TEST(ZEVDrawPic, NullPathIsRefusedBeforeTheDevice) {
  testing::SimRig rig;
  EXPECT_EQ(api::ZEVDrawPic(rig.ctx(), nullptr), ZEV_INVALID_ARG);
  EXPECT_EQ(rig.backend.openTransports, 0);
}

// On a 127 x 64 mode whose screen starts white: the picture replaces it, every refusal
// leaves it cleared to black, and no frame of white is ever sent.
TEST(ZEVDrawPic, ResultsOnTheScreen) {
  testing::TempDir dir;
  const std::string data = std::string(ZEV_DATA_DIR) + "/bmp/";
  std::vector<uint8_t> cut = testing::ReadFileBytes(data + "g/rgb24.bmp");
  cut.resize(cut.size() - 400);
  const struct {
    const char* what;
    std::string path;
    ZEV_STATUS status;
  } cases[] = {
      {"24-bit BMP of the mode's size", data + "g/rgb24.bmp", ZEV_SUCCESS},
      {"colour table before the pixels", data + "q/rgb24largepal.bmp", ZEV_SUCCESS},
      {"8-bit BMP", data + "g/pal8.bmp", ZEV_WRONG_FILE_FORMAT},
      {"another size", data + "b/reallybig.bmp", ZEV_RESOLUTION_MISMATCH},
      {"missing file", dir.File("missing.bmp"), ZEV_FILE_NOT_FOUND},
      {"directory", dir.path().string(), ZEV_FILE_NOT_FOUND},
      {"cut off in its pixels", dir.Write("cut.bmp", cut), ZEV_DRAW_FAIL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DrawRig d(127, 64);
    ASSERT_TRUE(d.ready);
    ASSERT_EQ(api::ZEVDrawRect(d.ctx(), kColourWhite, 0, 0, 127, 64), ZEV_SUCCESS);
    EXPECT_EQ(api::ZEVDrawPic(d.ctx(), c.path.c_str()), c.status);
    if (c.status != ZEV_SUCCESS) {
      EXPECT_TRUE(testing::SamePicture(d.Screen(), testing::Filled(127, 64, kBlack)));
    } else if (testing::ImageMagickAvailable()) {
      std::string error;
      const auto reference = testing::ReadWithImageMagick(c.path, &error);
      ASSERT_TRUE(reference) << error;
      EXPECT_TRUE(testing::SamePicture(d.Screen(), *reference));
    }
  }
}

TEST(ZEVDrawPic, FailedTransferIsDrawFail) {
  DrawRig d(127, 64);
  ASSERT_TRUE(d.ready);
  d.rig.adapter().faults().stallBulk = true;
  EXPECT_EQ(api::ZEVDrawPic(d.ctx(), (std::string(ZEV_DATA_DIR) + "/bmp/g/rgb24.bmp").c_str()), ZEV_DRAW_FAIL);
}

// What a client does: ZEVLibInit, ZEVInitGE on the monitor found, then drawing, with
// the screen checked after each step. 1024 x 768 is a table row; 1366 x 768 is no row
// and runs the timing the monitor prefers (one that prefers exactly that size here),
// whose 4098-byte picture rows are padded by 2 bytes in the file.
TEST(DrawExports, AfterZEVInitGE) {
  struct Case {
    uint32_t width, height;
    std::vector<uint8_t> edid;  // empty: the board's default monitor
  };
  for (const Case& c : {Case{1024, 768, {}}, Case{1366, 768, testing::Edid1366x768()}}) {
    const uint32_t W = c.width, H = c.height;
    SCOPED_TRACE(::testing::Message() << W << "x" << H);
    sim::BoardDescription board;
    board.monitorEdid = c.edid;
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), board);
    ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    ASSERT_EQ(api::ZEVInitGE(rig.ctx(), H, W, 60), ZEV_SUCCESS) << rig.Diag();
    auto screen = [&] {
      const sim::ScanOut frame = testing::Capture(rig);
      EXPECT_EQ(frame.status, sim::ScanOutStatus::Shown) << frame.Describe();
      return frame.picture;
    };

    EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), kColourWhite, 0, 0, W, H), ZEV_SUCCESS);
    EXPECT_TRUE(testing::SamePicture(screen(), testing::Filled(W, H, kWhite)));
    EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), kColourRed, W - 10, 0, 11, H), ZEV_INVALID_DRAW_REQ);
    EXPECT_TRUE(testing::SamePicture(screen(), testing::Filled(W, H, kWhite)));
    EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), kColourRed, W - 10, 0, 10, H), ZEV_SUCCESS);
    EXPECT_TRUE(testing::SamePicture(screen(), WithRect(testing::Filled(W, H, kBlack), W - 10, 0, 10, H, kRed)));
    EXPECT_EQ(api::ZEVDrawRect(rig.ctx(), 5, 0, 0, 1, 1), ZEV_INVALID_ARG);

    testing::TempDir dir;
    const std::string path = dir.File("picture.bmp");
    const sim::RgbPicture picture = testing::TestPattern(W, H);
    std::string error;
    ASSERT_TRUE(sim::WriteBmp24File(picture, path, &error)) << error;
    EXPECT_EQ(api::ZEVDrawPic(rig.ctx(), path.c_str()), ZEV_SUCCESS) << rig.Diag();
    const sim::RgbPicture shown = screen();
    EXPECT_TRUE(testing::SamePicture(shown, picture));
    if (testing::ImageMagickAvailable()) {
      const auto reference = testing::ReadWithImageMagick(path, &error);
      ASSERT_TRUE(reference) << error;
      EXPECT_TRUE(testing::SamePicture(shown, *reference));
    }
    const std::string other = dir.File("800x600.bmp");
    ASSERT_TRUE(sim::WriteBmp24File(sim::RgbPicture(800, 600), other, &error)) << error;
    EXPECT_EQ(api::ZEVDrawPic(rig.ctx(), other.c_str()), ZEV_RESOLUTION_MISMATCH);
  }
}

}  // namespace
}  // namespace zev
