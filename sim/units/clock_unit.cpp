#include "sim/units/clock_unit.h"

#include "device/chip/registers.h"
#include "device/chip/reset_clock.h"
#include "sim/core/chip.h"

namespace zev::sim {
namespace {

uint64_t StageOutHz(uint64_t inHz, uint32_t word) {
  const uint32_t divF = word & 0xFF;
  const uint32_t divR = (word >> 8) & 0x1F;
  const uint32_t divQ = (word >> 16) & 0x7;
  return inHz / (divR + 1) * (divF + 1) >> divQ;
}

}  // namespace

ClockUnit::ClockUnit(Chip& chip)
    : Unit(chip), hasDcm_(chip.HasRegister(DCM_CFG)), silicon_(chip.Variant().IsSilicon()) {}

bool ClockUnit::Decodes(uint16_t address) const {
  switch (address) {
    case PIX_PLL_CTL:
    case PIX_PLL0_CFG:
    case PIX_PLL1_CFG:
    case SYS_PLL_CTL:
    case SYS_PLL0_CFG:
    case SYS_PLL1_CFG:
    case CPM_CTL:
      return true;
    case DCM_CFG:
      return hasDcm_;  // older FPGA builds lack the register
    default:
      return false;
  }
}

uint32_t ClockUnit::Read(uint16_t address) {
  switch (address) {
    case PIX_PLL_CTL: return pix_.ctl;
    case PIX_PLL0_CFG: return pix_.stage0;
    case PIX_PLL1_CFG: return pix_.stage1;
    case SYS_PLL_CTL: return sys_.ctl;
    case SYS_PLL0_CFG: return sys_.stage0;
    case SYS_PLL1_CFG: return sys_.stage1;
    case CPM_CTL: return cpm_;
    case DCM_CFG:
      UpdateDcmLock();
      return dcmCfg_ | (dcmReady_ ? kDcmReady : 0) | (dcmLocked_ ? kDcmLocked : 0);
    default: return 0;
  }
}

void ClockUnit::Write(uint16_t address, uint32_t value) {
  switch (address) {
    case PIX_PLL_CTL: pix_.ctl = value; break;
    case PIX_PLL0_CFG: pix_.stage0 = value; break;
    case PIX_PLL1_CFG: pix_.stage1 = value; break;
    case SYS_PLL_CTL: sys_.ctl = value; break;
    case SYS_PLL0_CFG: sys_.stage0 = value; break;
    case SYS_PLL1_CFG: sys_.stage1 = value; break;
    case CPM_CTL: cpm_ = value; break;
    case DCM_CFG: WriteDcm(value); break;
    default: break;
  }
}

void ClockUnit::WriteDcm(uint32_t value) {
  const uint32_t previous = dcmCfg_;
  dcmCfg_ = value & ~(kDcmReady | kDcmLocked);
  if ((value & kDcmProgram) != 0) {
    // Programming stops the DCM.
    dcmLocked_ = false;
    dcmStarting_ = false;
  }
  const bool strobe = (previous & kDcmStrobe) != 0 && (value & kDcmStrobe) == 0;
  if (strobe && dcmReady_) {
    dcmReady_ = false;
  } else if (strobe && (value & kDcmProgram) != 0 && !dcmNeverReady) {
    dcmM_ = ((value >> 8) & 0x1F) + 1;
    dcmD_ = (value & 0x1F) + 1;
    dcmInputHz_ = (value & (1u << 26)) != 0 ? kDcmInput27MHz : kDcmInput50MHz;
    dcmReady_ = true;
    dcmAccepted_ = true;
  }
  if ((previous & kDcmProgram) != 0 && (value & kDcmProgram) == 0 && dcmAccepted_) {
    dcmAccepted_ = false;
    dcmStarting_ = true;
    dcmLockAtUs_ = chip().NowUs() + kDcmLockUs;
  }
}

void ClockUnit::UpdateDcmLock() {
  if (dcmStarting_ && !dcmNeverLocks && chip().NowUs() >= dcmLockAtUs_) {
    dcmStarting_ = false;
    dcmLocked_ = true;
  }
}

void ClockUnit::Reset() {
  sys_ = {chip().ResetValue(SYS_PLL_CTL), chip().ResetValue(SYS_PLL0_CFG), chip().ResetValue(SYS_PLL1_CFG)};
  pix_ = {chip().ResetValue(PIX_PLL_CTL), chip().ResetValue(PIX_PLL0_CFG), chip().ResetValue(PIX_PLL1_CFG)};
  cpm_ = chip().ResetValue(CPM_CTL);
  dcmCfg_ = hasDcm_ ? chip().ResetValue(DCM_CFG) : 0;
  dcmReady_ = dcmAccepted_ = dcmStarting_ = dcmLocked_ = false;
  dcmLockAtUs_ = 0;
  dcmM_ = dcmD_ = dcmInputHz_ = 0;
}

uint64_t ClockUnit::PllOutHz(const Pll& pll) {
  uint64_t hz = kReferenceHz;
  if ((pll.ctl & kPllCtlBypass) != 0) return hz;
  if ((pll.ctl & kPllCtlStage0) == 0) hz = StageOutHz(hz, pll.stage0);
  if ((pll.ctl & kPllCtlStage1) == 0) hz = StageOutHz(hz, pll.stage1);
  return hz;
}

uint64_t ClockUnit::SysPllOutHz() const { return PllOutHz(sys_); }
bool ClockUnit::SysClockReleased() const { return (sys_.ctl & kPllCtlBypass) == 0; }
uint64_t ClockUnit::PixPllOutHz() const { return PllOutHz(pix_); }

uint64_t ClockUnit::DcmOutHz() const {
  return dcmLocked_ ? uint64_t{dcmInputHz_} * dcmM_ / dcmD_ : 0;
}

uint64_t ClockUnit::PixelClockHz() const { return silicon_ ? PixPllOutHz() / 2 : DcmOutHz(); }

}  // namespace zev::sim
