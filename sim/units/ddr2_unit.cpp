#include "sim/units/ddr2_unit.h"

#include "device/chip/registers.h"
#include "sim/core/chip.h"
#include "sim/units/clock_unit.h"

namespace zev::sim {

bool Ddr2Unit::Decodes(uint16_t address) const { return address == DDR2_DYN; }

bool Ddr2Unit::SystemClockRunning() {
  const ClockUnit* clock = chip().Find<ClockUnit>();
  return clock != nullptr && clock->SysClockReleased();
}

uint32_t Ddr2Unit::Read(uint16_t) {
  if (running_ && !neverCompletes && chip().NowUs() - startUs_ >= kInitTimeUs && SystemClockRunning()) {
    running_ = false;
    done_ = true;
  }
  return value_ | (done_ ? kDone : 0);
}

void Ddr2Unit::Write(uint16_t, uint32_t value) {
  value_ = value & ~kDone;
  done_ = false;
  running_ = (value & kStart) != 0;
  if (running_) {
    startUs_ = chip().NowUs();
    ++initialisations_;
  }
}

void Ddr2Unit::Reset() {
  value_ = chip().ResetValue(DDR2_DYN);
  running_ = done_ = false;
  startUs_ = 0;
}

}  // namespace zev::sim
