#include "device/chip/chip_identity.h"

#include "device/chip/registers.h"
#include "device/usb/register_access.h"

namespace zev {

uint32_t ChipRevision(UsbDevice* dev) { return GfxGetRegDW(dev, ID_REV) & 0xFFFF; }

uint32_t FpgaRevision(UsbDevice* dev) { return GfxGetRegDW(dev, FPGA_REV); }

bool IsSiliconChip(UsbDevice* dev) { return FpgaRevision(dev) == 0; }

bool IsSiliconRevA0(UsbDevice* dev) { return FpgaRevision(dev) == 0 && ChipRevision(dev) == 0; }

bool HasHdmiAssist(UsbDevice* dev) {
  const uint32_t fpga = FpgaRevision(dev);
  return (fpga == 0 && ChipRevision(dev) != 0) || fpga >= 128;
}

bool HasPacked24Bpp(UsbDevice* dev) {
  const uint32_t fpga = FpgaRevision(dev);
  return fpga == 0 || fpga >= 54;
}

uint32_t I2cGetAssistMode(UsbDevice* dev) {
  const uint32_t fpga = FpgaRevision(dev);
  if (fpga == 0) return ChipRevision(dev) != 0 ? 2 : 1;
  if (fpga < 66) return 0;
  if (fpga <= 102) return 1;
  return 2;
}

}  // namespace zev
