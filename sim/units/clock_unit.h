#pragma once

#include <cstdint>

#include "sim/core/unit.h"

namespace zev::sim {

// The clock block: the system and pixel PLLs (two stages each, from a 25 MHz
// reference), the clock power-management register and, where the chip has it, the
// FPGA prototype's digital clock manager (DCM_CFG). The programmed frequencies are
// exposed for the units that depend on them and for tests.
//
// PLL model: while a control register's bit 31 is set the PLL passes the reference
// through; once it is clear the output is the reference through each started stage
// (stage 0 started when bits 0 and 2 are clear, stage 1 when bits 1 and 3 are),
// each stage giving in / (DIVR + 1) * (DIVF + 1) / 2^DIVQ in integer arithmetic.
//
// DCM model: a write strobe (bit 31 falling) with the program bit 28 held latches M,
// D and the input select and raises RDY (bit 24); the next strobe acknowledges RDY.
// Clearing bit 28 afterwards starts the DCM, which reports lock (bit 23) kDcmLockUs
// later; setting bit 28 again stops it. Bit 26 of the select picks the 27 MHz
// oscillator, otherwise the 50 MHz one feeds it.
class ClockUnit final : public Unit {
 public:
  explicit ClockUnit(Chip& chip);

  const char* Name() const override { return "clock"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  static constexpr uint32_t kReferenceHz = 25000000;
  static constexpr uint64_t kDcmLockUs = 1000;

  // Faults of the DCM: RDY never rises; the DCM never locks.
  bool dcmNeverReady = false;
  bool dcmNeverLocks = false;

  // System PLL output (the DDR2 clock runs from it) and whether it has been switched
  // from the reference to the configured output.
  uint64_t SysPllOutHz() const;
  bool SysClockReleased() const;
  uint64_t PixPllOutHz() const;
  // DCM output, 0 unless locked.
  bool DcmLocked() const { return dcmLocked_; }
  uint32_t DcmM() const { return dcmM_; }
  uint32_t DcmD() const { return dcmD_; }
  uint32_t DcmInputHz() const { return dcmInputHz_; }
  uint64_t DcmOutHz() const;
  // The display's pixel clock: half the pixel PLL on the production chip, the DCM on
  // the FPGA prototype.
  uint64_t PixelClockHz() const;

 private:
  struct Pll {
    uint32_t ctl = 0;
    uint32_t stage0 = 0;
    uint32_t stage1 = 0;
  };
  static uint64_t PllOutHz(const Pll& pll);
  void WriteDcm(uint32_t value);
  void UpdateDcmLock();

  bool hasDcm_;
  bool silicon_;
  Pll sys_, pix_;
  uint32_t cpm_ = 0;

  uint32_t dcmCfg_ = 0;  // as last written, without the status bits
  bool dcmReady_ = false;
  bool dcmAccepted_ = false;  // settings latched, waiting for the program bit to clear
  bool dcmStarting_ = false;
  uint64_t dcmLockAtUs_ = 0;
  bool dcmLocked_ = false;
  uint32_t dcmM_ = 0, dcmD_ = 0, dcmInputHz_ = 0;
};

}  // namespace zev::sim
