#include "sim/usb/inprocess_backend.h"

namespace zev::sim {
namespace {

uint8_t SpeedCode(BusSpeed speed) { return speed == BusSpeed::Full ? kSpeedFull : kSpeedHigh; }

class InProcessTransport final : public UsbTransport {
 public:
  InProcessTransport(InProcessBackend& backend, SimAdapter& adapter)
      : backend_(backend), adapter_(adapter), generation_(adapter.generation()) {
    ++backend_.openTransports;
    // The endpoints of the configuration the adapter presents now.
    const std::vector<uint8_t> config = adapter.descriptors().Configuration(adapter.speed());
    for (size_t i = 0; i + 1 < config.size() && config[i] != 0; i += config[i]) {
      if (config[i + 1] == 0x05 && i + 6 < config.size()) {
        PipeInfo pipe;
        pipe.pipeId = config[i + 2];
        pipe.type = static_cast<PipeType>(config[i + 3] & 3);
        pipe.maxPacketSize = static_cast<uint16_t>(config[i + 4] | config[i + 5] << 8);
        pipes_.push_back(pipe);
      }
    }
  }
  ~InProcessTransport() override { --backend_.openTransports; }

  bool QuerySpeed(uint8_t* speed) override {
    if (backend_.failSpeedQuery || !Alive()) return false;
    *speed = SpeedCode(adapter_.speed());
    return true;
  }
  bool QueryInterfaceSettings(uint8_t alternate, uint8_t* endpointCount) override {
    if (alternate != 0 || !Alive()) return false;
    *endpointCount = static_cast<uint8_t>(pipes_.size());
    return true;
  }
  bool QueryPipe(uint8_t alternate, uint8_t index, PipeInfo* pipe) override {
    if (alternate != 0 || index >= pipes_.size() || index == backend_.failPipeQueryIndex) return false;
    *pipe = pipes_[index];
    return true;
  }
  bool ControlTransfer(const SetupPacket& setup, uint8_t* data, uint32_t* transferred) override {
    if (Stale(setup.wIndex)) return false;
    const TransferResult result = adapter_.Control(setup, data);
    *transferred = result.length;
    return result.ok();
  }
  bool ResetPipe(uint8_t pipeId) override { return !Stale(pipeId) && adapter_.ClearHalt(pipeId).ok(); }
  bool WritePipe(uint8_t pipeId, const uint8_t* data, uint32_t length, uint32_t* written) override {
    *written = 0;
    if (Stale(pipeId)) return false;
    const TransferResult result = adapter_.BulkOut(pipeId, std::span<const uint8_t>(data, length));
    *written = result.length;
    return result.ok();
  }

 private:
  bool Alive() const { return adapter_.plugged() && adapter_.generation() == generation_; }
  // A handle from before the adapter last joined the bus reaches nothing; the attempt
  // is still recorded. An unplugged adapter records its own failures.
  bool Stale(uint16_t address) {
    if (adapter_.generation() == generation_) return false;
    adapter_.RecordVanishedTransfer(address);
    return true;
  }

  InProcessBackend& backend_;
  SimAdapter& adapter_;
  uint64_t generation_;
  std::vector<PipeInfo> pipes_;
};

}  // namespace

bool InProcessBackend::ListDevicePaths(std::vector<std::string>* paths) {
  paths->clear();
  if (failEnumeration_) return false;
  for (size_t i = 0; i < adapters_.size(); ++i) {
    if (adapters_[i]->plugged()) paths->push_back("sim:" + std::to_string(i));
  }
  return true;
}

std::unique_ptr<UsbTransport> InProcessBackend::Open(const std::string& path) {
  for (size_t i = 0; i < adapters_.size(); ++i) {
    if (path == "sim:" + std::to_string(i) && adapters_[i]->plugged()) {
      return std::make_unique<InProcessTransport>(*this, *adapters_[i]);
    }
  }
  return nullptr;
}

}  // namespace zev::sim
