#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zev::sim {

// The serial EEPROM fitted to the adapter: 128, 256 or 512 bytes. The EEPROM unit
// programs it and the chip reads its image from it at power-up and device reset.
// Tests read and change the bytes directly, like a programmer clipped onto the part.
class EepromPart {
 public:
  // Throws std::invalid_argument unless the size is 128, 256 or 512.
  explicit EepromPart(std::vector<uint8_t> bytes);

  // Puts in a different part (its size may differ); same size rule.
  void Assign(std::vector<uint8_t> bytes);

  uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
  std::span<const uint8_t> bytes() const { return bytes_; }
  std::vector<uint8_t> Copy() const { return bytes_; }
  // Direct access to byte `address` (below size(); throws std::out_of_range otherwise).
  uint8_t& operator[](uint32_t address) { return bytes_.at(address); }
  uint8_t operator[](uint32_t address) const { return bytes_.at(address); }

  // The cell a 9-bit controller address reaches: a smaller part lacks the high
  // address bits, so 0x100 lands on 0x000 in a 256-byte part.
  uint32_t Cell(uint32_t address) const { return address & (size() - 1); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace zev::sim
