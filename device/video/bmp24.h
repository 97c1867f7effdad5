#pragma once

#include <cstdint>

#include "device/core/diagnostics.h"

namespace zev {

// A 24-bit BMP as the picture path accepts it: the 14-byte BITMAPFILEHEADER, the
// 40-byte BITMAPINFOHEADER (biSize 40, biBitCount 24, biCompression 0), and from
// bfOffBits on the pixel rows, bottom row first, blue-green-red, each row padded to a
// multiple of 4 bytes. Anything between the headers and bfOffBits (a colour table) is
// skipped.
inline constexpr uint32_t kBmpFileHeaderBytes = 14;
inline constexpr uint32_t kBmpInfoHeaderBytes = 40;
inline constexpr uint32_t kBmpBytesPerPixel = 3;

// Fields of the two headers (little-endian in the file).
uint32_t BmpPixelOffset(const uint8_t* fileHeader);  // bfOffBits
int32_t BmpWidth(const uint8_t* infoHeader);         // biWidth
int32_t BmpHeight(const uint8_t* infoHeader);        // biHeight; negative for top-down rows

// The file offset just past the last pixel byte: bfOffBits plus the padded rows, of
// which the last needs no padding. biWidth and biHeight are taken as unsigned.
uint64_t BmpPixelDataEnd(const uint8_t* fileHeader, const uint8_t* infoHeader);

// Results of GfxExtractBmp24Hdr.
enum : uint32_t {
  kBmpHdrCannotOpen = 0,  // not a readable regular file, or closing it failed
  kBmpHdrUsable = 1,
  kBmpHdrNotBmp24 = 4,  // headers short or not a 24-bit uncompressed BMP
};

// Reads and checks the two headers of `path`.
uint32_t GfxExtractBmp24Hdr(const char* path, uint8_t fileHeader[kBmpFileHeaderBytes],
                            uint8_t infoHeader[kBmpInfoHeaderBytes], DiagSink* diag = &DefaultDiagSink());

// The order GfxReadFileBmp24 stores the pixel rows in.
enum class BmpRowOrder {
  AsInFile,  // bottom row first, as the file keeps them
  Upright,   // top row first, as a frame buffer holds them: what GfxFlipRows makes of AsInFile
};

// Upright rows go straight to their places, one read vector per row, except rows
// shorter than this that lie back to back in the file (no padding): those are read in
// one piece and turned with GfxFlipRows, which costs less than a vector per short row.
inline constexpr uint64_t kBmpMinPlacedRowBytes = 256;

// Checks the headers again, and that the picture is at most maxWidth x maxHeight and its
// rows without padding (biWidth x 3 x biHeight bytes) fit maxBytes; then stores those
// rows in `order` (file order unless asked otherwise), unpadded, at `destination`.
// `count` gets the bytes stored, 0 unless every row was read.
bool GfxReadFileBmp24(const char* path, uint8_t fileHeader[kBmpFileHeaderBytes],
                      uint8_t infoHeader[kBmpInfoHeaderBytes], uint32_t maxWidth, uint32_t maxHeight,
                      uint32_t maxBytes, uint32_t* count, uint8_t* destination, DiagSink* diag = &DefaultDiagSink(),
                      BmpRowOrder order = BmpRowOrder::AsInFile);

// Turns `height` rows of width x 3 bytes upside down in place.
void GfxFlipRows(uint8_t* pixels, uint32_t width, uint32_t height);

}  // namespace zev
