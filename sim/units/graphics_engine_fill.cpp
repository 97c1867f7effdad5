// The graphics engine's solid rectangle fill.
#include <algorithm>
#include <vector>

#include "device/chip/registers.h"
#include "device/video/graphics_engine.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "sim/units/packet_fields.h"

namespace zev::sim {

void GraphicsEngineUnit::RectangleFill(std::span<const uint8_t> packet) {
  // A packet shorter than its fixed size, or announcing another length, leaves the
  // engine waiting for data that never comes.
  if (packet.size() < kRectPacketBytes || Le32(packet, 4) != kRectPacketBytes - 8) {
    status_ = kStatusStalled;
    return;
  }
  const uint32_t x = Le16(packet, 8), y = Le16(packet, 10);
  const uint32_t width = Le16(packet, 12), height = Le16(packet, 14);
  const uint16_t surfaceField = Le16(packet, 20);
  const uint32_t surfaceHeight = Le16(packet, 22);
  const uint32_t colour = Le32(packet, 24);
  if ((surfaceField & kRectSurfaceFlag) == 0) {
    status_ = kStatusStalled;
    return;
  }
  const uint32_t surfaceWidth = surfaceField & ~kRectSurfaceFlag;

  const uint32_t bytesPerPixel = chip().Variant().HasPacked24Bpp() ? 3 : 4;
  const uint32_t right = std::min(x + width, surfaceWidth);
  const uint32_t bottom = std::min(y + height, surfaceHeight);
  if (x < right && y < bottom) {
    // Little-endian 0x00RRGGBB: blue, green, red (and 0 in a 4-byte pixel).
    std::vector<uint8_t> row;
    row.reserve(size_t{right - x} * bytesPerPixel);
    for (uint32_t i = x; i < right; ++i) {
      for (uint32_t b = 0; b < bytesPerPixel; ++b) row.push_back(static_cast<uint8_t>(colour >> (8 * b)));
    }
    DramMemory& memory = chip().Find<DramUnit>()->memory();
    const uint32_t base = chip().Peek(DC_FBBASE);
    for (uint32_t line = y; line < bottom; ++line) {
      memory.WriteBytes(base + (line * surfaceWidth + x) * bytesPerPixel, row);
    }
  }
  ++rectangleFills_;
  status_ = kStatusDone;
}

}  // namespace zev::sim
