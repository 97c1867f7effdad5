#pragma once

#include <cstdint>

#include "zevutil.h"

namespace zev {
struct LibContext;
}

// The drawing exports' logic on an explicit library context. Both draw into the area
// ZEVInitGE recorded (gCurMode) and clear it to black first.
namespace zev::api {

// Fills the rectangle with colour code 0..4 (red, green, blue, white, black).
// ZEV_INVALID_ARG for another colour (no device access), ZEV_DEV_COM_FAIL when the
// device does not answer, ZEV_INVALID_DRAW_REQ when the rectangle leaves the area,
// ZEV_DRAW_FAIL when it could not be drawn.
ZEV_STATUS ZEVDrawRect(LibContext& ctx, int32_t colour, uint32_t x, uint32_t y, uint32_t width, uint32_t height);

// Shows a 24-bit BMP of exactly the area's size. ZEV_INVALID_ARG for a null path,
// ZEV_DEV_COM_FAIL, ZEV_RESOLUTION_MISMATCH, ZEV_FILE_NOT_FOUND (no readable file),
// ZEV_WRONG_FILE_FORMAT (not a usable 24-bit BMP), ZEV_DRAW_FAIL when the picture could
// not be read or sent.
ZEV_STATUS ZEVDrawPic(LibContext& ctx, const char* path);

}  // namespace zev::api
