#include "sim/units/graphics_engine_unit.h"

#include "device/chip/registers.h"
#include "device/dram/mem_write_packet.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"

namespace zev::sim {
namespace {

uint32_t Le32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

bool GraphicsEngineUnit::Decodes(uint16_t address) const { return address == GE_CMD_STATUS; }

uint32_t GraphicsEngineUnit::Read(uint16_t) { return status_; }

void GraphicsEngineUnit::Write(uint16_t, uint32_t value) { status_ = value; }

void GraphicsEngineUnit::Reset() {
  status_ = chip().ResetValue(GE_CMD_STATUS);
  memoryWrites_ = 0;
}

bool GraphicsEngineUnit::HandleBulk(std::span<const uint8_t> packet) {
  if (packet.size() < 4 || Le32(packet, 0) != MEM_WRITE_CMD) return false;
  // A disabled engine takes the data off the pipe and does nothing with it.
  if ((chip().Peek(GE_CTRL) & 1) == 0) return true;
  if (stall) {
    status_ = kStatusStalled;
    return true;
  }
  MemoryWrite(packet);
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
