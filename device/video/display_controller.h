#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"
#include "device/video/dmt_mode.h"

namespace zev {

// DC_CTRL bits.
inline constexpr uint32_t DC_CTRL_ENABLE = 1u << 0;
inline constexpr uint32_t DC_CTRL_8BPP = 1u << 1;
inline constexpr uint32_t DC_CTRL_16BPP = 1u << 2;
inline constexpr uint32_t DC_CTRL_32BPP = 1u << 3;
inline constexpr uint32_t DC_CTRL_SYNC_POL2 = 1u << 6;  // non-DVO outputs
inline constexpr uint32_t DC_CTRL_SYNC_POL1 = 1u << 7;  // non-DVO outputs
inline constexpr uint32_t DC_CTRL_BLANK = 1u << 8;
inline constexpr uint32_t DC_CTRL_NON_DVO = (1u << 9) | (1u << 11);
inline constexpr uint32_t DC_CTRL_DVO = 1u << 10;
inline constexpr uint32_t DC_CTRL_DVO_SYNC_POL2 = 1u << 18;
inline constexpr uint32_t DC_CTRL_DVO_SYNC_POL1 = 1u << 19;

// DC_STS bits; the two interrupt bits clear when 1 is written to them.
inline constexpr uint32_t DC_STS_RUNNING = 1u << 0;
inline constexpr uint32_t DC_STS_VBLANK_INT_ = 1u << 6;
inline constexpr uint32_t DC_STS_BLANKED = 1u << 8;
inline constexpr uint32_t DC_STS_BLANK_PENDING_ = 1u << 11;
inline constexpr uint32_t DC_STS_BLANK_INT_ = 1u << 12;

// Interface control value of DC_IF_DAC_CTRL, DC_IF_HDMI_CTRL and DC_IF_DVO_CTRL.
inline constexpr uint32_t DC_IF_ENABLE = 1u << 0;
inline constexpr uint32_t DC_IF_SYNC_POL2 = 1u << 3;
inline constexpr uint32_t DC_IF_SYNC_POL1 = 1u << 4;
inline constexpr uint32_t DC_IF_SILICON_VGA = 1u << 5;
inline constexpr uint32_t DC_IF_DP_MODE = 1u << 8;
inline constexpr uint32_t DC_IF_DVO_STYLE = 1u << 9;

// Every position and size of a timing is programmed minus one into a 12-bit field.
inline constexpr uint32_t kDcTimingFieldMax = 0x1000;

// Handshake timeout of blank, unblank, enable and disable.
inline constexpr uint32_t kDcTimeoutMs = 250;

bool DcIsBlanked(UsbDevice* dev);  // DC_STS bit 8
bool DcIsEnabled(UsbDevice* dev);  // DC_STS bit 0

// Each refuses (false, nothing written) when DC_CTRL or DC_STS already shows the
// requested state or cannot be read; with bWait false it returns true right after the
// write, else once DC_STS follows (false after 250 ms).
bool DcBlank(UsbDevice* dev, bool bWait);
bool DcUnblank(UsbDevice* dev, bool bWait);
bool DcEnable(UsbDevice* dev, bool bWait);
bool DcDisable(UsbDevice* dev, bool bWait);

// Programs `mode` at `dwBpp` (8, 16 or 32) for output `port` (DC_PORT): blanks and
// disables the controller, sets the pixel clock, the control word, the timing
// registers, the frame length and the interface control, then enables it and, with
// bUnblank, unblanks it.
bool DcSetTiming(UsbDevice* dev, const DmtMode& mode, uint32_t dwBpp, bool bUnblank, uint32_t port);

}  // namespace zev
