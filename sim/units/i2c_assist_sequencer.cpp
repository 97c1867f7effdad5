#include "sim/units/i2c_assist_sequencer.h"

#include "device/chip/registers.h"
#include "sim/core/chip.h"
#include "sim/units/dw_i2c_core.h"

namespace zev::sim {

I2cAssistSequencer::I2cAssistSequencer(Chip& chip, DwI2cCore& core, const I2cMasterFaults& faults,
                                       uint32_t generation)
    : chip_(chip), core_(core), faults_(faults), generation_(generation) {}

void I2cAssistSequencer::Reset() {
  word_ = 0;
  busy_ = false;
  doneAtUs_.reset();
  result_ = 0;
}

bool I2cAssistSequencer::Decodes(uint16_t address) const {
  switch (generation_) {
    case 1:
      return address == IC_CSR;
    case 2:
      return address == IC_ACCESS;
    default:
      return false;
  }
}

void I2cAssistSequencer::Settle() {
  if (busy_ && doneAtUs_ && chip_.NowUs() >= *doneAtUs_) {
    busy_ = false;
    word_ = result_;
  }
}

uint32_t I2cAssistSequencer::Read() {
  Settle();
  return busy_ ? word_ | kBusy : word_;
}

void I2cAssistSequencer::Write(uint32_t value) {
  Settle();
  if (busy_) return;  // a running command cannot be replaced
  if (generation_ == 2 && (value & kBusy) == 0) {
    word_ = value;  // staged until the go bit
    return;
  }
  Start(value & ~kBusy);
}

void I2cAssistSequencer::Start(uint32_t command) {
  word_ = command;
  busy_ = true;
  const uint64_t now = chip_.NowUs();
  const bool read = (command & kRead) != 0;
  if (!core_.Enabled()) {
    result_ = command | kError;
    doneAtUs_ = now + DwI2cCore::kStartUs;
    return;
  }
  core_.Issue(static_cast<uint16_t>((command >> 8) & 0xFF));  // the register address
  const I2cCommandOutcome outcome =
      core_.Issue(read ? DwI2cCore::kReadCommand : static_cast<uint16_t>(command & 0xFF));
  if (!outcome.finished || faults_.assistNeverFinishes) {
    doneAtUs_.reset();
    return;
  }
  const uint32_t data = read ? outcome.data : command & 0xFF;
  result_ = (command & ~(kError | 0xFFu)) | (outcome.aborted ? kError : 0) | data;
  doneAtUs_ = outcome.doneAtUs + DwI2cCore::kStopUs;
}

}  // namespace zev::sim
