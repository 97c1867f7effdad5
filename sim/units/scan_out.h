#pragma once

#include <string>

#include "sim/units/rgb_picture.h"

namespace zev::sim {

class Chip;

// Why a scan-out shows no picture.
enum class ScanOutStatus {
  Shown,
  NoMode,             // the display controller is not running
  Blanked,            // it runs with its output blanked
  UnknownPixelFormat  // a pixel depth whose colour format the model does not know
};

struct ScanOut {
  ScanOutStatus status = ScanOutStatus::NoMode;
  RgbPicture picture;  // what the monitor shows, when Shown
  // "1920x1080", or why nothing is shown ("no mode set (...)", "display blanked").
  std::string Describe() const;
};

// What a monitor on the display controller would show now. The visible area runs from
// the first active pixel and line to the start of horizontal and vertical blanking;
// inside it the active width x height pixels come from the frame buffer at DC_FBBASE
// (lines of width x bytes-per-pixel bytes, pixels stored blue, green, red and, with 4
// bytes per pixel, one unused byte), and the rest is the border colour (DC_BORDER,
// 0x00RRGGBB). Pixels beyond DC_FRAME_LEN bytes, which the controller does not fetch,
// show black. Only 32-bit pixels (3 or 4 bytes in memory) are rendered.
ScanOut ScanOutFrame(Chip& chip);

}  // namespace zev::sim
