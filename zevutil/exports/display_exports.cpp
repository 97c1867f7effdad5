// The display, HDMI and reset exports: preferred resolution, mode set, HDMI on and off,
// device reset.
#include "zevutil.h"
#include "zevutil/core/display_api.h"
#include "zevutil/exports/process_library.h"

ZEV_STATUS ZEVPreferedResolution(uint32_t* resolution) {
  return zev::api::ZEVPreferedResolution(zev::ProcessContext(), resolution);
}

ZEV_STATUS ZEVInitGE(uint32_t height, uint32_t width, uint32_t refresh) {
  return zev::api::ZEVInitGE(zev::ProcessContext(), height, width, refresh);
}

ZEV_STATUS ZEVHdmiPhyEnable(const HdmiAudioSettings* settings) {
  return zev::api::ZEVHdmiPhyEnable(zev::ProcessContext(), settings);
}

ZEV_STATUS ZEVHdmiPhyDisable(void) { return zev::api::ZEVHdmiPhyDisable(zev::ProcessContext()); }

ZEV_STATUS ZEVResetDevice(void) { return zev::api::ZEVResetDevice(zev::ProcessContext()); }
