// The monitor's EDID over DDC: the block read and the search over the two I2C buses a
// monitor may be wired to.
#include "device/core/device_diag.h"
#include "device/core/lib_context.h"
#include "device/video/edid.h"
#include "device/video/i2c_master.h"

namespace zev {
namespace {

// The probe fetches only the 8 header bytes.
constexpr uint32_t kEdidHeaderSize = 8;

// Reads bytes 0 .. count-1 of the block on the current port and target. Only bytes
// that arrived are stored: after a failure the rest of the block stays 0.
bool ReadEdidBytes(UsbDevice* dev, EdidBlock& block, uint32_t count) {
  block.fill(0);
  for (uint32_t i = 0; i < count && i < block.size(); ++i) {
    uint8_t byte = 0;
    if (!VgaI2cReadByte(dev, static_cast<uint8_t>(i), &byte)) {
      DevPrintf(dev, "ERROR:  VgaI2cReadEDID() failed calling VgaI2cReadByte(), i=%d\n", static_cast<int>(i));
      return false;
    }
    block[i] = byte;
  }
  return true;
}

// I2C port 2 first, then port 1. The target address is set once and carries over to
// the second bus; the set-up results are not checked, a failed set-up shows as a
// failed read. True with the bus code of the port that delivered the bytes.
bool ReadOnEitherBus(UsbDevice* dev, EdidBlock& block, uint32_t count, uint32_t* busCode) {
  VgaI2cInit(dev);
  VgaI2cSetTAR(dev, kEdidAddress);
  VgaI2cSetPort(dev, kEdidFirstI2cPort);
  if (ReadEdidBytes(dev, block, count)) {
    *busCode = kEdidBusFirstPort;
    return true;
  }
  VgaI2cSetPort(dev, kEdidSecondI2cPort);
  if (ReadEdidBytes(dev, block, count)) {
    *busCode = kEdidBusSecondPort;
    return true;
  }
  return false;
}

}  // namespace

bool VgaI2cReadEDID(UsbDevice* dev, EdidBlock* buffer) {
  if (buffer == nullptr) return false;
  return ReadEdidBytes(dev, *buffer, kEdidBlockSize);
}

int32_t EdidRead(LibContext& ctx, EdidBlock* buffer, uint32_t* busCode) {
  UsbDevice* dev = ConnectedDevice(ctx);
  if (buffer == nullptr || dev == nullptr) return -1;
  uint32_t code = 0;
  if (!ReadOnEitherBus(dev, *buffer, kEdidBlockSize, &code)) return -1;
  if (busCode != nullptr) *busCode = code;
  return 0;
}

int32_t EdidProbeMonitor(LibContext& ctx) {
  UsbDevice* dev = ConnectedDevice(ctx);
  if (dev == nullptr) return 0;
  EdidBlock header{};
  uint32_t code = 0;
  return ReadOnEitherBus(dev, header, kEdidHeaderSize, &code) ? 1 : 0;
}

}  // namespace zev
