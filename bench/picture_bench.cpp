// The 1920 x 1080 picture path, file to bulk write, against one memcpy of the same frame
// bytes. Each iteration times both back to back, so a ratio compares them under the same
// machine load. Two rows:
//   BM_PictureHostPathToTransport: the host's work up to handing the frame's bulk write
//     to the USB transport (a stand-in transport takes large bulk writes there and
//     counts them); its ratio_to_memcpy is the figure held to 1.5 or less.
//   BM_PictureWithVirtualAdapterStoring: the same, with the in-process virtual adapter
//     also storing the frame in its DRAM model (the device's work, not the host's);
//     ratio_incl_adapter_store.
// Both count the transfers per picture: one bulk write and one register read (the
// chip's pixel format). A third row, BM_PlainReadOfTheFile, times one pread of the same
// file's pixel bytes into a ready buffer against the same memcpy: the kernel's copy out
// of the page cache, which any picture path that reads the file pays, so the first
// row's ratio can be read against this floor.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bulk_handoff_transport.h"
#include "device/dram/mem_write_packet.h"
#include "device/video/mode_table.h"
#include "device/video/picture.h"
#include "sim/units/rgb_picture.h"
#include "tests/support/display_mode.h"
#include "tests/support/sim_rig.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 3;
constexpr uint32_t kPacketBytes = kFrameBytes + zev::kMemWriteHeaderBytes;
// Larger than any register or command packet, smaller than a frame.
constexpr uint32_t kLargeBulkBytes = 64 * 1024;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The 1920 x 1080 test picture as a file at `path`; false (the run marked failed) when
// it cannot be written.
bool WritePicture(benchmark::State& state, const std::string& path) {
  std::string error;
  if (zev::sim::WriteBmp24File(zev::testing::TestPattern(kWidth, kHeight), path, &error)) return true;
  state.SkipWithError(error.c_str());
  return false;
}

void PictureAgainstMemcpy(benchmark::State& state, bool adapterStoresFrame, const char* ratioName) {
  zev::testing::TempDir dir;
  const std::string path = dir.File("1920x1080.bmp");
  if (!WritePicture(state, path)) return;
  zev::testing::SimRig rig;
  zev::UsbDevice* dev = rig.Open();
  if (!zev::testing::SetDisplayMode(rig.ctx(), *zev::DmtModeRow(26))) {
    state.SkipWithError("mode set failed");
    return;
  }
  rig.trace().SetRecording(false);
  zev::UsbTransport* const adapterTransport = dev->transport;
  zev::bench::BulkHandoffTransport handoff(adapterTransport, kLargeBulkBytes);
  if (!adapterStoresFrame) dev->transport = &handoff;

  const zev::VideoState& vs = rig.ctx().connection.video;
  std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes, 0);
  const uint64_t adapterTransfersBefore = rig.trace().Counters().Transfers();
  const uint64_t adapterBulkBytesBefore = rig.trace().Counters().bulkBytes;

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
      break;
    }
    pictureSeconds += Seconds(start, drawn);
    memcpySeconds += Seconds(drawn, copied);
    state.SetIterationTime(Seconds(start, drawn));
  }
  dev->transport = adapterTransport;
  if (state.error_occurred()) return;

  // Every frame went out whole, to the hand-off or to the adapter.
  const uint64_t bulkBytes = adapterStoresFrame ? rig.trace().Counters().bulkBytes - adapterBulkBytesBefore
                                                : handoff.HandedOffBytes();
  if (bulkBytes != state.iterations() * uint64_t{kPacketBytes}) {
    state.SkipWithError("frames did not go out whole");
    return;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["memcpy_ms"] = memcpySeconds / n * 1e3;
  state.counters[ratioName] = pictureSeconds / memcpySeconds;
  state.counters["transfers_per_picture"] =
      static_cast<double>(rig.trace().Counters().Transfers() - adapterTransfersBefore + handoff.HandedOff()) / n;
  state.counters["bulk_MB_per_picture"] = static_cast<double>(bulkBytes) / n / 1e6;
}

void BM_PictureHostPathToTransport(benchmark::State& state) {
  PictureAgainstMemcpy(state, false, "ratio_to_memcpy");
}
void BM_PictureWithVirtualAdapterStoring(benchmark::State& state) {
  PictureAgainstMemcpy(state, true, "ratio_incl_adapter_store");
}

void BM_PlainReadOfTheFile(benchmark::State& state) {
  zev::testing::TempDir dir;
  const std::string path = dir.File("1920x1080.bmp");
  if (!WritePicture(state, path)) return;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    state.SkipWithError("cannot open the picture");
    return;
  }
  constexpr off_t kPixelOffset = 54;  // the file as written has no colour table
  std::vector<uint8_t> frame(kFrameBytes, 0), from(kFrameBytes, 0x5A), to(kFrameBytes, 0);
  double readSeconds = 0, memcpySeconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const ssize_t got = pread(fd, frame.data(), kFrameBytes, kPixelOffset);
    const Clock::time_point read = Clock::now();
    std::memcpy(to.data(), from.data(), kFrameBytes);
    benchmark::ClobberMemory();
    const Clock::time_point copied = Clock::now();
    if (got != static_cast<ssize_t>(kFrameBytes)) {
      state.SkipWithError("short read");
      break;
    }
    readSeconds += Seconds(start, read);
    memcpySeconds += Seconds(read, copied);
    state.SetIterationTime(Seconds(start, read));
  }
  close(fd);
  if (state.error_occurred()) return;
  state.counters["memcpy_ms"] = memcpySeconds / static_cast<double>(state.iterations()) * 1e3;
  state.counters["read_ratio_to_memcpy"] = readSeconds / memcpySeconds;
}

BENCHMARK(BM_PictureHostPathToTransport)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PictureWithVirtualAdapterStoring)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PlainReadOfTheFile)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

}  // namespace
