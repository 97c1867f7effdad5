// The drawing exports: a coloured rectangle and a BMP picture.
#include "zevutil.h"
#include "zevutil/core/draw_api.h"
#include "zevutil/exports/process_library.h"

ZEV_STATUS ZEVDrawRect(int32_t colour, uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
  return zev::api::ZEVDrawRect(zev::ProcessContext(), colour, x, y, width, height);
}

ZEV_STATUS ZEVDrawPic(const char* path) { return zev::api::ZEVDrawPic(zev::ProcessContext(), path); }
