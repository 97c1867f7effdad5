// Transfers per bring-up (the library's sequence: clock index, ODT selection, GfxHwInit)
// on the production chip and on an FPGA build, and per data-port word, counted by the
// in-process virtual adapter's trace.
#include <benchmark/benchmark.h>

#include "device/chip/hw_init.h"
#include "device/dram/dp_ram_xfer.h"
#include "tests/support/sim_rig.h"

namespace {

using zev::sim::ChipVariant;

// Per-iteration averages of the adapter's counters.
void ReportTransfers(benchmark::State& state, const zev::sim::TraceCounters& counters) {
  const auto perIteration = benchmark::Counter::kAvgIterations;
  state.counters["transfers"] = benchmark::Counter(static_cast<double>(counters.Transfers()), perIteration);
  state.counters["reads"] = benchmark::Counter(static_cast<double>(counters.regReads), perIteration);
  state.counters["writes"] = benchmark::Counter(static_cast<double>(counters.regWrites), perIteration);
}

void BringUp(benchmark::State& state, ChipVariant variant) {
  zev::testing::SimRig rig(variant);
  rig.Open();
  rig.trace().SetRecording(false);
  const uint64_t startUs = rig.clock.NowUs();
  for (auto _ : state) {
    if (!zev::LibHwBringUp(rig.ctx())) state.SkipWithError("bring-up failed");
  }
  ReportTransfers(state, rig.trace().Counters());
  // Time the adapter would take on a high-speed bus (transfers and the bring-up's sleeps).
  state.counters["bus_ms"] =
      benchmark::Counter(static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BringUp, silicon_rev1, ChipVariant::SiliconRev1());
BENCHMARK_CAPTURE(BringUp, silicon_a0, ChipVariant::SiliconA0());
BENCHMARK_CAPTURE(BringUp, fpga110, ChipVariant::Fpga(110));

void DataPortWord(benchmark::State& state, bool write) {
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  zev::DpRamRequest request;
  request.write = write ? 1 : 0;
  for (auto _ : state) {
    request.address = (request.address + 8) & 0x1FFFFF8;
    if (!zev::DpRamXfer(dev, &request)) state.SkipWithError("data-port transfer failed");
  }
  ReportTransfers(state, rig.trace().Counters());
}
BENCHMARK_CAPTURE(DataPortWord, write, true);
BENCHMARK_CAPTURE(DataPortWord, read, false);

}  // namespace
