#include "tests/support/display_mode.h"

#include "device/chip/chip_identity.h"
#include "device/chip/hw_init.h"
#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/display_controller.h"

namespace zev::testing {
namespace {

uint32_t Pack(uint32_t high, uint32_t low) { return (high - 1) << 16 | (low - 1); }

// The FPGA builds before packed 24-bit pixels have no pixel clock manager that
// DcSetTiming could program; their controller gets the registers DcSetTiming would
// write for the DAC port, 4 bytes per pixel, directly.
bool ProgramOldFpgaController(UsbDevice* dev, const DmtMode& m) {
  GfxSetRegDW(dev, DC_CTRL, DC_CTRL_BLANK | DC_CTRL_NON_DVO | DC_CTRL_32BPP);
  GfxSetRegDW(dev, DC_HSIZE, Pack(m.dwHTotal, m.dwWidth));
  GfxSetRegDW(dev, DC_HBLANK, Pack(m.dwHBlankStart, m.dwHBlankStart + m.dwHBlankWidth));
  GfxSetRegDW(dev, DC_HSYNC, Pack(m.dwHSyncStart, m.dwHSyncStart + m.dwHSyncWidth));
  GfxSetRegDW(dev, DC_VSIZE, Pack(m.dwVTotal, m.dwHeight));
  GfxSetRegDW(dev, DC_VBLANK, Pack(m.dwVBlankStart, m.dwVBlankStart + m.dwVBlankWidth));
  GfxSetRegDW(dev, DC_VSYNC, Pack(m.dwVSyncStart, m.dwVSyncStart + m.dwVSyncWidth));
  GfxSetRegDW(dev, DC_FRAME_LEN, (m.dwWidth * m.dwHeight * 4 + 7) & ~7u);
  GfxSetRegDW(dev, DC_IF_DAC_CTRL, DC_IF_ENABLE);
  return DcEnable(dev, true) && DcUnblank(dev, true);
}

}  // namespace

DmtMode TestTiming(uint32_t width, uint32_t height) {
  DmtMode m{};
  m.dwWidth = width;
  m.dwHeight = height;
  m.dwRefresh = 60;
  m.dwPixClk = 65000000;  // one of the pixel clocks of every chip kind can make
  m.dwHTotal = width + 160;
  m.dwHBlankStart = width;
  m.dwHBlankWidth = 160;
  m.dwHSyncStart = width + 48;
  m.dwHSyncWidth = 32;
  m.dwVTotal = height + 30;
  m.dwVBlankStart = height;
  m.dwVBlankWidth = 30;
  m.dwVSyncStart = height + 3;
  m.dwVSyncWidth = 5;
  return m;
}

bool SetDisplayMode(LibContext& ctx, const DmtMode& mode) {
  UsbDevice* dev = ConnectedDevice(ctx);
  if (dev == nullptr || !LibHwBringUp(ctx)) return false;
  const bool packed = HasPacked24Bpp(dev);
  if (!(packed ? DcSetTiming(dev, mode, 32, true, DC_PORT_DAC) : ProgramOldFpgaController(dev, mode))) return false;
  VideoState& vs = ctx.connection.video;
  vs.dwWidth = mode.dwWidth;
  vs.dwHeight = mode.dwHeight;
  vs.dwBpp = 32;
  vs.dwLineWidth = mode.dwWidth;
  vs.dwStride = mode.dwWidth * (packed ? 3 : 4);
  vs.dwPort = DC_PORT_DAC;
  vs.device = dev;
  ctx.gCurMode = {mode.dwHeight, mode.dwWidth, mode.dwRefresh};
  return true;
}

sim::ScanOut Capture(SimRig& rig) { return sim::ScanOutFrame(rig.chip()); }

sim::RgbPicture TestPattern(uint32_t width, uint32_t height) {
  sim::RgbPicture p(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      // The high bits of x and y enter too, so pixels 256 apart differ as well.
      const uint32_t r = (x * 7 + y * 3) & 0xFF;
      const uint32_t g = (x * 5 + y * 11 + (x >> 8) * 91 + 1) & 0xFF;
      const uint32_t b = (x * 3 + y * 13 + (y >> 8) * 57 + 2) & 0xFF;
      p.SetPixel(x, y, r << 16 | g << 8 | b);
    }
  }
  return p;
}

}  // namespace zev::testing
