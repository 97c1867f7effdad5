#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// What LanGetE2pSize2 returns when it could not measure.
inline constexpr uint32_t kEepromSizeFailed = 0xFFFFFFFF;

// Measures the fitted EEPROM (128, 256 or 512 bytes) by address wrap-around: a part
// with fewer address bits ignores the high ones, so test bytes written at 0x100 and
// 0x080 land on lower addresses. The three bytes used are restored afterwards, also
// when the measurement fails part-way. kEepromSizeFailed on failure.
uint32_t LanGetE2pSize2(UsbDevice* dev);

}  // namespace zev
