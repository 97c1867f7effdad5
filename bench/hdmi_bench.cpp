// The HDMI transmitter over the virtual adapter: USB transfers per external-chip register
// write by access path, and per HDMI enable by board (simulated bus time included).
#include <benchmark/benchmark.h>

#include "device/chip/hw_init.h"
#include "device/video/hdmi_phy.h"
#include "device/video/sii9134_access.h"
#include "device/video/sii9134_registers.h"
#include "tests/support/sim_rig.h"

namespace {

// 0: FPGA 60 (direct, plain I2C FIFO), 1: FPGA 100 (direct, old I2C assist),
// 2: FPGA 130 (HDMI assist), 3: production chip rev 1 (internal only).
zev::sim::ChipVariant Board(int64_t index) {
  switch (index) {
    case 0:
      return zev::sim::ChipVariant::Fpga(60);
    case 1:
      return zev::sim::ChipVariant::Fpga(100);
    case 2:
      return zev::sim::ChipVariant::Fpga(130);
    default:
      return zev::sim::ChipVariant::SiliconRev1();
  }
}

zev::UsbDevice* Bringup(zev::testing::SimRig& rig, benchmark::State& state) {
  zev::UsbDevice* dev = rig.Open();
  if (!zev::GfxHwInit(dev)) state.SkipWithError("bring-up failed");
  rig.trace().SetRecording(false);
  return dev;
}

void Report(benchmark::State& state, zev::testing::SimRig& rig, uint64_t transfersBefore, uint64_t usBefore) {
  const double n = static_cast<double>(state.iterations());
  state.counters["transfers"] = static_cast<double>(rig.trace().Counters().Transfers() - transfersBefore) / n;
  state.counters["sim_ms"] = static_cast<double>(rig.clock.NowUs() - usBefore) / 1000.0 / n;
}

void BM_SiI9134SetRegDW(benchmark::State& state) {
  zev::testing::SimRig rig(Board(state.range(0)));
  zev::UsbDevice* dev = Bringup(rig, state);
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t us = rig.clock.NowUs();
  for (auto _ : state) zev::SiI9134SetRegDW(dev, zev::SII9134_AUD_MODE, 0x11);
  Report(state, rig, transfers, us);
}
BENCHMARK(BM_SiI9134SetRegDW)->DenseRange(0, 2)->ArgName("board");

// DC_PORT_HDMI_AV with I2S input on the internal transmitter; on the external-only board
// the same port takes S/PDIF.
void BM_HdmiPhyEnable(benchmark::State& state) {
  zev::testing::SimRig rig(Board(state.range(0)));
  zev::UsbDevice* dev = Bringup(rig, state);
  zev::DmtMode mode{};
  mode.dwWidth = 1920;
  mode.dwHeight = 1080;
  mode.dwRefresh = 60;
  mode.dwPixClk = 148500000;
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t us = rig.clock.NowUs();
  for (auto _ : state) {
    if (!zev::HdmiPhyEnable(dev, mode, 32, zev::DC_PORT_HDMI_AV)) state.SkipWithError("enable failed");
  }
  Report(state, rig, transfers, us);
}
BENCHMARK(BM_HdmiPhyEnable)->DenseRange(0, 3)->ArgName("board");

}  // namespace
