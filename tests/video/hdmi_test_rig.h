#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/chip/hw_init.h"
#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/dmt_mode.h"
#include "device/video/hdmi_internal.h"
#include "sim/units/clock_unit.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/hdmi_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::testing {

inline sim::HdmiUnit& Hdmi(SimRig& rig) { return *rig.chip().Find<sim::HdmiUnit>(); }
inline sim::HdmiAudioUnit& AudioInputs(SimRig& rig) { return *rig.chip().Find<sim::HdmiAudioUnit>(); }
inline sim::Sii9134RegisterFile& Internal(SimRig& rig) { return Hdmi(rig).internal(); }
inline sim::Sii9134RegisterFile& External(SimRig& rig) { return Hdmi(rig).external()->registers(); }
inline sim::I2cBus& HdmiBus(SimRig& rig) { return rig.chip().Find<sim::I2cMasterUnit>()->Bus(1); }

// Opens the device and runs the bring-up (which records the chip identity the HDMI
// routines go by); the trace and the captured text start empty.
inline UsbDevice* OpenHdmi(SimRig& rig) {
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(GfxHwInit(dev));
  rig.ClearTrace();
  rig.ClearDiag();
  return dev;
}

// A timing with the fields the transmitters look at.
inline DmtMode Mode(uint32_t width, uint32_t height, uint32_t refresh, uint32_t pixClk) {
  DmtMode mode{};
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.dwRefresh = refresh;
  mode.dwPixClk = pixClk;
  return mode;
}
inline DmtMode Mode1080p60() { return Mode(1920, 1080, 60, 148500000); }

// Chip address of internal transmitter register `reg`.
inline uint16_t IntAddr(uint32_t reg) { return static_cast<uint16_t>(HdmiCoreRegister(reg)); }

// Writes of the trace to internal transmitter registers first..last.
inline std::vector<std::pair<uint16_t, uint32_t>> IntWrites(SimRig& rig, uint32_t first, uint32_t last) {
  return rig.trace().Writes(IntAddr(first), IntAddr(last));
}

}  // namespace zev::testing
