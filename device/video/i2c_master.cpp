#include "device/video/i2c_master.h"

#include "device/chip/chip_identity.h"
#include "device/chip/registers.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/video/i2c_block.h"

namespace zev {
namespace {

// The configuration steps of VgaI2cInit after the clock, each with its failure line.
struct InitStep {
  bool (*run)(UsbDevice*);
  const char* failure;
};

bool SetStandardSpeed(UsbDevice* dev) { return I2cSetSpeed(dev, 1); }
bool SetTxModeZero(UsbDevice* dev) { return I2cSetTxMode(dev, 0); }

constexpr InitStep kInitSteps[] = {
    {I2cClockSetup, "ERROR:  VgaI2cInit() failed calling I2cClockSetup()\n"},
    {SetStandardSpeed, "ERROR:  VgaI2cInit() failed calling I2cSetSpeed()\n"},
    {I2cSetMstrAddrMode, "ERROR:  VgaI2cInit() failed calling I2cSetMstrAddrMode()\n"},
    {I2cEnableRestart, "ERROR:  VgaI2cInit() failed calling I2cEnableRestart()\n"},
    {I2cEnableMaster, "ERROR:  VgaI2cInit() failed calling I2cEnableMaster()\n"},
    {SetTxModeZero, "ERROR:  VgaI2cInit() failed calling I2cSetTxMode()\n"},
};

bool InitFailed(UsbDevice* dev, const char* line) {
  DevPrintf(dev, "%s", line);
  DevPrintf(dev, "\n ERROR: VgaI2cInit() failed\n");
  return false;
}

}  // namespace

bool VgaI2cInit(UsbDevice* dev) {
  if (dev == nullptr) return false;
  if (!I2cDisable(dev)) return InitFailed(dev, "ERROR:  VgaI2cInit() Cannot disable I2C: I2C is Busy!\n");
  for (const InitStep& step : kInitSteps) {
    if (!step.run(dev)) return InitFailed(dev, step.failure);
  }
  I2cEnable(dev);
  const uint32_t mode = I2cGetAssistMode(dev);
  if (dev->ctx != nullptr) dev->ctx->I2cAssistMode = mode;
  return true;
}

bool VgaI2cSetPort(UsbDevice* dev, uint32_t port) {
  if (dev == nullptr) return false;
  // Port 4 (the DisplayPort transmitter's bus) exists on the production chip only.
  if (port > 3 && !IsSiliconChip(dev)) {
    DevPrintf(dev, "ERROR:  VgaI2cSetPort() bad dwPort=%ld, s/b 0-3\n", static_cast<long>(port));
    return false;
  }
  if (!I2cDisable(dev)) {
    DevPrintf(dev, "ERROR:  VgaI2cSetPort() failed calling I2cDisable()!\n");
    return false;
  }
  GfxSetRegDW(dev, I2C_SEL, port == 1 ? 1 : 0);
  I2cEnable(dev);
  return true;
}

bool VgaI2cSetTAR(UsbDevice* dev, uint8_t address) {
  if (dev == nullptr) return false;
  if (!I2cDisable(dev)) {
    DevPrintf(dev, "ERROR:  VgaI2cSetTAR() failed calling I2cDisable()!\n");
    return false;
  }
  if (!I2cSetTargetAddr(dev, address >> 1)) {
    DevPrintf(dev, "ERROR:  VgaI2cSetTAR() failed calling I2cSetTargetAddr()!\n");
    return false;
  }
  I2cEnable(dev);
  return true;
}

}  // namespace zev
