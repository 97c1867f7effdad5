#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "sim/core/chip_variant.h"
#include "sim/core/sim_clock.h"
#include "sim/core/unit.h"

namespace zev::sim {

// Bits forced on every read of a register (a stuck-bit fault).
struct StuckBits {
  uint32_t high = 0;  // read as 1
  uint32_t low = 0;   // read as 0
};

// The chip model: a 16-bit space of 32-bit registers. Accesses go to the first unit
// that decodes the address, else to the plain register file built from the
// register-definition tables of the chip's generation. An address neither decodes
// reads as 0 and ignores writes (reported as undecoded in the trace), as an
// unconnected address of the chip's register bus does.
class Chip {
 public:
  Chip(ChipVariant variant, SimTime& time);
  ~Chip();
  Chip(const Chip&) = delete;
  Chip& operator=(const Chip&) = delete;

  const ChipVariant& Variant() const { return variant_; }
  uint64_t NowUs() { return time_.NowUs(); }

  // The bus view: units, register file, stuck-bit faults.
  uint32_t Read(uint16_t address, bool* undecoded = nullptr);
  void Write(uint16_t address, uint32_t value, bool* undecoded = nullptr);
  // A bulk OUT packet, offered to the units in order; false when none consumed it.
  bool Bulk(std::span<const uint8_t> packet);

  // The plain register file, for units (no faults, no side effects).
  bool HasRegister(uint16_t address) const { return registers_.contains(address); }
  uint32_t Peek(uint16_t address) const;
  void Poke(uint16_t address, uint32_t value);
  uint32_t ResetValue(uint16_t address) const;

  // Adds a unit constructed as T(chip, args...); units added first are asked first.
  template <class T, class... Args>
  T& AddUnit(Args&&... args) {
    auto unit = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T& ref = *unit;
    units_.push_back(std::move(unit));
    return ref;
  }
  template <class T>
  T* Find() {
    for (auto& unit : units_) {
      if (auto* found = dynamic_cast<T*>(unit.get())) return found;
    }
    return nullptr;
  }

  // Registers back to their reset values and every unit reset.
  void PowerUp();

  void SetStuckBits(uint16_t address, StuckBits bits) { stuck_[address] = bits; }
  void ClearStuckBits() { stuck_.clear(); }

  // Set by the USB front: called when software asks for a device reset (the chip
  // reloads its EEPROM image and leaves and rejoins the bus).
  void SetDeviceResetHandler(std::function<void()> handler) { onDeviceReset_ = std::move(handler); }
  void RequestDeviceReset() {
    if (onDeviceReset_) onDeviceReset_();
  }

 private:
  struct Register {
    uint32_t value;
    uint32_t reset;
    uint32_t writable;
    uint32_t readable;
  };
  void AddRows(std::span<const RegisterDefinition> rows);
  Unit* UnitFor(uint16_t address);

  ChipVariant variant_;
  SimTime& time_;
  std::map<uint16_t, Register> registers_;
  std::vector<std::unique_ptr<Unit>> units_;
  std::map<uint16_t, StuckBits> stuck_;
  std::function<void()> onDeviceReset_;
};

}  // namespace zev::sim
