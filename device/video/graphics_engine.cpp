// The graphics engine: enable, and the solid rectangle fill.
#include "device/video/graphics_engine.h"

#include "device/chip/registers.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"

namespace zev {
namespace {

void Put16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* out, uint32_t value) {
  Put16(out, value);
  Put16(out + 2, value >> 16);
}

bool Send(UsbDevice* dev, const uint8_t* packet) { return GfxBulkWrite(dev, packet, kRectPacketBytes) != 0; }

}  // namespace

uint32_t GfxColourOfCode(int32_t code) {
  switch (code) {
    case kColourRed:
      return 0xFF0000;
    case kColourGreen:
      return 0x00FF00;
    case kColourBlue:
      return 0x0000FF;
    case kColourBlack:
      return 0x000000;
    default:
      return 0xFFFFFF;
  }
}

bool GeEnable(UsbDevice* dev) {
  GfxSetRegDW(dev, GE_CTRL, GfxGetRegDW(dev, GE_CTRL) | 1);
  return true;
}

bool GfxDrawRect32(const VideoState& vs, uint16_t x, uint16_t y, uint32_t dwXlr, uint32_t dwYlr, uint32_t colour,
                   uint32_t flags) {
  UsbDevice* dev = vs.device;
  if (vs.dwBpp != 32) {
    DevPrintf(dev, "GfxDrawRect32(), bad dwBpp=%ld, s/b 32\n", static_cast<long>(vs.dwBpp));
    return false;
  }
  if (dwXlr > vs.dwWidth) {
    DevPrintf(dev, "GfxDrawRect32(), bad dwXlr=%ld, s/b <%ld\n", static_cast<long>(dwXlr),
              static_cast<long>(vs.dwWidth));
    return false;
  }
  if (dwYlr > vs.dwHeight) {
    DevPrintf(dev, "GfxDrawRect32(), bad dwYlr=%ld, s/b <%ld\n", static_cast<long>(dwYlr),
              static_cast<long>(vs.dwHeight));
    return false;
  }

  uint8_t packet[kRectPacketBytes];
  Put32(packet, GE_RECT_FILL_CMD);
  Put32(packet + 4, kRectPacketBytes - 8);
  Put16(packet + 8, x);
  Put16(packet + 10, y);
  Put16(packet + 12, dwXlr);
  Put16(packet + 14, dwYlr);
  Put32(packet + 16, flags);
  Put16(packet + 20, vs.dwWidth | kRectSurfaceFlag);
  Put16(packet + 22, vs.dwHeight);
  Put32(packet + 24, colour);

  if (!Send(dev, packet)) return false;
  return !IsUtilityVariant(dev) || Send(dev, packet);
}

bool GfxDrawRectColor(LibConnection& connection, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                      int32_t colourCode) {
  VideoState vs = connection.video;
  vs.device = connection.device.get();
  // The packet carries 16-bit coordinates; a larger one would land elsewhere.
  if (x > UINT16_MAX || y > UINT16_MAX) {
    DevPrintf(vs.device, "GfxDrawRectColor(), bad x=%ld or y=%ld, s/b <= %ld\n", static_cast<long>(x),
              static_cast<long>(y), static_cast<long>(UINT16_MAX));
    return false;
  }
  return GfxDrawRect32(vs, static_cast<uint16_t>(x), static_cast<uint16_t>(y), width, height,
                       GfxColourOfCode(colourCode), 0);
}

}  // namespace zev
