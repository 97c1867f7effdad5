// The reset action: the adapter resets, re-reads its EEPROM and rejoins the bus.
#include <cstdio>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"

namespace zev::dntest {

void ResetAction(const LibrarySource& source) {
  LibrarySession session(source);
  if (!CommonStart(session)) return;
  const auto reset = ZEV_REQUIRE(session, ZEVResetDevice);
  if (reset == nullptr) return;
  std::fputs(reset() != ZEV_SUCCESS ? "Failed to reset device \n" : "Successfully reset the device \n", stdout);
}

}  // namespace zev::dntest
