#pragma once

#include <cstdint>
#include <span>

namespace zev::sim {

class Chip;

// One functional block of the chip model. A unit owns the addresses it decodes and
// answers their reads and writes; the chip routes every register access to the first
// unit that decodes it, and to its plain register file otherwise.
class Unit {
 public:
  explicit Unit(Chip& chip) : chip_(chip) {}
  virtual ~Unit() = default;
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  virtual const char* Name() const = 0;
  virtual bool Decodes(uint16_t address) const = 0;
  virtual uint32_t Read(uint16_t address) = 0;
  virtual void Write(uint16_t address, uint32_t value) = 0;
  // Power-up and device reset: back to reset state.
  virtual void Reset() {}
  // A bulk OUT packet; true when this unit consumed it.
  virtual bool HandleBulk(std::span<const uint8_t> /*packet*/) { return false; }

 protected:
  Chip& chip() { return chip_; }

 private:
  Chip& chip_;
};

}  // namespace zev::sim
