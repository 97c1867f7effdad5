// The graphics engine's rectangle fill, checked on the bytes it leaves in DRAM.
#include <gtest/gtest.h>

#include <vector>

#include "device/chip/registers.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

struct Rect {
  uint16_t x, y, width, height;
};

// The 28-byte packet: command, length, x, y, width, height, flags, surface width with
// bit 15, surface height, colour.
std::vector<uint8_t> FillPacket(Rect r, uint16_t surfaceField, uint16_t surfaceHeight, uint32_t colour,
                                uint32_t length = 20) {
  std::vector<uint8_t> p;
  auto put16 = [&](uint32_t v) {
    p.push_back(static_cast<uint8_t>(v));
    p.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    put16(v);
    put16(v >> 16);
  };
  put32(0xFD02);
  put32(length);
  for (uint16_t v : {r.x, r.y, r.width, r.height}) put16(v);
  put32(0);
  put16(surfaceField);
  put16(surfaceHeight);
  put32(colour);
  return p;
}

class FillRig {
 public:
  explicit FillRig(ChipVariant variant) : chip_(variant, clock_) {
    AddStandardUnits(chip_);
    chip_.PowerUp();
    chip_.Write(GE_CTRL, 1);
  }
  Chip& chip() { return chip_; }
  GraphicsEngineUnit& engine() { return *chip_.Find<GraphicsEngineUnit>(); }
  uint32_t status() { return chip_.Read(GE_CMD_STATUS) & 3; }
  std::vector<uint8_t> Bytes(uint32_t address, size_t count) {
    std::vector<uint8_t> out(count);
    chip_.Find<DramUnit>()->memory().ReadBytes(address, out);
    return out;
  }

 private:
  SimClock clock_;
  Chip chip_;
};

// Every pixel of a 16 x 8 surface: inside the rectangle the colour's bytes (blue,
// green, red, and 0 in a 4-byte pixel), outside untouched.
TEST(GraphicsEngineFill, FillsTheRectangleWithThePixelSizeOfTheChip) {
  const struct {
    ChipVariant variant;
    uint32_t bytesPerPixel;
  } chips[] = {{ChipVariant::SiliconRev1(), 3}, {ChipVariant::Fpga(60), 3}, {ChipVariant::Fpga(50), 4}};
  const struct {
    const char* what;
    Rect rect;
    uint32_t right, bottom;  // first column and line after the filled area
  } cases[] = {
      {"inside", {2, 1, 3, 2}, 5, 3},
      {"whole surface", {0, 0, 16, 8}, 16, 8},
      {"clipped at the right and bottom edges", {14, 6, 5, 9}, 16, 8},
      {"empty", {4, 4, 0, 3}, 4, 7},
  };
  constexpr uint32_t kWidth = 16, kHeight = 8, kColour = 0x00A1B2C3;
  for (const auto& chipCase : chips) {
    for (const auto& c : cases) {
      SCOPED_TRACE(chipCase.variant.Name() + ": " + c.what);
      FillRig rig(chipCase.variant);
      ASSERT_TRUE(rig.chip().Bulk(FillPacket(c.rect, 0x8000 | kWidth, kHeight, kColour)));
      EXPECT_EQ(rig.status(), GraphicsEngineUnit::kStatusDone);
      EXPECT_EQ(rig.engine().rectangleFills(), 1u);

      const uint32_t bpp = chipCase.bytesPerPixel;
      const std::vector<uint8_t> bytes = rig.Bytes(0, (kWidth * kHeight + 1) * bpp);
      for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
          const bool inside = x >= c.rect.x && x < c.right && y >= c.rect.y && y < c.bottom;
          const uint8_t* p = &bytes[(y * kWidth + x) * bpp];
          const std::vector<uint8_t> got(p, p + bpp);
          std::vector<uint8_t> want = {0xC3, 0xB2, 0xA1, 0};
          want.resize(bpp);
          if (!inside) want.assign(bpp, 0);
          ASSERT_EQ(got, want) << "pixel " << x << "," << y;
        }
      }
      EXPECT_EQ(bytes[kWidth * kHeight * bpp], 0) << "nothing after the surface";
    }
  }
}

TEST(GraphicsEngineFill, DrawsIntoTheShownFrameBuffer) {
  FillRig rig(ChipVariant::SiliconRev1());
  rig.chip().Write(DC_FBBASE, 0x1000);
  ASSERT_TRUE(rig.chip().Bulk(FillPacket({1, 1, 1, 1}, 0x8000 | 4, 4, 0xFFFFFF)));
  EXPECT_EQ(rig.Bytes(0x1000 + 5 * 3, 3), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(rig.Bytes(5 * 3, 3), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(GraphicsEngineFill, MalformedPacketsStallWithNothingDrawn) {
  struct Case {
    const char* what;
    std::vector<uint8_t> packet;
  };
  std::vector<uint8_t> cut = FillPacket({0, 0, 2, 2}, 0x8004, 4, 0xFFFFFF);
  cut.resize(27);
  const Case cases[] = {
      {"packet cut short", cut},
      {"length field not 20", FillPacket({0, 0, 2, 2}, 0x8004, 4, 0xFFFFFF, 24)},
      {"surface without the 32-bit colour flag", FillPacket({0, 0, 2, 2}, 4, 4, 0xFFFFFF)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FillRig rig(ChipVariant::SiliconRev1());
    EXPECT_TRUE(rig.chip().Bulk(c.packet));
    EXPECT_EQ(rig.status(), GraphicsEngineUnit::kStatusStalled);
    EXPECT_EQ(rig.engine().rectangleFills(), 0u);
    EXPECT_EQ(rig.Bytes(0, 6), std::vector<uint8_t>(6, 0));
  }
}

TEST(GraphicsEngineFill, DisabledOrStalledEngineDrawsNothing) {
  for (bool stall : {false, true}) {
    SCOPED_TRACE(stall ? "stall fault" : "engine disabled");
    FillRig rig(ChipVariant::SiliconRev1());
    if (stall) {
      rig.engine().stall = true;
    } else {
      rig.chip().Write(GE_CTRL, 0);
    }
    EXPECT_TRUE(rig.chip().Bulk(FillPacket({0, 0, 2, 2}, 0x8004, 4, 0xFFFFFF)));
    EXPECT_EQ(rig.Bytes(0, 6), std::vector<uint8_t>(6, 0));
    EXPECT_EQ(rig.status(), stall ? GraphicsEngineUnit::kStatusStalled : GraphicsEngineUnit::kStatusDone);
  }
}

}  // namespace
}  // namespace zev::sim
