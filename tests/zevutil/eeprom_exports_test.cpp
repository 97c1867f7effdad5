// The EEPROM exports of the built libzevutil.so, bound by name as a client binds them.
// Only argument errors are exercised here: they are answered before the library looks
// for an adapter, so the test never touches whatever USB devices the machine has.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "zevutil.h"

namespace {

class EepromExports : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (library_ != nullptr) {
      EXPECT_EQ(dlclose(library_), 0);
    }
  }

  template <typename Function>
  Function* Bind(const char* name) {
    void* symbol = dlsym(library_, name);
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<Function*>(symbol);
  }

 private:
  void* library_ = nullptr;
};

TEST_F(EepromExports, RefuseBadArgumentsWithoutAnAdapter) {
  auto* write = Bind<ZEV_STATUS(const uint8_t*, uint32_t, uint32_t)>("ZEVLibWriteEEprom");
  auto* read = Bind<ZEV_STATUS(uint8_t*, uint32_t, uint32_t)>("ZEVLibReadEeprom");
  auto* size = Bind<ZEV_STATUS(uint32_t*)>("ZEVCalcEepromSize");
  EXPECT_NE(Bind<ZEV_STATUS()>("ZEVLibEraseEeprom"), nullptr);
  ASSERT_TRUE(write != nullptr && read != nullptr && size != nullptr);

  uint8_t bytes[4] = {};
  EXPECT_EQ(write(nullptr, 0, 4), ZEV_INVALID_ARG);
  EXPECT_EQ(write(bytes, 0, 0), ZEV_INVALID_ARG);
  EXPECT_EQ(read(nullptr, 0, 4), ZEV_INVALID_ARG);
  EXPECT_EQ(read(bytes, 0x10000, 0), ZEV_INVALID_ARG) << "the argument check comes before the range check";
  EXPECT_EQ(size(nullptr), ZEV_INVALID_ARG);
}

}  // namespace
