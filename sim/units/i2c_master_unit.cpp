#include "sim/units/i2c_master_unit.h"

#include "device/chip/registers.h"
#include "sim/core/chip.h"

namespace zev::sim {
namespace {

// Bits of IC_CON and IC_TAR the core implements.
constexpr uint32_t kConMask = 0x07FF;
constexpr uint32_t kTarMask = 0x1FFF;

// The interrupt bit each individual clear register clears, or 0.
uint32_t ClearedBit(uint16_t address) {
  switch (address) {
    case IC_CLR_INTR:
      return DwI2cCore::kLatchedBits;
    case IC_CLR_RX_UNDER:
      return DwI2cCore::kRxUnder;
    case IC_CLR_RX_OVER:
      return DwI2cCore::kRxOver;
    case IC_CLR_TX_OVER:
      return DwI2cCore::kTxOver;
    case IC_CLR_RD_REQ:
      return DwI2cCore::kRdReq;
    case IC_CLR_TX_ABRT:
      return DwI2cCore::kTxAbrt;
    case IC_CLR_RX_DONE:
      return DwI2cCore::kRxDone;
    case IC_CLR_ACTIVITY:
      return DwI2cCore::kActivity;
    case IC_CLR_STOP_DET:
      return DwI2cCore::kStopDet;
    case IC_CLR_START_DET:
      return DwI2cCore::kStartDet;
    case IC_CLR_GEN_CALL:
      return DwI2cCore::kGenCall;
    default:
      return 0;
  }
}

}  // namespace

I2cMasterUnit::I2cMasterUnit(Chip& chip)
    : Unit(chip), core_(chip, buses_, faults), assist_(chip, core_, faults, chip.Variant().I2cAssistGeneration()) {}

bool I2cMasterUnit::Decodes(uint16_t address) const {
  switch (address) {
    case IC_CON:
    case IC_TAR:
    case IC_DATA_CMD:
    case IC_INTR_STAT:
    case IC_RAW_INTR_STAT:
    case IC_ENABLE:
    case IC_STATUS:
    case IC_TXFLR:
    case IC_RXFLR:
    case IC_TX_ABRT_SOURCE:
      return true;
    default:
      return ClearedBit(address) != 0 || assist_.Decodes(address);
  }
}

uint32_t I2cMasterUnit::ReadEnable() {
  ++enableReads_;
  const bool stuck = faults.enableStuckAfterReads >= 0 && enableReads_ > faults.enableStuckAfterReads;
  return core_.Enabled() || stuck ? 1 : 0;
}

uint32_t I2cMasterUnit::Read(uint16_t address) {
  switch (address) {
    case IC_CON:
    case IC_TAR:
      return chip().Peek(address);
    case IC_DATA_CMD:
      return core_.PopReceived();
    case IC_INTR_STAT:
      return core_.RawInterrupts() & chip().Peek(IC_INTR_MASK);
    case IC_RAW_INTR_STAT:
      return core_.RawInterrupts();
    case IC_ENABLE:
      return ReadEnable();
    case IC_STATUS:
      return core_.Status();
    case IC_TXFLR:
      return core_.TxLevel();
    case IC_RXFLR:
      return core_.RxLevel();
    case IC_TX_ABRT_SOURCE:
      return core_.AbortSource();
    default:
      break;
  }
  if (const uint32_t bits = ClearedBit(address); bits != 0) return core_.ClearInterrupts(bits);
  return assist_.Read();
}

void I2cMasterUnit::Write(uint16_t address, uint32_t value) {
  switch (address) {
    case IC_CON:
      if (!core_.Enabled()) chip().Poke(address, value & kConMask);
      return;
    case IC_TAR:
      if (!core_.Enabled()) chip().Poke(address, value & kTarMask);
      return;
    case IC_DATA_CMD:
      core_.QueueFromFifo(static_cast<uint16_t>(value & 0x1FF));
      return;
    case IC_ENABLE:
      core_.SetEnabled((value & 1) != 0);
      return;
    default:
      break;
  }
  if (assist_.Decodes(address)) assist_.Write(value);
  // Status, level and clear registers are read-only.
}

void I2cMasterUnit::Reset() {
  core_.Reset();
  assist_.Reset();
  enableReads_ = 0;
}

}  // namespace zev::sim
