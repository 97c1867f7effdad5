#pragma once

#include <cstdint>

#include "sim/core/unit.h"

namespace zev::sim {

class DramMemory;

// The memory data port: one DRAM word per command through DP_CSR, DP_CMD, DP_ADDR and
// DP_DATA0..2. Writing DP_CSR with bit 0 set arms the port with the size code of bits
// 9:4 and clears the done bit (31); the next DP_CMD write runs the transfer at once
// (bit 0 write, bits 15:8 byte enables) and sets done. Writing DP_CSR with bit 0 clear
// returns the port to idle, which reads as done. Size 18 moves the 32-bit half
// selected by address bit 2 through DP_DATA0; every other code moves the whole word.
// DP_ADDR keeps 26 address bits. DP_DATA2 (an extra data bit the memory here does not
// have) stores what is written and reads 0 after a read.
class DataPortUnit final : public Unit {
 public:
  using Unit::Unit;

  const char* Name() const override { return "data port"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  // Fault: commands never finish; nothing is transferred and DP_CSR bit 31 stays clear
  // until DP_CSR is written again.
  bool neverDone = false;
  // Transfers carried out since reset.
  uint64_t transfers() const { return transfers_; }

  static constexpr uint32_t kAddressMask = (1u << 26) - 1;

 private:
  void Execute(uint32_t command);
  DramMemory& Memory();

  uint32_t csr_ = 0;  // size code and start bit as written
  bool done_ = true;
  uint32_t command_ = 0;
  uint32_t address_ = 0;
  uint32_t data_[3] = {};
  uint64_t transfers_ = 0;
};

}  // namespace zev::sim
