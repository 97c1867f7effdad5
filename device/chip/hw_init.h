#pragma once

#include "device/usb/usb_device.h"

namespace zev {

struct LibContext;

// Takes an opened chip to working memory, I2C master and graphics engine: lite reset,
// system clock and DDR2 (silicon) or PLL release and DDR2 (FPGA), I2C master, engine
// enable, default output configuration, and the identity stored in the device record.
// Uses the context's gSysClk and gDdr2Odt as set beforehand. Stops at the first failing
// step with its diagnostic line.
bool GfxHwInit(UsbDevice* dev);

// The library's bring-up of its connection: the system clock from gFreqIndex (an
// invalid index leaves the clock as it was), the ODT selection from gOdtIndex, then
// GfxHwInit. True when GfxHwInit succeeded.
bool LibHwBringUp(LibContext& ctx);

}  // namespace zev
