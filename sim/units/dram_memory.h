#pragma once

#include <cstdint>
#include <span>

namespace zev::sim {

// The frame-buffer DRAM as the chip's units reach it: 64-bit words in little-endian
// byte order (byte i of the word at a is stored at a + i). Addresses wrap at the
// memory's size, as the address lines of a smaller part leave the top bits unconnected.
// Fault models wrap another DramMemory and override the word calls; the byte-run calls
// go through the word calls unless a class offers a faster path.
class DramMemory {
 public:
  virtual ~DramMemory() = default;

  virtual uint32_t SizeBytes() const = 0;
  // The word holding `address` (the low three bits are ignored).
  virtual uint64_t ReadWord(uint32_t address) = 0;
  // Stores the bytes of `value` whose bit is set in `byteEnables` (bit i: byte i).
  virtual void WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables = 0xFF) = 0;

  // Byte runs in address order, from any byte address (memory-write packets, scan-out).
  virtual void WriteBytes(uint32_t address, std::span<const uint8_t> bytes);
  virtual void ReadBytes(uint32_t address, std::span<uint8_t> out);
};

}  // namespace zev::sim
