#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// One 64-bit DRAM word as the data port moves it: lo is bits 31:0, hi bits 63:32.
struct DramWord {
  uint32_t lo = 0;
  uint32_t hi = 0;
  bool operator==(const DramWord&) const = default;
};

// The word's bytes in memory order (little-endian, lo first) and back.
void DramWordToBytes(DramWord word, uint8_t out[8]);
DramWord DramWordFromBytes(const uint8_t in[8]);

// Writes or reads one whole word through the data port (size 0, all byte lanes).
// False when the transfer failed.
bool DramWriteWord(UsbDevice* dev, uint32_t address, DramWord word);
bool DramReadWord(UsbDevice* dev, uint32_t address, DramWord* word);

}  // namespace zev
