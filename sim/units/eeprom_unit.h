#pragma once

#include <cstdint>
#include <set>

#include "sim/core/unit.h"
#include "sim/units/eeprom_part.h"

namespace zev::sim {

// The serial EEPROM controller (E2P_CMD, E2P_DATA) and the part behind it. A command
// word with bit 31 set starts READ, WRITE, EWEN, EWDS or ERAL; bit 31 then reads 1
// until the part is done (a write programs for milliseconds, on the chip's clock).
// WRITE and ERAL do nothing unless EWEN enabled writes; power-up disables them.
// At power-up and device reset the chip also loads its configuration presets from a
// signed image (LoadPresets, called by the USB front).
class EepromUnit final : public Unit {
 public:
  // Holds an erased 512-byte part until the adapter fits its own.
  explicit EepromUnit(Chip& chip);

  const char* Name() const override { return "eeprom"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  EepromPart& part() { return part_; }
  bool writesEnabled() const { return writesEnabled_; }

  // The CFG0 flags, CFG1-3 and GPIO presets of an image with the 0xA5 signature land
  // in their registers; any other image leaves the registers at reset.
  void LoadPresets();

  // Busy time of each command (typical values of small Microwire parts).
  static constexpr uint64_t kReadUs = 20;
  static constexpr uint64_t kControlUs = 10;  // EWEN, EWDS, writes while disabled
  static constexpr uint64_t kWriteUs = 2000;
  static constexpr uint64_t kEraseAllUs = 6000;

  // Faults: the busy bit reads 1 and no command is taken; the controller hangs (busy
  // until power-up) on the command after the next N ones (-1: never); cells that
  // neither program nor erase.
  bool stuckBusy = false;
  int hangAfterCommands = -1;
  std::set<uint32_t> deadCells;

 private:
  bool Busy();
  void Start(uint32_t word);
  void Program(uint32_t cell, uint8_t value);

  EepromPart part_;
  uint32_t command_ = 0;  // command and address of the last command word
  uint8_t data_ = 0;
  uint64_t busyUntilUs_ = 0;
  bool hung_ = false;
  bool writesEnabled_ = false;
};

}  // namespace zev::sim
