#pragma once

#include <cstdint>

#include "device/usb/usb_device.h"

namespace zev {

struct LibContext;

// Result of the PLL divider search (field names as the diagnostics print them).
struct PllSettings {
  uint32_t pllOut = 0;
  uint32_t DIVR0 = 0, DIVF0 = 0, DIVQ0 = 0, RANGE0 = 0;
  uint32_t DIVR1 = 0, DIVF1 = 0, DIVQ1 = 0, RANGE1 = 0;
};

// Result of the DCM divider search (FPGA pixel clock).
struct DcmSettings {
  uint32_t M = 0;
  uint32_t D = 0;
  uint32_t dwRefClk = 0;
  uint32_t dwFreq = 0;
};

bool VoskarLRST(UsbDevice* dev);
// Sets ctx.gSysClk from the frequency index 1..4 and prints the banner.
bool GfxChangeSysClk(LibContext& ctx, int32_t index);
void FindPllSettings(uint32_t target, PllSettings* settings);
bool config_sys_clk(uint32_t sysClk, UsbDevice* dev);
bool config_pix_clk(uint32_t pixClk, UsbDevice* dev);
void FindDcmSettings(DcmSettings* settings, uint32_t target);
bool VoskarSetDCM(UsbDevice* dev, uint32_t dwM, uint32_t dwD, uint32_t dwSel);
void FpgaReleasePlls(UsbDevice* dev);

}  // namespace zev
