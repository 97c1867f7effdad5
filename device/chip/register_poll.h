#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Polls `address` without sleeping until all of `bits` read as set, for at most
// `timeoutMs`. A failed read never counts as the bits being set: the read-failure
// marker has nearly every bit set and would otherwise pass for "done" with the device
// gone. `*last` receives the last value read (the marker after a failed read).
bool PollRegisterBits(UsbDevice* dev, uint32_t address, uint32_t bits, uint32_t timeoutMs, uint32_t* last);

}  // namespace zev
