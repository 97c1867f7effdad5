#pragma once

#include <string>
#include <vector>

namespace zev::sim::host {

// The environment of the command zev-sim runs: this process's environment plus what
// the virtual devices need. UMOCKDEV_DIR names the testbed; LD_PRELOAD puts the
// umockdev preload library first; ASAN_OPTIONS lets AddressSanitizer builds run
// although their runtime is not first in the library list any more; ZEV_SIM_CTL names
// the control socket. Entries as "NAME=value".
std::vector<std::string> ChildEnvironment(const std::string& testbedDir, const std::string& controlSocket);

// LD_PRELOAD with the umockdev preload library first.
std::string WithUmockdevPreload(const std::string& preload);
// ASAN_OPTIONS with the check of the runtime's place in the library list off (unless
// the caller set that check either way).
std::string WithAsanLinkOrderCheckOff(const std::string& options);

}  // namespace zev::sim::host
