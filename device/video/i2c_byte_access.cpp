// VgaI2cReadByte and VgaI2cWriteByte: one register byte of the current target device,
// by the transfer mechanism VgaI2cInit chose (plain FIFO, old assist, new assist).
#include "device/chip/registers.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"
#include "device/video/i2c_block.h"
#include "device/video/i2c_master.h"

namespace zev {
namespace {

enum : uint32_t { kPlainFifo = 0, kOldAssist = 1, kNewAssist = 2 };

// Assist command word.
constexpr uint32_t kAssistCommand = 0x20000000;     // bit 29: every command; failure once completed
constexpr uint32_t kAssistRead = 0x00050000;        // bits 16 and 18
constexpr uint32_t kNewAssistCommand = 0x08000000;  // bit 27
constexpr uint32_t kAssistBusy = 0x80000000;        // bit 31: busy; go for the new assist
constexpr uint32_t kAssistTimeoutMs = 100;

uint32_t AssistMode(const UsbDevice* dev) { return dev->ctx != nullptr ? dev->ctx->I2cAssistMode : kPlainFifo; }

// Issues one assist command and polls its busy bit. False when it is still busy after
// 100 ms; else the completed word is stored.
bool RunAssist(UsbDevice* dev, uint32_t mode, uint32_t command, uint32_t* completed) {
  const uint32_t reg = mode == kOldAssist ? IC_CSR : IC_ACCESS;
  if (mode == kNewAssist) {
    command |= kNewAssistCommand;
    GfxSetRegDW(dev, reg, command);
    command |= kAssistBusy;
  }
  GfxSetRegDW(dev, reg, command);
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kAssistTimeoutMs);  // judged before the read
    const uint32_t status = GfxGetRegDW(dev, reg);
    if ((status & kAssistBusy) == 0) {
      *completed = status;
      return true;
    }
    if (expired) return false;
  }
}

uint32_t RegisterCommand(uint8_t reg) { return kAssistCommand | static_cast<uint32_t>(reg) << 8; }

bool FifoRead(UsbDevice* dev, uint8_t reg, uint8_t* out) {
  I2cWriteData(dev, reg);
  I2cReadCmd(dev);  // restart enabled: a restart-read follows the register address
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kI2cFifoTimeoutMs);  // judged before the read
    if (!I2cRxFifoEmpty(dev)) break;
    if (expired) {
      DevPrintf(dev, "\n ERROR:  VgaI2cReadByte() timed out waiting for RxFifo NotEmpty!\n");
      return false;
    }
  }
  *out = static_cast<uint8_t>(I2cReadData(dev));
  const uint16_t raw = I2cGetRawIntSts(dev);
  if (raw == kI2cRawIntStsDone) return true;
  DevPrintf(dev, "ERROR: VgaI2cReadByte() after read data, bad wRawIntSts=0x%04X, s/b 0x%04X\n", raw,
            kI2cRawIntStsDone);
  if ((raw & kI2cRawIntTxAbort) != 0) {
    DevPrintf(dev, "ERROR: VgaI2cReadByte() after read data, TxAbort, TxAbortSrc=0x%04X\n",
              I2cReadReg(dev, IC_TX_ABRT_SOURCE));
  }
  return false;
}

bool AssistRead(UsbDevice* dev, uint32_t mode, uint8_t reg, uint8_t* out) {
  uint32_t word = 0;
  if (!RunAssist(dev, mode, RegisterCommand(reg) | kAssistRead, &word)) {
    DevPrintf(dev, mode == kOldAssist ? "ERROR:  VgaI2cReadByte() timed out w/ assist\n"
                                      : "ERROR:  VgaI2creadByte() timed out w/ assist\n");
    return false;
  }
  *out = static_cast<uint8_t>(word);
  if ((word & kAssistCommand) == 0) return true;
  DevPrintf(dev,
            mode == kOldAssist ? "ERROR: VgaI2cReadByte() failed w/ old assist, RawIntSts=0x%04X\n"
                               : "ERROR: VgaI2cReadByte() failed w/ new assist, RawIntSts=0x%04X\n",
            I2cGetRawIntSts(dev));
  return false;
}

unsigned long Reg32(UsbDevice* dev, uint32_t reg) { return GfxGetRegDW(dev, reg); }

// The block's state after a failed read, as full 32-bit registers.
void DumpI2cRegisters(UsbDevice* dev) {
  DevPrintf(dev, "IC_CSR             = 0x%08lX\n", Reg32(dev, IC_CSR));
  DevPrintf(dev, "I2C_DATA_CMD       = 0x%08lX\n", Reg32(dev, IC_DATA_CMD));
  DevPrintf(dev, "I2C_INT_STAT       = 0x%08lX\n", Reg32(dev, IC_INTR_STAT));
  DevPrintf(dev, "I2C_RAW_INTR_STAT  = 0x%08lX\n", Reg32(dev, IC_RAW_INTR_STAT));
  DevPrintf(dev, "I2C_STATUS         = 0x%08lX\n", Reg32(dev, IC_STATUS));
  DevPrintf(dev, "I2C_TX_ABRT_SOURCE = 0x%08lX\n", Reg32(dev, IC_TX_ABRT_SOURCE));
}

bool FifoWrite(UsbDevice* dev, uint8_t reg, uint8_t data) {
  I2cWriteData(dev, reg);
  I2cWriteData(dev, data);
  bool ok = true;
  if (I2cWaitNotBusy(dev)) {
    DevPrintf(dev, "ERROR: VgaI2cWriteByte() timed out sending byte\n");
    ok = false;
  }
  const uint16_t raw = I2cGetRawIntSts(dev);
  if (raw == kI2cRawIntStsDone) return ok;
  DevPrintf(dev, "ERROR: VgaI2cWriteByte() after send byte, bad wRawIntSts=0x%04X, s/b 0x%04X\n", raw,
            kI2cRawIntStsDone);
  if ((raw & kI2cRawIntTxAbort) != 0) {
    DevPrintf(dev, "ERROR: VgaI2cWriteByte() after send RegAddr, TxAbort, TxAbortSrc=0x%04X\n",
              I2cReadReg(dev, IC_TX_ABRT_SOURCE));
  }
  return false;
}

bool AssistWrite(UsbDevice* dev, uint32_t mode, uint8_t reg, uint8_t data) {
  uint32_t word = 0;
  if (!RunAssist(dev, mode, RegisterCommand(reg) | data, &word)) {
    DevPrintf(dev, "ERROR:  VgaI2cWriteByte() timed out w/ assist\n");
    return false;
  }
  if ((word & kAssistCommand) == 0) return true;
  DevPrintf(dev,
            mode == kOldAssist ? "ERROR: VgaI2cWriteByte() failed w/ old assist, RawIntSts=0x%04X\n"
                               : "ERROR: VgaI2cWriteByte() failed w/ new assist, RawIntSts=0x%04X\n",
            I2cGetRawIntSts(dev));
  return false;
}

}  // namespace

bool VgaI2cReadByte(UsbDevice* dev, uint8_t reg, uint8_t* out) {
  if (dev == nullptr || out == nullptr) return false;
  *out = 0xFF;
  I2cClearInt(dev, IC_CLR_INTR);
  const uint32_t mode = AssistMode(dev);
  const bool ok = mode == kOldAssist || mode == kNewAssist ? AssistRead(dev, mode, reg, out) : FifoRead(dev, reg, out);
  if (!ok) DumpI2cRegisters(dev);
  return ok;
}

bool VgaI2cWriteByte(UsbDevice* dev, uint8_t reg, uint8_t data) {
  if (dev == nullptr) return false;
  I2cClearInt(dev, IC_CLR_INTR);
  const uint32_t mode = AssistMode(dev);
  return mode == kOldAssist || mode == kNewAssist ? AssistWrite(dev, mode, reg, data) : FifoWrite(dev, reg, data);
}

}  // namespace zev
