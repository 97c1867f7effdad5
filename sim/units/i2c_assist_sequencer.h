#pragma once

#include <cstdint>
#include <optional>

#include "sim/units/i2c_master_faults.h"

namespace zev::sim {

class Chip;
class DwI2cCore;

// The hardware sequencer in front of the DesignWare core that turns one command word
// into a whole register-byte transfer on the current bus and target (IC_TAR).
//   old assist: the command register is IC CSR (0x1110); writing it starts the command.
//   new assist: the command register is IC ACCESS (0x1100); a write with bit 31 (go)
//               starts the word written before it.
// Command word: bits 7:0 data to write (the byte read once a read completes), bits 15:8
// the device's register address, bit 16 read (the library also sets bit 18 with it,
// which changes nothing here), bit 27 marks new-assist commands, bit 29 is set in every
// command and in the completed word means the transfer failed (a target did not
// acknowledge, or the core was disabled), bit 31 busy (and go, for the new assist).
// The other registers of both layouts (IC DATA0..3, IC PIN, SEQ DATA0..15) stay plain
// storage.
class I2cAssistSequencer {
 public:
  static constexpr uint32_t kBusy = 1u << 31;
  static constexpr uint32_t kError = 1u << 29;
  static constexpr uint32_t kRead = 1u << 16;

  // `generation`: 0 none, 1 old assist, 2 new assist.
  I2cAssistSequencer(Chip& chip, DwI2cCore& core, const I2cMasterFaults& faults, uint32_t generation);
  void Reset();

  bool Decodes(uint16_t address) const;
  uint32_t Read();
  void Write(uint32_t value);

 private:
  void Settle();
  void Start(uint32_t command);

  Chip& chip_;
  DwI2cCore& core_;
  const I2cMasterFaults& faults_;
  uint32_t generation_;

  uint32_t word_ = 0;  // what the register reads (busy bit aside)
  bool busy_ = false;
  std::optional<uint64_t> doneAtUs_;  // nullopt while it never finishes
  uint32_t result_ = 0;
};

}  // namespace zev::sim
