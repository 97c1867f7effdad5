// Register access to the CH7301 DVO transmitter.
#include "device/video/c7301.h"

#include "device/core/device_diag.h"
#include "device/video/i2c_master.h"

namespace zev {

bool C7301i2cSetup(UsbDevice* dev) {
  if (!VgaI2cSetPort(dev, kC7301Port)) {
    DevPrintf(dev, "ERROR:  C7301i2cSetup() failed calling VgaI2cSetPort()\n");
    return false;
  }
  if (!VgaI2cSetTAR(dev, kC7301Address)) {
    DevPrintf(dev, "ERROR:  C7301i2cSetup() failed calling VgaI2cSetTAR()\n");
    return false;
  }
  return true;
}

void C7301SetRegDW(UsbDevice* dev, uint8_t reg, uint8_t value) {
  if (!VgaI2cWriteByte(dev, reg, value)) DevPrintf(dev, "ERROR:  C7301SetRegDW() failed calling VgaI2cWriteByte()\n");
}

uint8_t C7301InputFormat(uint8_t bSyncPol1, uint8_t bSyncPol2) {
  uint8_t format = 0x80;
  if (bSyncPol1 == 1) format |= 0x08;
  if (bSyncPol2 == 1) format |= 0x10;
  return format;
}

}  // namespace zev
