#pragma once

namespace zev::sim {

// Faults of the I2C master, set by tests and `zev-sim ctl`.
struct I2cMasterFaults {
  // Something holds the bus: IC_STATUS shows activity for ever and queued commands
  // never complete (so the assist never finishes either).
  bool busStuckBusy = false;
  // The assist sequencer stays busy after its command.
  bool assistNeverFinishes = false;
  // IC_ENABLE reads as enabled once it has been read this many times (-1: never):
  // a block that will not leave the enabled state part way through a configuration.
  int enableStuckAfterReads = -1;
};

}  // namespace zev::sim
