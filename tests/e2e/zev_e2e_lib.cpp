// zev-e2e-lib: a client of the built libzevutil.so as a program that loads it at run
// time would be: it loads the library by path, binds the exports by name and calls them
// as a script of steps says, printing one line per step (the status each export
// returned) for the end-to-end tests to compare. Each argument is one step:
//
//   init | deinit                   ZEVLibInit, ZEVLibDeInit
//   set-mem-size HIGHEST            ZEVSetMemSize
//   set-odt FREQ ODT | get-odt      ZEVSetODTnFrequency, ZEVGetODTnFrequency
//   address-lines | data-lines      ZEVMemoryAddressLinesTest, ZEVMemoryDataLinesTest
//   dram-write OFFSET MODE HEX      ZEVDRAMWrite of the bytes HEX ("0123ab")
//   dram-read OFFSET LENGTH [null]  ZEVDRAMRead, printing the bytes (null: no buffer)
//   eeprom-size                     ZEVCalcEepromSize
//   eeprom-write OFFSET FILE        ZEVLibWriteEEprom of the file's bytes
//   eeprom-read OFFSET LENGTH [FILE]  ZEVLibReadEeprom, printing the bytes or comparing
//                                   them with the file's from OFFSET
//   eeprom-erase                    ZEVLibEraseEeprom
//   preferred-resolution            ZEVPreferedResolution, printing height, width, refresh
//   init-ge HEIGHT WIDTH REFRESH    ZEVInitGE
//   draw-rect COLOUR X Y W H        ZEVDrawRect (COLOUR may be negative)
//   draw-pic FILE|null              ZEVDrawPic (null: no path)
//   hdmi-disable                    ZEVHdmiPhyDisable
//   reset                           ZEVResetDevice
//   hotplug-watch | hotplug-wait KIND...   libusb's arrival/removal events (as the probe's)
//   ctl WORDS...                    run `zev-sim ctl WORDS...` and wait for it
//   probe STEP; STEP; ...           run zev-e2e-probe with these steps, printing its lines
//
// The library's own diagnostic lines (standard output) are sent to standard error, so
// standard output carries the transcript alone.
//
// Exit status 0 when every step ran (a step may report a failure), 1 when the library
// cannot be loaded or lacks an export, 2 on a bad script.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/hotplug_watch.h"
#include "tests/e2e/process.h"
#include "tests/e2e/script_steps.h"
#include "zevutil.h"

namespace zev::e2e {
namespace {

constexpr std::chrono::seconds kProbeTimeout{60};

// The exports the steps use, bound by name.
struct Exports {
  decltype(&::ZEVLibInit) init = nullptr;
  decltype(&::ZEVLibDeInit) deinit = nullptr;
  decltype(&::ZEVSetMemSize) setMemSize = nullptr;
  decltype(&::ZEVSetODTnFrequency) setOdt = nullptr;
  decltype(&::ZEVGetODTnFrequency) getOdt = nullptr;
  decltype(&::ZEVMemoryAddressLinesTest) addressLines = nullptr;
  decltype(&::ZEVMemoryDataLinesTest) dataLines = nullptr;
  decltype(&::ZEVDRAMWrite) dramWrite = nullptr;
  decltype(&::ZEVDRAMRead) dramRead = nullptr;
  decltype(&::ZEVCalcEepromSize) eepromSize = nullptr;
  decltype(&::ZEVLibWriteEEprom) eepromWrite = nullptr;
  decltype(&::ZEVLibReadEeprom) eepromRead = nullptr;
  decltype(&::ZEVLibEraseEeprom) eepromErase = nullptr;
  decltype(&::ZEVPreferedResolution) preferedResolution = nullptr;
  decltype(&::ZEVInitGE) initGE = nullptr;
  decltype(&::ZEVDrawRect) drawRect = nullptr;
  decltype(&::ZEVDrawPic) drawPic = nullptr;
  decltype(&::ZEVHdmiPhyDisable) hdmiDisable = nullptr;
  decltype(&::ZEVResetDevice) resetDevice = nullptr;
};

template <typename Function>
void Bind(void* library, const char* name, Function* function, std::string* missing) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  if (*function == nullptr) *missing += std::string(" ") + name;
}

// The names missing from the library, empty when all are there.
std::string BindExports(void* library, Exports* e) {
  std::string missing;
  Bind(library, "ZEVLibInit", &e->init, &missing);
  Bind(library, "ZEVLibDeInit", &e->deinit, &missing);
  Bind(library, "ZEVSetMemSize", &e->setMemSize, &missing);
  Bind(library, "ZEVSetODTnFrequency", &e->setOdt, &missing);
  Bind(library, "ZEVGetODTnFrequency", &e->getOdt, &missing);
  Bind(library, "ZEVMemoryAddressLinesTest", &e->addressLines, &missing);
  Bind(library, "ZEVMemoryDataLinesTest", &e->dataLines, &missing);
  Bind(library, "ZEVDRAMWrite", &e->dramWrite, &missing);
  Bind(library, "ZEVDRAMRead", &e->dramRead, &missing);
  Bind(library, "ZEVCalcEepromSize", &e->eepromSize, &missing);
  Bind(library, "ZEVLibWriteEEprom", &e->eepromWrite, &missing);
  Bind(library, "ZEVLibReadEeprom", &e->eepromRead, &missing);
  Bind(library, "ZEVLibEraseEeprom", &e->eepromErase, &missing);
  Bind(library, "ZEVPreferedResolution", &e->preferedResolution, &missing);
  Bind(library, "ZEVInitGE", &e->initGE, &missing);
  Bind(library, "ZEVDrawRect", &e->drawRect, &missing);
  Bind(library, "ZEVDrawPic", &e->drawPic, &missing);
  Bind(library, "ZEVHdmiPhyDisable", &e->hdmiDisable, &missing);
  Bind(library, "ZEVResetDevice", &e->resetDevice, &missing);
  return missing;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (uint8_t byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    const std::optional<uint32_t> byte = Number("0x" + text.substr(i, 2));
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*byte));
  }
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ResultField(int32_t value) { return value == ZEV_RESULT_UNSET ? "unset" : std::to_string(value); }

std::string TestResult(const DramTestResult& r) {
  return "status " + std::to_string(r.status) + ", dataLine " + ResultField(r.dataLine) + ", addressLine " +
         ResultField(r.addressLine) + ", address " +
         (r.address == static_cast<uint32_t>(ZEV_RESULT_UNSET) ? "unset" : Hex(r.address));
}

// ", as in the file" or where the bytes first differ from the file's from `offset`.
std::string CompareWithFile(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& file, uint32_t offset) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const size_t at = offset + i;
    if (at >= file.size()) return ", the file ends at " + Hex(static_cast<uint32_t>(file.size()));
    if (bytes[i] != file[at]) {
      return ", differs from the file at " + Hex(static_cast<uint32_t>(at)) + " (" + HexBytes({bytes[i]}) +
             ", the file " + HexBytes({file[at]}) + ")";
    }
  }
  return ", as in the file";
}

// "open; write 0x3008 0x2" -> {"open", "write 0x3008 0x2"}
std::vector<std::string> ProbeSteps(const std::vector<std::string>& words) {
  std::string text;
  for (size_t i = 1; i < words.size(); ++i) text += words[i] + " ";
  std::vector<std::string> steps;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string step = text.substr(start, end - start);
    step.erase(0, step.find_first_not_of(' '));
    step.erase(step.find_last_not_of(' ') + 1);
    if (!step.empty()) steps.push_back(step);
    start = end + 1;
  }
  return steps;
}

void RunProbe(const std::vector<std::string>& steps) {
  std::vector<std::string> argv = {ZEV_E2E_PROBE_BIN};
  argv.insert(argv.end(), steps.begin(), steps.end());
  const ProcessResult result = RunProcess(argv, kProbeTimeout);
  size_t start = 0;
  while (start < result.out.size()) {
    size_t end = result.out.find('\n', start);
    if (end == std::string::npos) end = result.out.size();
    PrintLine("probe: " + result.out.substr(start, end - start));
    start = end + 1;
  }
  if (result.exitCode != 0) PrintLine("probe: exit " + std::to_string(result.exitCode) + ": " + result.err);
}

class LibClient {
 public:
  explicit LibClient(const Exports& exports) : zev_(exports) {}
  // False for a step it does not know or with bad arguments.
  bool Run(const std::vector<std::string>& words);

 private:
  bool DramWrite(const std::vector<std::string>& w);
  bool DramRead(const std::vector<std::string>& w);
  bool EepromWrite(const std::vector<std::string>& w);
  bool EepromRead(const std::vector<std::string>& w);
  bool DrawRect(const std::vector<std::string>& w);

  const Exports& zev_;
  HotplugSteps hotplug_;
};

bool LibClient::Run(const std::vector<std::string>& w) {
  const std::string& step = w[0];
  const size_t args = w.size() - 1;
  if (step == "init" && args == 0) {
    PrintLine("init: " + std::to_string(zev_.init()));
  } else if (step == "deinit" && args == 0) {
    PrintLine("deinit: " + std::to_string(zev_.deinit()));
  } else if (step == "set-mem-size" && args == 1 && Number(w[1])) {
    PrintLine("set-mem-size " + w[1] + ": " + std::to_string(zev_.setMemSize(*Number(w[1]))));
  } else if (step == "set-odt" && args == 2 && Number(w[1]) && Number(w[2])) {
    PrintLine("set-odt " + w[1] + " " + w[2] + ": " + std::to_string(zev_.setOdt(*Number(w[1]), *Number(w[2]))));
  } else if (step == "get-odt" && args == 0) {
    MemoryParams params{};
    const ZEV_STATUS status = zev_.getOdt(&params);
    PrintLine("get-odt: " + std::to_string(status) + ", Freq " + std::to_string(params.Freq) + ", ODT " +
              std::to_string(params.ODT));
  } else if (step == "address-lines" && args == 0) {
    PrintLine("address-lines: " + TestResult(zev_.addressLines()));
  } else if (step == "data-lines" && args == 0) {
    PrintLine("data-lines: " + TestResult(zev_.dataLines()));
  } else if (step == "dram-write" && args == 3) {
    return DramWrite(w);
  } else if (step == "dram-read" && (args == 2 || args == 3)) {
    return DramRead(w);
  } else if (step == "eeprom-size" && args == 0) {
    uint32_t size = 0;
    const ZEV_STATUS status = zev_.eepromSize(&size);
    PrintLine("eeprom-size: " + std::to_string(status) + ", " + std::to_string(size));
  } else if (step == "eeprom-write" && args == 2) {
    return EepromWrite(w);
  } else if (step == "eeprom-read" && (args == 2 || args == 3)) {
    return EepromRead(w);
  } else if (step == "eeprom-erase" && args == 0) {
    PrintLine("eeprom-erase: " + std::to_string(zev_.eepromErase()));
  } else if (step == "preferred-resolution" && args == 0) {
    uint32_t resolution[3] = {};
    const ZEV_STATUS status = zev_.preferedResolution(resolution);
    std::string line = "preferred-resolution: " + std::to_string(status);
    if (status == ZEV_SUCCESS) {
      line += ", " + std::to_string(resolution[0]) + " " + std::to_string(resolution[1]) + " " +
              std::to_string(resolution[2]);
    }
    PrintLine(line);
  } else if (step == "init-ge" && args == 3 && Number(w[1]) && Number(w[2]) && Number(w[3])) {
    const ZEV_STATUS status = zev_.initGE(*Number(w[1]), *Number(w[2]), *Number(w[3]));
    PrintLine("init-ge " + w[1] + " " + w[2] + " " + w[3] + ": " + std::to_string(status));
  } else if (step == "draw-rect" && args == 5) {
    return DrawRect(w);
  } else if (step == "draw-pic" && args == 1) {
    PrintLine("draw-pic " + w[1] + ": " + std::to_string(zev_.drawPic(w[1] == "null" ? nullptr : w[1].c_str())));
  } else if (step == "hdmi-disable" && args == 0) {
    PrintLine("hdmi-disable: " + std::to_string(zev_.hdmiDisable()));
  } else if (step == "reset" && args == 0) {
    PrintLine("reset: " + std::to_string(zev_.resetDevice()));
  } else if (step == "ctl" && args > 0) {
    PrintLine(RunCtl(w));
  } else if (step == "probe" && args > 0) {
    const std::vector<std::string> steps = ProbeSteps(w);
    if (steps.empty()) return false;
    RunProbe(steps);
  } else {
    return hotplug_.Run(w);
  }
  return true;
}

// The colour is signed: codes outside 0..4 reach the export as given.
bool LibClient::DrawRect(const std::vector<std::string>& w) {
  int32_t colour = 0;
  const auto [end, ec] = std::from_chars(w[1].data(), w[1].data() + w[1].size(), colour);
  if (ec != std::errc() || end != w[1].data() + w[1].size()) return false;
  for (size_t i = 2; i <= 5; ++i) {
    if (!Number(w[i])) return false;
  }
  const ZEV_STATUS status = zev_.drawRect(colour, *Number(w[2]), *Number(w[3]), *Number(w[4]), *Number(w[5]));
  PrintLine("draw-rect " + w[1] + " " + w[2] + " " + w[3] + " " + w[4] + " " + w[5] + ": " + std::to_string(status));
  return true;
}

bool LibClient::DramWrite(const std::vector<std::string>& w) {
  const std::optional<uint32_t> offset = Number(w[1]);
  const std::optional<uint32_t> mode = Number(w[2]);
  const std::optional<std::vector<uint8_t>> data = ParseHexBytes(w[3]);
  if (!offset || !mode || *mode > 0xFF || !data) return false;
  const ZEV_STATUS status =
      zev_.dramWrite(data->data(), *offset, static_cast<uint32_t>(data->size()), static_cast<uint8_t>(*mode));
  PrintLine("dram-write " + w[1] + " " + w[2] + " " + w[3] + ": " + std::to_string(status));
  return true;
}

bool LibClient::DramRead(const std::vector<std::string>& w) {
  const std::optional<uint32_t> offset = Number(w[1]);
  const std::optional<uint32_t> length = Number(w[2]);
  const bool noBuffer = w.size() == 4;
  if (!offset || !length || (noBuffer && w[3] != "null")) return false;
  std::vector<uint8_t> buffer(*length);
  const ZEV_STATUS status = zev_.dramRead(noBuffer ? nullptr : buffer.data(), *offset, *length);
  std::string line = "dram-read " + w[1] + " " + w[2] + (noBuffer ? " null" : "") + ": " + std::to_string(status);
  if (status == ZEV_SUCCESS) line += " " + HexBytes(buffer);
  PrintLine(line);
  return true;
}

bool LibClient::EepromWrite(const std::vector<std::string>& w) {
  const std::optional<uint32_t> offset = Number(w[1]);
  const std::optional<std::vector<uint8_t>> data = ReadFile(w[2]);
  if (!offset) return false;
  if (!data) {
    PrintLine("eeprom-write: cannot read " + w[2]);
    return true;
  }
  const ZEV_STATUS status = zev_.eepromWrite(data->data(), *offset, static_cast<uint32_t>(data->size()));
  PrintLine("eeprom-write " + std::to_string(data->size()) + " bytes at " + w[1] + ": " + std::to_string(status));
  return true;
}

bool LibClient::EepromRead(const std::vector<std::string>& w) {
  const std::optional<uint32_t> offset = Number(w[1]);
  const std::optional<uint32_t> length = Number(w[2]);
  if (!offset || !length) return false;
  std::optional<std::vector<uint8_t>> file;
  if (w.size() == 4) {
    file = ReadFile(w[3]);
    if (!file) {
      PrintLine("eeprom-read: cannot read " + w[3]);
      return true;
    }
  }
  std::vector<uint8_t> buffer(*length);
  const ZEV_STATUS status = zev_.eepromRead(buffer.data(), *offset, *length);
  std::string line = "eeprom-read " + w[1] + " " + w[2] + ": " + std::to_string(status);
  if (status == ZEV_SUCCESS) line += file ? CompareWithFile(buffer, *file, *offset) : " " + HexBytes(buffer);
  PrintLine(line);
  return true;
}

}  // namespace
}  // namespace zev::e2e

int main(int argc, char** argv) {
  const int transcript = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  std::FILE* stream = transcript < 0 ? nullptr : fdopen(transcript, "w");
  if (stream == nullptr || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::perror("zev-e2e-lib: cannot set the transcript apart");
    return 1;
  }
  zev::e2e::SetTranscript(stream);
  void* library = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "zev-e2e-lib: cannot load %s: %s\n", ZEVUTIL_LIBRARY_PATH, dlerror());
    return 1;
  }
  zev::e2e::Exports exports;
  if (const std::string missing = zev::e2e::BindExports(library, &exports); !missing.empty()) {
    std::fprintf(stderr, "zev-e2e-lib: %s lacks%s\n", ZEVUTIL_LIBRARY_PATH, missing.c_str());
    return 1;
  }
  zev::e2e::LibClient client(exports);
  const int status = zev::e2e::RunScript(argc, argv, "zev-e2e-lib", [&client](const std::vector<std::string>& words) {
    return client.Run(words);
  });
  // Unloading closes a connection that is still open.
  dlclose(library);
  return status;
}
