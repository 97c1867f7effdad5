#pragma once

#include <vector>

#include "device/chip/registers.h"
#include "sim/units/dram_faults.h"
#include "sim/units/dram_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::testing {

// The fault view in front of the first adapter's DRAM.
inline sim::FaultyDram& DramFaults(SimRig& rig, size_t adapter = 0) {
  return sim::DramFaultsOf(*rig.chip(adapter).Find<sim::DramUnit>());
}

// The DRAM addresses the data port was given, in order.
inline std::vector<uint32_t> DataPortAddresses(const sim::Trace& trace) {
  std::vector<uint32_t> addresses;
  for (const auto& [at, value] : trace.Writes(DP_ADDR, DP_ADDR)) addresses.push_back(value);
  return addresses;
}

}  // namespace zev::testing
