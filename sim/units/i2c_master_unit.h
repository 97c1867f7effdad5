#pragma once

#include <array>
#include <cstdint>

#include "sim/core/unit.h"
#include "sim/devices/i2c_bus.h"
#include "sim/units/dw_i2c_core.h"
#include "sim/units/i2c_assist_sequencer.h"
#include "sim/units/i2c_master_faults.h"

namespace zev::sim {

// The I2C master block (0x1000 - 0x114C): the DesignWare core's registers, the assist
// sequencer of the chip's generation (ChipVariant::I2cAssistGeneration), and the four
// buses the selector I2C_SEL (system register 0x3010, bits 1:0) chooses between.
// Targets attach to a bus: chip.Find<I2cMasterUnit>()->Bus(1).Attach(
//     I2cAddress::EightBit(0x76), target).
// IC_CON and IC_TAR live in the chip's register file and, as in the core, only change
// while the block is disabled. Registers without behaviour (clock counts, thresholds,
// mask, component parameters, the assist layouts' data registers) stay plain.
class I2cMasterUnit final : public Unit {
 public:
  static constexpr uint32_t kBusCount = 4;

  explicit I2cMasterUnit(Chip& chip);

  const char* Name() const override { return "i2c master"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  // The bus of selector value 0..3 (std::out_of_range otherwise). The buses and their
  // targets are board wiring: a chip reset leaves them attached.
  I2cBus& Bus(uint32_t selector) { return buses_.at(selector); }

  I2cMasterFaults faults;

 private:
  uint32_t ReadEnable();

  std::array<I2cBus, kBusCount> buses_;
  DwI2cCore core_;
  I2cAssistSequencer assist_;
  int enableReads_ = 0;
};

}  // namespace zev::sim
