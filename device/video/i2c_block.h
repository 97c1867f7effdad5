#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// I2c layer: the I2C master block's own registers, as 16-bit views of the 32-bit chip
// registers (a write zero-extends, a read keeps the low half, so a failed read is 0xFFFF).
// Configuration routines refuse (false, nothing written) while the block is enabled.

inline constexpr uint32_t kI2cFifoTimeoutMs = 1000;

// IC_RAW_INTR_STAT after a completed FIFO transfer: TX_EMPTY, ACTIVITY, STOP_DET, START_DET.
inline constexpr uint16_t kI2cRawIntStsDone = 0x0710;
inline constexpr uint16_t kI2cRawIntTxAbort = 1u << 6;

bool I2cWriteReg(UsbDevice* dev, uint32_t reg, uint16_t value);
uint16_t I2cReadReg(UsbDevice* dev, uint32_t reg);

void I2cEnable(UsbDevice* dev);
bool I2cIsEnabled(UsbDevice* dev);
// True while the bus is still active after 1000 ms.
bool I2cWaitNotBusy(UsbDevice* dev);
// False (nothing written) when the bus stays busy; else disables the block.
bool I2cDisable(UsbDevice* dev);
// Standard-speed SCL counts; the block must be (and is made) disabled.
bool I2cClockSetup(UsbDevice* dev);

bool I2cSetSpeed(UsbDevice* dev, uint16_t speed);  // 1 standard, 2 fast, 3 high
bool I2cSetMstrAddrMode(UsbDevice* dev);           // 7-bit addressing as master
bool I2cEnableMaster(UsbDevice* dev);
bool I2cEnableRestart(UsbDevice* dev);
bool I2cSetTargetAddr(UsbDevice* dev, uint16_t address);  // 7-bit form
bool I2cSetTxMode(UsbDevice* dev, uint16_t mode);         // 0..3

// Reads one interrupt clear register (0x1040 - 0x1068), which clears its interrupts;
// any other register is refused with a message but read all the same. The value read.
uint16_t I2cClearInt(UsbDevice* dev, uint32_t reg);
uint16_t I2cGetRawIntSts(UsbDevice* dev);
bool I2cRxFifoEmpty(UsbDevice* dev);

bool I2cWriteData(UsbDevice* dev, uint8_t byte);
bool I2cReadCmd(UsbDevice* dev);  // queues a one-byte read
uint16_t I2cReadData(UsbDevice* dev);

}  // namespace zev
