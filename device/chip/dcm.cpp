#include "device/chip/register_poll.h"
#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"

namespace zev {
namespace {

// The DCM produces input × M / D; it is usable from 32 to 135 MHz.
constexpr uint32_t kDcmMinHz = 32000000;
constexpr uint32_t kDcmMaxHz = 135000000;
constexpr uint32_t kDcmMinM = 2, kDcmMaxSearchM = 32, kDcmMaxM = 33;
constexpr uint32_t kDcmMinD = 2, kDcmMaxD = 32;

constexpr int kDcmReadyReads = 100;
constexpr uint32_t kDcmLockTimeoutMs = 100;

// Dividers the search leaves out: 5-8, 13-16, 21-24 and 29-32.
bool IsSearchedDivider(uint32_t d) { return ((d - 1) & 4) == 0; }

uint32_t Distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

}  // namespace

// No early exit: every candidate is compared, and ties keep the first (27 MHz before
// 50 MHz, then smaller M, then smaller D).
void FindDcmSettings(DcmSettings* settings, uint32_t target) {
  settings->M = 0;
  uint32_t best = 0xFFFFFFFF;
  for (uint32_t input : {kDcmInput27MHz, kDcmInput50MHz}) {
    for (uint32_t m = kDcmMinM; m <= kDcmMaxSearchM; ++m) {
      for (uint32_t d = kDcmMinD; d <= kDcmMaxD; ++d) {
        if (!IsSearchedDivider(d)) continue;
        // input × M stays below 2^32 (at most 50 MHz × 32).
        const uint32_t f = input * m / d;
        if (f < kDcmMinHz || f > kDcmMaxHz) continue;
        const uint32_t err = Distance(f, target);
        if (err >= best) continue;
        best = err;
        *settings = {.M = m, .D = d, .dwRefClk = input, .dwFreq = f};
      }
    }
  }
}

bool VoskarSetDCM(UsbDevice* dev, uint32_t dwM, uint32_t dwD, uint32_t dwSel) {
  if (dwM < kDcmMinM || dwM > kDcmMaxM) {
    DevPrintf(dev, "ERROR:  VoskarSetDCM() bad dwM=%u, s/b 2-33\n", dwM);
    return false;
  }
  if (dwD < kDcmMinD || dwD > kDcmMaxD) {
    DevPrintf(dev, "ERROR:  VoskarSetDCM() bad dwD=%u, s/b 2-32\n", dwD);
    return false;
  }
  if (dwSel != 0 && dwSel != kDcmSel27MHz && dwSel != kDcmSel50MHz) {
    DevPrintf(dev, "ERROR:  VoskarSetDCM() bad dwSel=0x%08X\n", dwSel);
    return false;
  }

  uint32_t cfg = GfxGetRegDW(dev, DCM_CFG);
  if ((cfg & kDcmBusyMask) != 0) {
    DevPrintf(dev, "ERROR:  VoskarSetDCM() bad DCM_CFG=0x%08X at entry\n", cfg);
    return false;
  }

  // Load the settings with the program bit held, pulsing bits 31:29.
  uint32_t w = (dwM - 1) << 8 | (dwD - 1) | dwSel | kDcmProgram | kDcmFixedBits;
  GfxSetRegDW(dev, DCM_CFG, w);
  GfxSetRegDW(dev, DCM_CFG, w | kDcmPulseBits);
  GfxSetRegDW(dev, DCM_CFG, w | kDcmPulseBits | kDcmStrobe);
  GfxSetRegDW(dev, DCM_CFG, w);

  for (int attempt = 0; attempt < kDcmReadyReads; ++attempt) {
    cfg = GfxGetRegDW(dev, DCM_CFG);
    // Strobe once more: without RDY to ask again, with RDY to acknowledge it.
    GfxSetRegDW(dev, DCM_CFG, w | kDcmStrobe);
    GfxSetRegDW(dev, DCM_CFG, w);
    if ((cfg & kDcmReady) == 0) continue;

    cfg = GfxGetRegDW(dev, DCM_CFG);
    if ((cfg & kDcmBusyMask) != 0) {
      DevPrintf(dev, "ERROR:  VoskarSetDCM() bad DCM_CFG=0x%08X after tried to clear RDY\n", cfg);
      return false;
    }
    // Release the program bit: the DCM starts and locks on the new settings.
    w &= ~kDcmProgram;
    GfxSetRegDW(dev, DCM_CFG, w);
    if (PollRegisterBits(dev, DCM_CFG, kDcmLocked, kDcmLockTimeoutMs, &cfg)) return true;
    DevPrintf(dev, "ERROR:  VoskarSetDCM() timed out waiting for lock, DCM_CFG=0x%08X\n", cfg);
    return false;
  }
  DevPrintf(dev, "ERROR:  VoskarSetDCM() failed, never got RDY\n");
  return false;
}

bool FpgaSetPixelClock(UsbDevice* dev, uint32_t pixClk) {
  DcmSettings dcm;
  FindDcmSettings(&dcm, pixClk);
  const uint32_t sel = dcm.dwRefClk == kDcmInput27MHz ? kDcmSel27MHz : kDcmSel50MHz;
  return VoskarSetDCM(dev, dcm.M, dcm.D, sel);
}

}  // namespace zev
