#pragma once

#include "sim/core/unit.h"

namespace zev::sim {

// HW_CFG: the lite reset (bit 0, reads back 0 once the reset is over) and the device
// reset (bit 1: the chip reloads its EEPROM image and leaves and rejoins the bus).
class SystemUnit final : public Unit {
 public:
  using Unit::Unit;

  const char* Name() const override { return "system"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  // Fault: the lite reset never completes (bit 0 stays set).
  bool liteResetStuck = false;
  // Reads of HW_CFG that still show the lite reset in progress: none, the reset is
  // over before the next transfer reaches the chip (the library reads back once).
  static constexpr int kLiteResetReads = 0;
  int liteResets() const { return liteResets_; }

 private:
  uint32_t value_ = 0;
  int pendingReads_ = 0;
  int liteResets_ = 0;
};

}  // namespace zev::sim
