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

// The PLLs' reference and the FPGA's two DCM inputs, in Hz.
inline constexpr uint32_t kPllReferenceHz = 25000000;
inline constexpr uint32_t kDcmInput27MHz = 27000000;
inline constexpr uint32_t kDcmInput50MHz = 50000000;

// DCM_CFG input selects accepted by VoskarSetDCM.
inline constexpr uint32_t kDcmSel27MHz = 0x6000000;
inline constexpr uint32_t kDcmSel50MHz = 0x2000000;

// Control register bits of both PLLs (SYS_PLL_CTL, PIX_PLL_CTL).
inline constexpr uint32_t kPllCtlReset = 0x8000000F;
inline constexpr uint32_t kPllCtlStage0 = 0x5;   // cleared to start stage 0
inline constexpr uint32_t kPllCtlStage1 = 0xA;   // cleared to start stage 1
inline constexpr uint32_t kPllCtlBypass = 1u << 31;  // cleared last to switch to the PLL output

// DCM_CFG bits.
inline constexpr uint32_t kDcmStrobe = 1u << 31;
inline constexpr uint32_t kDcmPulseBits = 0x60000000;  // bits 30:29, pulsed while programming
inline constexpr uint32_t kDcmProgram = 1u << 28;      // held while programming, cleared to start
inline constexpr uint32_t kDcmReady = 1u << 24;        // the DCM accepted the settings
inline constexpr uint32_t kDcmLocked = 1u << 23;
inline constexpr uint32_t kDcmFixedBits = 0x00500000;  // bits 22 and 20, always written 1
inline constexpr uint32_t kDcmBusyMask = 0xE1000000;   // must read 0 before programming

bool VoskarLRST(UsbDevice* dev);
// Sets ctx.gSysClk from the frequency index 1..4 and prints the banner.
bool GfxChangeSysClk(LibContext& ctx, int32_t index);

void FindPllSettings(uint32_t target, PllSettings* settings);
// FindPllSettings that also returns how many candidates (complete two-stage settings
// whose output was compared with the target) it visited.
uint64_t FindPllSettingsCounted(uint32_t target, PllSettings* settings);
// Input-range code of a PLL stage from its divided reference frequency (1..7).
uint32_t PllRangeCode(uint32_t refHz);
// The configuration word of stage 0 or 1 (DIVF 7:0, DIVR 12:8, DIVQ 18:16, RANGE 22:20).
uint32_t PllStage0Word(const PllSettings& settings);
uint32_t PllStage1Word(const PllSettings& settings);

bool config_sys_clk(uint32_t sysClk, UsbDevice* dev);
bool config_pix_clk(uint32_t pixClk, UsbDevice* dev);

void FindDcmSettings(DcmSettings* settings, uint32_t target);
bool VoskarSetDCM(UsbDevice* dev, uint32_t dwM, uint32_t dwD, uint32_t dwSel);
// The FPGA prototype's pixel clock: the closest DCM setting for `pixClk`, programmed
// with VoskarSetDCM. True when the DCM locked.
bool FpgaSetPixelClock(UsbDevice* dev, uint32_t pixClk);
void FpgaReleasePlls(UsbDevice* dev);

}  // namespace zev
