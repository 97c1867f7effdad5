#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Register access to the external SiI9134 on I2C port 1: directly through the I2C master,
// or, on chips with the HDMI assist (production chip revision 1 and later, FPGA builds
// from 128), through the assist's sequencer.

// SiI9134GetRegDW results other than a register byte.
inline constexpr uint32_t kSii9134NoTarget = 255;           // the I2C target could not be set
inline constexpr uint32_t kSii9134ReadFailed = 0xFFFFFFFF;  // the transfer failed

// Port 1 and the page-0 address; false after printing the failing step.
bool SiI9134i2cSetup(UsbDevice* dev);
// Writes register `reg` (0x000 - 0x1FF); failures are printed, never returned.
void SiI9134SetRegDW(UsbDevice* dev, uint32_t reg, uint32_t value);
// The byte of register `reg`, or one of the failure results above.
uint32_t SiI9134GetRegDW(UsbDevice* dev, uint32_t reg);

// True when the chip reaches the external SiI9134 through the HDMI assist, judged on the
// identity the bring-up stored in the device record.
bool SiI9134UsesAssist(const UsbDevice* dev);

}  // namespace zev
