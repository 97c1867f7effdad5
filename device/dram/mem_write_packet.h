#pragma once

#include <cstdint>
#include <memory>

namespace zev {

// The bulk packet that makes the graphics engine store bytes in DRAM:
//   u32 MEM_WRITE_CMD, u32 bytes after the first eight (payload + 4),
//   u32 destination byte address, then the payload in address order (little-endian).
inline constexpr uint32_t MEM_WRITE_CMD = 0x0000F708;
inline constexpr uint32_t kMemWriteHeaderBytes = 12;
// The whole packet must fit one 32-bit bulk length.
inline constexpr uint32_t kMemWriteMaxPayload = UINT32_MAX - kMemWriteHeaderBytes;

// One memory-write packet in a single buffer, so the payload can be produced in place
// (copied, filled, or read from a file) and the whole packet sent in one bulk transfer.
class MemWritePacket {
 public:
  // Header written, payload uninitialised. valid() is false when the buffer cannot be
  // allocated or the payload is too large for one packet.
  MemWritePacket(uint32_t address, uint32_t payloadBytes);

  bool valid() const { return bytes_ != nullptr; }
  uint8_t* payload() { return bytes_.get() + kMemWriteHeaderBytes; }
  uint32_t payloadSize() const { return size_ - kMemWriteHeaderBytes; }
  const uint8_t* bytes() const { return bytes_.get(); }
  uint32_t size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  uint32_t size_ = 0;
};

}  // namespace zev
