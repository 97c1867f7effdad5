#include "tests/e2e/zevutil_client.h"

#include <dlfcn.h>

#include <string>

#include "device/eeprom/eeprom_image_builder.h"
#include "tests/e2e/step_words.h"
#include "zevutil.h"

namespace zev::e2e {
namespace {

// zev-sim's default part: 512 bytes holding the toolset's default image.
constexpr uint32_t kPartSize = 512;

}  // namespace

ZevutilClient::~ZevutilClient() {
  if (library_ != nullptr) dlclose(library_);
}

template <class Function>
Function* ZevutilClient::Bind(const char* name) const {
  return reinterpret_cast<Function*>(dlsym(library_, name));
}

std::optional<std::string> ZevutilClient::Run(const std::vector<std::string>& w) {
  if (w.empty()) return std::nullopt;
  const std::string& step = w[0];
  const size_t args = w.size() - 1;
  if (step == "load" && args == 0 && library_ == nullptr) {
    library_ = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    return std::string("zev load: ") + (library_ != nullptr ? "ok" : dlerror());
  }
  if (library_ == nullptr) return std::nullopt;
  if (step == "unload" && args == 0) {
    const bool ok = dlclose(library_) == 0;
    library_ = nullptr;
    return std::string("zev unload: ") + (ok ? "ok" : "failed");
  }
  const std::string line = "zev " + step;
  if (args == 0 && (step == "ZEVLibInit" || step == "ZEVLibDeInit" || step == "ZEVResetDevice" ||
                    step == "ZEVHdmiPhyDisable")) {
    auto* call = Bind<ZEV_STATUS()>(step.c_str());
    if (call == nullptr) return line + ": not exported";
    return line + ": " + std::to_string(call());
  }
  if (step == "ZEVPreferedResolution" && args == 0) {
    auto* preferedResolution = Bind<ZEV_STATUS(uint32_t*)>("ZEVPreferedResolution");
    if (preferedResolution == nullptr) return line + ": not exported";
    uint32_t resolution[3] = {};
    const ZEV_STATUS status = preferedResolution(resolution);
    std::string text = line + ": " + std::to_string(status);
    if (status == ZEV_SUCCESS) {
      for (uint32_t value : resolution) text += " " + std::to_string(value);
    }
    return text;
  }
  if (step == "ZEVInitGE" && args == 3 && StepNumber(w[1]) && StepNumber(w[2]) && StepNumber(w[3])) {
    auto* initGE = Bind<ZEV_STATUS(uint32_t, uint32_t, uint32_t)>("ZEVInitGE");
    if (initGE == nullptr) return line + ": not exported";
    const ZEV_STATUS status = initGE(*StepNumber(w[1]), *StepNumber(w[2]), *StepNumber(w[3]));
    return line + " " + w[1] + " " + w[2] + " " + w[3] + ": " + std::to_string(status);
  }
  if (step == "ZEVCalcEepromSize" && args == 0) {
    auto* calcEepromSize = Bind<ZEV_STATUS(uint32_t*)>("ZEVCalcEepromSize");
    if (calcEepromSize == nullptr) return line + ": not exported";
    uint32_t size = 0;
    const ZEV_STATUS status = calcEepromSize(&size);
    return line + ": " + std::to_string(status) + " " + std::to_string(size);
  }
  if (step == "program-pid" && args == 1 && StepNumber(w[1])) return ProgramProductId(w[1]);
  return std::nullopt;
}

// Writes, run by run, the bytes in which the image with the new product ID differs
// from the default image the part holds.
std::optional<std::string> ZevutilClient::ProgramProductId(const std::string& text) {
  EepromImageSpec spec;
  spec.productId = static_cast<uint16_t>(*StepNumber(text));
  std::vector<uint8_t> current;
  std::vector<uint8_t> wanted;
  std::string error;
  if (!BuildEepromImage(EepromImageSpec{}, kPartSize, &current, &error) ||
      !BuildEepromImage(spec, kPartSize, &wanted, &error)) {
    return "zev program-pid " + text + ": " + error;
  }
  auto* write = Bind<ZEV_STATUS(const uint8_t*, uint32_t, uint32_t)>("ZEVLibWriteEEprom");
  if (write == nullptr) return "zev program-pid " + text + ": ZEVLibWriteEEprom not exported";
  ZEV_STATUS status = ZEV_SUCCESS;
  for (uint32_t i = 0; i < kPartSize && status == ZEV_SUCCESS;) {
    if (wanted[i] == current[i]) {
      ++i;
      continue;
    }
    uint32_t end = i;
    while (end < kPartSize && wanted[end] != current[end]) ++end;
    status = write(wanted.data() + i, i, end - i);
    i = end;
  }
  return "zev program-pid " + text + ": " + std::to_string(status);
}

}  // namespace zev::e2e
