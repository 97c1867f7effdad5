#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"

namespace zev {

// The lite reset is over by the time the next transfer reaches the chip, so a single
// read-back decides.
bool VoskarLRST(UsbDevice* dev) {
  GfxSetRegDW(dev, HW_CFG, GfxGetRegDW(dev, HW_CFG) | HW_CFG_LRST);
  const uint32_t hwCfg = GfxGetRegDW(dev, HW_CFG);
  if ((hwCfg & HW_CFG_LRST) == 0) return true;
  DevPrintf(dev, "ERROR:  VoskarLRST() after LRST, bad HW_CFG=0x%08X\n", hwCfg);
  return false;
}

}  // namespace zev
