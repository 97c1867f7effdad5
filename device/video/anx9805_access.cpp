// Byte register access to the ANX9805 and its register dump.
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/tick.h"
#include "device/video/anx9805.h"
#include "device/video/i2c_master.h"

namespace zev {
namespace {

// The I2C port of the transmitter's bus.
constexpr uint32_t kAnx9805Port = 4;

constexpr uint8_t kDumpedAddresses[] = {anx9805::kDpAddress, anx9805::kSystemAddress, anx9805::kHdmiAddress};

}  // namespace

bool Anx9805i2cSetup(UsbDevice* dev, uint8_t address) {
  if (!VgaI2cSetPort(dev, kAnx9805Port)) {
    DevPrintf(dev, "ERROR:  Anx9805i2cSetup() failed calling VgaI2cSetPort()\n");
    return false;
  }
  if (!VgaI2cSetTAR(dev, address)) {
    DevPrintf(dev, "ERROR:  Anx9805i2cSetup() failed calling VgaI2cSetTAR()\n");
    return false;
  }
  return true;
}

void Anx9805SetRegDW(UsbDevice* dev, uint8_t reg, uint8_t value) {
  if (!VgaI2cWriteByte(dev, reg, value)) DevPrintf(dev, "ERROR:  Anx9805SetRegDW() failed calling VgaI2cWriteByte()\n");
}

uint32_t Anx9805GetRegDW(UsbDevice* dev, uint8_t reg) {
  uint8_t byte = 0;
  if (!VgaI2cReadByte(dev, reg, &byte)) {
    DevPrintf(dev, "ERROR:  Anx9805GetRegDW() failed calling VgaI2cReadByte()\n");
    return kAnx9805ReadFailed;
  }
  return byte;
}

bool Anx9805ModifyReg(UsbDevice* dev, uint8_t reg, uint8_t clear, uint8_t set) {
  const uint32_t value = Anx9805GetRegDW(dev, reg);
  if (value == kAnx9805ReadFailed) return false;
  Anx9805SetRegDW(dev, reg, static_cast<uint8_t>((value & ~uint32_t{clear}) | set));
  return true;
}

bool Anx9805WaitReg(UsbDevice* dev, uint8_t reg, uint8_t mask, uint8_t expected, uint32_t timeoutMs,
                    uint32_t* last) {
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, timeoutMs);  // judged before the read
    *last = Anx9805GetRegDW(dev, reg);
    if (*last != kAnx9805ReadFailed && (*last & mask) == expected) return true;
    if (expired) return false;
  }
}

void Anx9805PrintDumpEntry(UsbDevice* dev, uint32_t index, uint32_t value) {
  if (index % 4 == 0) DevPrintf(dev, "\n");
  DevPrintf(dev, " [0x%04lX] = 0x%02lX; ", static_cast<unsigned long>(index), static_cast<unsigned long>(value));
}

void Anx9805ShowRegs(UsbDevice* dev) {
  DevPrintf(dev, "===============================================================\n");
  DevPrintf(dev, "Analogix ANX9805 Registers:\n");
  for (const uint8_t address : kDumpedAddresses) {
    DevPrintf(dev, "TAR 0x%X", address);
    if (!Anx9805i2cSetup(dev, address)) {
      DevPrintf(dev, "ERROR:  Anx9805ShowRegs() failed calling Anx9805i2cSetup()\n");
      return;
    }
    for (uint32_t reg = 0; reg < 256; ++reg) {
      Anx9805PrintDumpEntry(dev, reg, Anx9805GetRegDW(dev, static_cast<uint8_t>(reg)));
    }
    DevPrintf(dev, "\n");
  }
}

}  // namespace zev
