#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "sim/devices/i2c_register_file.h"

namespace zev::sim {

class Chip;

// The Chrontel CH7301 DVO transmitter of FPGA boards: plain byte registers, of which the
// power-management register (0x49) decides what the outputs carry. It powers up with
// everything off.
class C7301 final : public I2cRegisterFile {
 public:
  static constexpr uint8_t kAddress = 0xEC;  // 8-bit form, on the bus I2C port 0 selects

  enum class Output { Off, Vga, Dvi };

  C7301();

  bool WriteRegister(uint8_t reg, uint8_t value) override;

  // From the power-management register: bit 0 powers everything down; bit 7 turns the
  // DVI link on; with the DAC power-down bits 3:1 clear the DACs drive VGA.
  Output output() const;

  // Register writes that came over the bus, in order, as (register, value).
  const std::vector<std::pair<uint8_t, uint8_t>>& WriteLog() const { return log_; }
  void ClearWriteLog() { log_.clear(); }

 private:
  std::vector<std::pair<uint8_t, uint8_t>> log_;
};

// Attaches a CH7301 at 0xEC on bus 0 of the chip's I2C master and returns it.
C7301& AttachC7301(Chip& chip);

}  // namespace zev::sim
