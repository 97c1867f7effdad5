#pragma once

#include <cstdint>

#include "zevutil.h"

namespace zev {
struct LibContext;
}

// The display, HDMI and reset exports' logic on an explicit library context. They do
// not probe the connection first; without an open connection they fail.
namespace zev::api {

// The monitor's preferred mode from its EDID (also kept as gEdidMode):
// resolution[0] height, [1] width, [2] refresh. ZEV_INVALID_ARG for null,
// ZEV_EDID_PARSE_ERR when the EDID cannot be read.
ZEV_STATUS ZEVPreferedResolution(LibContext& ctx, uint32_t* resolution);

// Sets the mode of that size on the port the monitor answers on: the table row when
// one matches, else the monitor's preferred timing (the request is not compared with
// it). Up to three attempts, the hardware brought up again between them. On success
// gCurMode records the request as the drawing area. ZEV_EDID_PARSE_ERR (no row and no
// EDID), ZEV_HDWRE_INIT_FAIL (a bring-up between attempts failed), ZEV_GE_INIT_FAILED.
ZEV_STATUS ZEVInitGE(LibContext& ctx, uint32_t height, uint32_t width, uint32_t refresh);

// Sets the monitor's preferred mode (it must be a table row) on the monitor's port,
// then enables HDMI with these audio settings on settings->dwPort. ZEV_LIB_FAILURE for
// null settings, an unreadable EDID, a preferred mode outside the table (no mode is
// set then) or a failed mode set or enable.
ZEV_STATUS ZEVHdmiPhyEnable(LibContext& ctx, const HdmiAudioSettings* settings);
// ZEV_LIB_FAILURE when the transmitter cannot be disabled or nothing is open.
ZEV_STATUS ZEVHdmiPhyDisable(LibContext& ctx);

// Asks the device to reset: it reloads its EEPROM and leaves and rejoins the bus, so
// whether the request's own transfer completes is not reported. ZEV_DEV_COM_FAIL only
// when no connection is open.
ZEV_STATUS ZEVResetDevice(LibContext& ctx);

// The drawing exports' device check: the connection preamble (probe; when it fails,
// re-open with a full bring-up and probe again). ZEV_SUCCESS or ZEV_DEV_COM_FAIL.
ZEV_STATUS DeviceCheck(LibContext& ctx);

}  // namespace zev::api
