// Register reads through the device library and the in-process virtual adapter: the
// cost of our stack per control transfer, without a USB bus.
#include <benchmark/benchmark.h>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "tests/support/sim_rig.h"

namespace {

void BM_RegisterReadInProcess(benchmark::State& state) {
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  for (auto _ : state) benchmark::DoNotOptimize(zev::GfxGetRegDW(dev, zev::ID_REV));
  state.counters["transfers"] = static_cast<double>(rig.trace().Counters().Transfers());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegisterReadInProcess);

}  // namespace
