#include "tests/support/sim_rig.h"

#include <stdexcept>

#include "device/usb/connection.h"

namespace zev::testing {

SimRig::SimRig(sim::ChipVariant variant, int adapters, Variant libraryVariant, sim::BoardDescription board)
    : variant_(variant), board_(std::move(board)) {
  ctx_ = std::make_unique<LibContext>(libraryVariant, &backend, &diag_);
  for (int i = 0; i < adapters; ++i) AddAdapter();
}

SimRig::~SimRig() {
  // The connection holds transports into the adapters: release it first.
  ctx_.reset();
}

sim::SimAdapter& SimRig::AddAdapter(sim::SimAdapter::Options options) {
  options.clock = &clock;
  adapters_.push_back(std::make_unique<sim::SimAdapter>(std::move(options)));
  backend.Attach(adapters_.back().get());
  return *adapters_.back();
}

sim::SimAdapter& SimRig::AddAdapter() {
  sim::SimAdapter::Options options;
  options.variant = variant_;
  options.board = board_;
  return AddAdapter(std::move(options));
}

UsbDevice* SimRig::Open() {
  if (LibOpenConnection(*ctx_) != 0) throw std::runtime_error("LibOpenConnection failed");
  ClearTrace();
  ClearDiag();
  return dev();
}

}  // namespace zev::testing
