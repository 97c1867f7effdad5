// The drawing exports of the built libzevutil.so, bound by name as a client binds them.
// Only argument errors are exercised: they are answered before the library looks for
// an adapter, so the test never touches whatever USB devices the machine has.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "zevutil.h"

namespace {

TEST(DrawExports, RefuseBadArgumentsWithoutAnAdapter) {
  void* library = dlopen(ZEVUTIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto* drawRect =
      reinterpret_cast<ZEV_STATUS (*)(int32_t, uint32_t, uint32_t, uint32_t, uint32_t)>(dlsym(library, "ZEVDrawRect"));
  auto* drawPic = reinterpret_cast<ZEV_STATUS (*)(const char*)>(dlsym(library, "ZEVDrawPic"));
  ASSERT_NE(drawRect, nullptr);
  ASSERT_NE(drawPic, nullptr);
  EXPECT_EQ(drawRect(5, 0, 0, 1, 1), ZEV_INVALID_ARG);
  EXPECT_EQ(drawRect(-1, 0, 0, 1, 1), ZEV_INVALID_ARG);
  EXPECT_EQ(drawPic(nullptr), ZEV_INVALID_ARG);
  EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
