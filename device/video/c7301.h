#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

// The Chrontel CH7301 DVO transmitter of FPGA boards: on I2C port 0 at 0xEC (8-bit form).
inline constexpr uint32_t kC7301Port = 0;
inline constexpr uint8_t kC7301Address = 0xEC;

// Its byte registers.
inline constexpr uint8_t C7301_CM = 0x1C;
inline constexpr uint8_t C7301_XCMD = 0x1D;
inline constexpr uint8_t C7301_GPIO = 0x1E;
inline constexpr uint8_t C7301_IDF = 0x1F;
inline constexpr uint8_t C7301_CD = 0x20;
inline constexpr uint8_t C7301_DC = 0x21;
inline constexpr uint8_t C7301_HPD = 0x23;
inline constexpr uint8_t C7301_TCTL = 0x31;
inline constexpr uint8_t C7301_TPCP = 0x33;
inline constexpr uint8_t C7301_TPD = 0x34;
inline constexpr uint8_t C7301_TPVT = 0x35;
inline constexpr uint8_t C7301_TPF = 0x36;
inline constexpr uint8_t C7301_TCT = 0x37;
inline constexpr uint8_t C7301_TSTP = 0x48;
inline constexpr uint8_t C7301_PM = 0x49;
inline constexpr uint8_t C7301_VID = 0x4A;
inline constexpr uint8_t C7301_DID = 0x4B;
inline constexpr uint8_t C7301_DSP = 0x56;

// Selects I2C port 0 and the CH7301's address.
bool C7301i2cSetup(UsbDevice* dev);
// Writes one register; a failed write only prints its line.
void C7301SetRegDW(UsbDevice* dev, uint8_t reg, uint8_t value);
// C7301_IDF for the sync polarities of a timing (1 = active high).
uint8_t C7301InputFormat(uint8_t bSyncPol1, uint8_t bSyncPol2);

}  // namespace zev
