#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

struct LibContext;

// Stores the ODT selection for the next DDR2 initialisation in ctx.gDdr2Odt.
void Ddr2SelectOdt(LibContext& ctx, uint32_t odt);
bool SiliconDdr2Init(UsbDevice* dev);
bool Ddr2Init(UsbDevice* dev);

}  // namespace zev
