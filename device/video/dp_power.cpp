// ANX9805 power-up for DisplayPort and for HDMI, and power-down.
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/video/anx9805.h"
#include "device/video/dp_phy.h"

namespace zev {
namespace {

using namespace anx9805;

// Pulses the chip reset; the registers come back at their defaults.
void ResetTransmitter(UsbDevice* dev) {
  Anx9805SetRegDW(dev, kReset, kResetChip);
  Sleep(40);
  Anx9805SetRegDW(dev, kReset, 0);
  Anx9805SetRegDW(dev, 0x07, 0x40);
}

}  // namespace

bool DpPwrUp(UsbDevice* dev) {
  if (!Anx9805i2cSetup(dev, kSystemAddress)) {
    DevPrintf(dev, "ERROR:  DpPwrUp() failed calling Anx9805i2cSetup()\n");
    return false;
  }
  ResetTransmitter(dev);
  Anx9805SetRegDW(dev, kPowerDown, 0);
  Sleep(1);
  Anx9805SetRegDW(dev, kPowerDown, 0);
  return true;
}

bool DpHdmiModePwrUp(UsbDevice* dev) {
  if (!Anx9805i2cSetup(dev, kSystemAddress)) return false;
  ResetTransmitter(dev);
  // The DisplayPort link stays powered down in HDMI mode.
  Anx9805SetRegDW(dev, kPowerDown, kPowerDownLink);
  Anx9805SetRegDW(dev, 0xE2, 6);
  DevPrintf(dev, " DpHdmiModePwrUp() 0x72:0xe2=0x%02lX\n", static_cast<unsigned long>(Anx9805GetRegDW(dev, 0xE2)));
  Anx9805SetRegDW(dev, 0xE4, 0);
  return true;
}

bool DpPhyDisable(UsbDevice* dev) {
  const bool ok = Anx9805i2cSetup(dev, kSystemAddress);
  if (ok) {
    Anx9805SetRegDW(dev, kPowerDown, kPowerDownChip);
  } else {
    DevPrintf(dev, "ERROR:  DpPhyDisable() failed calling Anx9805i2cSetup()\n");
  }
  SetDpVideoOn(dev, false);
  return ok;
}

}  // namespace zev
