#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

// The display geometry of the last mode set, which the graphics engine draws into.
struct VideoState {
  uint32_t dwWidth = 0;      // active width in pixels
  uint32_t dwHeight = 0;     // active height in lines
  uint32_t dwBpp = 0;        // bits per pixel; the mode set always uses 32
  uint32_t dwStride = 0;     // bytes per line in device memory
  uint32_t dwLineWidth = 0;  // pixels per line
  uint32_t dwPort = DC_PORT_DAC;
  UsbDevice* device = nullptr;  // the open device used for drawing
};

// The drawing area ZEVInitGE recorded: height, width, refresh.
struct CurrentMode {
  uint32_t dwHeight = 0;
  uint32_t dwWidth = 0;
  uint32_t dwRefresh = 0;
};

}  // namespace zev
