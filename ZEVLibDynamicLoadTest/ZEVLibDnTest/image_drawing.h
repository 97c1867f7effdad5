#pragma once

#include <cstdint>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"

namespace zev::dntest {

// The drawing area the resolution sub-menu chose.
struct DrawArea {
  uint32_t width;
  uint32_t height;
};

// Asks for a colour and a rectangle and draws it with ZEVDrawRect.
void DrawRectangleStep(LibrarySession& session, DrawArea area);
// Asks for a BMP file and shows it with ZEVDrawPic; a failure re-opens the library's
// connection.
void DrawPictureStep(LibrarySession& session);

}  // namespace zev::dntest
