#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/core/chip_variant.h"
#include "sim/devices/board.h"
#include "sim/usb/usb_descriptors.h"

namespace zev::sim::host {

// The command line of `zev-sim [options] -- COMMAND [ARGS...]`.
struct HostOptions {
  unsigned adapters = 1;
  // Chip variant of each adapter in order; the last also serves the adapters after it.
  std::vector<ChipVariant> variants = {ChipVariant::SiliconRev1()};
  BusSpeed speed = BusSpeed::High;
  std::optional<std::string> eepromFile;
  uint32_t eepromSize = 512;
  uint32_t dramMegabytes = 32;
  std::optional<std::string> traceFile;
  // The board of every adapter: the standard one or an empty one, with the monitor and
  // the audio rates given.
  bool emptyBoard = false;
  std::optional<std::string> monitorEdidFile;
  std::optional<MonitorBus> monitorBus;
  std::optional<uint32_t> i2s0Hz;
  std::optional<uint32_t> i2s1Hz;
  std::optional<uint32_t> spdifHz;
  bool help = false;
  std::vector<std::string> command;

  ChipVariant VariantOf(unsigned number) const;  // number from 1
};

// False with a message naming the bad option or value.
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions* options, std::string* error);

extern const char* const kHostUsage;

}  // namespace zev::sim::host
