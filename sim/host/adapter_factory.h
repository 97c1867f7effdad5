#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/host/host_options.h"
#include "sim/usb/sim_adapter.h"

namespace zev::sim::host {

// Builds the options of every adapter zev-sim hosts (at start and for `ctl add`):
// the chip variant, the bus speed, a fresh copy of the EEPROM part, the DRAM size and
// the board.
class AdapterFactory {
 public:
  // Loads the EEPROM image and the monitor's EDID. False with a message naming the
  // file on a bad one.
  bool Init(const HostOptions& options, std::string* error);

  // Adapter `number` (from 1) as the command line asked for.
  SimAdapter::Options For(unsigned number) const;
  SimAdapter::Options With(ChipVariant variant) const;

 private:
  HostOptions options_;
  std::vector<uint8_t> eeprom_;  // the part's content, part-sized
  BoardDescription board_;
};

}  // namespace zev::sim::host
