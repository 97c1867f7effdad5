#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// One register and the value a set-up step writes to it.
struct HdmiRegValue {
  uint32_t reg;
  uint32_t value;
};

// Read-modify-write of a chip register: clears `clear`, sets `set`. Nothing is written
// when the read fails, so a failure marker never lands in the register. True when both
// transfers succeeded.
bool HdmiUpdateChipReg(UsbDevice* dev, uint32_t address, uint32_t clear, uint32_t set);

}  // namespace zev
