#include "zevutil/core/display_api.h"

#include "device/chip/hw_init.h"
#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/usb/register_access.h"
#include "device/video/edid.h"
#include "device/video/hdmi_phy.h"
#include "device/video/mode_set.h"
#include "device/video/mode_table.h"
#include "zevutil/core/lib_frame.h"

namespace zev::api {
namespace {

constexpr int kModeSetAttempts = 3;
// HdmiPhyEnable only passes the depth on; this is the value the export hands it.
constexpr uint32_t kHdmiEnableBpp = 3;

// The mode set on the monitor's port, retried with the hardware brought up again in
// between (a failed attempt may have left the chip in any state).
ZEV_STATUS SetModeWithRetries(LibContext& ctx, uint32_t modeIndex, bool bUseEdidMode) {
  for (int attempt = 0; attempt < kModeSetAttempts; ++attempt) {
    if (attempt > 0 && !LibHwBringUp(ctx)) return ZEV_HDWRE_INIT_FAIL;
    if (GfxSetModeForMonitor(ctx, modeIndex, bUseEdidMode)) return ZEV_SUCCESS;
  }
  return ZEV_GE_INIT_FAILED;
}

}  // namespace

ZEV_STATUS ZEVPreferedResolution(LibContext& ctx, uint32_t* resolution) {
  if (resolution == nullptr) return ZEV_INVALID_ARG;
  DmtMode preferred{};
  if (EdidGetPreferredMode(ctx, &preferred) != 0) return ZEV_EDID_PARSE_ERR;
  resolution[0] = preferred.dwHeight;
  resolution[1] = preferred.dwWidth;
  resolution[2] = preferred.dwRefresh;
  return ZEV_SUCCESS;
}

ZEV_STATUS ZEVInitGE(LibContext& ctx, uint32_t height, uint32_t width, uint32_t refresh) {
  uint32_t row = DmtFindMode(width, height, refresh, ctx.variant);
  const bool useMonitorTiming = DmtModeRow(row, ctx.variant) == nullptr;
  if (useMonitorTiming) {
    DmtMode preferred{};
    if (EdidGetPreferredMode(ctx, &preferred) != 0) return ZEV_EDID_PARSE_ERR;
    row = 0;
  }
  const ZEV_STATUS status = SetModeWithRetries(ctx, row, useMonitorTiming);
  if (status == ZEV_SUCCESS) ctx.gCurMode = {height, width, refresh};
  return status;
}

ZEV_STATUS ZEVHdmiPhyEnable(LibContext& ctx, const HdmiAudioSettings* settings) {
  if (settings == nullptr) return ZEV_LIB_FAILURE;
  uint32_t preferred[3] = {};
  if (ZEVPreferedResolution(ctx, preferred) != ZEV_SUCCESS) return ZEV_LIB_FAILURE;
  EdidBlock edid{};
  if (EdidRead(ctx, &edid) != 0) return ZEV_LIB_FAILURE;
  const uint32_t row = DmtFindMode(preferred[1], preferred[0], preferred[2], ctx.variant);
  const DmtMode* mode = DmtModeRow(row, ctx.variant);
  if (mode == nullptr) return ZEV_LIB_FAILURE;
  if (!GfxSetModeForMonitor(ctx, row, false)) return ZEV_LIB_FAILURE;
  ctx.gHdmiAudio.bAudioSource = settings->bAudioSource;
  ctx.gHdmiAudio.bMclk = settings->bMclk;
  ctx.gHdmiAudio.bFsMode = settings->bFsMode;
  ctx.gHdmiAudio.bSuppression = settings->bSuppression;
  ctx.gHdmiAudio.bNSval = settings->bNSval;
  return HdmiPhyEnable(ConnectedDevice(ctx), *mode, kHdmiEnableBpp, settings->dwPort) ? ZEV_SUCCESS
                                                                                       : ZEV_LIB_FAILURE;
}

ZEV_STATUS ZEVHdmiPhyDisable(LibContext& ctx) {
  UsbDevice* dev = ConnectedDevice(ctx);
  return dev != nullptr && HdmiPhyDisable(dev) ? ZEV_SUCCESS : ZEV_LIB_FAILURE;
}

ZEV_STATUS ZEVResetDevice(LibContext& ctx) {
  UsbDevice* dev = ConnectedDevice(ctx);
  if (dev == nullptr) return ZEV_DEV_COM_FAIL;
  GfxSetRegDW(dev, HW_CFG, HW_CFG_DEVICE_RESET);
  return ZEV_SUCCESS;
}

ZEV_STATUS DeviceCheck(LibContext& ctx) { return ConnectionPreamble(ctx); }

}  // namespace zev::api
