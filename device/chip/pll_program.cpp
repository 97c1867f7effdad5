#include "device/chip/pll_program.h"

#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"

namespace zev {

namespace {

// Read-modify-write of a control register. A failed read is not looked at: the
// failure marker with the bits cleared is written, as the chip's own tools do.
void ClearBits(UsbDevice* dev, uint32_t reg, uint32_t bits) { GfxSetRegDW(dev, reg, GfxGetRegDW(dev, reg) & ~bits); }

}  // namespace

void ProgramPll(UsbDevice* dev, const PllRegisters& pll, const PllSettings& settings, bool printWords) {
  GfxSetRegDW(dev, pll.ctl, kPllCtlReset);

  const uint32_t stage1 = PllStage1Word(settings);
  if (printWords) DevPrintf(dev, "  stage 1 pixpll = 0x%8.8x\n", stage1);
  GfxSetRegDW(dev, pll.stage1Cfg, stage1);
  const uint32_t stage0 = PllStage0Word(settings);
  if (printWords) DevPrintf(dev, "  stage 0 pixpll = 0x%8.8x\n", stage0);
  GfxSetRegDW(dev, pll.stage0Cfg, stage0);

  // A range code of 0 marks a stage that is not used.
  if (settings.RANGE0 != 0) {
    ClearBits(dev, pll.ctl, kPllCtlStage0);
    Sleep(2);
  }
  if (settings.RANGE1 != 0) {
    ClearBits(dev, pll.ctl, kPllCtlStage1);
    Sleep(2);
  }
  ClearBits(dev, pll.ctl, kPllCtlBypass);
}

bool config_pix_clk(uint32_t pixClk, UsbDevice* dev) {
  DevPrintf(dev, " Requested pixel clk = %u\n", pixClk);
  // The pixel PLL runs at twice the pixel clock.
  PllSettings s;
  FindPllSettings(2 * pixClk, &s);
  DevPrintf(dev, " CLK_PIX_PLLOUT = %u DIVR0 = %u DIVF0 = %u DIVQ0 = %u RANGE0 = %u \n", s.pllOut, s.DIVR0,
            s.DIVF0, s.DIVQ0, s.RANGE0);
  DevPrintf(dev, " DIVR1 = %u DIVF1 = %u DIVQ1 = %u RANGE1 = %u\n", s.DIVR1, s.DIVF1, s.DIVQ1, s.RANGE1);
  ProgramPll(dev, kPixPll, s, true);
  return true;
}

void FpgaReleasePlls(UsbDevice* dev) {
  ClearBits(dev, SYS_PLL_CTL, kPllCtlBypass);
  ClearBits(dev, PIX_PLL_CTL, kPllCtlBypass);
  Sleep(10);
}

}  // namespace zev
