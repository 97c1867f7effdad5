#pragma once

#include <cstdint>

#include "device/core/lib_context.h"
#include "device/video/dmt_mode.h"
#include "sim/units/rgb_picture.h"
#include "sim/units/scan_out.h"
#include "tests/support/sim_rig.h"

namespace zev::testing {

// A timing of any active size (up to about 4000 x 4000) with blanking right after the
// active area, for the virtual display controller, which runs whatever it is given.
DmtMode TestTiming(uint32_t width, uint32_t height);

// What a mode set and ZEVInitGE leave behind, without the monitor search: brings the
// hardware up, programs `mode` at 32 bits per pixel on the DAC port, unblanked, and
// records it as the video state (with the connection's device) and the drawing area.
// (FPGA builds without packed pixels get the controller's registers written directly.)
// False when a step failed.
bool SetDisplayMode(LibContext& ctx, const DmtMode& mode);

// What the rig's first adapter's monitor shows now.
sim::ScanOut Capture(SimRig& rig);

// A picture whose every pixel differs from its neighbours in each colour, so a shifted,
// mirrored or channel-swapped copy never matches it.
sim::RgbPicture TestPattern(uint32_t width, uint32_t height);

}  // namespace zev::testing
