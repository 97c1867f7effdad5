#pragma once

namespace zev::sim::host {

// umockdev's testbed reaches udev data (e.g. for the "remove" event of a device) only
// from a process that runs under its preload library. When this one does not yet, it
// restarts itself with LD_PRELOAD (and the ASan option an AddressSanitizer build then
// needs); returns only when no restart was needed (or the restart failed, with a
// message).
void RunUnderUmockdevPreload(char** argv);

}  // namespace zev::sim::host
