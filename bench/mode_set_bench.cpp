// The mode set against the in-process adapter on the standard board, in USB transfers
// and simulated bus time per call: GfxSetMode of 1920 x 1080 at 60 Hz on the DAC (port 0)
// and on HDMI (port 4) on silicon, and ZEVInitGE with the monitor on either I2C port
// (its EDID read and the monitor search included).
#include <benchmark/benchmark.h>

#include <functional>

#include "device/chip/hw_init.h"
#include "device/video/mode_set.h"
#include "device/video/mode_table.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/display_api.h"
#include "zevutil/core/lib_frame.h"

namespace {

using zev::testing::SimRig;

// Runs `operation` on an initialised library until the benchmark is done and reports
// transfers and simulated milliseconds per call.
void Measure(benchmark::State& state, SimRig& rig, const std::function<bool()>& operation) {
  if (zev::api::ZEVLibInit(rig.ctx()) != ZEV_SUCCESS) {
    state.SkipWithError("ZEVLibInit failed");
    return;
  }
  rig.trace().SetRecording(false);
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t startUs = rig.clock.NowUs();
  for (auto _ : state) {
    if (!operation()) state.SkipWithError("the mode set failed");
    rig.ClearDiag();
  }
  const auto calls = static_cast<double>(state.iterations());
  state.counters["transfers"] = static_cast<double>(rig.trace().Counters().Transfers() - transfers) / calls;
  state.counters["simulated_ms"] = static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0 / calls;
}

void BM_GfxSetMode(benchmark::State& state) {
  SimRig rig;
  const uint32_t port = static_cast<uint32_t>(state.range(0));
  const uint32_t row = zev::DmtFindMode(1920, 1080, 60);
  Measure(state, rig, [&] {
    zev::VideoState& vs = rig.ctx().connection.video;
    vs.dwPort = port;
    return zev::GfxSetMode(rig.dev(), vs, row, false);
  });
}
BENCHMARK(BM_GfxSetMode)->Arg(zev::DC_PORT_DAC)->Arg(zev::DC_PORT_HDMI_AUTO)->ArgName("port");

void BM_ZEVInitGE(benchmark::State& state) {
  zev::sim::BoardDescription board;
  board.monitorBus = state.range(0) == 2 ? zev::sim::MonitorBus::Port2 : zev::sim::MonitorBus::Port1;
  SimRig rig(zev::sim::ChipVariant::SiliconRev1(), board);
  Measure(state, rig, [&] { return zev::api::ZEVInitGE(rig.ctx(), 1080, 1920, 60) == ZEV_SUCCESS; });
}
BENCHMARK(BM_ZEVInitGE)->Arg(2)->Arg(1)->ArgName("monitor_i2c_port");

}  // namespace
