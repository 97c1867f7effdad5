#pragma once

#include <cstdint>

#include "sim/core/unit.h"

namespace zev::sim {

// The DDR2 controller's start and status register DDR2_DYN. Writing bit 0 starts the
// memory initialisation; it completes (bits 31 and 30 set) kInitTimeUs after the start,
// seen by the first read that finds the system clock running (SYS_PLL_CTL bit 31
// clear): without a clock the controller cannot talk to the memory. Any write clears
// the completion bits. The controller's other registers stay in the chip's register
// file, so the values written remain readable.
class Ddr2Unit final : public Unit {
 public:
  using Unit::Unit;

  const char* Name() const override { return "ddr2"; }
  bool Decodes(uint16_t address) const override;
  uint32_t Read(uint16_t address) override;
  void Write(uint16_t address, uint32_t value) override;
  void Reset() override;

  static constexpr uint32_t kStart = 1;
  static constexpr uint32_t kDone = 0xC0000000;
  static constexpr uint64_t kInitTimeUs = 1000;

  // Fault: the initialisation never completes.
  bool neverCompletes = false;

  // True once the last started initialisation completed.
  bool Ready() const { return done_; }
  int initialisations() const { return initialisations_; }

 private:
  bool SystemClockRunning();

  uint32_t value_ = 0;
  bool running_ = false;
  bool done_ = false;
  uint64_t startUs_ = 0;
  int initialisations_ = 0;
};

}  // namespace zev::sim
