// The mode set: every transmitter off, the display controller programmed, the port's
// transmitter on, the analog video path switched.
#include "device/video/mode_set.h"

#include "device/chip/chip_identity.h"
#include "device/chip/registers.h"
#include "device/core/device_diag.h"
#include "device/core/lib_context.h"
#include "device/usb/register_access.h"
#include "device/video/display_controller.h"
#include "device/video/dp_phy.h"
#include "device/video/dvo_phy.h"
#include "device/video/edid.h"
#include "device/video/hdmi_phy.h"
#include "device/video/hdmi_reg_util.h"
#include "device/video/mode_table.h"

namespace zev {
namespace {

// The mode set always runs 32-bit pixels.
constexpr uint32_t kModeSetBpp = 32;

// What an output port drives. The all-outputs ports (9, 10, 11) drive everything but
// DisplayPort. On silicon the VGA of port 1 comes from the chip's own DAC, so the
// CH7301 is left alone for it.
struct PortRoute {
  bool all;           // one of the all-outputs ports
  bool dvoVga;        // CH7301 as VGA transmitter
  bool dvoDvi;        // CH7301 as DVI transmitter
  bool hdmi;          // HDMI transmitter, video (and audio on ports 5 and 6)
  bool dvoInterface;  // RGB_CFG bit 0: the DVO interface feeds a transmitter
  bool dac;           // RGB_CFG bit 1 and VDAC_CFG: the video DAC drives VGA
};

PortRoute RouteOf(uint32_t port, bool silicon) {
  const bool all = port >= DC_PORT_ALL && port <= DC_PORT_ALL_11;
  return {
      .all = all,
      .dvoVga = all || (port == DC_PORT_DVO_VGA && !silicon),
      .dvoDvi = all || port == DC_PORT_DVO_DVI,
      .hdmi = all || (port >= DC_PORT_HDMI && port <= DC_PORT_HDMI_AV_I2S),
      .dvoInterface = all || port == DC_PORT_DVO_VGA || port == DC_PORT_DVO_DVI || port == DC_PORT_DP ||
                      port == DC_PORT_DP_HDMI,
      .dac = all || port == DC_PORT_DAC || port == DC_PORT_DVO_VGA,
  };
}

bool Fail(UsbDevice* dev, const char* line) {
  DevPrintf(dev, "%s", line);
  return false;
}

// The output switches are part of the mode: when one cannot be written the outputs are
// not what the mode set reports, so it fails.
bool SetSwitch(UsbDevice* dev, uint32_t address, const char* name, uint32_t value) {
  if (GfxSetRegDWBool(dev, address, value)) return true;
  DevPrintf(dev, "ERROR:  GfxSetMode() failed setting %s\n", name);
  return false;
}

// Read-modify-write that never writes the read-failure marker back.
bool SetSwitchBits(UsbDevice* dev, uint32_t address, const char* name, uint32_t bits) {
  if (HdmiUpdateChipReg(dev, address, 0, bits)) return true;
  DevPrintf(dev, "ERROR:  GfxSetMode() failed setting %s\n", name);
  return false;
}

bool EnableTransmitter(UsbDevice* dev, const PortRoute& route, const DmtMode& timing, uint32_t port) {
  if (route.dvoVga && !DvoPhyEnableVGA(dev, timing.bSyncPol1, timing.bSyncPol2)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling DvoPhyEnableVGA()\n");
  }
  if (route.dvoDvi && !DvoPhyEnableDVI(dev, timing.dwPixClk, timing.bSyncPol1, timing.bSyncPol2)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling DvoPhyEnableDVI()\n");
  }
  if (route.hdmi && !HdmiPhyEnable(dev, timing, kModeSetBpp, port)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling HdmiPhyEnable()\n");
  }
  if (port == DC_PORT_DP && !DpPhyEnableDPMode(dev, timing, kModeSetBpp)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling DpPhyEnableDPMode()\n");
  }
  if (port == DC_PORT_DP_HDMI && !DpPhyEnableHdmiMode(dev, timing, kModeSetBpp)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling DpPhyEnableHdmiMode()\n");
  }
  return true;
}

}  // namespace

bool GfxSetMode(UsbDevice* dev, VideoState& vs, uint32_t modeIndex, bool bUseEdidMode) {
  if (dev == nullptr || dev->ctx == nullptr) return false;
  LibContext& ctx = *dev->ctx;
  const uint32_t port = vs.dwPort;
  const DmtMode* row = DmtModeRow(modeIndex, ctx.variant);
  if (row == nullptr) {
    DevPrintf(dev, "ERROR:  GfxSetMode() bad modeIndex=%ld\n", static_cast<long>(modeIndex));
    return false;
  }
  if (port > DC_PORT_ALL_11) {
    DevPrintf(dev, "ERROR:  GfxSetMode() bad dwPort=%ld, s/b 0-11\n", static_cast<long>(port));
    return false;
  }
  // The monitor's own timing goes to the controller, the transmitters and the drawing
  // geometry alike, so what is drawn and sent matches what is scanned out.
  const DmtMode timing = bUseEdidMode ? ctx.gEdidMode : *row;

  ctx.gModeIndex = modeIndex;
  vs.dwBpp = kModeSetBpp;
  vs.dwWidth = timing.dwWidth;
  vs.dwHeight = timing.dwHeight;
  vs.dwLineWidth = timing.dwWidth;
  vs.dwStride = vs.dwLineWidth * (HasPacked24Bpp(dev) ? 3 : 4);

  const PortRoute route = RouteOf(port, IsSiliconChip(dev));
  if ((route.all || port == DC_PORT_DAC) && !SetSwitch(dev, VDAC_CFG, "VDAC_CFG", 0)) return false;
  if ((route.dvoVga || route.dvoDvi) && !DvoPhyDisable(dev)) {
    return Fail(dev, "ERROR: GfxSetMode() failed calling DvoPhyDisable()\n");
  }
  if (!HdmiPhyDisable(dev)) return Fail(dev, "ERROR: GfxSetMode() failed calling HdmiPhyDisable()\n");
  if (ctx.gDpVideoOn && !DpPhyDisable(dev)) return Fail(dev, "ERROR: GfxSetMode() failed calling DpPhyDisable()\n");
  if (!SetSwitch(dev, VDAC_CFG, "VDAC_CFG", 0) || !SetSwitch(dev, RGB_CFG, "RGB_CFG", 0)) return false;

  if (!DcSetTiming(dev, timing, kModeSetBpp, true, port)) {
    return Fail(dev, "ERROR:  GfxSetMode() failed calling DcSetTiming()\n");
  }
  if (!EnableTransmitter(dev, route, timing, port)) return false;

  if (route.dvoInterface && !SetSwitchBits(dev, RGB_CFG, "RGB_CFG", RGB_CFG_DVO)) return false;
  if (route.dac) {
    if (!SetSwitchBits(dev, RGB_CFG, "RGB_CFG", RGB_CFG_DAC)) return false;
    if (!SetSwitch(dev, VDAC_CFG, "VDAC_CFG", kVdacOn)) return false;
  }
  return true;
}

bool GfxSetModeForMonitor(LibContext& ctx, uint32_t modeIndex, bool bUseEdidMode) {
  UsbDevice* dev = ConnectedDevice(ctx);
  if (dev == nullptr) return false;
  // The block itself is not needed: which bus delivered it decides the port.
  EdidBlock scratch{};
  uint32_t port = DC_PORT_DAC;
  if (EdidRead(ctx, &scratch, &port) != 0) return false;
  VideoState& vs = ctx.connection.video;
  vs.dwPort = port;
  vs.device = dev;
  return GfxSetMode(dev, vs, modeIndex, bUseEdidMode);
}

}  // namespace zev
