#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Which chip the library talks to. Each function reads its registers afresh, so a
// failed read is judged on the read-failure marker (a failed FPGA_REV read counts as
// an FPGA build of at least 128).
uint32_t ChipRevision(UsbDevice* dev);  // ID_REV bits 15:0
uint32_t FpgaRevision(UsbDevice* dev);  // FPGA_REV; 0 on the production chip
bool IsSiliconChip(UsbDevice* dev);
bool IsSiliconRevA0(UsbDevice* dev);
bool HasHdmiAssist(UsbDevice* dev);
bool HasPacked24Bpp(UsbDevice* dev);  // 3 bytes per pixel in 24-bit modes
// I2C transfer mechanism: 0 plain FIFO, 1 old assist, 2 new assist.
uint32_t I2cGetAssistMode(UsbDevice* dev);

}  // namespace zev
