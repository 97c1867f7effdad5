#pragma once

#include <cstdint>

#include "device/core/lib_context.h"
#include "device/video/video_state.h"

namespace zev {

// Results of GfxDrawBmp24 and GfxDrawPicFile.
enum : uint32_t {
  kPicNotSent = 0,      // no memory for the frame, the pixels could not be read, or the transfer failed
  kPicDrawn = 1,        // the whole frame went out
  kPicSizeMismatch = 2, // the picture is not width x height
  kPicCannotOpen = 3,   // no readable regular file at the path
  kPicNotBmp24 = 4,     // not a usable 24-bit uncompressed BMP
};

// Shows the 24-bit BMP at `path`, which must be exactly width x height pixels, in the
// frame buffer at device address dwDstOffset: the pixel rows are read upright into the
// transfer buffer behind the memory-write header (widened in place to 4 bytes per pixel
// on chips without packed 24-bit pixels) and sent in one bulk transfer. Nothing is
// allocated before the headers matched the size and the file was seen to be long
// enough for the pixels, and nothing is sent unless every row was read.
uint32_t GfxDrawBmp24(const VideoState& vs, uint32_t dwDstOffset, const char* path, uint32_t width, uint32_t height);

// GfxDrawBmp24 on the connection's video state and the device it has open now. The
// path is a multibyte string already (the conversion a wide-character platform needs
// happens before).
uint32_t GfxDrawPicFile(LibConnection& connection, uint32_t dwDstOffset, const char* path, uint32_t width,
                        uint32_t height);

}  // namespace zev
