#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// The DVO output through the CH7301: analog VGA or DVI. Each routine fails only when
// the transmitter's bus cannot be selected; a failed register write prints its line.
bool DvoPhyDisable(UsbDevice* dev);
bool DvoPhyEnableVGA(UsbDevice* dev, uint8_t bSyncPol1, uint8_t bSyncPol2);
bool DvoPhyEnableDVI(UsbDevice* dev, uint32_t dwPixClk, uint8_t bSyncPol1, uint8_t bSyncPol2);

}  // namespace zev
