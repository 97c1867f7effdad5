// The 1920 x 1080 picture path, file to bulk write, through the in-process adapter with
// trace recording off, against one memcpy of the same frame bytes. Each iteration times
// both, back to back, so the ratio compares them under the same machine load; the path
// costs one bulk transfer and one register read (the chip's pixel format) per picture.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "device/video/picture.h"
#include "device/video/mode_table.h"
#include "sim/units/rgb_picture.h"
#include "tests/support/display_mode.h"
#include "tests/support/sim_rig.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 3;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void BM_PictureToBulkWrite(benchmark::State& state) {
  zev::testing::TempDir dir;
  const std::string path = dir.File("1920x1080.bmp");
  std::string error;
  if (!zev::sim::WriteBmp24File(zev::testing::TestPattern(kWidth, kHeight), path, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  zev::testing::SimRig rig;
  rig.Open();
  if (!zev::testing::SetDisplayMode(rig.ctx(), *zev::DmtModeRow(26))) {
    state.SkipWithError("mode set failed");
    return;
  }
  rig.trace().SetRecording(false);
  const zev::VideoState& vs = rig.ctx().connection.video;
  std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes, 0);
  const uint64_t transfersBefore = rig.trace().Counters().Transfers();

  double pictureSeconds = 0, memcpySeconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const uint32_t result = zev::GfxDrawBmp24(vs, 0, path.c_str(), kWidth, kHeight);
    const Clock::time_point drawn = Clock::now();
    std::memcpy(to.data(), from.data(), kFrameBytes);
    benchmark::ClobberMemory();
    const Clock::time_point copied = Clock::now();
    if (result != zev::kPicDrawn) {
      state.SkipWithError("picture not drawn");
      return;
    }
    pictureSeconds += Seconds(start, drawn);
    memcpySeconds += Seconds(drawn, copied);
    state.SetIterationTime(Seconds(start, drawn));
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["memcpy_ms"] = memcpySeconds / n * 1e3;
  state.counters["ratio_to_memcpy"] = pictureSeconds / memcpySeconds;
  state.counters["transfers_per_picture"] =
      static_cast<double>(rig.trace().Counters().Transfers() - transfersBefore) / n;
  state.counters["bulk_MB_per_picture"] = static_cast<double>(kFrameBytes + 12) / 1e6;
}
BENCHMARK(BM_PictureToBulkWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

}  // namespace
