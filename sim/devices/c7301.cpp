#include "sim/devices/c7301.h"

#include "sim/core/chip.h"
#include "sim/units/i2c_master_unit.h"

namespace zev::sim {
namespace {

constexpr uint8_t kPm = 0x49;
constexpr uint8_t kPmPowerDown = 0x01;
constexpr uint8_t kPmDacPowerDown = 0x0E;
constexpr uint8_t kPmDviOn = 0x80;

}  // namespace

C7301::C7301() { Poke(kPm, kPmPowerDown); }

bool C7301::WriteRegister(uint8_t reg, uint8_t value) {
  log_.emplace_back(reg, value);
  return I2cRegisterFile::WriteRegister(reg, value);
}

C7301::Output C7301::output() const {
  const uint8_t pm = Peek(kPm);
  if ((pm & kPmPowerDown) != 0) return Output::Off;
  if ((pm & kPmDviOn) != 0) return Output::Dvi;
  if ((pm & kPmDacPowerDown) == 0) return Output::Vga;
  return Output::Off;
}

C7301& AttachC7301(Chip& chip) {
  return chip.Find<I2cMasterUnit>()->Bus(0).Emplace<C7301>(I2cAddress::EightBit(C7301::kAddress));
}

}  // namespace zev::sim
