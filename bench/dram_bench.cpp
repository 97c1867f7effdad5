// The memory checks at full size (32 MB) through the in-process adapter: transfers and
// wall time. After the nested line tests the library's verification costs the two
// fills (one packet and one engine-status read each) and 4,194,304 word reads of 7
// control transfers each; the utility's full check costs the same after its bring-up.
// The simulated bus time shows what that means on a real link.
#include <benchmark/benchmark.h>

#include <string>

#include "device/dram/dram_tests.h"
#include "device/dram/util_memory_check.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/memory_api.h"

namespace {

constexpr double kWords = zev::kDramCheckBytes / 8;
constexpr double kExpectedAfterLineTests = 2 * 2 + kWords * 7;

bool FieldsUnset(const DramTestResult& r) {
  return r.dataLine == ZEV_RESULT_UNSET && r.addressLine == ZEV_RESULT_UNSET &&
         r.address == static_cast<uint32_t>(ZEV_RESULT_UNSET);
}

void BM_VerifyFullDram(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    zev::testing::SimRig rig;
    if (zev::api::ZEVSetODTnFrequency(rig.ctx(), 4, 3) != ZEV_SUCCESS) state.SkipWithError("set-up failed");
    rig.trace().SetRecording(false);
    rig.trace().Clear();
    const uint64_t startUs = rig.clock.NowUs();
    // The first fill marks the end of the line tests.
    uint64_t atFirstFill = 0;
    zev::DramVerifyOptions options;
    options.fill = [&](zev::UsbDevice* dev, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end, bool* stalled) {
      if (atFirstFill == 0) atFirstFill = rig.trace().Counters().Transfers();
      return zev::DramBulkFill(dev, lo, hi, start, end, stalled);
    };
    state.ResumeTiming();

    const DramTestResult result = zev::api::ZEVVerifyFullDRAM(rig.ctx(), options);

    state.PauseTiming();
    if (result.status != ZEV_DRAM_VERIFY_PASS || !FieldsUnset(result)) state.SkipWithError("verification failed");
    const auto total = static_cast<double>(rig.trace().Counters().Transfers());
    state.counters["transfers"] = total;
    state.counters["after_line_tests"] = total - static_cast<double>(atFirstFill);
    state.counters["expected_after"] = kExpectedAfterLineTests;
    state.counters["transfers_per_s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
    state.counters["simulated_h"] = static_cast<double>(rig.clock.NowUs() - startUs) / 3.6e9;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_VerifyFullDram)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// A page that takes everything and never stops.
class CountingPage final : public zev::MemoryCheckObserver {
 public:
  void AddProgress(uint32_t steps) override { progress += steps; }
  bool StopRequested() override { return false; }
  void ShowCheckedText(const std::string&) override { ++texts; }
  void SetVerifyLocation(uint32_t) override {}
  void ShowError(const std::string&) override {}
  uint64_t progress = 0;
  uint64_t texts = 0;
};

// One combination in full mode, with the progress step the DRAM page derives for one
// combination and a range of 1000: (1 << 25) / (8 * 1000) = 4194 bytes.
void BM_UtilMemoryCheckFullMode(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    zev::testing::SimRig rig(zev::sim::ChipVariant::SiliconRev1(), 1, zev::Variant::Utility);
    zev::UsbDevice* dev = rig.Open();
    rig.trace().SetRecording(false);
    zev::MemoryCheckRequest request;
    request.freqIndex = 4;
    request.odt = 0;
    request.fullMode = true;
    request.progressStepBytes = (1u << 25) / (8 * 1000);
    CountingPage page;
    state.ResumeTiming();

    const zev::MemoryCheckOutcome outcome = zev::UtilMemoryCheck(dev, request, page);

    state.PauseTiming();
    if (outcome.result != zev::MemoryCheckResult::Passed || page.texts != kWords) state.SkipWithError("check failed");
    const auto total = static_cast<double>(rig.trace().Counters().Transfers());
    state.counters["transfers"] = total;
    state.counters["progress"] = static_cast<double>(page.progress);
    state.counters["transfers_per_s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UtilMemoryCheckFullMode)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
