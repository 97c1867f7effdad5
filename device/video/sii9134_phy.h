#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

// The external SiI9134. Enabling programs TMDS for the mode's pixel clock (at least
// 25 MHz) and, for DC_PORT_HDMI_AV (S/PDIF) and DC_PORT_HDMI_AV_I2S (I2S), audio with
// N = 4096 and MCLK code 1 whatever the library's audio settings say. `dwBpp` is not
// used. Register writes to the chip never fail the routines; their failures only print.
bool SiI9134PhyEnable(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp, uint32_t port);
bool SiI9134PhyDisable(UsbDevice* dev);
// Output isolation of the FPGA board's external chip while the internal block drives it.
bool SiI9134IsoEnable(UsbDevice* dev);
bool SiI9134IsoDisable(UsbDevice* dev);

}  // namespace zev
