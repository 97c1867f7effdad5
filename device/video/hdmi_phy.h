#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

// HDMI output on the transmitter the chip has (HdmiIsInternal). On the internal one:
// video, and for DC_PORT_HDMI_AV and DC_PORT_HDMI_AV_I2S the AVI and audio infoframes
// (or their suppression), the audio input, sampling frequency, N and MCLK ratio from
// gHdmiAudio; on FPGA boards the external SiI9134 is driven for video as well. The
// external transmitter alone is handled by SiI9134PhyEnable. `dwBpp` is only passed on.
bool HdmiPhyEnable(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp, uint32_t port);
bool HdmiPhyDisable(UsbDevice* dev);

}  // namespace zev
