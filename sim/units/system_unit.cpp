#include "sim/units/system_unit.h"

#include "device/chip/registers.h"
#include "sim/core/chip.h"

namespace zev::sim {

bool SystemUnit::Decodes(uint16_t address) const { return address == HW_CFG; }

uint32_t SystemUnit::Read(uint16_t) {
  if ((value_ & HW_CFG_LRST) != 0 && !liteResetStuck) {
    if (pendingReads_ > 0) {
      --pendingReads_;
    } else {
      value_ &= ~HW_CFG_LRST;
    }
  }
  return value_;
}

void SystemUnit::Write(uint16_t, uint32_t value) {
  if ((value & HW_CFG_LRST) != 0 && (value_ & HW_CFG_LRST) == 0) {
    ++liteResets_;
    pendingReads_ = kLiteResetReads;
  }
  value_ = value & ~HW_CFG_DEVICE_RESET;
  if ((value & HW_CFG_DEVICE_RESET) != 0) chip().RequestDeviceReset();
}

void SystemUnit::Reset() {
  value_ = chip().ResetValue(HW_CFG);
  pendingReads_ = 0;
}

}  // namespace zev::sim
