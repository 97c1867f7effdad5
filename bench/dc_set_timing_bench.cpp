// DcSetTiming of 1920 x 1080 at 60 Hz on a running controller, on silicon (PLL pixel
// clock) and on an FPGA build (DCM pixel clock): USB transfers and simulated bus time.
#include <benchmark/benchmark.h>

#include "device/video/display_controller.h"
#include "device/video/mode_table.h"
#include "tests/support/sim_rig.h"

namespace {

void BM_DcSetTiming(benchmark::State& state) {
  zev::testing::SimRig rig(state.range(0) == 0 ? zev::sim::ChipVariant::SiliconRev1()
                                               : zev::sim::ChipVariant::Fpga(103));
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  const zev::DmtMode& mode = *zev::DmtModeRow(zev::DmtFindMode(1920, 1080, 60));
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t startUs = rig.clock.NowUs();
  for (auto _ : state) {
    if (!zev::DcSetTiming(dev, mode, 32, true, zev::DC_PORT_DAC)) state.SkipWithError("DcSetTiming failed");
    rig.ClearDiag();
  }
  const double calls = static_cast<double>(state.iterations());
  state.counters["transfers_per_call"] = static_cast<double>(rig.trace().Counters().Transfers() - transfers) / calls;
  state.counters["bus_ms_per_call"] = static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0 / calls;
}
BENCHMARK(BM_DcSetTiming)->Arg(0)->Arg(1)->ArgName("fpga");

}  // namespace
