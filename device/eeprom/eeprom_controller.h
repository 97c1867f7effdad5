#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

// The chip's serial EEPROM controller: one routine per command (READ, WRITE, EWEN,
// EWDS, ERAL), each issued through E2P_CMD/E2P_DATA and polled to completion, plus
// the byte-run routines built on them. Writers call GfxEepromErWrEn, then the writes
// or the erase, then GfxEepromErWrDis.
namespace zev {

// E2P_CMD: bit 31 starts a command and reads 1 while the controller is busy; bits
// 30:28 the command; bits 8:0 the byte address of READ and WRITE.
inline constexpr uint32_t E2P_CMD_BUSY = 1u << 31;
inline constexpr uint32_t E2P_CMD_COMMAND_MASK = 7u << 28;
inline constexpr uint32_t E2P_CMD_ADDRESS_MASK = 0x1FF;
inline constexpr uint32_t E2P_CMD_READ = 0x80000000;
inline constexpr uint32_t E2P_CMD_EWDS = 0x90000000;
inline constexpr uint32_t E2P_CMD_EWEN = 0xA0000000;
inline constexpr uint32_t E2P_CMD_WRITE = 0xB0000000;
inline constexpr uint32_t E2P_CMD_ERAL = 0xE0000000;

// Byte addresses the controller can reach (the largest part holds 512 bytes).
inline constexpr uint32_t kEepromAddressSpan = 0x200;
// Budget of one command, whatever it is, from the command word to the busy bit clear.
inline constexpr uint32_t kEepromTimeoutMs = 100;

// Each returns true on success; a failure prints one diagnostic line (busy at entry,
// or the wait lines and a timeout line) and leaves the controller as it was.
bool EepromReadByte(UsbDevice* dev, uint32_t address, uint8_t* byte);
bool EepromWriteByte(UsbDevice* dev, uint32_t address, uint8_t byte);
// buffer[0 .. count-1] = EEPROM bytes start .. start+count-1; bytes read before a
// failure stay in the buffer.
bool EepromReadBlock(UsbDevice* dev, uint32_t start, uint8_t* buffer, uint32_t count);
// data[0 .. count-1] to addresses start .. start+count-1, with a link check after
// every byte. No read-back: verifying is the caller's business.
bool EepromWriteBlock(UsbDevice* dev, uint32_t start, const uint8_t* data, uint32_t count);
bool GfxEepromErWrEn(UsbDevice* dev);
bool GfxEepromErWrDis(UsbDevice* dev);
bool GfxEepromEraseAll(UsbDevice* dev);
// True when the busy bit clears within kEepromTimeoutMs; polls back to back.
bool EepromtWaitDone(UsbDevice* dev);

}  // namespace zev
