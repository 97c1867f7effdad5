#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// Transfer size codes of DP_CSR bits 9:4.
inline constexpr uint32_t kDpSize64 = 0;  // one 64-bit word through DP_DATA0 and DP_DATA1
inline constexpr uint32_t kDpSize32 = 18;  // 32 bits through DP_DATA0 only

inline constexpr uint32_t kDpCsrStart = 1u << 0;
inline constexpr uint32_t kDpCsrDone = 1u << 31;
inline constexpr uint32_t kDpCmdWrite = 1u << 0;

// One word transfer through the memory data port.
struct DpRamRequest {
  uint32_t dataLo = 0;  // bits 31:0 of the word: written on a write, filled on a read
  uint32_t dataHi = 0;  // bits 63:32
  uint32_t size = kDpSize64;
  uint32_t address = 0;  // DRAM byte address
  uint8_t write = 0;     // 1 write, 0 read
  uint32_t byteEnables = 0xFF;
  uint32_t command = 0;
};

// Moves one word between the host and DRAM with the data port's registers. False when
// a register transfer failed or the port did not report the transfer finished.
bool DpRamXfer(UsbDevice* dev, DpRamRequest* request);

}  // namespace zev
