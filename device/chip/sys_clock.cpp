#include "device/chip/chip_identity.h"
#include "device/chip/pll_program.h"
#include "device/chip/reset_clock.h"
#include "device/core/device_diag.h"
#include "device/core/lib_context.h"

namespace zev {
namespace {

struct SysClkChoice {
  int32_t index;
  uint32_t sysClk;
  const char* banner;  // the banner's middle line
};

constexpr SysClkChoice kSysClkChoices[] = {
    {1, 62500000, "*   Set DDR2_CLK to 125Mhz  *\n"},
    {2, 100000000, "*   Set DDR2_CLK to 200Mhz  *\n"},
    {3, 133333333, "*   Set DDR2_CLK to 266Mhz  *\n"},
    {4, 166666666, "*   Set DDR2_CLK to 333Mhz  *\n"},
};

// Hand-optimised system PLL settings for the supported clocks: stage 0 unused, stage 1
// from the 25 MHz reference. Revision A0 runs its PLL at half the rate of later chips,
// hence one output divider step more.
struct FixedSysPll {
  uint32_t sysClk;
  uint32_t pllOut;
  uint32_t divR1, divF1, divQ1A0, divQ1Later, range1;
  const char* line;  // printed when the setting is chosen (none for the slowest)
};

constexpr FixedSysPll kFixedSysPll[] = {
    {62500000, 125000000, 0, 19, 2, 1, 4, nullptr},
    {100000000, 200000000, 0, 15, 1, 0, 4,
     " config_sys_clk():  setting clk_ddr 200.000 MHz (400/2) hand-optimized values\n"},
    {133333333, 266666667, 2, 63, 1, 0, 1,
     " config_sys_clk():  setting clk_ddr 266.666... MHz (25/3 * 64/2) hand-optimized values\n"},
    {166666666, 333333333, 2, 79, 1, 0, 1,
     " config_sys_clk():  setting clk_ddr 333.333... MHz (25/3 * 80/2) hand-optimized values\n"},
};

const FixedSysPll* FindFixedSysPll(uint32_t sysClk) {
  for (const auto& row : kFixedSysPll) {
    if (row.sysClk == sysClk) return &row;
  }
  return nullptr;
}

}  // namespace

bool GfxChangeSysClk(LibContext& ctx, int32_t index) {
  for (const auto& choice : kSysClkChoices) {
    if (choice.index != index) continue;
    ctx.gSysClk = choice.sysClk;
    // The shared library announces every clock but its slowest; the utility all.
    if (index != 1 || ctx.IsUtility()) {
      DiagPrintf(ctx.diag, "\n*****************************\n%s*****************************\n", choice.banner);
    }
    return true;
  }
  DiagPrintf(ctx.diag, "\nERROR GfxChangeSysClk(): Invalid System Clock index\n\n");
  return false;
}

bool config_sys_clk(uint32_t sysClk, UsbDevice* dev) {
  const bool revA0 = IsSiliconRevA0(dev);
  PllSettings s;
  if (const FixedSysPll* fixed = FindFixedSysPll(sysClk)) {
    s.pllOut = fixed->pllOut;
    s.DIVR1 = fixed->divR1;
    s.DIVF1 = fixed->divF1;
    s.DIVQ1 = revA0 ? fixed->divQ1A0 : fixed->divQ1Later;
    s.RANGE1 = fixed->range1;
    if (fixed->line != nullptr) DevPrintf(dev, "%s", fixed->line);
  } else {
    // Any other clock gets the closest search result; the PLL runs at twice the
    // system clock on revision A0 and four times on later chips.
    FindPllSettings((revA0 ? 2 : 4) * sysClk, &s);
  }
  ProgramPll(dev, kSysPll, s, false);
  return true;
}

}  // namespace zev
