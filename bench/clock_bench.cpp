// Clock set-up costs: the PLL divider search (CPU only, counted in candidates) and
// the register transfers of the clock routines against the in-process adapter.
#include <benchmark/benchmark.h>

#include "device/chip/reset_clock.h"
#include "tests/support/sim_rig.h"

namespace {

// Targets of the PLL search (twice the pixel clock). Without an exact setting the
// search visits every candidate: 167 MHz (83.5 MHz, 1280x800) and 56.644 MHz have
// none; 1 kHz is below every output, so nothing ever beats it. 130 MHz (65 MHz,
// 1024x768) and 125 MHz stop at their first exact hit.
void BM_FindPllSettings(benchmark::State& state) {
  const auto target = static_cast<uint32_t>(state.range(0));
  uint64_t candidates = 0;
  for (auto _ : state) {
    zev::PllSettings settings;
    candidates = zev::FindPllSettingsCounted(target, &settings);
    benchmark::DoNotOptimize(settings);
  }
  state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK(BM_FindPllSettings)
    ->Arg(167000000)
    ->Arg(56644000)
    ->Arg(1000)
    ->Arg(130000000)
    ->Arg(125000000)
    ->Unit(benchmark::kMicrosecond);

void BM_FindDcmSettings(benchmark::State& state) {
  for (auto _ : state) {
    zev::DcmSettings settings;
    zev::FindDcmSettings(&settings, 25175000);
    benchmark::DoNotOptimize(settings);
  }
}
BENCHMARK(BM_FindDcmSettings);

// Pixel clock set-up on each chip kind, in transfers per call.
void BM_PixelClockTransfers(benchmark::State& state) {
  const bool fpga = state.range(0) != 0;
  zev::testing::SimRig rig(fpga ? zev::sim::ChipVariant::Fpga(110) : zev::sim::ChipVariant::SiliconRev1());
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  for (auto _ : state) {
    rig.ClearDiag();  // config_pix_clk prints five lines per call
    benchmark::DoNotOptimize(fpga ? zev::FpgaSetPixelClock(dev, 83500000) : zev::config_pix_clk(83500000, dev));
  }
  state.counters["transfers"] = benchmark::Counter(static_cast<double>(rig.trace().Counters().Transfers()),
                                                   benchmark::Counter::kAvgIterations);
  state.SetLabel(fpga ? "FPGA DCM" : "silicon PLL");
}
BENCHMARK(BM_PixelClockTransfers)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
