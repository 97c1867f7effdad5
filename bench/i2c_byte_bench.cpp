// One register byte read and written over I2C by each transfer mechanism, against a
// register-file target of the virtual adapter: USB transfers per byte (the polls
// included, at the simulated bus time) and the cost of our stack per byte.
#include <benchmark/benchmark.h>

#include "device/video/i2c_master.h"
#include "sim/devices/i2c_register_file.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace {

// 0: plain FIFO (FPGA build 60), 1: old assist (silicon A0), 2: new assist (silicon rev 1).
zev::sim::ChipVariant VariantFor(int64_t mechanism) {
  switch (mechanism) {
    case 0:
      return zev::sim::ChipVariant::Fpga(60);
    case 1:
      return zev::sim::ChipVariant::SiliconA0();
    default:
      return zev::sim::ChipVariant::SiliconRev1();
  }
}

void RunByteTransfers(benchmark::State& state, bool read) {
  zev::testing::SimRig rig(VariantFor(state.range(0)));
  rig.chip().Find<zev::sim::I2cMasterUnit>()->Bus(0).Emplace<zev::sim::I2cRegisterFile>(
      zev::sim::I2cAddress::EightBit(0xA0));
  zev::UsbDevice* dev = rig.Open();
  if (!zev::VgaI2cInit(dev) || !zev::VgaI2cSetPort(dev, 2) || !zev::VgaI2cSetTAR(dev, 0xA0)) {
    state.SkipWithError("I2C set-up failed");
    return;
  }
  rig.trace().SetRecording(false);
  const uint64_t before = rig.trace().Counters().Transfers();
  uint8_t byte = 0;
  for (auto _ : state) {
    const bool ok = read ? zev::VgaI2cReadByte(dev, 0x12, &byte) : zev::VgaI2cWriteByte(dev, 0x12, 0x5A);
    if (!ok) state.SkipWithError("byte transfer failed");
  }
  const double transfers = static_cast<double>(rig.trace().Counters().Transfers() - before);
  state.counters["transfers_per_byte"] = transfers / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations());
}

void BM_I2cReadByte(benchmark::State& state) { RunByteTransfers(state, true); }
void BM_I2cWriteByte(benchmark::State& state) { RunByteTransfers(state, false); }
BENCHMARK(BM_I2cReadByte)->DenseRange(0, 2)->ArgName("mechanism");
BENCHMARK(BM_I2cWriteByte)->DenseRange(0, 2)->ArgName("mechanism");

}  // namespace
