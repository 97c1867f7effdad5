// The CH7301 DVO transmitter: VGA through its DACs, DVI, or powered down.
#include "device/video/dvo_phy.h"

#include "device/core/device_diag.h"
#include "device/video/c7301.h"

namespace zev {
namespace {

// Power management: everything down; DACs on for VGA; DVI link on with the DACs down.
constexpr uint8_t kPowerDown = 0x01;
constexpr uint8_t kPowerVga = 0x00;
constexpr uint8_t kPowerDvi = 0xCE;

// DVI PLL and filter settings, for pixel clocks up to 65 MHz and above it.
struct DviClockSettings {
  uint8_t tpcp, tpd, tpf;
};
constexpr uint32_t kDviLowClockLimit = 65000000;
constexpr DviClockSettings kDviLowClock{0x08, 0x16, 0x60};
constexpr DviClockSettings kDviHighClock{0x04, 0x26, 0xA0};

}  // namespace

bool DvoPhyDisable(UsbDevice* dev) {
  if (!C7301i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  DvoPhyDisable() failed calling C7301i2cSetup()\n");
    return false;
  }
  C7301SetRegDW(dev, C7301_PM, kPowerDown);
  return true;
}

bool DvoPhyEnableVGA(UsbDevice* dev, uint8_t bSyncPol1, uint8_t bSyncPol2) {
  if (!C7301i2cSetup(dev)) {
    DevPrintf(dev, "ERROR:  DvoPhyEnableVGA() failed calling C7301i2cSetup()\n");
    return false;
  }
  C7301SetRegDW(dev, C7301_DC, 0x09);
  C7301SetRegDW(dev, C7301_IDF, C7301InputFormat(bSyncPol1, bSyncPol2));
  C7301SetRegDW(dev, C7301_PM, kPowerVga);
  return true;
}

bool DvoPhyEnableDVI(UsbDevice* dev, uint32_t dwPixClk, uint8_t bSyncPol1, uint8_t bSyncPol2) {
  if (!C7301i2cSetup(dev)) return false;
  const DviClockSettings& clock = dwPixClk <= kDviLowClockLimit ? kDviLowClock : kDviHighClock;
  C7301SetRegDW(dev, C7301_TPCP, clock.tpcp);
  C7301SetRegDW(dev, C7301_TPD, clock.tpd);
  C7301SetRegDW(dev, C7301_TPF, clock.tpf);
  C7301SetRegDW(dev, C7301_IDF, C7301InputFormat(bSyncPol1, bSyncPol2));
  C7301SetRegDW(dev, C7301_DC, 0x00);
  C7301SetRegDW(dev, C7301_PM, kPowerDvi);
  return true;
}

}  // namespace zev
