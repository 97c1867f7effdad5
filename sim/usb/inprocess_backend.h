#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/usb/usb_backend.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim {

// Connects the device library straight to virtual adapters in the same process, for
// fast deterministic tests and benchmarks. Adapters are listed as "sim:N" while
// plugged in; a handle opened before the adapter left the bus stays dead.
class InProcessBackend final : public UsbBackend {
 public:
  // Adapters are not owned.
  void Attach(SimAdapter* adapter) { adapters_.push_back(adapter); }
  void DetachAll() { adapters_.clear(); }
  // Next enumeration fails (as when the system cannot list devices).
  void FailEnumeration(bool fail) { failEnumeration_ = fail; }

  bool ListDevicePaths(std::vector<std::string>* paths) override;
  std::unique_ptr<UsbTransport> Open(const std::string& path) override;

  // Fault hooks for the transport itself (not the adapter): the given endpoint index
  // fails its pipe query; the speed query fails.
  int failPipeQueryIndex = -1;
  bool failSpeedQuery = false;
  // Number of transports open now.
  int openTransports = 0;

 private:
  std::vector<SimAdapter*> adapters_;
  bool failEnumeration_ = false;
};

}  // namespace zev::sim
