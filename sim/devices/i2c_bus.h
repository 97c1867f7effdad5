#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "sim/devices/i2c_target.h"

namespace zev::sim {

// One I2C bus with the targets attached to it. The master talks to it in bus terms
// (7-bit addresses, acknowledge or not); the bus keeps each target's register pointer:
// the first byte of a write transfer sets it, every data byte written or read advances it
// (wrapping after register 255), and it persists between transfers as in the devices.
class I2cBus {
 public:
  // Attaches `target` at `address`; throws std::logic_error when the address is taken.
  void Attach(I2cAddress address, std::shared_ptr<I2cTarget> target);
  // Constructs a T(args...) at `address` and returns it.
  template <class T, class... Args>
  T& Emplace(I2cAddress address, Args&&... args) {
    auto target = std::make_shared<T>(std::forward<Args>(args)...);
    T& ref = *target;
    Attach(address, std::move(target));
    return ref;
  }
  void Detach(I2cAddress address);
  I2cTarget* Target(I2cAddress address) const;

  // Master side, by 7-bit address.
  // Address phase: true when a target acknowledges.
  bool Acknowledges(uint8_t address) const;
  // The register-address byte that starts a write transfer; false when nobody answers.
  bool SetPointer(uint8_t address, uint8_t reg);
  // A data byte for the register at the pointer; false: not acknowledged.
  bool Write(uint8_t address, uint8_t value);
  // The byte of the register at the pointer; nullopt: nobody answered.
  std::optional<uint8_t> Read(uint8_t address);

 private:
  struct Slot {
    std::shared_ptr<I2cTarget> target;
    uint8_t pointer = 0;
  };
  Slot* Find(uint8_t address);

  std::map<uint8_t, Slot> slots_;
};

}  // namespace zev::sim
