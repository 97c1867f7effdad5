#pragma once

#include <cstdint>
#include <span>

#include "device/core/lib_context.h"
#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

// The DisplayPort output through the ANX9805: power-up, link training, video and audio
// in DisplayPort or HDMI mode, the monitor's EDID over the ANX9805's DDC master, and
// power-down. The flag LibContext::gDpVideoOn tells the mode set whether the
// transmitter is driving video.

inline constexpr size_t kDpEdidBlockSize = 128;

inline void SetDpVideoOn(UsbDevice* dev, bool on) {
  if (dev != nullptr && dev->ctx != nullptr) dev->ctx->gDpVideoOn = on;
}

bool DpPwrUp(UsbDevice* dev);
bool DpHdmiModePwrUp(UsbDevice* dev);
bool DpEnableVideo(UsbDevice* dev, bool bDpMode);
bool DpEnableAudio(UsbDevice* dev, bool bDpMode);

// Trains the link at the sink's maximum rate and lane count, then enables video and
// audio. The timing and depth are not needed: the transmitter takes them from the
// display controller's DVO interface.
bool DpPhyEnableDPMode(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp);
// HDMI through the ANX9805; the mode and depth are not needed either.
bool DpPhyEnableHdmiMode(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp);
// Powers the transmitter down; gDpVideoOn is false afterwards whatever the result.
bool DpPhyDisable(UsbDevice* dev);

// The EDID's first block from the monitor on the connector. The block is zeroed first;
// the read counts as complete once 127 bytes have arrived.
bool DpDdcReadEDID(UsbDevice* dev, std::span<uint8_t, kDpEdidBlockSize> buffer);

}  // namespace zev
