#include "device/video/i2c_block.h"

#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"

namespace zev {
namespace {

constexpr uint16_t kConMasterMode = 1u << 0;
constexpr uint16_t kConSpeedMask = 3u << 1;
constexpr uint16_t kCon10BitMaster = 1u << 4;
constexpr uint16_t kConRestartEnable = 1u << 5;
constexpr uint16_t kTarAddressMask = 0x03FF;
constexpr uint16_t kTarTxModeMask = 0x0C00;
constexpr uint16_t kStatusActivity = 1u << 0;
constexpr uint16_t kStatusRxFifoNotEmpty = 1u << 3;
constexpr uint16_t kDataCmdRead = 0x100;

// Read-modify-write of a configuration register: refused while the block is enabled.
bool ConfigureDisabled(UsbDevice* dev, uint32_t reg, uint16_t clear, uint16_t set, const char* refusal) {
  if (I2cIsEnabled(dev)) {
    if (refusal != nullptr) DevPrintf(dev, "%s", refusal);
    return false;
  }
  I2cWriteReg(dev, reg, static_cast<uint16_t>((I2cReadReg(dev, reg) & ~clear) | set));
  return true;
}

}  // namespace

bool I2cWriteReg(UsbDevice* dev, uint32_t reg, uint16_t value) { return GfxSetRegDW(dev, reg, value) == 0; }

uint16_t I2cReadReg(UsbDevice* dev, uint32_t reg) { return static_cast<uint16_t>(GfxGetRegDW(dev, reg)); }

void I2cEnable(UsbDevice* dev) { I2cWriteReg(dev, IC_ENABLE, 1); }

bool I2cIsEnabled(UsbDevice* dev) { return (I2cReadReg(dev, IC_ENABLE) & 1) != 0; }

bool I2cWaitNotBusy(UsbDevice* dev) {
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kI2cFifoTimeoutMs);  // judged before the read
    if ((I2cReadReg(dev, IC_STATUS) & kStatusActivity) == 0) return false;
    if (expired) return true;
  }
}

bool I2cDisable(UsbDevice* dev) {
  if (I2cWaitNotBusy(dev)) return false;
  I2cWriteReg(dev, IC_ENABLE, 0);
  return true;
}

bool I2cClockSetup(UsbDevice* dev) {
  if (!I2cDisable(dev)) {
    DevPrintf(dev, "\n Cannot disable I2C: I2C is Busy!\n");
    return false;
  }
  if (I2cIsEnabled(dev)) {
    DevPrintf(dev, "\n I2C ERROR: I2C must be disabled to set clock!\n");
    return false;
  }
  I2cWriteReg(dev, IC_SS_SCL_LCNT, 12);
  I2cWriteReg(dev, IC_SS_SCL_HCNT, 6);
  return true;
}

bool I2cSetSpeed(UsbDevice* dev, uint16_t speed) {
  // The speed field is replaced, not ORed into, so a lower speed can follow a higher one.
  return ConfigureDisabled(dev, IC_CON, kConSpeedMask, static_cast<uint16_t>((speed << 1) & kConSpeedMask), nullptr);
}

bool I2cSetMstrAddrMode(UsbDevice* dev) {
  return ConfigureDisabled(dev, IC_CON, kCon10BitMaster, 0,
                           "\n I2C ERROR: I2C must be disabled to set master addressing mode!\n");
}

bool I2cEnableMaster(UsbDevice* dev) {
  return ConfigureDisabled(dev, IC_CON, 0, kConMasterMode, "\n I2C ERROR: I2C must be disabled to enable master!\n");
}

bool I2cEnableRestart(UsbDevice* dev) {
  return ConfigureDisabled(dev, IC_CON, 0, kConRestartEnable,
                           "\n I2C ERROR: I2C must be disabled to enable restart!\n");
}

bool I2cSetTargetAddr(UsbDevice* dev, uint16_t address) {
  return ConfigureDisabled(dev, IC_TAR, kTarAddressMask, address & kTarAddressMask,
                           "\n I2C ERROR: I2C must be disabled to set target address!\n");
}

bool I2cSetTxMode(UsbDevice* dev, uint16_t mode) {
  return ConfigureDisabled(dev, IC_TAR, kTarTxModeMask, static_cast<uint16_t>((mode << 10) & kTarTxModeMask),
                           "\n I2C ERROR: I2C must be disabled to set Tx mode!\n");
}

uint16_t I2cClearInt(UsbDevice* dev, uint32_t reg) {
  const bool clearRegister = reg >= IC_CLR_INTR && reg <= IC_CLR_GEN_CALL && (reg - IC_CLR_INTR) % 4 == 0;
  if (!clearRegister) DevPrintf(dev, "\n I2C ERROR: Invalid register for interrupt clearing!\n");
  return I2cReadReg(dev, reg);
}

uint16_t I2cGetRawIntSts(UsbDevice* dev) { return I2cReadReg(dev, IC_RAW_INTR_STAT); }

bool I2cRxFifoEmpty(UsbDevice* dev) { return (I2cReadReg(dev, IC_STATUS) & kStatusRxFifoNotEmpty) == 0; }

bool I2cWriteData(UsbDevice* dev, uint8_t byte) { return I2cWriteReg(dev, IC_DATA_CMD, byte); }

bool I2cReadCmd(UsbDevice* dev) { return I2cWriteReg(dev, IC_DATA_CMD, kDataCmdRead); }

uint16_t I2cReadData(UsbDevice* dev) { return I2cReadReg(dev, IC_DATA_CMD); }

}  // namespace zev
