#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "device/core/clock.h"
#include "device/core/diagnostics.h"
#include "device/core/lib_context.h"
#include "sim/core/sim_clock.h"
#include "sim/usb/inprocess_backend.h"
#include "sim/usb/sim_adapter.h"

namespace zev::testing {

// Virtual adapters connected in-process to a fresh device-library context, on a
// simulated clock, with the diagnostic lines captured. Tests and benchmarks build one
// per case so nothing leaks between them.
class SimRig {
 public:
  // One adapter of the given chip variant (none when `adapters` is 0), on the standard
  // board unless another is given.
  explicit SimRig(sim::ChipVariant variant = sim::ChipVariant::SiliconRev1(), int adapters = 1,
                  Variant libraryVariant = Variant::Library, sim::BoardDescription board = {});
  // One adapter on `board`, for the shared library.
  SimRig(sim::ChipVariant variant, sim::BoardDescription board)
      : SimRig(variant, 1, Variant::Library, std::move(board)) {}
  ~SimRig();

  sim::SimAdapter& AddAdapter(sim::SimAdapter::Options options);
  sim::SimAdapter& AddAdapter();  // same chip variant and board as the first
  sim::SimAdapter& adapter(size_t i = 0) { return *adapters_.at(i); }
  sim::Chip& chip(size_t i = 0) { return adapter(i).chip(); }
  sim::Trace& trace(size_t i = 0) { return adapter(i).trace(); }

  LibContext& ctx() { return *ctx_; }
  UsbDevice* dev() { return ConnectedDevice(*ctx_); }
  // Opens the connection (LibOpenConnection) and clears the trace and the captured text.
  UsbDevice* Open();

  const std::string& Diag() const { return diag_.Text(); }
  void ClearDiag() { diag_.Clear(); }
  void ClearTrace() { for (auto& a : adapters_) a->trace().Clear(); }

  sim::SimClock clock;
  sim::InProcessBackend backend;

 private:
  sim::ChipVariant variant_;
  sim::BoardDescription board_;
  ScopedClock scopedClock_{clock};
  CapturingDiagSink diag_;
  std::vector<std::unique_ptr<sim::SimAdapter>> adapters_;
  std::unique_ptr<LibContext> ctx_;
};

}  // namespace zev::testing
