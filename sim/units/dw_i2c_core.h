#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/devices/i2c_bus.h"
#include "sim/units/i2c_master_faults.h"

namespace zev::sim {

class Chip;

// What became of one command put on the bus.
struct I2cCommandOutcome {
  bool finished = false;  // false: the bus is stuck and the command never completes
  uint64_t doneAtUs = 0;  // when its byte has left (or arrived)
  uint8_t data = 0xFF;    // a read's byte (0xFF, the idle bus, when nobody answered)
  bool aborted = false;   // the transfer it belongs to was aborted
};

// The DesignWare I2C master core as this chip carries it: master mode only, 7-bit
// addressing, 16-entry TX and RX FIFOs, latched interrupt bits cleared by reading,
// and a transfer abort with its source when a target does not acknowledge.
//
// Timing: when its TX FIFO runs empty the core holds the bus for a while (kHoldUs)
// before it sends STOP, so a command software sends over USB in the meantime continues
// the transfer (a change from writing to reading issues a restart); a later command
// starts a new transfer, on the bus I2C_SEL selects and at the address IC_TAR holds.
// The assist sequencer queues its commands at once and needs no hold. Results
// are decided when a command is queued and become visible (RX data, STOP_DET, TX_ABRT,
// activity ending) once simulated time reaches the moment the bytes left the wire.
//
// An aborted transfer drops the write commands still queued for it, and each of its
// read commands still delivers a byte: 0xFF, the level of the undriven bus, so software
// sees the abort in the status rather than waiting for data that never comes.
class DwI2cCore {
 public:
  static constexpr size_t kFifoDepth = 16;
  // Bus timing: START, every byte (address or data, with its acknowledge), STOP.
  static constexpr uint64_t kStartUs = 50;
  static constexpr uint64_t kByteUs = 400;
  static constexpr uint64_t kStopUs = 50;
  // How long an idle transfer keeps the bus, waiting for the next FIFO command.
  static constexpr uint64_t kHoldUs = 500;

  // IC_RAW_INTR_STAT bits.
  static constexpr uint32_t kRxUnder = 1u << 0;
  static constexpr uint32_t kRxOver = 1u << 1;
  static constexpr uint32_t kRxFull = 1u << 2;
  static constexpr uint32_t kTxOver = 1u << 3;
  static constexpr uint32_t kTxEmpty = 1u << 4;
  static constexpr uint32_t kRdReq = 1u << 5;
  static constexpr uint32_t kTxAbrt = 1u << 6;
  static constexpr uint32_t kRxDone = 1u << 7;
  static constexpr uint32_t kActivity = 1u << 8;
  static constexpr uint32_t kStopDet = 1u << 9;
  static constexpr uint32_t kStartDet = 1u << 10;
  static constexpr uint32_t kGenCall = 1u << 11;
  // The bits that stay set until read clear (the others follow the FIFO levels).
  static constexpr uint32_t kLatchedBits = 0xFFF & ~(kRxFull | kTxEmpty);
  // IC_TX_ABRT_SOURCE bits.
  static constexpr uint32_t kAbrt7bAddrNoack = 1u << 0;
  static constexpr uint32_t kAbrt10Addr1Noack = 1u << 1;
  static constexpr uint32_t kAbrtTxdataNoack = 1u << 3;
  // IC_STATUS bits.
  static constexpr uint32_t kStatusActivity = 1u << 0;
  static constexpr uint32_t kStatusTfnf = 1u << 1;
  static constexpr uint32_t kStatusTfe = 1u << 2;
  static constexpr uint32_t kStatusRfne = 1u << 3;
  static constexpr uint32_t kStatusRff = 1u << 4;
  static constexpr uint32_t kStatusMstActivity = 1u << 5;
  // IC_DATA_CMD: bit 8 queues a read.
  static constexpr uint16_t kReadCommand = 0x100;
  // IC_CON bit 4: 10-bit addressing as master.
  static constexpr uint32_t kCon10BitMaster = 1u << 4;

  DwI2cCore(Chip& chip, std::array<I2cBus, 4>& buses, const I2cMasterFaults& faults);
  void Reset();

  bool Enabled() const { return enabled_; }
  // Disabling flushes both FIFOs (a transfer already on the wire runs to its end).
  void SetEnabled(bool on);

  // IC_DATA_CMD written by software: the command enters the TX FIFO and a read's byte
  // the RX FIFO. Ignored while disabled; overflow sets TX_OVER.
  void QueueFromFifo(uint16_t dataCmd);
  // IC_DATA_CMD read: the oldest received byte, or 0 with RX_UNDER when there is none.
  uint16_t PopReceived();
  // A command of the assist sequencer, which feeds the core directly (no FIFOs).
  I2cCommandOutcome Issue(uint16_t dataCmd);

  uint32_t Status();
  uint32_t RawInterrupts();
  uint32_t TxLevel();
  uint32_t RxLevel();
  uint32_t AbortSource();
  // Read-to-clear: clears `bits` of the latched interrupts (TX_ABRT also clears the
  // abort source); 1 when any of them was set.
  uint32_t ClearInterrupts(uint32_t bits);

 private:
  struct PendingAbort {
    uint64_t atUs;
    uint32_t source;
  };
  struct Received {
    uint64_t atUs;
    uint8_t byte;
  };
  enum class Phase { None, Write, Read };

  // Applies what has happened on the wire up to now.
  void Settle();
  I2cCommandOutcome Run(uint16_t dataCmd, uint64_t holdUs);
  void StartTransfer(uint64_t atUs);
  bool AddressPhase(Phase phase);
  void Abort(uint32_t source);

  Chip& chip_;
  std::array<I2cBus, 4>& buses_;
  const I2cMasterFaults& faults_;

  bool enabled_ = false;
  uint32_t latched_ = 0;
  uint32_t abortSource_ = 0;
  std::vector<PendingAbort> pendingAborts_;
  std::deque<Received> rx_;
  std::deque<uint64_t> tx_;  // when each queued command leaves the FIFO
  size_t stuckCommands_ = 0;

  // The transfer on the wire.
  bool inTransfer_ = false;
  uint64_t wireUs_ = 0;  // when the last byte queued so far has left
  uint64_t holdUs_ = 0;  // how long the bus is held after that
  uint64_t stopUs_ = 0;  // when its STOP condition is over
  Phase phase_ = Phase::None;
  bool aborted_ = false;
  bool registerAddressNext_ = false;  // the next byte written is the register address
  I2cBus* bus_ = nullptr;
  uint8_t target_ = 0;
  bool tenBit_ = false;
};

}  // namespace zev::sim
