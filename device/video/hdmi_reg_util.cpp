#include "device/video/hdmi_reg_util.h"

#include "device/usb/register_access.h"

namespace zev {

bool HdmiUpdateChipReg(UsbDevice* dev, uint32_t address, uint32_t clear, uint32_t set) {
  uint32_t value = 0;
  if (!GfxGetRegDWBool(dev, address, &value)) return false;
  return GfxSetRegDWBool(dev, address, (value & ~clear) | set);
}

}  // namespace zev
