#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace zev::sim {

// An address on an I2C bus. Software names devices by their 8-bit write address (the
// form VgaI2cSetTAR takes: 0xA0 for a monitor's EDID, 0x76 for the SiI9134); the bus
// itself carries the 7-bit address (0x50, 0x3B). The named constructors make the form
// explicit at every call site; the value held is always the 7-bit one.
class I2cAddress {
 public:
  // 7-bit bus address, 0x00 .. 0x7F.
  static constexpr I2cAddress SevenBit(uint8_t address) {
    if (address > 0x7F) throw std::invalid_argument("7-bit I2C address above 0x7F");
    return I2cAddress(address);
  }
  // 8-bit write address (even): the 7-bit address shifted left by one.
  static constexpr I2cAddress EightBit(uint8_t address) {
    if ((address & 1) != 0) throw std::invalid_argument("8-bit I2C address must be the (even) write address");
    return I2cAddress(static_cast<uint8_t>(address >> 1));
  }

  constexpr uint8_t sevenBit() const { return address_; }
  constexpr uint8_t eightBit() const { return static_cast<uint8_t>(address_ << 1); }
  constexpr bool operator==(const I2cAddress&) const = default;

 private:
  explicit constexpr I2cAddress(uint8_t address) : address_(address) {}
  uint8_t address_;
};

// A register-addressed byte device on an I2C bus (EDID monitor, SiI9134, CH7301,
// ANX9805). Every write transfer starts with a register-address byte; the data bytes
// that follow, and the bytes of a read transfer, go to and come from that register
// and the ones after it. The bus keeps that register pointer; the device only sees
// accesses to numbered registers.
class I2cTarget {
 public:
  virtual ~I2cTarget() = default;
  // A data byte written to register `reg`; false when the device does not acknowledge it.
  virtual bool WriteRegister(uint8_t reg, uint8_t value) = 0;
  // The byte of register `reg`; nullopt when the device does not answer.
  virtual std::optional<uint8_t> ReadRegister(uint8_t reg) = 0;
};

}  // namespace zev::sim
