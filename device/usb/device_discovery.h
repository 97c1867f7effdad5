#pragma once

#include <cstddef>
#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

struct LibContext;

// Device paths are kept in buffers of this many characters, terminator included.
inline constexpr size_t kDevicePathChars = 260;
// At most this many members are probed when counting adapters.
inline constexpr uint32_t kMaxDeviceIndex = 127;

// Copies the path of adapter number `index` into `buffer` (at most size - 1 characters
// and a terminator). False when there is no such adapter or the path does not fit.
bool UsbGetDevicePath(LibContext& ctx, char* buffer, size_t size, uint32_t index);
// Number of adapters present (the first index whose path cannot be had).
uint8_t LibCountDevices(LibContext& ctx);
// Opens adapter 0 and fills `handles` with its transport, speed and pipe ids.
bool UsbOpenDevice(LibContext& ctx, UsbHandles* handles);
// Releases the transport held by `handles`.
void UsbCloseDevice(UsbHandles* handles);

}  // namespace zev
