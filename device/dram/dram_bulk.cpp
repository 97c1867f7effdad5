#include "device/dram/dram_bulk.h"

#include <algorithm>
#include <cstring>

#include "device/chip/registers.h"
#include "device/dram/mem_write_packet.h"
#include "device/usb/register_access.h"

namespace zev {
namespace {

// GE_CMD_STATUS bits 1:0 after the engine failed on the data just sent.
constexpr uint32_t kGeStatusMask = 0x3;
constexpr uint32_t kGeStatusError = 2;

uint32_t AlignUpToWord(uint32_t offset) { return (offset + 7) & ~uint32_t{7}; }

bool HasTransport(const UsbDevice* dev) { return dev != nullptr && dev->transport != nullptr; }

// Sends the whole packet in one bulk transfer and asks the engine how it went.
uint32_t SendToEngine(UsbDevice* dev, const MemWritePacket& packet, bool* engineStalled = nullptr) {
  if (GfxBulkWrite(dev, packet.bytes(), packet.size()) != packet.size()) return kDramBulkDeviceError;
  uint32_t status = 0;
  // A status that cannot be read does not prove the data arrived.
  if (GfxQueryRegDW(dev, GE_CMD_STATUS, &status) != 0) return kDramBulkDeviceError;
  if ((status & kGeStatusMask) != kGeStatusError) return kDramBulkOk;
  if (engineStalled != nullptr) *engineStalled = true;
  return kDramBulkDeviceError;
}

}  // namespace

uint32_t DramBulkWrite(UsbDevice* dev, const uint8_t* data, uint32_t offset, uint32_t length) {
  if (!HasTransport(dev)) return kDramBulkDeviceError;
  if (data == nullptr && length != 0) return kDramBulkNoPacket;
  MemWritePacket packet(AlignUpToWord(offset), length);
  if (!packet.valid()) return kDramBulkNoPacket;
  if (length != 0) std::memcpy(packet.payload(), data, length);
  return SendToEngine(dev, packet);
}

uint32_t DramBulkFill(UsbDevice* dev, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end, bool* engineStalled) {
  if (engineStalled != nullptr) *engineStalled = false;
  if (!HasTransport(dev)) return kDramBulkDeviceError;
  const uint32_t first = AlignUpToWord(start);
  if (end < first) return kDramBulkNoPacket;
  MemWritePacket packet(first, end - first);
  if (!packet.valid()) return kDramBulkNoPacket;

  uint8_t word[8];
  for (int i = 0; i < 4; ++i) {
    word[i] = static_cast<uint8_t>(hi >> (8 * i));
    word[4 + i] = static_cast<uint8_t>(lo >> (8 * i));
  }
  // One word, then doubling copies of what is there: a 32 MB fill in a few dozen calls.
  uint8_t* out = packet.payload();
  const uint32_t n = packet.payloadSize();
  uint32_t filled = std::min<uint32_t>(n, sizeof word);
  std::memcpy(out, word, filled);
  while (filled < n) {
    const uint32_t chunk = std::min(filled, n - filled);
    std::memcpy(out + filled, out, chunk);
    filled += chunk;
  }
  return SendToEngine(dev, packet, engineStalled);
}

}  // namespace zev
