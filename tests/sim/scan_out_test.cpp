// The scan-out: what a monitor shows from the display controller's registers and the
// frame buffer, and the BMP file it is captured into.
#include "sim/units/scan_out.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/display_controller.h"
#include "device/video/mode_table.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "tests/support/display_mode.h"
#include "tests/support/reference_decoder.h"
#include "tests/support/sim_rig.h"
#include "tests/support/temp_dir.h"

namespace zev::sim {
namespace {

// Stores pixels of `bytesPerPixel` bytes (blue, green, red, then 0) from `address`.
void StorePixels(Chip& chip, uint32_t address, const std::vector<uint32_t>& colours, uint32_t bytesPerPixel) {
  std::vector<uint8_t> bytes;
  for (uint32_t c : colours) {
    for (uint32_t b = 0; b < bytesPerPixel; ++b) bytes.push_back(b < 3 ? static_cast<uint8_t>(c >> (8 * b)) : 0);
  }
  chip.Find<DramUnit>()->memory().WriteBytes(address, bytes);
}

TEST(ScanOut, SaysWhyNothingIsShown) {
  testing::SimRig rig;
  rig.Open();
  ScanOut frame = ScanOutFrame(rig.chip());
  EXPECT_EQ(frame.status, ScanOutStatus::NoMode) << "after power-up the controller does not run";
  EXPECT_EQ(frame.Describe(), "no mode set (the display controller is not running)");
  EXPECT_EQ(frame.picture.width, 0u);

  ASSERT_TRUE(testing::SetDisplayMode(rig.ctx(), testing::TestTiming(64, 32)));
  EXPECT_EQ(ScanOutFrame(rig.chip()).status, ScanOutStatus::Shown);

  ASSERT_TRUE(DcBlank(rig.dev(), true));
  frame = ScanOutFrame(rig.chip());
  EXPECT_EQ(frame.status, ScanOutStatus::Blanked);
  EXPECT_EQ(frame.Describe(), "display blanked");

  ASSERT_TRUE(DcUnblank(rig.dev(), true));
  const uint32_t ctrl = GfxGetRegDW(rig.dev(), DC_CTRL);
  GfxSetRegDW(rig.dev(), DC_CTRL, (ctrl & ~DC_CTRL_32BPP) | DC_CTRL_16BPP);
  EXPECT_EQ(ScanOutFrame(rig.chip()).status, ScanOutStatus::UnknownPixelFormat);
  GfxSetRegDW(rig.dev(), DC_CTRL, ctrl);
  ASSERT_TRUE(DcDisable(rig.dev(), true));
  EXPECT_EQ(ScanOutFrame(rig.chip()).status, ScanOutStatus::NoMode);
}

// Lines of width x bytes-per-pixel bytes from DC_FBBASE, blue-green-red pixels.
TEST(ScanOut, ReadsTheFrameBufferInThePixelFormatOfTheChip) {
  for (const ChipVariant variant : {ChipVariant::SiliconRev1(), ChipVariant::Fpga(50)}) {
    SCOPED_TRACE(variant.Name());
    const uint32_t bpp = variant.HasPacked24Bpp() ? 3 : 4;
    testing::SimRig rig(variant);
    rig.Open();
    ASSERT_TRUE(testing::SetDisplayMode(rig.ctx(), testing::TestTiming(4, 2))) << rig.Diag();
    const uint32_t base = 0x2000;
    GfxSetRegDW(rig.dev(), DC_FBBASE, base);
    StorePixels(rig.chip(), base, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0x000001, 0x010000, 0xFFFFFF},
                bpp);
    StorePixels(rig.chip(), 0, std::vector<uint32_t>(8, 0x777777), bpp);  // not shown

    const ScanOut frame = ScanOutFrame(rig.chip());
    ASSERT_EQ(frame.status, ScanOutStatus::Shown);
    EXPECT_EQ(frame.Describe(), "4x2");
    ASSERT_EQ(frame.picture.width, 4u);
    ASSERT_EQ(frame.picture.height, 2u);
    const uint32_t want[2][4] = {{0xFF0000, 0x00FF00, 0x0000FF, 0x123456}, {0xABCDEF, 0x000001, 0x010000, 0xFFFFFF}};
    for (uint32_t y = 0; y < 2; ++y) {
      for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(frame.picture.Pixel(x, y), want[y][x]) << x << "," << y;
    }
  }
}

// A DMT border (blanking after the active area) shows the border colour; bytes past the
// frame length are not fetched and show black.
TEST(ScanOut, BorderAndFrameLength) {
  testing::SimRig rig;
  rig.Open();
  const DmtMode& row0 = *DmtModeRow(0);  // 640 x 480 with 8-pixel and 8-line borders
  ASSERT_TRUE(testing::SetDisplayMode(rig.ctx(), row0));
  GfxSetRegDW(rig.dev(), DC_BORDER, 0x00336699);
  StorePixels(rig.chip(), 0, std::vector<uint32_t>(640 * 480, 0xFFFFFF), 3);

  ScanOut frame = ScanOutFrame(rig.chip());
  ASSERT_EQ(frame.status, ScanOutStatus::Shown);
  EXPECT_EQ(frame.Describe(), "648x488");
  EXPECT_EQ(frame.picture.Pixel(639, 479), 0xFFFFFFu);
  EXPECT_EQ(frame.picture.Pixel(640, 0), 0x336699u);
  EXPECT_EQ(frame.picture.Pixel(647, 487), 0x336699u);
  EXPECT_EQ(frame.picture.Pixel(0, 480), 0x336699u);

  GfxSetRegDW(rig.dev(), DC_FRAME_LEN, 640 * 3 * 2 + 8);  // two lines and 8 bytes
  frame = ScanOutFrame(rig.chip());
  EXPECT_EQ(frame.picture.Pixel(1, 2), 0xFFFFFFu);
  EXPECT_EQ(frame.picture.Pixel(2, 2), 0u) << "its last byte is past the frame length";
  EXPECT_EQ(frame.picture.Pixel(0, 3), 0u);
}

TEST(Bmp24File, HeadersAndPaddedBottomUpRows) {
  RgbPicture picture(3, 2);
  picture.SetPixel(0, 0, 0x010203);
  picture.SetPixel(2, 1, 0xA0B0C0);
  const std::vector<uint8_t> file = EncodeBmp24(picture);
  const std::vector<uint8_t> header = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                          // file header
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,  // info header ...
      0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(file.size(), 54u + 2 * 12);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 54), header);
  // Bottom row first, blue-green-red, three bytes of padding.
  const std::vector<uint8_t> rows = {0, 0, 0, 0, 0, 0, 0xC0, 0xB0, 0xA0, 0, 0, 0,
                                     3, 2, 1, 0, 0, 0, 0,    0,    0,    0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.end()), rows);
}

TEST(Bmp24File, ImageMagickReadsWhatIsWritten) {
  if (!testing::ImageMagickAvailable()) FAIL() << "ImageMagick is not installed (scripts/install-deps.sh)";
  testing::TempDir dir;
  const RgbPicture picture = testing::TestPattern(37, 5);  // rows padded by 1 byte
  std::string error;
  ASSERT_TRUE(WriteBmp24File(picture, dir.File("p.bmp"), &error)) << error;
  const auto decoded = testing::ReadWithImageMagick(dir.File("p.bmp"), &error);
  ASSERT_TRUE(decoded) << error;
  EXPECT_EQ(decoded->width, 37u);
  EXPECT_EQ(decoded->height, 5u);
  EXPECT_TRUE(decoded->rgb == picture.rgb);
}

TEST(Bmp24File, UnwritablePathIsReported) {
  testing::TempDir dir;
  std::string error;
  EXPECT_FALSE(WriteBmp24File(RgbPicture(1, 1), dir.File("missing/p.bmp"), &error));
  EXPECT_EQ(error, "cannot create " + dir.File("missing/p.bmp") + ": No such file or directory");
}

}  // namespace
}  // namespace zev::sim
