#include "device/video/hdmi_cea.h"

#include <array>

namespace zev {
namespace {

struct CeaMode {
  uint32_t width, height, refresh, vic;
};

constexpr std::array<CeaMode, 15> kCeaModes{{
    {640, 480, 60, 1},
    {720, 480, 60, 3},
    {720, 576, 50, 18},
    {1280, 720, 60, 4},
    {1280, 720, 50, 19},
    {1280, 720, 24, 60},
    {1280, 720, 25, 61},
    {1280, 720, 30, 62},
    {1440, 480, 60, 15},
    {1440, 576, 50, 30},
    {1920, 1080, 60, 16},
    {1920, 1080, 50, 31},
    {1920, 1080, 24, 32},
    {1920, 1080, 25, 33},
    {1920, 1080, 30, 34},
}};

// Header 0x82 0x02 0x0D plus the payload bytes 0x08 (colorimetry/aspect byte) and 0x00s.
constexpr uint32_t kAviFixedBytesSum = 153;

}  // namespace

uint32_t HdmiCeaVic(uint32_t width, uint32_t height, uint32_t refresh) {
  for (const CeaMode& mode : kCeaModes) {
    if (mode.width == width && mode.height == height && mode.refresh == refresh) return mode.vic;
  }
  return 0;
}

uint8_t HdmiAviChecksum(uint32_t vic) { return static_cast<uint8_t>(256 - ((vic + kAviFixedBytesSum) & 0xFF)); }

}  // namespace zev
