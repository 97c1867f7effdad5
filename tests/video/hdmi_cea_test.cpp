#include "device/video/hdmi_cea.h"

#include <gtest/gtest.h>

namespace zev {
namespace {

TEST(HdmiCeaVic, KnownModesAndEverythingElse) {
  const struct {
    uint32_t width, height, refresh, vic;
  } cases[] = {
      {640, 480, 60, 1},     {720, 480, 60, 3},     {720, 576, 50, 18},    {1280, 720, 60, 4},
      {1280, 720, 50, 19},   {1280, 720, 24, 60},   {1280, 720, 25, 61},   {1280, 720, 30, 62},
      {1440, 480, 60, 15},   {1440, 576, 50, 30},   {1920, 1080, 60, 16},  {1920, 1080, 50, 31},
      {1920, 1080, 24, 32},  {1920, 1080, 25, 33},  {1920, 1080, 30, 34},  {800, 600, 60, 0},
      {1920, 1080, 59, 0},   {1080, 1920, 60, 0},   {640, 480, 72, 0},     {0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HdmiCeaVic(c.width, c.height, c.refresh), c.vic) << c.width << "x" << c.height << "@" << c.refresh;
  }
}

TEST(HdmiAviChecksum, MakesTheFrameSumToZero) {
  EXPECT_EQ(HdmiAviChecksum(16), 0x57);
  EXPECT_EQ(HdmiAviChecksum(0), 0x67);
  // Header 82 02 0D, payload 08 00 VIC 00 ...: every code's frame sums to 0 mod 256.
  for (uint32_t vic = 0; vic < 128; ++vic) {
    const uint32_t sum = 0x82 + 0x02 + 0x0D + HdmiAviChecksum(vic) + 0x08 + vic;
    EXPECT_EQ(sum & 0xFF, 0u) << "VIC " << vic;
  }
}

}  // namespace
}  // namespace zev
