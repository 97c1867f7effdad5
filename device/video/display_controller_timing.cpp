// DcSetTiming: programs a display timing, a pixel depth and an output interface into
// the display controller while it is blanked and disabled.
#include <initializer_list>

#include "device/chip/chip_identity.h"
#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"
#include "device/video/display_controller.h"

namespace zev {
namespace {

// Settling time between stopping the controller and changing its clock.
constexpr uint32_t kStopToClockMs = 4;

bool IsAllPorts(uint32_t port) { return port == DC_PORT_ALL || port == DC_PORT_ALL_10 || port == DC_PORT_ALL_11; }
bool IsDvoPort(uint32_t port) { return port == DC_PORT_DVO_VGA || port == DC_PORT_DVO_DVI; }

// Each packed quantity is programmed minus one into 12 bits; a larger or zero value
// would spill into the neighbouring field or wrap.
bool FitsField(uint64_t value) { return value >= 1 && value <= kDcTimingFieldMax; }

bool FitsController(const DmtMode& m) {
  for (uint64_t v : {uint64_t{m.dwWidth}, uint64_t{m.dwHTotal}, uint64_t{m.dwHBlankStart},
                     uint64_t{m.dwHBlankStart} + m.dwHBlankWidth, uint64_t{m.dwHSyncStart},
                     uint64_t{m.dwHSyncStart} + m.dwHSyncWidth, uint64_t{m.dwHeight}, uint64_t{m.dwVTotal},
                     uint64_t{m.dwVBlankStart}, uint64_t{m.dwVBlankStart} + m.dwVBlankWidth,
                     uint64_t{m.dwVSyncStart}, uint64_t{m.dwVSyncStart} + m.dwVSyncWidth}) {
    if (!FitsField(v)) return false;
  }
  return true;
}

// Bits 27:16 first - 1, bits 11:0 second - 1.
uint32_t PackPair(uint32_t first, uint32_t second) { return (first - 1) << 16 | (second - 1); }

bool SetPixelClock(UsbDevice* dev, uint32_t pixClk) {
  if (IsSiliconChip(dev)) {
    if (config_pix_clk(pixClk, dev)) return true;
    DevPrintf(dev, "ERROR: DcSetTiming() failed calling config_pix_clk()\n");
    return false;
  }
  // The DCM search only yields settings on its 27 MHz or 50 MHz input.
  if (FpgaSetPixelClock(dev, pixClk)) return true;
  DevPrintf(dev, "ERROR:  DcSetTiming() failed calling VoskarSetDCM()\n");
  return false;
}

// Blank on, enable off, the sync polarities on the bits of the outputs in use.
bool ControlWord(UsbDevice* dev, const DmtMode& m, uint32_t dwBpp, uint32_t port, uint32_t* ctrl) {
  uint32_t w = DC_CTRL_BLANK;
  const bool all = IsAllPorts(port);
  if (all || IsDvoPort(port)) {
    w |= DC_CTRL_DVO;
    if (m.bSyncPol1 == 1) w |= DC_CTRL_DVO_SYNC_POL1;
    if (m.bSyncPol2 == 1) w |= DC_CTRL_DVO_SYNC_POL2;
  }
  if (all || !IsDvoPort(port)) {
    w |= DC_CTRL_NON_DVO;
    if (m.bSyncPol1 == 1) w |= DC_CTRL_SYNC_POL1;
    if (m.bSyncPol2 == 1) w |= DC_CTRL_SYNC_POL2;
  }
  switch (dwBpp) {
    case 32: w |= DC_CTRL_32BPP; break;
    case 16: w |= DC_CTRL_16BPP; break;
    case 8: w |= DC_CTRL_8BPP; break;
    default:
      DevPrintf(dev, "ERROR:  DcSetTiming() bad dwBpp=%ld, must be 8/16/32\n", static_cast<long>(dwBpp));
      return false;
  }
  *ctrl = w;
  return true;
}

void WriteTimingRegisters(UsbDevice* dev, const DmtMode& m) {
  GfxSetRegDW(dev, DC_HSIZE, PackPair(m.dwHTotal, m.dwWidth));
  GfxSetRegDW(dev, DC_HBLANK, PackPair(m.dwHBlankStart, m.dwHBlankStart + m.dwHBlankWidth));
  GfxSetRegDW(dev, DC_HSYNC, PackPair(m.dwHSyncStart, m.dwHSyncStart + m.dwHSyncWidth));
  GfxSetRegDW(dev, DC_VSIZE, PackPair(m.dwVTotal, m.dwHeight));
  GfxSetRegDW(dev, DC_VBLANK, PackPair(m.dwVBlankStart, m.dwVBlankStart + m.dwVBlankWidth));
  GfxSetRegDW(dev, DC_VSYNC, PackPair(m.dwVSyncStart, m.dwVSyncStart + m.dwVSyncWidth));
}

// Bytes of one frame in device memory, rounded up to a multiple of 8. 32-bit pixels
// take 3 bytes where the chip packs them (asked afresh), else 4.
uint32_t FrameLength(UsbDevice* dev, const DmtMode& m, uint32_t dwBpp) {
  const uint64_t bytesPerPixel = dwBpp == 32 ? (HasPacked24Bpp(dev) ? 3 : 4) : dwBpp / 8;
  const uint64_t bytes = uint64_t{m.dwWidth} * m.dwHeight * bytesPerPixel;
  return static_cast<uint32_t>((bytes + 7) & ~uint64_t{7});
}

void WriteInterfaceControl(UsbDevice* dev, const DmtMode& m, uint32_t port) {
  for (uint32_t reg : {DC_IF_DAC_CTRL, DC_IF_HDMI_CTRL, DC_IF_DVO_CTRL}) GfxSetRegDW(dev, reg, 0);

  uint32_t v = DC_IF_ENABLE;
  if (m.bSyncPol1 == 1) v |= DC_IF_SYNC_POL1;
  if (m.bSyncPol2 == 1) v |= DC_IF_SYNC_POL2;
  const bool all = IsAllPorts(port);
  if (all) {
    v |= DC_IF_DVO_STYLE;
    for (uint32_t reg : {DC_IF_DVO_CTRL, DC_IF_HDMI_CTRL, DC_IF_DAC_CTRL}) GfxSetRegDW(dev, reg, v);
  } else if (IsDvoPort(port) || port == DC_PORT_DP || port == DC_PORT_DP_HDMI) {
    v |= DC_IF_DVO_STYLE;
    if (port == DC_PORT_DP) v |= DC_IF_DP_MODE;
    if (port == DC_PORT_DP_HDMI) v &= ~DC_IF_DP_MODE;
    GfxSetRegDW(dev, DC_IF_DVO_CTRL, v);
  } else if (port >= DC_PORT_HDMI && port <= DC_PORT_HDMI_AV_I2S) {
    GfxSetRegDW(dev, DC_IF_HDMI_CTRL, v);
  } else {
    GfxSetRegDW(dev, DC_IF_DAC_CTRL, v);
  }
  // The production chip drives VGA from the DVO path in its own format.
  if ((port == DC_PORT_DVO_VGA || all) && IsSiliconChip(dev)) {
    GfxSetRegDW(dev, DC_IF_DVO_CTRL, (v & ~DC_IF_DVO_STYLE) | DC_IF_SILICON_VGA);
  }
}

}  // namespace

bool DcSetTiming(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp, bool bUnblank, uint32_t port) {
  if (!FitsController(mode)) {
    DevPrintf(dev, "ERROR:  DcSetTiming() timing %ux%u does not fit the display controller\n", mode.dwWidth,
              mode.dwHeight);
    return false;
  }
  if (!DcIsBlanked(dev) && !DcBlank(dev, true)) {
    DevPrintf(dev, "ERROR:  DcSetTiming() failed trying to blank display\n");
    return false;
  }
  if (DcIsEnabled(dev) && !DcDisable(dev, true)) {
    DevPrintf(dev, "ERROR:  DcSetTiming() failed trying to disable display\n");
    return false;
  }
  Sleep(kStopToClockMs);
  if (!SetPixelClock(dev, mode.dwPixClk)) return false;

  uint32_t ctrl = 0;
  if (!ControlWord(dev, mode, dwBpp, port, &ctrl)) return false;
  GfxSetRegDW(dev, DC_CTRL, ctrl);
  WriteTimingRegisters(dev, mode);
  GfxSetRegDW(dev, DC_FRAME_LEN, FrameLength(dev, mode, dwBpp));
  WriteInterfaceControl(dev, mode, port);

  if (!DcEnable(dev, true)) {
    DevPrintf(dev, "ERROR:  DcSetTiming() failed trying to enable display\n");
    return false;
  }
  if (bUnblank && !DcUnblank(dev, true)) {
    DevPrintf(dev, "ERROR:  DcSetTiming() failed trying to unblank display\n");
    return false;
  }
  return true;
}

}  // namespace zev
