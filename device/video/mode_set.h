#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/video_state.h"

namespace zev {

struct LibContext;

// Video DAC setting while the DAC drives an output (VDAC_CFG), and the RGB_CFG bits of
// the DVO interface and of the video DAC.
inline constexpr uint32_t kVdacOn = 7;
inline constexpr uint32_t RGB_CFG_DVO = 1u << 0;
inline constexpr uint32_t RGB_CFG_DAC = 1u << 1;

// Puts a timing on output port `vs.dwPort` (DC_PORT 0 .. 11): turns off every
// transmitter that may drive the outputs, programs the display controller at 32 bpp,
// starts the port's transmitter and switches the analog video path. The timing is row
// `modeIndex` of the mode table or, with bUseEdidMode, the monitor's own timing
// (gEdidMode); the transmitters and the geometry recorded in `vs` (width, height, line
// width, stride) follow the timing the controller runs. gModeIndex records
// `modeIndex`. Stops at the first failing step with its line; nothing is undone. A
// row or port that does not exist is refused before anything is written.
bool GfxSetMode(UsbDevice* dev, VideoState& vs, uint32_t modeIndex, bool bUseEdidMode);

// Finds the bus the monitor answers on by reading its EDID (I2C port 2, else port 1),
// takes the output port from it (DC_PORT_DAC, or DC_PORT_HDMI_AUTO for port 1),
// records port and device in the connection's VideoState and sets the mode there.
// False without touching the display when no monitor answers or nothing is open.
bool GfxSetModeForMonitor(LibContext& ctx, uint32_t modeIndex, bool bUseEdidMode);

}  // namespace zev
