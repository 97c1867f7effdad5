#include "sim/units/eeprom_unit.h"

#include "device/chip/registers.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/eeprom/eeprom_image.h"
#include "sim/core/chip.h"

namespace zev::sim {
namespace {

// Read-modify-write through the bus view, so units owning the register see it.
void SetBits(Chip& chip, uint32_t reg, uint32_t mask, uint32_t bits) {
  const uint16_t address = static_cast<uint16_t>(reg);
  chip.Write(address, (chip.Read(address) & ~mask) | (bits & mask));
}

}  // namespace

EepromUnit::EepromUnit(Chip& chip) : Unit(chip), part_(std::vector<uint8_t>(512, 0xFF)) {}

bool EepromUnit::Decodes(uint16_t address) const { return address == E2P_CMD || address == E2P_DATA; }

bool EepromUnit::Busy() { return stuckBusy || hung_ || chip().NowUs() < busyUntilUs_; }

uint32_t EepromUnit::Read(uint16_t address) {
  if (address == E2P_DATA) return data_;
  return (Busy() ? E2P_CMD_BUSY : 0) | command_;
}

void EepromUnit::Write(uint16_t address, uint32_t value) {
  if (address == E2P_DATA) {
    data_ = static_cast<uint8_t>(value);
    return;
  }
  // A busy controller takes no new command; a word without bit 31 starts nothing.
  if (Busy() || (value & E2P_CMD_BUSY) == 0) return;
  Start(value);
}

void EepromUnit::Start(uint32_t word) {
  command_ = word & (E2P_CMD_COMMAND_MASK | E2P_CMD_ADDRESS_MASK);
  const uint32_t cell = part_.Cell(word & E2P_CMD_ADDRESS_MASK);
  uint64_t duration = kControlUs;
  switch (word & (E2P_CMD_BUSY | E2P_CMD_COMMAND_MASK)) {
    case E2P_CMD_READ:
      data_ = part_[cell];
      duration = kReadUs;
      break;
    case E2P_CMD_EWEN:
      writesEnabled_ = true;
      break;
    case E2P_CMD_EWDS:
      writesEnabled_ = false;
      break;
    case E2P_CMD_WRITE:
      if (writesEnabled_) {
        Program(cell, data_);
        duration = kWriteUs;
      }
      break;
    case E2P_CMD_ERAL:
      if (writesEnabled_) {
        for (uint32_t c = 0; c < part_.size(); ++c) Program(c, 0xFF);
        duration = kEraseAllUs;
      }
      break;
    default:  // commands this system never issues
      break;
  }
  busyUntilUs_ = chip().NowUs() + duration;
  if (hangAfterCommands == 0) hung_ = true;
  if (hangAfterCommands >= 0) --hangAfterCommands;
}

void EepromUnit::Program(uint32_t cell, uint8_t value) {
  if (!deadCells.contains(cell)) part_[cell] = value;
}

void EepromUnit::Reset() {
  command_ = 0;
  data_ = 0;
  busyUntilUs_ = 0;
  hung_ = false;
  writesEnabled_ = false;
}

void EepromUnit::LoadPresets() {
  const EepromImage image(part_.bytes());
  if (!image.HasSignature()) return;
  uint32_t cfg0 = 0;
  image.ReadU32(eeprom_layout::kCfg0, &cfg0);  // every part is longer than the header
  for (const Cfg0BitPreset& preset : kCfg0Presets) {
    const uint32_t flag = (cfg0 >> preset.cfg0Bit) & 1;
    SetBits(chip(), preset.reg, 1u << preset.regBit, flag << preset.regBit);
  }
  for (const WordPreset& preset : kWordPresets) {
    uint32_t word = 0;
    image.ReadU32(preset.imageOffset, &word);
    SetBits(chip(), preset.reg, preset.mask, word);
  }
}

}  // namespace zev::sim
