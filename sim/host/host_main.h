#pragma once

namespace zev::sim::host {

// `zev-sim [options] -- COMMAND [ARGS...]`: hosts the adapters, runs COMMAND, cleans
// up, and returns COMMAND's exit status (2 for a bad command line, 1 when the
// adapters cannot be hosted, 127 when COMMAND cannot be run).
int RunHost(char** argv);

}  // namespace zev::sim::host
