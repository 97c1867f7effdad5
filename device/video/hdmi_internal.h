#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "device/usb/usb_device.h"
#include "device/video/hdmi_reg_util.h"

namespace zev {

// The chip's own HDMI transmitter: SiI9134-compatible register r lives in the 32-bit chip
// register at 0x9000 + 4 * (r & 0x3FF); byte registers use bits 7:0, the assist
// registers (0x300 - 0x304) the whole word. Both are true on success; a failed read
// stores the read-failure marker.
bool HdmiIntSetReg(UsbDevice* dev, uint32_t reg, uint32_t value);
bool HdmiIntGetReg(UsbDevice* dev, uint32_t reg, uint32_t* value);

// Sequences on the internal block that stop at the first failed transfer (false).
bool HdmiIntSetRegs(UsbDevice* dev, std::initializer_list<HdmiRegValue> writes);
// Writes consecutive registers from `first` on.
bool HdmiIntSetBytes(UsbDevice* dev, uint32_t first, std::span<const uint8_t> bytes);
// Zeroes the 31 registers of a packet area.
bool HdmiIntClearPacket(UsbDevice* dev, uint32_t first);
// Read-modify-write of a byte register: sets `bits`.
bool HdmiIntSetBits(UsbDevice* dev, uint32_t reg, uint32_t bits);

// Chooses the transmitter: the production chip has the internal one, FPGA builds before
// 79 only the external SiI9134, later builds the internal one when its identity reads
// 0x97 0x36. Uses the FPGA revision the bring-up stored in the device record. False
// when an identity read failed.
bool HdmiIsInternal(UsbDevice* dev, bool* internal);

}  // namespace zev
