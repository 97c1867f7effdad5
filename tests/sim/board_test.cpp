// The virtual adapter's board: what the description wires onto the I2C buses and the
// audio inputs, changing the monitor, and the wiring staying through power-up and
// device reset.
#include "sim/devices/board.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "device/chip/registers.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/c7301.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

const I2cAddress kMonitor = I2cAddress::EightBit(kMonitorDdcAddress);
const I2cAddress kC7301 = I2cAddress::EightBit(C7301::kAddress);
const I2cAddress kAnxSystem = I2cAddress::EightBit(Anx9805::kSystemAddress);

I2cBus& Bus(testing::SimRig& rig, uint32_t selector) { return rig.chip().Find<I2cMasterUnit>()->Bus(selector); }
HdmiAudioUnit& Audio(testing::SimRig& rig) { return *rig.chip().Find<HdmiAudioUnit>(); }

// A distinct EDID: 128 bytes counting up.
std::vector<uint8_t> Counting() {
  std::vector<uint8_t> edid(128);
  for (size_t i = 0; i < edid.size(); ++i) edid[i] = static_cast<uint8_t>(i);
  return edid;
}

// What answers where, for the checks below.
struct Wiring {
  bool monitorOnPort2;
  bool monitorOnPort1;
  bool monitorOnAnxDdc;
  bool c7301;
  bool anx9805;
};

Wiring WiringOf(testing::SimRig& rig) {
  Board& board = rig.adapter().board();
  Anx9805* anx = board.anx9805();
  return {Bus(rig, 0).Target(kMonitor) != nullptr, Bus(rig, 1).Target(kMonitor) != nullptr,
          anx != nullptr && anx->Ddc().Target(kMonitor) != nullptr, Bus(rig, 0).Target(kC7301) != nullptr,
          Bus(rig, 0).Target(kAnxSystem) != nullptr};
}

TEST(Board, StandardSiliconBoardCarriesMonitorAndBothTransmitters) {
  testing::SimRig rig;
  Board& board = rig.adapter().board();
  const Wiring w = WiringOf(rig);
  EXPECT_TRUE(w.monitorOnPort2 && w.monitorOnAnxDdc && w.c7301 && w.anx9805);
  EXPECT_FALSE(w.monitorOnPort1);
  EXPECT_EQ(board.monitorBus(), MonitorBus::Port2);
  ASSERT_NE(board.monitor(), nullptr);
  EXPECT_EQ(Bus(rig, 0).Target(kMonitor), board.monitor()) << "one monitor on both DDC lines";
  EXPECT_EQ(board.anx9805()->Ddc().Target(kMonitor), board.monitor());
  const std::span<const uint8_t> edid = board.monitor()->Edid();
  EXPECT_TRUE(std::equal(edid.begin(), edid.end(), DefaultMonitorEdid().begin(), DefaultMonitorEdid().end()));
  EXPECT_EQ(Bus(rig, 0).Target(kC7301), board.c7301());
  EXPECT_EQ(Audio(rig).I2sRate(0), 48000u);
  EXPECT_EQ(Audio(rig).I2sRate(1), 0u);
  EXPECT_EQ(Audio(rig).SpdifRate(), 0u);
}

TEST(Board, FpgaBoardHasNoDisplayPortTransmitter) {
  testing::SimRig rig(ChipVariant::Fpga(103));
  const Wiring w = WiringOf(rig);
  EXPECT_TRUE(w.monitorOnPort2 && w.c7301);
  EXPECT_FALSE(w.anx9805 || w.monitorOnAnxDdc);
  EXPECT_EQ(rig.adapter().board().anx9805(), nullptr);
}

TEST(Board, DescriptionChoosesMonitorTransmittersAndAudio) {
  BoardDescription description;
  description.monitorBus = MonitorBus::Port1;
  description.monitorEdid = Counting();
  description.c7301 = false;
  description.i2s0Hz = 0;
  description.i2s1Hz = 44100;
  description.spdifHz = 32000;
  testing::SimRig rig(ChipVariant::SiliconRev1(), description);
  const Wiring w = WiringOf(rig);
  EXPECT_TRUE(w.monitorOnPort1 && w.monitorOnAnxDdc && w.anx9805);
  EXPECT_FALSE(w.monitorOnPort2 || w.c7301);
  EXPECT_EQ(rig.adapter().board().monitor()->ReadRegister(5), 5);
  EXPECT_EQ(Audio(rig).I2sRate(0), 0u);
  EXPECT_EQ(Audio(rig).I2sRate(1), 44100u);
  EXPECT_EQ(Audio(rig).SpdifRate(), 32000u);
}

TEST(Board, EmptyBoardLeavesTheBusesFree) {
  testing::SimRig rig(ChipVariant::SiliconRev1(), BoardDescription::Empty());
  const Wiring w = WiringOf(rig);
  EXPECT_FALSE(w.monitorOnPort2 || w.monitorOnPort1 || w.c7301 || w.anx9805);
  EXPECT_EQ(rig.adapter().board().monitor(), nullptr);
  // Tests can put their own devices at the standard addresses.
  EXPECT_NO_THROW(AttachC7301(rig.chip()));
  EXPECT_NO_THROW(AttachAnx9805(rig.chip()));
}

TEST(Board, MonitorMovesBetweenBusesAndGoes) {
  testing::SimRig rig;
  Board& board = rig.adapter().board();
  Monitor* moved = board.ConnectMonitor(MonitorBus::Port1, Counting());
  Wiring w = WiringOf(rig);
  EXPECT_TRUE(w.monitorOnPort1 && w.monitorOnAnxDdc);
  EXPECT_FALSE(w.monitorOnPort2);
  EXPECT_EQ(board.anx9805()->Ddc().Target(kMonitor), moved);

  EXPECT_EQ(board.ConnectMonitor(MonitorBus::None), nullptr);
  w = WiringOf(rig);
  EXPECT_FALSE(w.monitorOnPort1 || w.monitorOnPort2 || w.monitorOnAnxDdc);
  EXPECT_EQ(board.monitorBus(), MonitorBus::None);
}

TEST(Board, ShortEdidIsRefusedAndTheMonitorStays) {
  testing::SimRig rig;
  Board& board = rig.adapter().board();
  Monitor* before = board.monitor();
  EXPECT_THROW(board.ConnectMonitor(MonitorBus::Port1, std::vector<uint8_t>(127)), std::invalid_argument);
  EXPECT_EQ(board.monitor(), before);
  EXPECT_EQ(Bus(rig, 0).Target(kMonitor), before);
  EXPECT_EQ(board.monitorBus(), MonitorBus::Port2);
}

// The board is not part of the chip: unplugging, plugging and a device reset leave
// the devices, their faults and the audio sources as they were.
TEST(Board, WiringStaysThroughPowerUpAndDeviceReset) {
  testing::SimRig rig;
  SimAdapter& adapter = rig.adapter();
  Board& board = adapter.board();
  board.monitor()->StopAnsweringAfter(3);
  board.SetAudioRate(AudioSource::Spdif, 44100);
  Monitor* monitor = board.monitor();

  adapter.Unplug();
  adapter.Plug();
  uint8_t deviceReset[4] = {HW_CFG_DEVICE_RESET, 0, 0, 0};
  adapter.Control({0x40, 0xA0, 0, HW_CFG, 4}, deviceReset);
  EXPECT_EQ(adapter.generation(), 3u);

  const Wiring w = WiringOf(rig);
  EXPECT_TRUE(w.monitorOnPort2 && w.monitorOnAnxDdc && w.c7301 && w.anx9805);
  EXPECT_EQ(Bus(rig, 0).Target(kMonitor), monitor);
  EXPECT_EQ(Audio(rig).SpdifRate(), 44100u);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(monitor->ReadRegister(0).has_value());
  EXPECT_FALSE(monitor->ReadRegister(0).has_value()) << "the monitor's fault is its own";
}

}  // namespace
}  // namespace zev::sim
