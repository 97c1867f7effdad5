#include "sim/devices/i2c_bus.h"

#include <stdexcept>

namespace zev::sim {

void I2cBus::Attach(I2cAddress address, std::shared_ptr<I2cTarget> target) {
  if (!target) throw std::invalid_argument("no I2C target to attach");
  if (slots_.contains(address.sevenBit())) throw std::logic_error("I2C address already taken on this bus");
  slots_[address.sevenBit()] = Slot{std::move(target), 0};
}

void I2cBus::Detach(I2cAddress address) { slots_.erase(address.sevenBit()); }

I2cTarget* I2cBus::Target(I2cAddress address) const {
  auto it = slots_.find(address.sevenBit());
  return it == slots_.end() ? nullptr : it->second.target.get();
}

I2cBus::Slot* I2cBus::Find(uint8_t address) {
  auto it = slots_.find(address);
  return it == slots_.end() ? nullptr : &it->second;
}

bool I2cBus::Acknowledges(uint8_t address) const { return slots_.contains(address); }

bool I2cBus::SetPointer(uint8_t address, uint8_t reg) {
  Slot* slot = Find(address);
  if (slot == nullptr) return false;
  slot->pointer = reg;
  return true;
}

bool I2cBus::Write(uint8_t address, uint8_t value) {
  Slot* slot = Find(address);
  if (slot == nullptr) return false;
  const bool acknowledged = slot->target->WriteRegister(slot->pointer, value);
  if (acknowledged) ++slot->pointer;
  return acknowledged;
}

std::optional<uint8_t> I2cBus::Read(uint8_t address) {
  Slot* slot = Find(address);
  if (slot == nullptr) return std::nullopt;
  const std::optional<uint8_t> value = slot->target->ReadRegister(slot->pointer);
  if (value) ++slot->pointer;
  return value;
}

}  // namespace zev::sim
