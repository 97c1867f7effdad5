#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/anx9805_registers.h"

namespace zev {

// Register access to the ANX9805, one byte register at a time over I2C port 4 (a port
// the production chip has and FPGA boards do not).

// What Anx9805GetRegDW returns when the byte could not be read (no byte has this value).
inline constexpr uint32_t kAnx9805ReadFailed = 0xFFFFFFFF;

// Selects I2C port 4 and the ANX9805 address (0x70, 0x72 or 0x7A).
bool Anx9805i2cSetup(UsbDevice* dev, uint8_t address);
// Writes one register at the current address; a failed write only prints its line.
void Anx9805SetRegDW(UsbDevice* dev, uint8_t reg, uint8_t value);
// The register's byte, or kAnx9805ReadFailed.
uint32_t Anx9805GetRegDW(UsbDevice* dev, uint8_t reg);
// Read-modify-write: clears `clear`, then sets `set`. When the read fails nothing is
// written (the failed read's marker is no register value to write back); false then.
bool Anx9805ModifyReg(UsbDevice* dev, uint8_t reg, uint8_t clear, uint8_t set);
// Polls `reg` without sleeping until (value & mask) == expected, for at most `timeoutMs`.
// A failed read never satisfies the wait. `*last` gets the last value read.
bool Anx9805WaitReg(UsbDevice* dev, uint8_t reg, uint8_t mask, uint8_t expected, uint32_t timeoutMs,
                    uint32_t* last);

// Prints all 256 registers at each of the three addresses.
void Anx9805ShowRegs(UsbDevice* dev);
// One dumped register: " [0x%04lX] = 0x%02lX; ", with a line break before every fourth.
void Anx9805PrintDumpEntry(UsbDevice* dev, uint32_t index, uint32_t value);

// Reads one DPCD byte of the DisplayPort sink through the AUX channel.
bool Anx9805ReadDpcdDW(UsbDevice* dev, uint32_t dpcdAddress, uint32_t* value);
// Prints the sink's capability, link configuration and link/sink status fields.
bool DpDumpDpcd(UsbDevice* dev);

}  // namespace zev
