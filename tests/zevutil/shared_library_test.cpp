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
  for (const char* expected : {"ZEVLibInit", "ZEVLibDeInit"}) {
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

}  // namespace
