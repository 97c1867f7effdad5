// EEPROM transfer costs against the in-process adapter: reading a 512-byte image,
// writing and verifying one, and measuring the part, each counted in control
// transfers per operation next to the least the register protocol allows (one poll
// per command). The busy polls of a 2 ms write at the adapter's bus time make the
// difference. The same image moves once through the controller routines and once
// through the exports' logic, which adds the connection probes and a size
// measurement to every call.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <vector>

#include "device/eeprom/eeprom_controller.h"
#include "device/eeprom/eeprom_size.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/eeprom_api.h"
#include "zevutil/core/lib_frame.h"

namespace {

constexpr uint32_t kImageBytes = 512;

// Least transfers: a command is the entry check (or none inside a read run), its
// words and one poll.
constexpr double kMinReadRun = 1 + 3.0 * kImageBytes;                    // entry; command, poll, data per byte
constexpr double kMinWriteRun = 5.0 * kImageBytes;                       // entry, data, command, poll, link check
constexpr double kMinEnableOrDisable = 3;                                // entry, command, poll
constexpr double kMinMeasure = 6 * 4 + 2 * kMinEnableOrDisable + 6 * 4;  // 6 reads, 6 writes (no link check)
constexpr double kMinWriteAndVerify = 2 * kMinEnableOrDisable + kMinWriteRun + kMinReadRun;
// A read or write export probes the connection twice (its own preamble and the size
// export's) and measures the part before it moves the image.
constexpr double kMinExportOverhead = 2 + kMinMeasure;

std::vector<uint8_t> Image() {
  std::vector<uint8_t> image(kImageBytes);
  for (uint32_t i = 0; i < kImageBytes; ++i) image[i] = static_cast<uint8_t>(i * 29 + 1);
  return image;
}

// Per operation: transfers, the protocol's least, and the bus time they take.
void Report(benchmark::State& state, zev::testing::SimRig& rig, uint64_t startUs, double minimum) {
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["transfers"] = static_cast<double>(rig.trace().Counters().Transfers()) / iterations;
  state.counters["minimum"] = minimum;
  state.counters["simulated_ms"] = static_cast<double>(rig.clock.NowUs() - startUs) / 1000.0 / iterations;
}

void BM_EepromReadImage(benchmark::State& state) {
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  const uint64_t startUs = rig.clock.NowUs();
  std::vector<uint8_t> buffer(kImageBytes);
  for (auto _ : state) {
    if (!zev::EepromReadBlock(dev, 0, buffer.data(), kImageBytes)) state.SkipWithError("read failed");
  }
  Report(state, rig, startUs, kMinReadRun);
}
BENCHMARK(BM_EepromReadImage)->Unit(benchmark::kMillisecond);

void BM_EepromWriteAndVerifyImage(benchmark::State& state) {
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  const uint64_t startUs = rig.clock.NowUs();
  const std::vector<uint8_t> image = Image();
  std::vector<uint8_t> back(kImageBytes);
  for (auto _ : state) {
    const bool ok = zev::GfxEepromErWrEn(dev) && zev::EepromWriteBlock(dev, 0, image.data(), kImageBytes) &&
                    zev::GfxEepromErWrDis(dev) && zev::EepromReadBlock(dev, 0, back.data(), kImageBytes);
    if (!ok || back != image) state.SkipWithError("write or verify failed");
  }
  Report(state, rig, startUs, kMinWriteAndVerify);
}
BENCHMARK(BM_EepromWriteAndVerifyImage)->Unit(benchmark::kMillisecond);

void BM_EepromMeasureSize(benchmark::State& state) {
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  rig.trace().SetRecording(false);
  const uint64_t startUs = rig.clock.NowUs();
  for (auto _ : state) {
    if (zev::LanGetE2pSize2(dev) != kImageBytes) state.SkipWithError("measurement failed");
  }
  Report(state, rig, startUs, kMinMeasure);
}
BENCHMARK(BM_EepromMeasureSize)->Unit(benchmark::kMillisecond);

// Initialises the rig's library; the bring-up's transfers are not counted.
void InitialiseLibrary(zev::testing::SimRig& rig) {
  if (zev::api::ZEVLibInit(rig.ctx()) != ZEV_SUCCESS) throw std::runtime_error("ZEVLibInit failed");
  rig.ClearTrace();
  rig.trace().SetRecording(false);
}

void BM_ExportReadImage(benchmark::State& state) {
  zev::testing::SimRig rig;
  InitialiseLibrary(rig);
  const uint64_t startUs = rig.clock.NowUs();
  std::vector<uint8_t> buffer(kImageBytes);
  for (auto _ : state) {
    if (zev::api::ZEVLibReadEeprom(rig.ctx(), buffer.data(), 0, kImageBytes) != ZEV_SUCCESS) {
      state.SkipWithError("read failed");
    }
  }
  Report(state, rig, startUs, kMinExportOverhead + kMinReadRun);
  state.counters["image_minimum"] = kMinReadRun;
}
BENCHMARK(BM_ExportReadImage)->Unit(benchmark::kMillisecond);

void BM_ExportWriteAndVerifyImage(benchmark::State& state) {
  zev::testing::SimRig rig;
  InitialiseLibrary(rig);
  const uint64_t startUs = rig.clock.NowUs();
  const std::vector<uint8_t> image = Image();
  for (auto _ : state) {
    if (zev::api::ZEVLibWriteEEprom(rig.ctx(), image.data(), 0, kImageBytes) != ZEV_SUCCESS) {
      state.SkipWithError("write or verify failed");
    }
  }
  Report(state, rig, startUs, kMinExportOverhead + kMinWriteAndVerify);
  state.counters["image_minimum"] = kMinWriteAndVerify;
}
BENCHMARK(BM_ExportWriteAndVerifyImage)->Unit(benchmark::kMillisecond);

}  // namespace
