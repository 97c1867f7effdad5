#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "sim/devices/i2c_target.h"

namespace zev::sim {

// 256 plain byte registers that acknowledge every access: a target for tests and the
// base of device models that give some registers their own behaviour.
class I2cRegisterFile : public I2cTarget {
 public:
  I2cRegisterFile() { bytes_.fill(0); }

  bool WriteRegister(uint8_t reg, uint8_t value) override {
    bytes_[reg] = value;
    ++writes_;
    return true;
  }
  std::optional<uint8_t> ReadRegister(uint8_t reg) override {
    ++reads_;
    return bytes_[reg];
  }

  // Direct access, not counted as bus traffic.
  uint8_t Peek(uint8_t reg) const { return bytes_[reg]; }
  void Poke(uint8_t reg, uint8_t value) { bytes_[reg] = value; }
  // Copies `data` from register `first` on; bytes past register 255 are dropped.
  void Load(std::span<const uint8_t> data, uint8_t first = 0) {
    for (size_t i = 0; i < data.size() && first + i < bytes_.size(); ++i) bytes_[first + i] = data[i];
  }

  // Register accesses that came over the bus.
  uint64_t reads() const { return reads_; }
  uint64_t writes() const { return writes_; }

 private:
  std::array<uint8_t, 256> bytes_;
  uint64_t reads_ = 0;
  uint64_t writes_ = 0;
};

}  // namespace zev::sim
