#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

struct LibContext;

// The monitor's EDID base block as read over DDC (device 0xA0, one register per byte).
inline constexpr uint32_t kEdidBlockSize = 128;
using EdidBlock = std::array<uint8_t, kEdidBlockSize>;
inline constexpr uint8_t kEdidAddress = 0xA0;

// The first detailed timing descriptor, taken as the monitor's preferred mode.
inline constexpr uint32_t kEdidPreferredTimingOffset = 54;
inline constexpr uint32_t kEdidDescriptorSize = 18;

// I2C ports tried for the EDID, in order, and the bus code each one reports (the
// output port the mode set then uses).
inline constexpr uint32_t kEdidFirstI2cPort = 2;
inline constexpr uint32_t kEdidSecondI2cPort = 1;
inline constexpr uint32_t kEdidBusFirstPort = DC_PORT_DAC;          // 0
inline constexpr uint32_t kEdidBusSecondPort = DC_PORT_HDMI_AUTO;   // 4

// Reads the block on the current I2C port and target. The buffer is zeroed first; on a
// failed byte the bytes before it stay.
bool VgaI2cReadEDID(UsbDevice* dev, EdidBlock* buffer);

// Reads the block on I2C port 2, else on port 1. 0 with `*busCode` (if given) 0 or 4;
// -1 when both buses fail, the buffer is null or no device is open.
int32_t EdidRead(LibContext& ctx, EdidBlock* buffer, uint32_t* busCode = nullptr);
// 1 when a monitor delivers the 8 header bytes on either bus (their content is not
// checked), else 0.
int32_t EdidProbeMonitor(LibContext& ctx);

// Decodes an 18-byte detailed timing descriptor into ctx.connection.edidTiming.
// 0, or -1 when the descriptor is null or shorter than 18 bytes.
int32_t EdidParseDetailedTiming(LibContext& ctx, std::span<const uint8_t> descriptor);
// Reads the EDID and decodes its first detailed timing into gEdidMode and `*mode`.
// 0, or -1 (gEdidMode unchanged) when the read or the decoding fails or `mode` is null.
int32_t EdidGetPreferredMode(LibContext& ctx, DmtMode* mode);

// The established timings of EDID bytes 35 and 36: row k is bit k of byte 35, row
// 8 + k bit k of byte 36. Names are shown as they stand, leading blanks included.
struct EstablishedTiming {
  const wchar_t* name;
  uint32_t width;
  uint32_t height;
  uint32_t refresh;
};
inline constexpr uint32_t kEstablishedTimingCount = 16;
extern const std::array<EstablishedTiming, kEstablishedTimingCount> EstablishedTimings;

}  // namespace zev
