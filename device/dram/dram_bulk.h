#pragma once

#include <cstdint>
#include <functional>

#include "device/usb/usb_device.h"

namespace zev {

// Results of the bulk DRAM routines.
enum : uint32_t {
  kDramBulkOk = 0,
  kDramBulkNoPacket = 1,     // the packet could not be built (no memory, or a range no packet can hold)
  kDramBulkDeviceError = 2,  // invalid device, failed transfer, or the engine reported an error
};

// Stores `length` bytes of `data` in DRAM from `offset` rounded up to a multiple of 8,
// in one memory-write packet.
uint32_t DramBulkWrite(UsbDevice* dev, const uint8_t* data, uint32_t offset, uint32_t length);

// Fills DRAM from `start` rounded up to a multiple of 8 up to `end` (exclusive) with one
// 64-bit pattern, in one memory-write packet. The halves are stored swapped: bits 31:0
// of every word get `hi` and bits 63:32 get `lo`, so the word reads back as lo:hi.
// `engineStalled`, when given, tells whether a device error was the graphics engine
// reporting that it stalled on the data (the packet itself went out).
uint32_t DramBulkFill(UsbDevice* dev, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end,
                      bool* engineStalled = nullptr);

// The shape of DramBulkFill, for routines that take their fill as a parameter (so a
// test can make the packet buffer unavailable).
using DramFillRoutine = std::function<uint32_t(UsbDevice* dev, uint32_t lo, uint32_t hi, uint32_t start,
                                               uint32_t end, bool* engineStalled)>;

}  // namespace zev
