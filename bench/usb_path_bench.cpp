// Register reads on the real USB path: the device library with LibusbBackend against
// a bare libusb_control_transfer loop, both reaching the same virtual adapter through
// libusb and zev-sim. Their ratio is what our stack adds per transfer; compare with
// register_access_bench (the in-process backend, no bus at all). Run under zev-sim:
//
//   build/release/sim/host/zev-sim -- build/release/bench/usb_path_bench
//
// Every iteration is one control transfer: a read that fails (it would be retried)
// stops the benchmark with an error instead of being counted.
#include <benchmark/benchmark.h>
#include <libusb.h>

#include <algorithm>

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/usb/connection.h"
#include "device/usb/libusb_backend.h"
#include "device/usb/register_access.h"
#include "device/usb/usb_id_list.h"

namespace {

constexpr const char* kNoAdapter = "no adapter found: run under zev-sim (zev-sim -- usb_path_bench)";

void BM_RegisterReadDeviceLibrary(benchmark::State& state) {
  zev::LibusbBackend backend;
  zev::LibContext ctx(zev::Variant::Library, &backend);
  if (zev::LibOpenConnection(ctx) != 0) {
    state.SkipWithError(kNoAdapter);
    return;
  }
  zev::UsbDevice* dev = zev::ConnectedDevice(ctx);
  for (auto _ : state) {
    uint32_t value = 0;
    if (zev::GfxQueryRegDW(dev, zev::ID_REV, &value) != 0) {
      state.SkipWithError("register read failed");
      break;
    }
    benchmark::DoNotOptimize(value);
  }
  state.counters["transfers"] = static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations());
  zev::LibCloseConnection(ctx);
}
BENCHMARK(BM_RegisterReadDeviceLibrary)->UseRealTime();

// The first adapter libusb lists, opened and claimed as the device library does.
libusb_device_handle* OpenAdapter(libusb_context* context) {
  const std::vector<zev::UsbId> ids = zev::DefaultUsbIds();
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context, &list);
  libusb_device_handle* handle = nullptr;
  for (ssize_t i = 0; i < count && handle == nullptr; ++i) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    if (std::find(ids.begin(), ids.end(), zev::UsbId{desc.idVendor, desc.idProduct}) == ids.end()) continue;
    if (libusb_open(list[i], &handle) != 0) continue;
    if (libusb_claim_interface(handle, 0) != 0) {
      libusb_close(handle);
      handle = nullptr;
    }
  }
  if (count >= 0) libusb_free_device_list(list, 1);
  return handle;
}

void BM_RegisterReadBareLibusb(benchmark::State& state) {
  libusb_context* context = nullptr;
  if (libusb_init(&context) != 0) {
    state.SkipWithError("libusb_init failed");
    return;
  }
  libusb_device_handle* handle = OpenAdapter(context);
  if (handle == nullptr) {
    state.SkipWithError(kNoAdapter);
  } else {
    for (auto _ : state) {
      uint8_t value[4];
      if (libusb_control_transfer(handle, zev::kVendorReadRequestType, zev::kRegReadRequest, 0, zev::ID_REV, value,
                                  sizeof value, 5000) != sizeof value) {
        state.SkipWithError("control transfer failed");
        break;
      }
      benchmark::DoNotOptimize(value);
    }
    state.counters["transfers"] = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    libusb_release_interface(handle, 0);
    libusb_close(handle);
  }
  libusb_exit(context);
}
BENCHMARK(BM_RegisterReadBareLibusb)->UseRealTime();

}  // namespace
