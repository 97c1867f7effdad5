#include "sim/devices/anx9805_ddc.h"

#include <algorithm>

namespace zev::sim {
namespace {

constexpr uint8_t kClear = 0x06;
constexpr uint8_t kAddressDevice = 0x05;
constexpr uint8_t kSequentialRead = 0x01;

}  // namespace

void Anx9805DdcMaster::Reset() {
  state_ = State::Idle;
  status_ = 0;
  remaining_ = 0;
  fifo_.clear();
}

void Anx9805DdcMaster::Command(uint8_t command, uint8_t device, uint8_t offset, uint16_t count) {
  switch (command) {
    case kClear:
      Reset();
      break;
    case kAddressDevice:
      fifo_.clear();
      device_ = static_cast<uint8_t>(device >> 1);
      offset_ = offset;
      state_ = State::Addressing;
      status_ = kStatusInProgress;
      addressedAt_ = time_.Deadline(addressTimeUs);
      break;
    case kSequentialRead:
      state_ = State::Reading;
      status_ = kStatusInProgress;
      remaining_ = count;
      break;
    default:
      break;  // other commands are not used by the library and do nothing here
  }
}

void Anx9805DdcMaster::Settle() {
  if (state_ == State::Addressing && time_.Passed(addressedAt_)) {
    state_ = State::Idle;
    status_ = bus_.SetPointer(device_, offset_) ? kStatusDone : kStatusDone | kStatusNoAcknowledge;
  }
  if (state_ != State::Reading) return;
  const size_t depth = std::clamp<uint32_t>(fifoDepth, 1, 255);
  bool added = false;
  while (fifo_.size() < depth && (remaining_ > 0 || readsPastCount)) {
    const auto byte = bus_.Read(device_);
    if (!byte) {
      state_ = State::Idle;
      status_ = kStatusDone | kStatusNoAcknowledge;
      break;
    }
    fifo_.push_back(*byte);
    if (remaining_ > 0) --remaining_;
    added = true;
  }
  if (added) ++batches_;
  if (state_ == State::Reading && remaining_ == 0 && !readsPastCount) {
    state_ = State::Idle;
    status_ = kStatusDone;
  }
}

uint8_t Anx9805DdcMaster::Status() {
  Settle();
  return status_;
}

uint8_t Anx9805DdcMaster::FifoCount() {
  Settle();
  return static_cast<uint8_t>(fifo_.size());
}

uint8_t Anx9805DdcMaster::PopFifo() {
  if (fifo_.empty()) return 0;
  const uint8_t byte = fifo_.front();
  fifo_.pop_front();
  return byte;
}

}  // namespace zev::sim
