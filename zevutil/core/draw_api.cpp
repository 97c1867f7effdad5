#include "zevutil/core/draw_api.h"

#include "device/core/lib_context.h"
#include "device/video/graphics_engine.h"
#include "device/video/picture.h"
#include "zevutil/core/display_api.h"

namespace zev::api {
namespace {

// The whole drawing area black; whether that worked does not change the outcome.
void ClearArea(LibContext& ctx) {
  GfxDrawRectColor(ctx.connection, 0, 0, ctx.gCurMode.dwWidth, ctx.gCurMode.dwHeight, kColourBlack);
}

bool FitsArea(const CurrentMode& area, uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
  const uint64_t w = area.dwWidth, h = area.dwHeight;
  return x <= w && y <= h && width <= w && height <= h && uint64_t{x} + width <= w && uint64_t{y} + height <= h;
}

}  // namespace

ZEV_STATUS ZEVDrawRect(LibContext& ctx, int32_t colour, uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
  if (colour < kColourRed || colour > kColourBlack) return ZEV_INVALID_ARG;
  if (DeviceCheck(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  if (!FitsArea(ctx.gCurMode, x, y, width, height)) return ZEV_INVALID_DRAW_REQ;
  ClearArea(ctx);
  return GfxDrawRectColor(ctx.connection, x, y, width, height, colour) ? ZEV_SUCCESS : ZEV_DRAW_FAIL;
}

ZEV_STATUS ZEVDrawPic(LibContext& ctx, const char* path) {
  if (path == nullptr) return ZEV_INVALID_ARG;
  if (DeviceCheck(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  ClearArea(ctx);
  switch (GfxDrawPicFile(ctx.connection, 0, path, ctx.gCurMode.dwWidth, ctx.gCurMode.dwHeight)) {
    case kPicDrawn:
      return ZEV_SUCCESS;
    case kPicSizeMismatch:
      return ZEV_RESOLUTION_MISMATCH;
    case kPicCannotOpen:
      return ZEV_FILE_NOT_FOUND;
    case kPicNotBmp24:
      return ZEV_WRONG_FILE_FORMAT;
    default:
      return ZEV_DRAW_FAIL;
  }
}

}  // namespace zev::api
