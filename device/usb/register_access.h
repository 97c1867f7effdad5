#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Vendor requests that read and write one 32-bit chip register (address in wIndex).
inline constexpr uint8_t kVendorReadRequestType = 0xC0;
inline constexpr uint8_t kVendorWriteRequestType = 0x40;
inline constexpr uint8_t kRegReadRequest = 0xA1;
inline constexpr uint8_t kRegWriteRequest = 0xA0;

// What the value-returning read yields when the transfer failed. Bit 31 is set, so a
// poll of a busy/done bit in bit 31 sees a failed read as a set bit.
inline constexpr uint32_t REG_READ_FAILED = 0xFFFAFFFF;          // the shared library's marker
inline constexpr uint32_t REG_READ_FAILED_UTILITY = 0xFFFEFFFF;  // the utility's marker

// Every transfer is tried this many times, back to back.
inline constexpr int kRegTransferAttempts = 3;

// The read-failure marker of the device's library variant.
uint32_t RegReadFailed(const UsbDevice* dev);

// 0 success (value stored), 1 failure (0 stored; `out` untouched for an invalid device).
uint32_t GfxQueryRegDW(UsbDevice* dev, uint32_t address, uint32_t* out);
// The value, or the read-failure marker.
uint32_t GfxGetRegDW(UsbDevice* dev, uint32_t address);
// true success; false failure with the marker stored.
bool GfxGetRegDWBool(UsbDevice* dev, uint32_t address, uint32_t* out);
// 0 success, 1 failure.
uint32_t GfxSetRegDW(UsbDevice* dev, uint32_t address, uint32_t value);
bool GfxSetRegDWBool(UsbDevice* dev, uint32_t address, uint32_t value);
// Bytes written in one bulk OUT transfer of the whole buffer; 0 on failure.
uint32_t GfxBulkWrite(UsbDevice* dev, const uint8_t* data, uint32_t length);

}  // namespace zev
