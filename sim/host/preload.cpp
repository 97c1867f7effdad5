#include "sim/host/preload.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/host/child_environment.h"

namespace zev::sim::host {

void RunUnderUmockdevPreload(char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr) return;
  const std::string preloadValue = WithUmockdevPreload(preload != nullptr ? preload : "");
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string asanValue = WithAsanLinkOrderCheckOff(asan != nullptr ? asan : "");
  setenv("LD_PRELOAD", preloadValue.c_str(), 1);
  setenv("ASAN_OPTIONS", asanValue.c_str(), 1);
  execv("/proc/self/exe", argv);
  std::fprintf(stderr, "zev-sim: cannot restart under the umockdev preload library: %s\n", std::strerror(errno));
}

}  // namespace zev::sim::host
