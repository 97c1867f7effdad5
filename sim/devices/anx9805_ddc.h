#pragma once

#include <cstdint>
#include <deque>

#include "sim/devices/anx9805_time.h"
#include "sim/devices/i2c_bus.h"

namespace zev::sim {

// The ANX9805's DDC master: an I2C master of its own on the connector's DDC lines, where
// the monitor's EDID answers (at 0xA0). Software addresses the device, then asks for a
// sequential read of a byte count, which arrives in a FIFO the master refills in batches
// of up to its depth while software drains it.
//   command 6: clear (FIFO emptied, status 0);
//   command 5: address the device and set its offset; status reads "in progress" (bit 0)
//              for a while, then "done" (bit 4), with bit 1 when nobody acknowledged;
//   command 1: read the byte count from the device's current offset into the FIFO;
//              status in progress until the last byte is in the FIFO, then done.
// The segment register is not modelled: the monitors attached hold at most two blocks.
class Anx9805DdcMaster {
 public:
  static constexpr uint8_t kStatusInProgress = 0x01;
  static constexpr uint8_t kStatusNoAcknowledge = 0x02;
  static constexpr uint8_t kStatusDone = 0x10;

  explicit Anx9805DdcMaster(const Anx9805Time& time) : time_(time) {}

  I2cBus& bus() { return bus_; }
  void Reset();

  void Command(uint8_t command, uint8_t device, uint8_t offset, uint16_t count);
  uint8_t Status();
  // The bytes waiting in the FIFO; the master tops it up first.
  uint8_t FifoCount();
  // The next FIFO byte (0 from an empty FIFO).
  uint8_t PopFifo();

  // FIFO refills that brought bytes.
  uint32_t batches() const { return batches_; }

  // Time to address the device.
  uint64_t addressTimeUs = 1000;
  // Bytes the FIFO holds (1 - 255).
  uint32_t fifoDepth = 16;
  // Fault: the master ignores the byte count and keeps reading.
  bool readsPastCount = false;

 private:
  enum class State { Idle, Addressing, Reading };
  void Settle();

  const Anx9805Time& time_;
  I2cBus bus_;
  State state_ = State::Idle;
  uint8_t status_ = 0;
  uint8_t device_ = 0;  // 7-bit
  uint8_t offset_ = 0;
  uint32_t remaining_ = 0;
  uint64_t addressedAt_ = 0;
  std::deque<uint8_t> fifo_;
  uint32_t batches_ = 0;
};

}  // namespace zev::sim
