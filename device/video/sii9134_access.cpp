#include "device/video/sii9134_access.h"

#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/tick.h"
#include "device/video/hdmi_internal.h"
#include "device/video/i2c_master.h"
#include "device/video/sii9134_registers.h"

namespace zev {
namespace {

constexpr uint32_t kHdmiAssistTimeoutMs = 100;
constexpr uint32_t kFirstFpgaWithHdmiAssist = 128;
constexpr uint32_t kLastRegister = 0x1FF;

bool IsPage1(uint32_t reg) { return reg >= kSii9134Page1First; }
uint8_t PageAddress(uint32_t reg) { return IsPage1(reg) ? kSii9134Page1Address : kSii9134Page0Address; }

// Points the I2C master at the page holding `reg`; false after printing `routine`'s line.
bool SetDirectTarget(UsbDevice* dev, uint32_t reg, const char* routine) {
  if (VgaI2cSetTAR(dev, PageAddress(reg))) return true;
  DevPrintf(dev, "ERROR:  %s() failed calling VgaI2cSetTAR(%s)\n", routine, IsPage1(reg) ? "TAR2" : "TAR");
  return false;
}

// Starts one assist command and polls its busy bit for at most 100 ms.
// False on timeout; else the completed status word is stored.
bool RunAssist(UsbDevice* dev, uint32_t command, uint32_t* completed) {
  HdmiIntSetReg(dev, HDMI_ASSIST_CMD, command);
  HdmiIntSetReg(dev, HDMI_ASSIST_CMD, command | kHdmiAssistGo);
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kHdmiAssistTimeoutMs);  // judged before the read
    uint32_t status = 0;
    HdmiIntGetReg(dev, HDMI_ASSIST_CMD, &status);  // a failed read carries bit 31: still busy
    if ((status & kHdmiAssistGo) == 0) {
      *completed = status;
      return true;
    }
    if (expired) return false;
  }
}

void SetTargetWord(UsbDevice* dev, uint32_t reg) {
  HdmiIntSetReg(dev, HDMI_ASSIST_TARGET, reg << 16 | PageAddress(reg));
}

// Reports a failed assist transfer with the DDC status of the internal block.
void PrintAssistFailure(UsbDevice* dev, const char* routine) {
  uint32_t ddcStatus = 0;
  HdmiIntGetReg(dev, SII9134_DDC_STS, &ddcStatus);
  DevPrintf(dev, "ERROR: %s() failed w/ Voskar HDMI assist, HDMI_DDC_STS=0x%04X\n", routine, ddcStatus);
}

void AssistSet(UsbDevice* dev, uint32_t reg, uint32_t value) {
  SetTargetWord(dev, reg);
  HdmiIntSetReg(dev, HDMI_ASSIST_DATA, value);
  uint32_t completed = 0;
  if (!RunAssist(dev, kHdmiAssistWrite, &completed)) {
    DevPrintf(dev, "ERROR:  SiI9134SetRegDW() timed out w/ Voskar HDMI assist\n");
    return;
  }
  if ((completed & kHdmiAssistError) != 0) PrintAssistFailure(dev, "SiI9134SetRegDW");
}

// A timed-out or failed read reports the failure instead of whatever the data register
// held from an earlier transfer.
uint32_t AssistGet(UsbDevice* dev, uint32_t reg) {
  SetTargetWord(dev, reg);
  uint32_t completed = 0;
  if (!RunAssist(dev, kHdmiAssistRead, &completed)) {
    DevPrintf(dev, "ERROR:  SiI9134GetRegDW() timed out w/ Voskar HDMI assist\n");
    return kSii9134ReadFailed;
  }
  if ((completed & kHdmiAssistError) != 0) {
    PrintAssistFailure(dev, "SiI9134GetRegDW");
    return kSii9134ReadFailed;
  }
  uint32_t data = 0;
  if (!HdmiIntGetReg(dev, HDMI_ASSIST_DATA, &data)) return kSii9134ReadFailed;
  return data & 0xFF;
}

bool ValidRegister(UsbDevice* dev, uint32_t reg, const char* routine) {
  if (reg <= kLastRegister) return true;
  DevPrintf(dev, "ERROR:  %s() bad register 0x%X, s/b 0x000-0x1FF\n", routine, reg);
  return false;
}

}  // namespace

bool SiI9134UsesAssist(const UsbDevice* dev) {
  const bool silicon = dev->fpgaRev == 0;
  return (silicon && (dev->idRev & 0xFFFF) != 0) || dev->fpgaRev >= kFirstFpgaWithHdmiAssist;
}

bool SiI9134i2cSetup(UsbDevice* dev) {
  if (!VgaI2cSetPort(dev, 1)) {
    DevPrintf(dev, "ERROR:  SiI9134i2cSetup() failed calling VgaI2cSetPort()\n");
    return false;
  }
  if (!VgaI2cSetTAR(dev, kSii9134Page0Address)) {
    DevPrintf(dev, "ERROR:  SiI9134i2cSetup() failed calling VgaI2cSetTAR()\n");
    return false;
  }
  return true;
}

void SiI9134SetRegDW(UsbDevice* dev, uint32_t reg, uint32_t value) {
  if (dev == nullptr || !ValidRegister(dev, reg, "SiI9134SetRegDW")) return;
  if (SiI9134UsesAssist(dev)) {
    AssistSet(dev, reg, value);
    return;
  }
  if (!SetDirectTarget(dev, reg, "SiI9134SetRegDW")) return;
  if (!VgaI2cWriteByte(dev, static_cast<uint8_t>(reg), static_cast<uint8_t>(value))) {
    DevPrintf(dev, "ERROR:  SiI9134SetRegDW() failed calling VgaI2cWriteByte()\n");
  }
}

uint32_t SiI9134GetRegDW(UsbDevice* dev, uint32_t reg) {
  if (dev == nullptr || !ValidRegister(dev, reg, "SiI9134GetRegDW")) return kSii9134ReadFailed;
  if (SiI9134UsesAssist(dev)) return AssistGet(dev, reg);
  if (!SetDirectTarget(dev, reg, "SiI9134GetRegDW")) return kSii9134NoTarget;
  uint8_t byte = 0xFF;
  if (!VgaI2cReadByte(dev, static_cast<uint8_t>(reg), &byte)) {
    DevPrintf(dev, "ERROR:  SiI9134GetRegDW() failed calling VgaI2cReadByte()\n");
    return kSii9134ReadFailed;
  }
  return byte;
}

}  // namespace zev
