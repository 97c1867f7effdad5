// DisplayPort and DVO transmitter costs against the in-process adapter, in control
// transfers and simulated bus time per operation: a DisplayPort mode with link
// training, the same failing at training (register and DPCD dumps), HDMI through the
// ANX9805 with its EDID read, and the DVI set-up of the CH7301.
#include <benchmark/benchmark.h>

#include <functional>

#include "device/video/dp_phy.h"
#include "device/video/dvo_phy.h"
#include "device/video/i2c_master.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/c7301.h"
#include "sim/devices/i2c_register_file.h"
#include "tests/support/sim_rig.h"

namespace {

constexpr zev::DmtMode kMode{1024, 768, 60, 65000000, 1344, 1024, 320, 1048, 136, 806, 768, 38, 771, 6, 0, 0};

void Run(benchmark::State& state, zev::sim::ChipVariant variant, const std::function<void(zev::sim::Chip&)>& wire,
         const std::function<bool(zev::UsbDevice*)>& operation, bool expected) {
  zev::testing::SimRig rig(variant, zev::sim::BoardDescription::Empty());
  wire(rig.chip());
  zev::UsbDevice* dev = rig.Open();
  if (!zev::VgaI2cInit(dev)) {
    state.SkipWithError("I2C set-up failed");
    return;
  }
  rig.trace().SetRecording(false);
  const uint64_t transfers = rig.trace().Counters().Transfers();
  const uint64_t startUs = rig.clock.NowUs();
  for (auto _ : state) {
    if (operation(dev) != expected) state.SkipWithError("unexpected result");
    rig.ClearDiag();
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["transfers"] = static_cast<double>(rig.trace().Counters().Transfers() - transfers) / iterations;
  state.counters["simulated_ms"] = static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0 / iterations;
}

void WireAnx(zev::sim::Chip& chip, bool trainingFails) {
  auto& anx = zev::sim::AttachAnx9805(chip);
  if (trainingFails) anx.trainingResult = 0x02;
  auto& monitor = anx.Ddc().Emplace<zev::sim::I2cRegisterFile>(zev::sim::I2cAddress::EightBit(0xA0));
  for (int i = 0; i < 128; ++i) monitor.Poke(static_cast<uint8_t>(i), static_cast<uint8_t>(i));
}

void BM_DpPhyEnableDPMode(benchmark::State& state) {
  const bool fails = state.range(0) != 0;
  Run(
      state, zev::sim::ChipVariant::SiliconRev1(), [&](zev::sim::Chip& c) { WireAnx(c, fails); },
      [](zev::UsbDevice* d) { return zev::DpPhyEnableDPMode(d, kMode, 32); }, !fails);
}
BENCHMARK(BM_DpPhyEnableDPMode)->Arg(0)->Arg(1)->ArgName("training_fails")->Unit(benchmark::kMillisecond);

void BM_DpPhyEnableHdmiMode(benchmark::State& state) {
  Run(
      state, zev::sim::ChipVariant::SiliconRev1(), [](zev::sim::Chip& c) { WireAnx(c, false); },
      [](zev::UsbDevice* d) { return zev::DpPhyEnableHdmiMode(d, kMode, 32); }, true);
}
BENCHMARK(BM_DpPhyEnableHdmiMode)->Unit(benchmark::kMillisecond);

void BM_DpDdcReadEDID(benchmark::State& state) {
  std::array<uint8_t, zev::kDpEdidBlockSize> block{};
  Run(
      state, zev::sim::ChipVariant::SiliconRev1(), [](zev::sim::Chip& c) { WireAnx(c, false); },
      [&](zev::UsbDevice* d) { return zev::DpDdcReadEDID(d, block); }, true);
}
BENCHMARK(BM_DpDdcReadEDID)->Unit(benchmark::kMillisecond);

void BM_DvoPhyEnableDVI(benchmark::State& state) {
  Run(
      state, zev::sim::ChipVariant::Fpga(103), [](zev::sim::Chip& c) { zev::sim::AttachC7301(c); },
      [](zev::UsbDevice* d) { return zev::DvoPhyEnableDVI(d, 65000000, 0, 0); }, true);
}
BENCHMARK(BM_DvoPhyEnableDVI)->Unit(benchmark::kMillisecond);

}  // namespace
