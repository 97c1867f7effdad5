// zev-e2e-probe: runs a script of steps against the adapters zev-sim presents, through
// the device library and LibusbBackend as the product programs do, and prints one
// line per step for the end-to-end tests to compare. Each argument is one step:
//
//   count | paths | wait-count N | open | probe | close
//   read ADDR | write ADDR VALUE | bulk BYTES | reads-until-failure MAX
//   ctl WORDS...       run `zev-sim ctl WORDS...` and wait for it
//   ctl& WORDS...      start it in the background; ctl-wait waits for it
//   generation N       adapter N's generation as zev-sim reports it
//   program-pid PID    rewrite the product ID in the EEPROM (which holds the default image)
//   descriptors        every device libusb lists: bus-port, VID:PID and the strings
//   hotplug-watch | hotplug-wait KIND...   libusb's arrival/removal events
//
// Exit status 0 when every step ran (a step may report a failure), 2 on a bad script.
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/eeprom/eeprom_image_builder.h"
#include "device/usb/connection.h"
#include "device/usb/device_discovery.h"
#include "device/usb/libusb_backend.h"
#include "device/usb/register_access.h"
#include "tests/e2e/hotplug_watch.h"
#include "tests/e2e/process.h"
#include "tests/e2e/script_steps.h"
#include "tests/e2e/usb_device_listing.h"

namespace zev::e2e {
namespace {

using namespace std::chrono_literals;

// libusb learns of arrivals and removals from events; give them time to come in.
constexpr auto kEventTimeout = 10s;

class Probe {
 public:
  // False for a step it does not know or with bad arguments.
  bool Run(const std::vector<std::string>& words);

 private:
  bool ProgramProductId(uint16_t productId);

  LibusbBackend backend_;
  LibContext ctx_{Variant::Library, &backend_};
  std::unique_ptr<Process> background_;
  std::vector<std::string> backgroundWords_;
  HotplugSteps hotplug_;
};

// The adapter holds the toolset's default image: only the bytes that differ for the
// new product ID are written.
bool Probe::ProgramProductId(uint16_t productId) {
  EepromImageFields fields;
  fields.productId = productId;
  std::vector<uint8_t> current;
  std::vector<uint8_t> wanted;
  std::string error;
  if (!BuildEepromImage(EepromImageFields{}, 512, &current, &error) || !BuildEepromImage(fields, 512, &wanted, &error)) {
    return false;
  }
  UsbDevice* dev = ConnectedDevice(ctx_);
  bool ok = GfxEepromErWrEn(dev);
  for (uint32_t i = 0; i < wanted.size() && ok; ++i) {
    if (wanted[i] != current[i]) ok = EepromWriteByte(dev, i, wanted[i]);
  }
  return GfxEepromErWrDis(dev) && ok;
}

bool Probe::Run(const std::vector<std::string>& w) {
  const std::string& step = w[0];
  const size_t args = w.size() - 1;
  if (step == "count" && args == 0) {
    PrintLine("count " + std::to_string(LibCountDevices(ctx_)));
  } else if (step == "paths" && args == 0) {
    std::string line = "paths";
    char path[kDevicePathChars];
    for (uint32_t i = 0; UsbGetDevicePath(ctx_, path, sizeof path, i); ++i) line += std::string(" ") + path;
    PrintLine(line);
  } else if (step == "wait-count" && args == 1 && Number(w[1])) {
    const auto deadline = std::chrono::steady_clock::now() + kEventTimeout;
    unsigned count = LibCountDevices(ctx_);
    while (count != *Number(w[1]) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
      count = LibCountDevices(ctx_);
    }
    PrintLine("wait-count " + w[1] + (count == *Number(w[1]) ? ": ok" : ": timed out with " + std::to_string(count)));
  } else if (step == "open" && args == 0) {
    PrintLine(LibOpenConnection(ctx_) == 0 ? "open: ok" : "open: failed");
  } else if (step == "probe" && args == 0) {
    uint32_t idRev = 0;
    PrintLine(LibProbeDevice(ctx_, &idRev) == 0 ? "probe: ok ID_REV " + Hex(idRev) : "probe: failed");
  } else if (step == "close" && args == 0) {
    LibCloseConnection(ctx_);
    PrintLine("close");
  } else if (step == "read" && args == 1 && Number(w[1])) {
    uint32_t value = 0;
    const bool ok = GfxQueryRegDW(ConnectedDevice(ctx_), *Number(w[1]), &value) == 0;
    PrintLine("read " + w[1] + ": " + (ok ? Hex(value) : "failed"));
  } else if (step == "write" && args == 2 && Number(w[1]) && Number(w[2])) {
    const bool ok = GfxSetRegDW(ConnectedDevice(ctx_), *Number(w[1]), *Number(w[2])) == 0;
    PrintLine("write " + w[1] + " " + w[2] + ": " + (ok ? "ok" : "failed"));
  } else if (step == "bulk" && args == 1 && Number(w[1])) {
    const std::vector<uint8_t> data(*Number(w[1]), 0);
    const uint32_t written = GfxBulkWrite(ConnectedDevice(ctx_), data.data(), static_cast<uint32_t>(data.size()));
    PrintLine("bulk " + w[1] + ": " + (written == 0 ? "failed" : "wrote " + std::to_string(written)));
  } else if (step == "reads-until-failure" && args == 1 && Number(w[1])) {
    // How many reads succeed depends on timing; what matters is that the loop ends
    // with a failure instead of crashing or hanging, and that no read lies.
    uint32_t done = 0;
    bool failed = false;
    bool wrongValue = false;
    for (; done < *Number(w[1]) && !failed; ++done) {
      uint32_t value = 0;
      failed = GfxQueryRegDW(ConnectedDevice(ctx_), ID_REV, &value) != 0;
      wrongValue = wrongValue || (!failed && value >> 16 != 0x9D00);
    }
    PrintLine(std::string("reads-until-failure: ") + (failed ? "failed" : "no failure") +
          (wrongValue ? ", wrong values read" : ""));
  } else if (step == "ctl" && args > 0) {
    PrintLine(RunCtl(w));
  } else if (step == "ctl&" && args > 0 && !background_) {
    background_ = std::make_unique<Process>();
    backgroundWords_ = w;
    std::string error;
    if (!background_->Start(CtlCommand(w), &error)) PrintLine("ctl&: " + error);
  } else if (step == "ctl-wait" && args == 0 && background_) {
    PrintLine(CtlLine(backgroundWords_, background_->Finish(kCtlTimeout)));
    background_.reset();
  } else if (step == "generation" && args == 1) {
    const ProcessResult status = RunProcess({ZEV_SIM_BIN, "ctl", "status"}, kCtlTimeout);
    const std::string entry = "| " + w[1] + " ";
    const size_t at = status.out.find(entry);
    const size_t key = at == std::string::npos ? at : status.out.find("generation=", at);
    PrintLine("generation " + w[1] + ": " +
          (key == std::string::npos ? "unknown" : status.out.substr(key + 11, status.out.find(' ', key) - key - 11)));
  } else if (step == "program-pid" && args == 1 && Number(w[1])) {
    PrintLine("program-pid " + w[1] + ": " + (ProgramProductId(static_cast<uint16_t>(*Number(w[1]))) ? "ok" : "failed"));
  } else if (step == "descriptors" && args == 0) {
    std::vector<std::string> devices;
    std::string error;
    if (!ListUsbDevices(&devices, &error)) PrintLine("descriptors: " + error);
    for (const std::string& device : devices) PrintLine("descriptors: " + device);
    if (devices.empty()) PrintLine("descriptors: no devices");
  } else {
    return hotplug_.Run(w);
  }
  return true;
}

}  // namespace
}  // namespace zev::e2e

int main(int argc, char** argv) {
  zev::e2e::Probe probe;
  return zev::e2e::RunScript(argc, argv, "zev-e2e-probe",
                             [&probe](const std::vector<std::string>& words) { return probe.Run(words); });
}
