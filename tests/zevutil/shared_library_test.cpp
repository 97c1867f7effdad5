// The built libzevutil.so as a client sees it: bound by name at run time, with nothing
// but the ZEV functions visible.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "zevutil.h"

namespace {

std::vector<std::string> DefinedDynamicSymbols(const std::string& library) {
  std::vector<std::string> names;
  const std::string command = "nm -D --defined-only '" + library + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.push_back(name);
  }
  pclose(pipe);
  return names;
}

TEST(SharedLibrary, ExportsOnlyZevNames) {
  const std::vector<std::string> names = DefinedDynamicSymbols(ZEVUTIL_LIBRARY_PATH);
  ASSERT_FALSE(names.empty()) << "nm found no symbols in " << ZEVUTIL_LIBRARY_PATH;
  for (const auto& name : names) EXPECT_EQ(name.rfind("ZEV", 0), 0u) << name;
  for (const char* expected : {"ZEVLibInit", "ZEVLibDeInit", "ZEVSetMemSize", "ZEVGetMemSize", "ZEVSetODTnFrequency",
                               "ZEVGetODTnFrequency", "ZEVDRAMWrite", "ZEVDRAMRead", "ZEVVerifyFullDRAM",
                               "ZEVMemoryDataLinesTest", "ZEVMemoryAddressLinesTest", "ZEVPreferedResolution",
                               "ZEVInitGE", "ZEVHdmiPhyEnable", "ZEVHdmiPhyDisable", "ZEVResetDevice"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
}

TEST(SharedLibrary, LoadsBindsByNameAndUnloads) {
  void* library = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using Lifecycle = ZEV_STATUS (*)(void);
  auto init = reinterpret_cast<Lifecycle>(dlsym(library, "ZEVLibInit"));
  auto deinit = reinterpret_cast<Lifecycle>(dlsym(library, "ZEVLibDeInit"));
  EXPECT_NE(init, nullptr);
  ASSERT_NE(deinit, nullptr);
  // Closing before anything was opened, twice, is harmless.
  EXPECT_EQ(deinit(), 0);
  EXPECT_EQ(deinit(), 0);
  EXPECT_EQ(dlsym(library, "_ZN3zev9GfxHwInitEPNS_9UsbDeviceE"), nullptr) << "device routines stay private";
  EXPECT_EQ(dlclose(library), 0);
}

// A freshly loaded library answers from its values at load, and refuses the memory
// tests before it looks for a device.
TEST(SharedLibrary, MemoryExportsStartFromTheValuesAtLoad) {
  void* library = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto getMemSize = reinterpret_cast<uint32_t (*)(void)>(dlsym(library, "ZEVGetMemSize"));
  auto getOdt = reinterpret_cast<ZEV_STATUS (*)(MemoryParams*)>(dlsym(library, "ZEVGetODTnFrequency"));
  auto addressLines = reinterpret_cast<DramTestResult (*)(void)>(dlsym(library, "ZEVMemoryAddressLinesTest"));
  auto read = reinterpret_cast<ZEV_STATUS (*)(uint8_t*, uint32_t, uint32_t)>(dlsym(library, "ZEVDRAMRead"));
  ASSERT_TRUE(getMemSize && getOdt && addressLines && read);

  EXPECT_EQ(getMemSize(), 0x1FFFFFFu);
  MemoryParams params{};
  EXPECT_EQ(getOdt(&params), ZEV_SUCCESS);
  EXPECT_EQ(params.Freq, 4u);
  EXPECT_EQ(params.ODT, 9u);
  const DramTestResult result = addressLines();
  EXPECT_EQ(result.status, ZEV_INVALID_ODT);
  EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(read(nullptr, 0, 8), ZEV_INVALID_ARG);
  EXPECT_EQ(dlclose(library), 0);
}

// Before ZEVLibInit the display exports refuse what they cannot do instead of touching a
// device that is not there.
TEST(SharedLibrary, DisplayExportsWithoutAConnection) {
  void* library = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto preferedResolution = reinterpret_cast<ZEV_STATUS (*)(uint32_t*)>(dlsym(library, "ZEVPreferedResolution"));
  auto hdmiEnable = reinterpret_cast<ZEV_STATUS (*)(const HdmiAudioSettings*)>(dlsym(library, "ZEVHdmiPhyEnable"));
  auto hdmiDisable = reinterpret_cast<ZEV_STATUS (*)(void)>(dlsym(library, "ZEVHdmiPhyDisable"));
  auto resetDevice = reinterpret_cast<ZEV_STATUS (*)(void)>(dlsym(library, "ZEVResetDevice"));
  ASSERT_TRUE(preferedResolution && hdmiEnable && hdmiDisable && resetDevice);

  uint32_t resolution[3] = {};
  EXPECT_EQ(preferedResolution(nullptr), ZEV_INVALID_ARG);
  EXPECT_EQ(preferedResolution(resolution), ZEV_EDID_PARSE_ERR);
  const HdmiAudioSettings settings{AUDIO_I2S0, 0, I2S_FS_AUTO, 0, 0, 5};
  EXPECT_EQ(hdmiEnable(nullptr), ZEV_LIB_FAILURE);
  EXPECT_EQ(hdmiEnable(&settings), ZEV_LIB_FAILURE);
  EXPECT_EQ(hdmiDisable(), ZEV_LIB_FAILURE);
  EXPECT_EQ(resetDevice(), ZEV_DEV_COM_FAIL);
  EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
