// GfxDrawBmp24 from file to screen: the picture the virtual monitor shows is compared
// pixel by pixel with ImageMagick's reading of the same file; every other file gets
// its result code and nothing on the screen.
#include "device/video/picture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "device/video/bmp24.h"
#include "sim/core/trace.h"
#include "tests/support/bmp_suite.h"
#include "tests/support/display_mode.h"
#include "tests/support/picture_compare.h"
#include "tests/support/reference_decoder.h"
#include "tests/support/sim_rig.h"
#include "tests/support/temp_dir.h"

namespace zev {
namespace {

// A virtual adapter showing a mode of the given size, with the trace cleared.
class PictureRig {
 public:
  PictureRig(uint32_t width, uint32_t height, sim::ChipVariant variant = sim::ChipVariant::SiliconRev1())
      : rig(variant) {
    rig.Open();
    modeSet = testing::SetDisplayMode(rig.ctx(), testing::TestTiming(width, height));
    rig.ClearTrace();
    rig.ClearDiag();
  }
  uint32_t Draw(const std::string& path, uint32_t width, uint32_t height, uint32_t offset = 0) {
    return GfxDrawBmp24(rig.ctx().connection.video, offset, path.c_str(), width, height);
  }
  uint32_t DrawAtModeSize(const std::string& path) {
    return Draw(path, rig.ctx().connection.video.dwWidth, rig.ctx().connection.video.dwHeight);
  }
  std::vector<sim::TraceEvent> Bulk() {
    std::vector<sim::TraceEvent> bulk;
    for (const auto& e : rig.trace().Events()) {
      if (e.kind == sim::TraceEvent::Kind::Bulk) bulk.push_back(e);
    }
    return bulk;
  }
  sim::RgbPicture Screen() {
    const sim::ScanOut frame = testing::Capture(rig);
    EXPECT_EQ(frame.status, sim::ScanOutStatus::Shown) << frame.Describe();
    return frame.picture;
  }

  testing::SimRig rig;
  bool modeSet = false;
};

sim::RgbPicture Reference(const std::string& path) {
  std::string error;
  auto picture = testing::ReadWithImageMagick(path, &error);
  EXPECT_TRUE(picture) << error;
  return picture ? *picture : sim::RgbPicture();
}

#define REQUIRE_IMAGEMAGICK()                                                                  \
  if (!testing::ImageMagickAvailable()) {                                                           \
    FAIL() << "ImageMagick's convert is not installed (scripts/install-deps.sh installs it)";   \
  }

// The suite's usable 24-bit BMPs at their own size, on a packed and on a 4-byte chip:
// one memory-write packet of the whole frame, and the screen shows what ImageMagick
// reads from the file (g/rgb24 has padded rows, the other two colour tables).
TEST(GfxDrawBmp24, SuitePicturesShowAsImageMagickReadsThem) {
  REQUIRE_IMAGEMAGICK();
  for (const sim::ChipVariant variant : {sim::ChipVariant::SiliconRev1(), sim::ChipVariant::Fpga(50)}) {
    for (const testing::BmpSuiteFile& f : testing::BmpSuite()) {
      if (!f.UsableBmp24() || f.width != 127) continue;
      SCOPED_TRACE(variant.Name() + " " + f.file);
      PictureRig p(127, 64, variant);
      ASSERT_TRUE(p.modeSet) << p.rig.Diag();
      ASSERT_EQ(p.DrawAtModeSize(f.Path()), kPicDrawn) << p.rig.Diag();
      const uint32_t bytesPerPixel = variant.HasPacked24Bpp() ? 3 : 4;
      const auto bulk = p.Bulk();
      ASSERT_EQ(bulk.size(), 1u);
      EXPECT_EQ(bulk[0].length, 12 + 127 * 64 * bytesPerPixel);
      EXPECT_TRUE(testing::SamePicture(p.Screen(), Reference(f.Path())));
    }
  }
}

// Every file of the suite on a mode of 127 x 64 (the size of all but one): the usable
// 24-bit files of that size draw (1), the one of another size mismatches (2), all
// others are not usable 24-bit BMPs (4). Nothing else reaches the screen.
TEST(GfxDrawBmp24, EveryFileOfTheSuiteGetsItsResult) {
  PictureRig p(127, 64);
  ASSERT_TRUE(p.modeSet);
  size_t drawn = 0, mismatched = 0, refused = 0;
  for (const testing::BmpSuiteFile& f : testing::BmpSuite()) {
    SCOPED_TRACE(f.file);
    p.rig.ClearTrace();
    uint32_t expected = kPicNotBmp24;
    if (f.UsableBmp24()) expected = f.width == 127 && f.height == 64 ? kPicDrawn : kPicSizeMismatch;
    EXPECT_EQ(p.DrawAtModeSize(f.Path()), expected);
    EXPECT_EQ(p.Bulk().size(), expected == kPicDrawn ? 1u : 0u);
    drawn += expected == kPicDrawn;
    mismatched += expected == kPicSizeMismatch;
    refused += expected == kPicNotBmp24;
  }
  EXPECT_EQ(drawn, 3u);
  EXPECT_EQ(mismatched, 1u) << "b/reallybig";
  EXPECT_GT(refused, 80u);
}

// The file claiming 3,000,000 x 2,000,000 pixels: a size mismatch on a real mode, and
// on a drawing area of its own claimed size it is refused before anything of that
// size is allocated (the sanitizers would stop an attempt), as the file is far shorter.
TEST(GfxDrawBmp24, HugeHeaderAllocatesNothing) {
  PictureRig p(1024, 768);
  const std::string path = std::string(ZEV_DATA_DIR) + "/bmp/b/reallybig.bmp";
  EXPECT_EQ(p.DrawAtModeSize(path), kPicSizeMismatch);
  EXPECT_EQ(p.Draw(path, 3000000, 2000000), kPicNotSent);
  EXPECT_EQ(p.rig.Diag(), "ERROR:  GfxDrawBmp24(" + path + ") file too short for its 3000000x2000000 pixels\n");
  EXPECT_TRUE(p.Bulk().empty());
}

TEST(GfxDrawBmp24, GeneratedFiles) {
  testing::TempDir dir;
  const std::vector<uint8_t> pattern = sim::EncodeBmp24(testing::TestPattern(64, 32));
  std::vector<uint8_t> topDown = pattern;
  topDown[22] = 0xE0;  // biHeight -32
  topDown[23] = topDown[24] = topDown[25] = 0xFF;
  const std::vector<uint8_t> big = sim::EncodeBmp24(sim::RgbPicture(800, 600));
  const std::vector<uint8_t> bigHeadersOnly(big.begin(), big.begin() + 54);
  std::vector<uint8_t> cut = pattern;
  cut.resize(cut.size() - 1);
  std::vector<uint8_t> offsetInHeader = pattern;
  offsetInHeader[10] = 40;
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    uint32_t modeWidth, modeHeight;
    uint32_t result;
  } cases[] = {
      {"top-down rows", topDown, 64, 32, kPicSizeMismatch},
      {"800 x 600 on 1024 x 768", big, 1024, 768, kPicSizeMismatch},
      {"800 x 600 headers only: the pixels are never read", bigHeadersOnly, 1024, 768, kPicSizeMismatch},
      {"cut off in the last row", cut, 64, 32, kPicNotSent},
      {"pixel offset inside the headers", offsetInHeader, 64, 32, kPicNotBmp24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PictureRig p(c.modeWidth, c.modeHeight);
    ASSERT_TRUE(p.modeSet);
    EXPECT_EQ(p.DrawAtModeSize(dir.Write("f.bmp", c.bytes)), c.result);
    EXPECT_TRUE(p.Bulk().empty()) << "no frame is sent";
    EXPECT_TRUE(testing::SamePicture(p.Screen(), testing::Filled(c.modeWidth, c.modeHeight, 0)));
  }
}

TEST(GfxDrawBmp24, PathsThatCannotBeOpened) {
  testing::TempDir dir;
  PictureRig p(4, 4);
  for (const std::string& path : {dir.File("missing.bmp"), dir.path().string(), std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    p.rig.ClearDiag();
    EXPECT_EQ(p.DrawAtModeSize(path), kPicCannotOpen);
    EXPECT_EQ(p.rig.Diag(), "ERROR:  GfxExtractBmp24Hdr(" + path + ") couldn't open file\n");
  }
  EXPECT_TRUE(p.Bulk().empty());
}

// 1366 pixels make 4098-byte rows with 2 bytes of padding in the file.
TEST(GfxDrawBmp24, PaddedRowsOf1366x768) {
  testing::TempDir dir;
  const sim::RgbPicture picture = testing::TestPattern(1366, 768);
  std::string error;
  const std::string path = dir.File("1366x768.bmp");
  ASSERT_TRUE(sim::WriteBmp24File(picture, path, &error)) << error;
  PictureRig p(1366, 768);
  ASSERT_TRUE(p.modeSet);
  ASSERT_EQ(p.DrawAtModeSize(path), kPicDrawn) << p.rig.Diag();
  const sim::RgbPicture screen = p.Screen();
  EXPECT_TRUE(testing::SamePicture(screen, picture));
  if (testing::ImageMagickAvailable()) {
    EXPECT_TRUE(testing::SamePicture(screen, Reference(path)));
  }
}

// Every way the rows are read gives the same upright screen, on a packed and on a
// 4-byte chip: short rows back to back in the file (4 pixels), short padded rows (85),
// long padded rows (86) and long rows in more than one vectored read (128 x 1100).
TEST(GfxDrawBmp24, EveryReadingRouteShowsThePictureUpright) {
  testing::TempDir dir;
  const struct {
    uint32_t width, height;
  } sizes[] = {{4, 3}, {85, 4}, {86, 3}, {128, 1100}};
  for (const sim::ChipVariant variant : {sim::ChipVariant::SiliconRev1(), sim::ChipVariant::Fpga(50)}) {
    for (const auto& size : sizes) {
      SCOPED_TRACE(::testing::Message() << variant.Name() << " " << size.width << "x" << size.height);
      const sim::RgbPicture picture = testing::TestPattern(size.width, size.height);
      std::string error;
      const std::string path = dir.File("p.bmp");
      ASSERT_TRUE(sim::WriteBmp24File(picture, path, &error)) << error;
      PictureRig p(size.width, size.height, variant);
      ASSERT_TRUE(p.modeSet) << p.rig.Diag();
      ASSERT_EQ(p.DrawAtModeSize(path), kPicDrawn) << p.rig.Diag();
      EXPECT_EQ(p.Bulk().size(), 1u);
      EXPECT_TRUE(testing::SamePicture(p.Screen(), picture));
    }
  }
}

// The frame goes to the address given; the header's length counts the address word.
TEST(GfxDrawBmp24, OnePacketToTheDestinationOffset) {
  testing::TempDir dir;
  const std::string path = dir.File("p.bmp");
  std::string error;
  ASSERT_TRUE(sim::WriteBmp24File(testing::TestPattern(8, 2), path, &error));
  PictureRig p(8, 2);
  ASSERT_EQ(p.Draw(path, 8, 2, 0x100000), kPicDrawn);
  const auto bulk = p.Bulk();
  ASSERT_EQ(bulk.size(), 1u);
  EXPECT_EQ(bulk[0].length, 12u + 48);
  EXPECT_EQ(std::vector<uint8_t>(bulk[0].head.begin(), bulk[0].head.begin() + 12),
            (std::vector<uint8_t>{0x08, 0xF7, 0, 0, 52, 0, 0, 0, 0, 0, 0x10, 0}));
  // Upright, blue-green-red: the top-left pixel leads the payload.
  const uint32_t topLeft = testing::TestPattern(8, 2).Pixel(0, 0);
  EXPECT_EQ(bulk[0].head[12], static_cast<uint8_t>(topLeft));
  EXPECT_EQ(bulk[0].head[14], static_cast<uint8_t>(topLeft >> 16));
}

// A transfer that fails is reported as such.
TEST(GfxDrawBmp24, FailedTransferIsNotSuccess) {
  testing::TempDir dir;
  const std::string path = dir.File("p.bmp");
  std::string error;
  ASSERT_TRUE(sim::WriteBmp24File(testing::TestPattern(8, 2), path, &error));
  PictureRig p(8, 2);
  p.rig.adapter().faults().stallBulk = true;
  EXPECT_EQ(p.DrawAtModeSize(path), kPicNotSent);
}

}  // namespace
}  // namespace zev
