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
//   hotplug-watch | hotplug-wait KIND...   libusb's arrival/removal events
//   zev ...            calls into libzevutil.so, loaded at run time (zevutil_client.h)
//
// Exit status 0 when every step ran (a step may report a failure), 2 on a bad script.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
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
#include "tests/e2e/step_words.h"
#include "tests/e2e/zevutil_client.h"

namespace zev::e2e {
namespace {

using namespace std::chrono_literals;

// libusb learns of arrivals and removals from events; give them time to come in.
constexpr auto kEventTimeout = 10s;
constexpr auto kCtlTimeout = 30s;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

class Probe {
 public:
  // False for a step it does not know or with bad arguments.
  bool Run(const std::vector<std::string>& words);

 private:
  void Print(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  std::string CtlLine(const std::vector<std::string>& words, const ProcessResult& result);
  bool ProgramProductId(uint16_t productId);
  std::vector<std::string> CtlCommand(const std::vector<std::string>& words) const {
    std::vector<std::string> argv = {ZEV_SIM_BIN, "ctl"};
    argv.insert(argv.end(), words.begin() + 1, words.end());
    return argv;
  }

  LibusbBackend backend_;
  LibContext ctx_{Variant::Library, &backend_};
  std::unique_ptr<Process> background_;
  std::vector<std::string> backgroundWords_;
  std::unique_ptr<HotplugWatch> hotplug_;
  ZevutilClient zevutil_;
};

std::string Probe::CtlLine(const std::vector<std::string>& words, const ProcessResult& result) {
  std::string line = words[0];
  for (size_t i = 1; i < words.size(); ++i) line += " " + words[i];
  std::string reply = result.exitCode == 0 ? result.out : result.err;
  while (!reply.empty() && reply.back() == '\n') reply.pop_back();
  line += " -> " + reply;
  if (result.exitCode != 0) line += " [exit " + std::to_string(result.exitCode) + "]";
  return line;
}

// The adapter holds the toolset's default image: only the bytes that differ for the
// new product ID are written.
bool Probe::ProgramProductId(uint16_t productId) {
  EepromImageSpec spec;
  spec.productId = productId;
  std::vector<uint8_t> current;
  std::vector<uint8_t> wanted;
  std::string error;
  if (!BuildEepromImage(EepromImageSpec{}, 512, &current, &error) || !BuildEepromImage(spec, 512, &wanted, &error)) {
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
    Print("count " + std::to_string(LibCountDevices(ctx_)));
  } else if (step == "paths" && args == 0) {
    std::string line = "paths";
    char path[kDevicePathChars];
    for (uint32_t i = 0; UsbGetDevicePath(ctx_, path, sizeof path, i); ++i) line += std::string(" ") + path;
    Print(line);
  } else if (step == "wait-count" && args == 1 && StepNumber(w[1])) {
    const auto deadline = std::chrono::steady_clock::now() + kEventTimeout;
    unsigned count = LibCountDevices(ctx_);
    while (count != *StepNumber(w[1]) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(20ms);
      count = LibCountDevices(ctx_);
    }
    Print("wait-count " + w[1] + (count == *StepNumber(w[1]) ? ": ok" : ": timed out with " + std::to_string(count)));
  } else if (step == "open" && args == 0) {
    Print(LibOpenConnection(ctx_) == 0 ? "open: ok" : "open: failed");
  } else if (step == "probe" && args == 0) {
    uint32_t idRev = 0;
    Print(LibProbeDevice(ctx_, &idRev) == 0 ? "probe: ok ID_REV " + Hex(idRev) : "probe: failed");
  } else if (step == "close" && args == 0) {
    LibCloseConnection(ctx_);
    Print("close");
  } else if (step == "read" && args == 1 && StepNumber(w[1])) {
    uint32_t value = 0;
    const bool ok = GfxQueryRegDW(ConnectedDevice(ctx_), *StepNumber(w[1]), &value) == 0;
    Print("read " + w[1] + ": " + (ok ? Hex(value) : "failed"));
  } else if (step == "write" && args == 2 && StepNumber(w[1]) && StepNumber(w[2])) {
    const bool ok = GfxSetRegDW(ConnectedDevice(ctx_), *StepNumber(w[1]), *StepNumber(w[2])) == 0;
    Print("write " + w[1] + " " + w[2] + ": " + (ok ? "ok" : "failed"));
  } else if (step == "bulk" && args == 1 && StepNumber(w[1])) {
    const std::vector<uint8_t> data(*StepNumber(w[1]), 0);
    const uint32_t written = GfxBulkWrite(ConnectedDevice(ctx_), data.data(), static_cast<uint32_t>(data.size()));
    Print("bulk " + w[1] + ": " + (written == 0 ? "failed" : "wrote " + std::to_string(written)));
  } else if (step == "reads-until-failure" && args == 1 && StepNumber(w[1])) {
    // How many reads succeed depends on timing; what matters is that the loop ends
    // with a failure instead of crashing or hanging, and that no read lies.
    uint32_t done = 0;
    bool failed = false;
    bool wrongValue = false;
    for (; done < *StepNumber(w[1]) && !failed; ++done) {
      uint32_t value = 0;
      failed = GfxQueryRegDW(ConnectedDevice(ctx_), ID_REV, &value) != 0;
      wrongValue = wrongValue || (!failed && value >> 16 != 0x9D00);
    }
    Print(std::string("reads-until-failure: ") + (failed ? "failed" : "no failure") +
          (wrongValue ? ", wrong values read" : ""));
  } else if (step == "ctl" && args > 0) {
    Print(CtlLine(w, RunProcess(CtlCommand(w), kCtlTimeout)));
  } else if (step == "ctl&" && args > 0 && !background_) {
    background_ = std::make_unique<Process>();
    backgroundWords_ = w;
    std::string error;
    if (!background_->Start(CtlCommand(w), &error)) Print("ctl&: " + error);
  } else if (step == "ctl-wait" && args == 0 && background_) {
    Print(CtlLine(backgroundWords_, background_->Finish(kCtlTimeout)));
    background_.reset();
  } else if (step == "generation" && args == 1) {
    const ProcessResult status = RunProcess({ZEV_SIM_BIN, "ctl", "status"}, kCtlTimeout);
    const std::string entry = "| " + w[1] + " ";
    const size_t at = status.out.find(entry);
    const size_t key = at == std::string::npos ? at : status.out.find("generation=", at);
    Print("generation " + w[1] + ": " +
          (key == std::string::npos ? "unknown" : status.out.substr(key + 11, status.out.find(' ', key) - key - 11)));
  } else if (step == "program-pid" && args == 1 && StepNumber(w[1])) {
    const bool ok = ProgramProductId(static_cast<uint16_t>(*StepNumber(w[1])));
    Print("program-pid " + w[1] + ": " + (ok ? "ok" : "failed"));
  } else if (step == "hotplug-watch" && args == 0 && !hotplug_) {
    hotplug_ = std::make_unique<HotplugWatch>();
    std::string error;
    Print(hotplug_->Start(&error) ? "hotplug-watch: ok" : "hotplug-watch: " + error);
  } else if (step == "hotplug-wait" && args > 0 && hotplug_) {
    std::vector<std::string> seen;
    const bool ok = hotplug_->WaitFor({w.begin() + 1, w.end()}, kEventTimeout, &seen);
    std::string line = ok ? "hotplug:" : "hotplug (timed out):";
    for (size_t i = 0; i < seen.size(); ++i) line += (i == 0 ? " " : ", ") + seen[i];
    Print(line);
  } else if (step == "zev" && args > 0) {
    const std::optional<std::string> line = zevutil_.Run({w.begin() + 1, w.end()});
    if (!line) return false;
    Print(*line);
  } else {
    return false;
  }
  return true;
}

}  // namespace
}  // namespace zev::e2e

int main(int argc, char** argv) {
  zev::e2e::Probe probe;
  for (int i = 1; i < argc; ++i) {
    std::istringstream in(argv[i]);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty() || !probe.Run(words)) {
      std::fprintf(stderr, "zev-e2e-probe: bad step '%s'\n", argv[i]);
      return 2;
    }
  }
  return 0;
}
