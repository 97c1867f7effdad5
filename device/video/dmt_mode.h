#pragma once

#include <cstdint>

namespace zev {

// One display timing. Positions count from 0 at the first active pixel or line.
struct DmtMode {
  uint32_t dwWidth;        // active pixels per line (frame-buffer width)
  uint32_t dwHeight;       // active lines
  uint32_t dwRefresh;      // nominal refresh rate in Hz, for lookups
  uint32_t dwPixClk;       // pixel clock in Hz
  uint32_t dwHTotal;
  uint32_t dwHBlankStart;
  uint32_t dwHBlankWidth;
  uint32_t dwHSyncStart;
  uint32_t dwHSyncWidth;
  uint32_t dwVTotal;
  uint32_t dwVBlankStart;
  uint32_t dwVBlankWidth;
  uint32_t dwVSyncStart;
  uint32_t dwVSyncWidth;
  uint8_t bSyncPol1;  // 1 = active high
  uint8_t bSyncPol2;  // 1 = active high
};

// Output ports shared by the display controller, the transmitters and the mode set.
enum DC_PORT : uint32_t {
  DC_PORT_DAC = 0,          // analog VGA from the chip's video DAC
  DC_PORT_DVO_VGA = 1,      // VGA through the DVO interface and the video DAC
  DC_PORT_DVO_DVI = 2,      // DVI through the CH7301
  DC_PORT_HDMI = 3,         // HDMI, video only
  DC_PORT_HDMI_AUTO = 4,    // HDMI, video only (monitor found on I2C port 1); as 3
  DC_PORT_HDMI_AV = 5,      // HDMI with audio
  DC_PORT_HDMI_AV_I2S = 6,  // HDMI with I2S audio on the external transmitter
  DC_PORT_DP = 7,           // DisplayPort through the ANX9805
  DC_PORT_DP_HDMI = 8,      // HDMI through the ANX9805
  DC_PORT_ALL = 9,          // VGA, DVI, HDMI video and the DAC at once
  DC_PORT_ALL_10 = 10,
  DC_PORT_ALL_11 = 11,
};

}  // namespace zev
