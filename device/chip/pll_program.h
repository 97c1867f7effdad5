#pragma once

#include <cstdint>

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"

namespace zev {

// The three registers of one PLL.
struct PllRegisters {
  uint32_t ctl;
  uint32_t stage0Cfg;
  uint32_t stage1Cfg;
};

inline constexpr PllRegisters kSysPll{SYS_PLL_CTL, SYS_PLL0_CFG, SYS_PLL1_CFG};
inline constexpr PllRegisters kPixPll{PIX_PLL_CTL, PIX_PLL0_CFG, PIX_PLL1_CFG};

// Loads `settings` into a PLL: control register to its reset value, stage 1 and
// stage 0 words, start the stages in use (2 ms each to settle), then switch to the
// PLL output. With `printWords` each stage word is printed before it is written.
void ProgramPll(UsbDevice* dev, const PllRegisters& pll, const PllSettings& settings, bool printWords);

}  // namespace zev
