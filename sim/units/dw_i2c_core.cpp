#include "sim/units/dw_i2c_core.h"

#include <algorithm>

#include "device/chip/registers.h"
#include "sim/core/chip.h"

namespace zev::sim {

DwI2cCore::DwI2cCore(Chip& chip, std::array<I2cBus, 4>& buses, const I2cMasterFaults& faults)
    : chip_(chip), buses_(buses), faults_(faults) {}

void DwI2cCore::Reset() {
  enabled_ = false;
  latched_ = 0;
  abortSource_ = 0;
  pendingAborts_.clear();
  rx_.clear();
  tx_.clear();
  stuckCommands_ = 0;
  inTransfer_ = false;
  wireUs_ = 0;
  holdUs_ = 0;
  stopUs_ = 0;
  phase_ = Phase::None;
  aborted_ = false;
  registerAddressNext_ = false;
  bus_ = nullptr;
}

void DwI2cCore::Settle() {
  const uint64_t now = chip_.NowUs();
  std::erase_if(pendingAborts_, [&](const PendingAbort& abort) {
    if (abort.atUs > now) return false;
    latched_ |= kTxAbrt;
    abortSource_ |= abort.source;
    return true;
  });
  if (inTransfer_ && stopUs_ <= now) {
    latched_ |= kStopDet;
    inTransfer_ = false;
  }
  while (!tx_.empty() && tx_.front() <= now) tx_.pop_front();
}

void DwI2cCore::SetEnabled(bool on) {
  Settle();
  if (!on) {
    rx_.clear();
    tx_.clear();
    stuckCommands_ = 0;
  }
  enabled_ = on;
}

void DwI2cCore::StartTransfer(uint64_t atUs) {
  inTransfer_ = true;
  latched_ |= kStartDet | kActivity;
  // The selector decodes its two low bits: four separate buses.
  bus_ = &buses_[chip_.Peek(I2C_SEL) & 3];
  target_ = static_cast<uint8_t>(chip_.Peek(IC_TAR) & 0x7F);
  tenBit_ = (chip_.Peek(IC_CON) & kCon10BitMaster) != 0;
  phase_ = Phase::None;
  aborted_ = false;
  registerAddressNext_ = false;
  wireUs_ = atUs + kStartUs;
}

void DwI2cCore::Abort(uint32_t source) {
  aborted_ = true;
  pendingAborts_.push_back({wireUs_, source});
}

bool DwI2cCore::AddressPhase(Phase phase) {
  // START or restart, then the address byte.
  wireUs_ += kByteUs;
  if (tenBit_) {
    // The devices on these buses answer 7-bit addresses only.
    Abort(kAbrt10Addr1Noack);
    return false;
  }
  if (!bus_->Acknowledges(target_)) {
    Abort(kAbrt7bAddrNoack);
    return false;
  }
  phase_ = phase;
  registerAddressNext_ = phase == Phase::Write;
  return true;
}

I2cCommandOutcome DwI2cCore::Run(uint16_t dataCmd, uint64_t holdUs) {
  Settle();
  I2cCommandOutcome outcome;
  if (faults_.busStuckBusy) return outcome;
  const uint64_t now = chip_.NowUs();
  // A command that arrives while the transfer still has the bus continues it (from now,
  // if the bus was being held idle); later it starts a new one, after the previous STOP.
  if (inTransfer_ && now < wireUs_ + holdUs_) {
    wireUs_ = std::max(wireUs_, now);
  } else {
    StartTransfer(inTransfer_ ? std::max(now, stopUs_) : now);
  }

  const bool read = (dataCmd & kReadCommand) != 0;
  const Phase phase = read ? Phase::Read : Phase::Write;
  if (!aborted_ && phase_ != phase) AddressPhase(phase);
  if (!aborted_) {
    wireUs_ += kByteUs;
    const uint8_t byte = static_cast<uint8_t>(dataCmd);
    if (read) {
      const std::optional<uint8_t> value = bus_->Read(target_);
      // A target that does not answer leaves the bus undriven.
      if (!value) Abort(kAbrt7bAddrNoack);
      outcome.data = value.value_or(0xFF);
    } else if (registerAddressNext_) {
      bus_->SetPointer(target_, byte);
      registerAddressNext_ = false;
    } else if (!bus_->Write(target_, byte)) {
      Abort(kAbrtTxdataNoack);
    }
  }
  // An aborted transfer ends at once.
  holdUs_ = aborted_ ? 0 : holdUs;
  stopUs_ = wireUs_ + holdUs_ + kStopUs;
  outcome.finished = true;
  outcome.doneAtUs = wireUs_;
  outcome.aborted = aborted_;
  return outcome;
}

void DwI2cCore::QueueFromFifo(uint16_t dataCmd) {
  Settle();
  if (!enabled_) return;
  if (TxLevel() >= kFifoDepth) {
    latched_ |= kTxOver;
    return;
  }
  const I2cCommandOutcome outcome = Run(dataCmd, kHoldUs);
  if (!outcome.finished) {
    ++stuckCommands_;
    return;
  }
  tx_.push_back(outcome.doneAtUs);
  if ((dataCmd & kReadCommand) == 0) return;
  if (rx_.size() >= kFifoDepth) {
    latched_ |= kRxOver;
    return;
  }
  rx_.push_back({outcome.doneAtUs, outcome.data});
}

uint16_t DwI2cCore::PopReceived() {
  Settle();
  if (rx_.empty() || rx_.front().atUs > chip_.NowUs()) {
    latched_ |= kRxUnder;
    return 0;
  }
  const uint8_t byte = rx_.front().byte;
  rx_.pop_front();
  return byte;
}

I2cCommandOutcome DwI2cCore::Issue(uint16_t dataCmd) { return Run(dataCmd, 0); }

uint32_t DwI2cCore::TxLevel() {
  Settle();
  return static_cast<uint32_t>(tx_.size() + stuckCommands_);
}

uint32_t DwI2cCore::RxLevel() {
  Settle();
  const uint64_t now = chip_.NowUs();
  return static_cast<uint32_t>(
      std::count_if(rx_.begin(), rx_.end(), [now](const Received& r) { return r.atUs <= now; }));
}

uint32_t DwI2cCore::Status() {
  const uint32_t tx = TxLevel();
  const uint32_t rx = RxLevel();
  const bool active = inTransfer_ || faults_.busStuckBusy;
  uint32_t status = 0;
  if (active) status |= kStatusActivity | kStatusMstActivity;
  if (tx < kFifoDepth) status |= kStatusTfnf;
  if (tx == 0) status |= kStatusTfe;
  if (rx > 0) status |= kStatusRfne;
  if (rx >= kFifoDepth) status |= kStatusRff;
  return status;
}

uint32_t DwI2cCore::RawInterrupts() {
  const uint32_t tx = TxLevel();
  const uint32_t rx = RxLevel();
  uint32_t raw = latched_;
  if (enabled_ && tx <= chip_.Peek(IC_TX_TL)) raw |= kTxEmpty;
  if (rx > chip_.Peek(IC_RX_TL)) raw |= kRxFull;
  return raw;
}

uint32_t DwI2cCore::AbortSource() {
  Settle();
  return abortSource_;
}

uint32_t DwI2cCore::ClearInterrupts(uint32_t bits) {
  Settle();
  const bool wasSet = (latched_ & bits) != 0;
  latched_ &= ~bits;
  if ((bits & kTxAbrt) != 0) abortSource_ = 0;
  return wasSet ? 1 : 0;
}

}  // namespace zev::sim
