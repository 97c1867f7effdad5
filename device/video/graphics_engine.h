#pragma once

#include <cstdint>

#include "device/core/lib_context.h"
#include "device/usb/usb_device.h"
#include "device/video/video_state.h"

namespace zev {

// The graphics engine's solid rectangle fill, a 28-byte bulk packet (little-endian):
//   u32 GE_RECT_FILL_CMD, u32 20 (bytes that follow), u16 x, u16 y, u16 dwXlr,
//   u16 dwYlr, u32 flags, u16 surface width | kRectSurfaceFlag, u16 surface height,
//   u32 colour 0x00RRGGBB.
// The library passes the rectangle's width and height in dwXlr and dwYlr.
inline constexpr uint32_t GE_RECT_FILL_CMD = 0x0000FD02;
inline constexpr uint32_t kRectPacketBytes = 28;
inline constexpr uint16_t kRectSurfaceFlag = 0x8000;

// Colour codes of the drawing functions; any other code draws white.
enum GfxColourCode : int32_t {
  kColourRed = 0,
  kColourGreen = 1,
  kColourBlue = 2,
  kColourWhite = 3,
  kColourBlack = 4,
};
// 0x00RRGGBB of a colour code.
uint32_t GfxColourOfCode(int32_t code);

// Sets GE_CTRL bit 0 (read-modify-write); true.
bool GeEnable(UsbDevice* dev);

// Fills a rectangle of the frame buffer of `vs` (which must be a 32-bit mode) with
// `colour`. dwXlr and dwYlr may equal the mode's width and height, not exceed them.
// The utility's copy sends the packet twice (the second time only when the first went
// out). False when a check fails (nothing sent) or the bulk write fails.
bool GfxDrawRect32(const VideoState& vs, uint16_t x, uint16_t y, uint32_t dwXlr, uint32_t dwYlr, uint32_t colour,
                   uint32_t flags);

// GfxDrawRect32 with a colour code and flags 0, on the connection's video state and the
// device the connection has open now (a re-opened connection has a new device record).
bool GfxDrawRectColor(LibConnection& connection, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                      int32_t colourCode);

}  // namespace zev
