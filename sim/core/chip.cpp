#include "sim/core/chip.h"

#include "device/chip/registers.h"

namespace zev::sim {

Chip::Chip(ChipVariant variant, SimTime& time) : variant_(variant), time_(time) {
  const RegisterLayout layout = variant_.Layout();
  AddRows(SystemIoRegisters(layout));
  AddRows(DisplayControllerRegisters(layout));
  AddRows(I2cRegisters(variant_.I2cAssistGeneration() == 2));
  AddRows(Ddr2Registers());
  AddRows(Ddr2PhyDebugRegisters());
  AddRows(Ddr2ControllerDebugRegisters());
  // The identity registers reset to this chip's own identity.
  registers_[ID_REV].reset = variant_.IdRev();
  registers_[FPGA_REV].reset = variant_.FpgaRev();
  PowerUp();
}

Chip::~Chip() = default;

void Chip::AddRows(std::span<const RegisterDefinition> rows) {
  for (const auto& row : rows) {
    registers_[static_cast<uint16_t>(row.address)] = {row.reset, row.reset, row.writable, row.readable};
  }
}

Unit* Chip::UnitFor(uint16_t address) {
  for (auto& unit : units_) {
    if (unit->Decodes(address)) return unit.get();
  }
  return nullptr;
}

uint32_t Chip::Read(uint16_t address, bool* undecoded) {
  uint32_t value = 0;
  bool missing = false;
  if (Unit* unit = UnitFor(address)) {
    value = unit->Read(address);
  } else if (auto it = registers_.find(address); it != registers_.end()) {
    value = it->second.value & it->second.readable;
  } else {
    missing = true;
  }
  if (auto it = stuck_.find(address); it != stuck_.end()) value = (value | it->second.high) & ~it->second.low;
  if (undecoded != nullptr) *undecoded = missing;
  return value;
}

void Chip::Write(uint16_t address, uint32_t value, bool* undecoded) {
  bool missing = false;
  if (Unit* unit = UnitFor(address)) {
    unit->Write(address, value);
  } else if (auto it = registers_.find(address); it != registers_.end()) {
    Register& reg = it->second;
    reg.value = (reg.value & ~reg.writable) | (value & reg.writable);
  } else {
    missing = true;
  }
  if (undecoded != nullptr) *undecoded = missing;
}

bool Chip::Bulk(std::span<const uint8_t> packet) {
  for (auto& unit : units_) {
    if (unit->HandleBulk(packet)) return true;
  }
  return false;
}

uint32_t Chip::Peek(uint16_t address) const {
  auto it = registers_.find(address);
  return it == registers_.end() ? 0 : it->second.value;
}

void Chip::Poke(uint16_t address, uint32_t value) {
  auto it = registers_.find(address);
  if (it != registers_.end()) {
    it->second.value = value;
  } else {
    registers_[address] = {value, 0, 0xFFFFFFFF, 0xFFFFFFFF};
  }
}

uint32_t Chip::ResetValue(uint16_t address) const {
  auto it = registers_.find(address);
  return it == registers_.end() ? 0 : it->second.reset;
}

void Chip::PowerUp() {
  for (auto& [address, reg] : registers_) reg.value = reg.reset;
  for (auto& unit : units_) unit->Reset();
}

}  // namespace zev::sim
