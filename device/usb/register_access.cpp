#include "device/usb/register_access.h"

#include "device/core/device_diag.h"

namespace zev {
namespace {

bool IsValid(const UsbDevice* dev) {
  return dev != nullptr && dev->magic == USB_DEVICE_MAGIC && dev->transport != nullptr;
}

SetupPacket RegisterRequest(uint8_t requestType, uint8_t request, uint32_t address) {
  SetupPacket setup;
  setup.bmRequestType = requestType;
  setup.bRequest = request;
  setup.wValue = 0;
  setup.wIndex = static_cast<uint16_t>(address);  // the register address space is 16 bits wide
  setup.wLength = 4;
  return setup;
}

}  // namespace

uint32_t RegReadFailed(const UsbDevice* dev) {
  return IsUtilityVariant(dev) ? REG_READ_FAILED_UTILITY : REG_READ_FAILED;
}

uint32_t GfxQueryRegDW(UsbDevice* dev, uint32_t address, uint32_t* out) {
  if (!IsValid(dev)) return 1;
  const SetupPacket setup = RegisterRequest(kVendorReadRequestType, kRegReadRequest, address);
  for (int attempt = 0; attempt < kRegTransferAttempts; ++attempt) {
    uint8_t data[4] = {};
    uint32_t transferred = 0;
    if (dev->transport->ControlTransfer(setup, data, &transferred)) {
      *out = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
             static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
      return 0;
    }
  }
  *out = 0;
  return 1;
}

uint32_t GfxGetRegDW(UsbDevice* dev, uint32_t address) {
  uint32_t value = 0;
  return GfxQueryRegDW(dev, address, &value) == 0 ? value : RegReadFailed(dev);
}

bool GfxGetRegDWBool(UsbDevice* dev, uint32_t address, uint32_t* out) {
  if (GfxQueryRegDW(dev, address, out) != 0) {
    *out = RegReadFailed(dev);
    return false;
  }
  return true;
}

uint32_t GfxSetRegDW(UsbDevice* dev, uint32_t address, uint32_t value) {
  if (!IsValid(dev)) return 1;
  const SetupPacket setup = RegisterRequest(kVendorWriteRequestType, kRegWriteRequest, address);
  for (int attempt = 0; attempt < kRegTransferAttempts; ++attempt) {
    uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                       static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    uint32_t transferred = 0;
    if (dev->transport->ControlTransfer(setup, data, &transferred)) return 0;
  }
  return 1;
}

bool GfxSetRegDWBool(UsbDevice* dev, uint32_t address, uint32_t value) {
  return GfxSetRegDW(dev, address, value) == 0;
}

uint32_t GfxBulkWrite(UsbDevice* dev, const uint8_t* data, uint32_t length) {
  if (dev == nullptr || dev->magic != USB_DEVICE_MAGIC || dev->transport == nullptr) return 0;
  dev->transport->ResetPipe(dev->bulkOutPipe);  // a failed reset does not stop the write
  uint32_t written = 0;
  if (!dev->transport->WritePipe(dev->bulkOutPipe, data, length, &written)) return 0;
  return written;
}

}  // namespace zev
