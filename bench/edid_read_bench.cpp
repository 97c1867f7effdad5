// The monitor's EDID block read over I2C by each transfer mechanism, with the monitor
// on the first bus tried (I2C port 2) or only on the second (port 1): USB transfers
// and simulated bus time per read.
#include <benchmark/benchmark.h>

#include "device/video/edid.h"
#include "sim/devices/monitor.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace {

// 0: plain FIFO (FPGA build 60), 1: old assist (silicon A0), 2: new assist (silicon rev 1).
zev::sim::ChipVariant VariantFor(int64_t mechanism) {
  switch (mechanism) {
    case 0: return zev::sim::ChipVariant::Fpga(60);
    case 1: return zev::sim::ChipVariant::SiliconA0();
    default: return zev::sim::ChipVariant::SiliconRev1();
  }
}

void BM_EdidRead(benchmark::State& state) {
  zev::testing::SimRig rig(VariantFor(state.range(0)));
  const auto bus = state.range(1) == 2 ? zev::sim::MonitorBus::Port2 : zev::sim::MonitorBus::Port1;
  zev::sim::ConnectMonitor(*rig.chip().Find<zev::sim::I2cMasterUnit>(), bus);
  rig.Open();
  rig.trace().SetRecording(false);
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t startUs = rig.clock.NowUs();
  zev::EdidBlock block{};
  for (auto _ : state) {
    if (zev::EdidRead(rig.ctx(), &block) != 0) state.SkipWithError("EDID read failed");
    rig.ClearDiag();  // the failed first bus prints its messages every time
  }
  const double reads = static_cast<double>(state.iterations());
  state.counters["transfers_per_read"] = static_cast<double>(rig.trace().Counters().Transfers() - transfers) / reads;
  state.counters["bus_ms_per_read"] = static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0 / reads;
}
BENCHMARK(BM_EdidRead)->ArgsProduct({{0, 1, 2}, {2, 1}})->ArgNames({"mechanism", "monitor_port"});

}  // namespace
