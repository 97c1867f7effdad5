// zev-sim: virtual ZEV adapters as USB devices for unmodified programs.
//   zev-sim [options] -- COMMAND [ARGS...]    host the adapters and run COMMAND
//   zev-sim ctl SUBCOMMAND [ARGS...]          control a running zev-sim
#include <string>
#include <vector>

#include "sim/host/ctl_client.h"
#include "sim/host/host_main.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "ctl") return zev::sim::host::RunCtl({args.begin() + 1, args.end()});
  return zev::sim::host::RunHost(argv);
}
