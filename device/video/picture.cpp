// Pictures: a 24-bit BMP file into the frame buffer in one memory-write packet.
#include "device/video/picture.h"

#include <filesystem>
#include <system_error>

#include "device/chip/chip_identity.h"
#include "device/core/device_diag.h"
#include "device/dram/mem_write_packet.h"
#include "device/usb/register_access.h"
#include "device/video/bmp24.h"

namespace zev {
namespace {

// Blue-green-red pixels of 3 bytes become blue-green-red-0 pixels of 4 bytes (the
// 0x00RRGGBB word of a 32-bit frame buffer). Back to front, so every source pixel is
// read before its bytes are overwritten.
void WidenToFourBytes(uint8_t* pixels, uint64_t count) {
  for (uint64_t i = count; i-- > 0;) {
    const uint8_t* from = pixels + i * 3;
    uint8_t* to = pixels + i * 4;
    const uint8_t blue = from[0], green = from[1], red = from[2];
    to[0] = blue;
    to[1] = green;
    to[2] = red;
    to[3] = 0;
  }
}

}  // namespace

uint32_t GfxDrawBmp24(const VideoState& vs, uint32_t dwDstOffset, const char* path, uint32_t width, uint32_t height) {
  UsbDevice* dev = vs.device;
  DiagSink* diag = SinkOf(dev);
  uint8_t fileHeader[kBmpFileHeaderBytes];
  uint8_t infoHeader[kBmpInfoHeaderBytes];
  switch (GfxExtractBmp24Hdr(path, fileHeader, infoHeader, diag)) {
    case kBmpHdrUsable:
      break;
    case kBmpHdrCannotOpen:
      return kPicCannotOpen;
    default:
      return kPicNotBmp24;
  }
  if (static_cast<uint32_t>(BmpWidth(infoHeader)) != width || static_cast<uint32_t>(BmpHeight(infoHeader)) != height) {
    return kPicSizeMismatch;
  }

  // A header may claim more pixels than the file holds; such a file is refused before
  // a frame of that size is allocated.
  std::error_code error;
  const uintmax_t fileBytes = std::filesystem::file_size(path, error);
  if (error || fileBytes < BmpPixelDataEnd(fileHeader, infoHeader)) {
    DiagPrintf(diag, "ERROR:  GfxDrawBmp24(%s) file too short for its %ldx%ld pixels\n", path,
               static_cast<long>(width), static_cast<long>(height));
    return kPicNotSent;
  }

  const uint64_t pixels = uint64_t{width} * height;
  const uint32_t bytesPerPixel = HasPacked24Bpp(dev) ? 3 : 4;
  if (pixels * bytesPerPixel > kMemWriteMaxPayload) return kPicNotSent;
  MemWritePacket packet(dwDstOffset, static_cast<uint32_t>(pixels * bytesPerPixel));
  if (!packet.valid()) return kPicNotSent;

  uint32_t stored = 0;
  const auto pixelBytes = static_cast<uint32_t>(pixels * kBmpBytesPerPixel);
  if (!GfxReadFileBmp24(path, fileHeader, infoHeader, width, height, pixelBytes, &stored, packet.payload(), diag,
                        BmpRowOrder::Upright) ||
      stored != pixelBytes) {
    return kPicNotSent;
  }
  if (bytesPerPixel == 4) WidenToFourBytes(packet.payload(), pixels);
  return GfxBulkWrite(dev, packet.bytes(), packet.size()) == packet.size() ? kPicDrawn : kPicNotSent;
}

uint32_t GfxDrawPicFile(LibConnection& connection, uint32_t dwDstOffset, const char* path, uint32_t width,
                        uint32_t height) {
  VideoState vs = connection.video;
  vs.device = connection.device.get();
  return GfxDrawBmp24(vs, dwDstOffset, path, width, height);
}

}  // namespace zev
