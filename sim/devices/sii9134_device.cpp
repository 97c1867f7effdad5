#include "sim/devices/sii9134_device.h"

#include "device/video/sii9134_registers.h"

namespace zev::sim {
namespace {

// One register page: the register byte sent on the bus is the low byte of the number.
class Sii9134Page final : public I2cTarget {
 public:
  Sii9134Page(std::shared_ptr<Sii9134RegisterFile> registers, uint32_t base)
      : registers_(std::move(registers)), base_(base) {}

  bool WriteRegister(uint8_t reg, uint8_t value) override {
    registers_->Write(base_ + reg, value);
    return true;
  }
  std::optional<uint8_t> ReadRegister(uint8_t reg) override { return registers_->Read(base_ + reg); }

 private:
  std::shared_ptr<Sii9134RegisterFile> registers_;
  uint32_t base_;
};

}  // namespace

Sii9134Device::Sii9134Device() : registers_(std::make_shared<Sii9134RegisterFile>(kIdentity)) {}

void Sii9134Device::Attach(I2cBus& bus) {
  bus.Attach(I2cAddress::EightBit(kSii9134Page0Address), std::make_shared<Sii9134Page>(registers_, 0));
  bus.Attach(I2cAddress::EightBit(kSii9134Page1Address),
             std::make_shared<Sii9134Page>(registers_, kSii9134Page1First));
}

void Sii9134Device::Detach(I2cBus& bus) {
  bus.Detach(I2cAddress::EightBit(kSii9134Page0Address));
  bus.Detach(I2cAddress::EightBit(kSii9134Page1Address));
}

}  // namespace zev::sim
