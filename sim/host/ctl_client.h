#pragma once

#include <string>
#include <vector>

namespace zev::sim::host {

// The environment variable that names the control socket in zev-sim's child.
inline constexpr const char* kControlSocketVariable = "ZEV_SIM_CTL";

// `zev-sim ctl [--socket PATH] SUBCOMMAND [ARGS...]`: sends the command to a running
// zev-sim and prints its reply. Exit status 0 for "ok", 1 for an error reply or an
// unreachable zev-sim, 2 for a bad command line.
int RunCtl(const std::vector<std::string>& args);

}  // namespace zev::sim::host
