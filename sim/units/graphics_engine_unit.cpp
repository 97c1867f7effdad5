#include "sim/units/graphics_engine_unit.h"

#include "device/chip/registers.h"
#include "device/dram/mem_write_packet.h"
#include "device/video/graphics_engine.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/packet_fields.h"

namespace zev::sim {

bool GraphicsEngineUnit::Decodes(uint16_t address) const { return address == GE_CMD_STATUS; }

uint32_t GraphicsEngineUnit::Read(uint16_t) { return status_; }

void GraphicsEngineUnit::Write(uint16_t, uint32_t value) { status_ = value; }

void GraphicsEngineUnit::Reset() {
  status_ = chip().ResetValue(GE_CMD_STATUS);
  memoryWrites_ = 0;
  rectangleFills_ = 0;
}

bool GraphicsEngineUnit::HandleBulk(std::span<const uint8_t> packet) {
  if (packet.size() < 4) return false;
  const uint32_t command = Le32(packet, 0);
  if (command != MEM_WRITE_CMD && command != GE_RECT_FILL_CMD) return false;
  // A disabled engine takes the data off the pipe and does nothing with it.
  if ((chip().Peek(GE_CTRL) & 1) == 0) return true;
  if (stall) {
    status_ = kStatusStalled;
    return true;
  }
  if (command == MEM_WRITE_CMD) {
    MemoryWrite(packet);
  } else {
    RectangleFill(packet);
  }
  return true;
}

void GraphicsEngineUnit::MemoryWrite(std::span<const uint8_t> packet) {
  // The engine waits for as many bytes as the header announces; a packet that ends
  // early (or whose header is cut off) leaves it stalled with nothing stored.
  if (packet.size() < kMemWriteHeaderBytes || Le32(packet, 4) < 4) {
    status_ = kStatusStalled;
    return;
  }
  const uint64_t payload = Le32(packet, 4) - 4;
  if (packet.size() - kMemWriteHeaderBytes < payload) {
    status_ = kStatusStalled;
    return;
  }
  const uint32_t address = Le32(packet, 8) & ~uint32_t{7};
  chip().Find<DramUnit>()->memory().WriteBytes(address, packet.subspan(kMemWriteHeaderBytes, payload));
  ++memoryWrites_;
  status_ = kStatusDone;
}

}  // namespace zev::sim
