#include "sim/units/scan_out.h"

#include <algorithm>
#include <vector>

#include "device/chip/registers.h"
#include "sim/core/chip.h"
#include "sim/units/display_controller_unit.h"
#include "sim/units/dram_unit.h"

namespace zev::sim {
namespace {

constexpr uint32_t kBorderMask = 0xFFFFFF;

// Renders the visible area of a running, unblanked 32-bit mode.
RgbPicture Render(Chip& chip, DisplayControllerUnit& dc) {
  const DcTiming t = dc.Timing();
  const uint32_t bytesPerPixel = dc.BytesPerPixel();
  const uint64_t frameLength = dc.FrameLength();
  const uint32_t base = dc.FrameBufferBase();
  const uint32_t border = chip.Peek(DC_BORDER) & kBorderMask;
  DramMemory& memory = chip.Find<DramUnit>()->memory();

  RgbPicture picture(t.hBlankStart, t.vBlankStart);
  const uint32_t activeWidth = std::min(t.width, picture.width);
  const uint64_t lineBytes = uint64_t{t.width} * bytesPerPixel;
  std::vector<uint8_t> line(activeWidth * bytesPerPixel);
  for (uint32_t y = 0; y < picture.height; ++y) {
    if (y >= t.height) {
      for (uint32_t x = 0; x < picture.width; ++x) picture.SetPixel(x, y, border);
      continue;
    }
    const uint64_t lineStart = y * lineBytes;
    memory.ReadBytes(static_cast<uint32_t>(base + lineStart), line);
    for (uint32_t x = 0; x < activeWidth; ++x) {
      const uint64_t at = uint64_t{x} * bytesPerPixel;
      const bool fetched = lineStart + at + bytesPerPixel <= frameLength;
      const uint8_t* p = &line[at];
      picture.SetPixel(x, y, fetched ? uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0] : 0);
    }
    for (uint32_t x = activeWidth; x < picture.width; ++x) picture.SetPixel(x, y, border);
  }
  return picture;
}

}  // namespace

std::string ScanOut::Describe() const {
  switch (status) {
    case ScanOutStatus::Shown:
      return std::to_string(picture.width) + "x" + std::to_string(picture.height);
    case ScanOutStatus::NoMode:
      return "no mode set (the display controller is not running)";
    case ScanOutStatus::Blanked:
      return "display blanked";
    case ScanOutStatus::UnknownPixelFormat:
      return "no picture: the display controller is not in a 32-bit pixel mode";
  }
  return "?";
}

ScanOut ScanOutFrame(Chip& chip) {
  ScanOut result;
  DisplayControllerUnit* dc = chip.Find<DisplayControllerUnit>();
  if (dc == nullptr || !dc->Enabled()) {
    result.status = ScanOutStatus::NoMode;
  } else if (dc->Blanked()) {
    result.status = ScanOutStatus::Blanked;
  } else if (dc->BitsPerPixel() != 32) {
    result.status = ScanOutStatus::UnknownPixelFormat;
  } else {
    result.status = ScanOutStatus::Shown;
    result.picture = Render(chip, *dc);
  }
  return result;
}

}  // namespace zev::sim
