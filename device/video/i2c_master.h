#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// VgaI2c layer: byte access to registers of I2C devices through the chip's master.
bool VgaI2cInit(UsbDevice* dev);
bool VgaI2cSetPort(UsbDevice* dev, uint32_t port);
bool VgaI2cSetTAR(UsbDevice* dev, uint8_t address);
bool VgaI2cReadByte(UsbDevice* dev, uint8_t reg, uint8_t* out);
bool VgaI2cWriteByte(UsbDevice* dev, uint8_t reg, uint8_t data);

}  // namespace zev
