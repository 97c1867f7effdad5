#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/core/trace.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"
#include "device/video/i2c_master.h"

namespace zev::testing {

inline sim::I2cMasterUnit& I2cUnit(SimRig& rig) { return *rig.chip().Find<sim::I2cMasterUnit>(); }

// Opens the device and initialises the I2C block aimed at `address` (8-bit form) on
// `port`; the trace and the captured text start empty.
inline UsbDevice* OpenI2c(SimRig& rig, uint32_t port, uint8_t address) {
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(VgaI2cInit(dev));
  EXPECT_TRUE(VgaI2cSetPort(dev, port));
  EXPECT_TRUE(VgaI2cSetTAR(dev, address));
  rig.ClearTrace();
  rig.ClearDiag();
  return dev;
}

// The register transfers of the trace as "R 1070" and "W 1010=00000012".
inline std::vector<std::string> RegisterAccesses(const sim::Trace& trace) {
  std::vector<std::string> lines;
  char text[32];
  for (const auto& e : trace.Events()) {
    if (e.kind == sim::TraceEvent::Kind::RegRead) {
      std::snprintf(text, sizeof text, "R %04X", e.address);
    } else if (e.kind == sim::TraceEvent::Kind::RegWrite) {
      std::snprintf(text, sizeof text, "W %04X=%08X", e.address, e.value);
    } else {
      std::snprintf(text, sizeof text, "? %04X", e.address);
    }
    lines.emplace_back(text);
  }
  return lines;
}

}  // namespace zev::testing
