#pragma once

#include <cstdint>
#include <string>

#include "device/usb/usb_backend.h"

namespace zev::bench {

// A transport that stands in front of another and forwards everything to it except
// large bulk writes: those it takes as written at the hand-off, without passing them on,
// and counts. Benchmarks use it to time the host's work up to the USB transport apart
// from the virtual adapter's work of storing what it receives.
class BulkHandoffTransport final : public UsbTransport {
 public:
  // Bulk writes of at least `largeBytes` stop here. `inner` is not owned.
  BulkHandoffTransport(UsbTransport* inner, uint32_t largeBytes) : inner_(inner), largeBytes_(largeBytes) {}

  bool QuerySpeed(uint8_t* speed) override { return inner_->QuerySpeed(speed); }
  bool QueryInterfaceSettings(uint8_t alternate, uint8_t* endpointCount) override {
    return inner_->QueryInterfaceSettings(alternate, endpointCount);
  }
  bool QueryPipe(uint8_t alternate, uint8_t index, PipeInfo* pipe) override {
    return inner_->QueryPipe(alternate, index, pipe);
  }
  bool ControlTransfer(const SetupPacket& setup, uint8_t* data, uint32_t* transferred) override {
    return inner_->ControlTransfer(setup, data, transferred);
  }
  bool ResetPipe(uint8_t pipeId) override { return inner_->ResetPipe(pipeId); }
  bool WritePipe(uint8_t pipeId, const uint8_t* data, uint32_t length, uint32_t* written) override {
    if (length < largeBytes_) return inner_->WritePipe(pipeId, data, length, written);
    ++handedOff_;
    handedOffBytes_ += length;
    *written = length;
    return true;
  }
  std::string LastErrorText() const override { return inner_->LastErrorText(); }

  // Large bulk writes taken so far, and their bytes.
  uint64_t HandedOff() const { return handedOff_; }
  uint64_t HandedOffBytes() const { return handedOffBytes_; }

 private:
  UsbTransport* inner_;
  uint32_t largeBytes_;
  uint64_t handedOff_ = 0;
  uint64_t handedOffBytes_ = 0;
};

}  // namespace zev::bench
