#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/video/dp_phy.h"
#include "device/video/i2c_master.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/c7301.h"
#include "sim/devices/i2c_register_file.h"
#include "tests/support/monitor_edids.h"
#include "tests/support/sim_rig.h"

namespace zev::testing {

// An adapter with an ANX9805 (and nothing else) on its I2C bus, opened with the I2C
// master initialised; trace, captured text and the transmitter's write log start empty.
struct DpRig {
  explicit DpRig(sim::ChipVariant variant = sim::ChipVariant::SiliconRev1())
      : rig(variant, sim::BoardDescription::Empty()), anx(sim::AttachAnx9805(rig.chip())) {
    dev = rig.Open();
    EXPECT_TRUE(VgaI2cInit(dev));
    rig.ClearTrace();
    rig.ClearDiag();
  }

  // Powers the transmitter up for DisplayPort; the logs start empty again.
  void PowerUp() {
    EXPECT_TRUE(DpPwrUp(dev));
    anx.ClearWriteLog();
    rig.ClearTrace();
    rig.ClearDiag();
  }

  // Puts a monitor with `edid` on the transmitter's DDC lines.
  sim::I2cRegisterFile& ConnectMonitor(const std::vector<uint8_t>& edid) {
    auto& monitor = anx.Ddc().Emplace<sim::I2cRegisterFile>(sim::I2cAddress::EightBit(0xA0));
    monitor.Load(edid);
    return monitor;
  }

  SimRig rig;
  sim::Anx9805& anx;
  UsbDevice* dev = nullptr;
};

// An FPGA board (where the CH7301 sits) carrying just the CH7301, opened with the I2C
// master initialised.
struct DvoRig {
  explicit DvoRig(sim::ChipVariant variant = sim::ChipVariant::Fpga(103))
      : rig(variant, sim::BoardDescription::Empty()), c7301(sim::AttachC7301(rig.chip())) {
    dev = rig.Open();
    EXPECT_TRUE(VgaI2cInit(dev));
    rig.ClearTrace();
    rig.ClearDiag();
  }

  SimRig rig;
  sim::C7301& c7301;
  UsbDevice* dev = nullptr;
};

// Occurrences of `what` in `text`.
inline size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

}  // namespace zev::testing
