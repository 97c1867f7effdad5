#include "sim/units/dram_memory.h"

namespace zev::sim {

void DramMemory::WriteBytes(uint32_t address, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const uint32_t at = address + static_cast<uint32_t>(done);
    const uint32_t lane = at & 7;
    uint64_t value = 0;
    uint8_t enables = 0;
    for (uint32_t i = lane; i < 8 && done < bytes.size(); ++i, ++done) {
      value |= uint64_t{bytes[done]} << (8 * i);
      enables |= static_cast<uint8_t>(1u << i);
    }
    WriteWord(at, value, enables);
  }
}

void DramMemory::ReadBytes(uint32_t address, std::span<uint8_t> out) {
  size_t done = 0;
  while (done < out.size()) {
    const uint32_t at = address + static_cast<uint32_t>(done);
    const uint64_t word = ReadWord(at);
    for (uint32_t i = at & 7; i < 8 && done < out.size(); ++i, ++done) {
      out[done] = static_cast<uint8_t>(word >> (8 * i));
    }
  }
}

}  // namespace zev::sim
