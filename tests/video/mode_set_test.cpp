// The mode set on the virtual adapter's standard board: which transmitters run for
// each port, the output switches, the geometry recorded, the monitor search, and the
// line of every failing step.
#include "device/video/mode_set.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/chip/hw_init.h"
#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/video/c7301.h"
#include "device/video/edid.h"
#include "device/video/sii9134_registers.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/c7301.h"
#include "sim/units/display_controller_unit.h"
#include "sim/units/hdmi_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/monitor_edids.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

// An adapter on `board`, opened and brought up; trace, text and the transmitters'
// write logs start empty.
struct ModeSetRig {
  explicit ModeSetRig(sim::ChipVariant variant = sim::ChipVariant::SiliconRev1(), sim::BoardDescription board = {})
      : rig(variant, std::move(board)) {
    dev = rig.Open();
    EXPECT_TRUE(GfxHwInit(dev));
    rig.ClearTrace();
    rig.ClearDiag();
  }

  sim::Board& board() { return rig.adapter().board(); }
  sim::DisplayControllerUnit& dc() { return *rig.chip().Find<sim::DisplayControllerUnit>(); }
  sim::Sii9134RegisterFile& hdmi() { return rig.chip().Find<sim::HdmiUnit>()->internal(); }
  sim::I2cMasterUnit& i2c() { return *rig.chip().Find<sim::I2cMasterUnit>(); }
  VideoState& vs() { return rig.ctx().connection.video; }
  uint32_t Reg(uint16_t address) { return rig.chip().Peek(address); }
  bool C7301Untouched() { return board().c7301()->WriteLog().empty(); }
  // The writes to VDAC_CFG and RGB_CFG, in order.
  Writes Switches() { return rig.trace().Writes(VDAC_CFG, RGB_CFG); }

  bool SetMode(uint32_t port, uint32_t modeIndex = 0, bool bUseEdidMode = false) {
    vs().dwPort = port;
    return GfxSetMode(dev, vs(), modeIndex, bUseEdidMode);
  }

  testing::SimRig rig;
  UsbDevice* dev = nullptr;
};

TEST(GfxSetModeForMonitor, MonitorOnPort2GetsTheDacAlone) {
  ModeSetRig m;
  ASSERT_TRUE(GfxSetModeForMonitor(m.rig.ctx(), 0, false)) << m.rig.Diag();
  EXPECT_EQ(m.vs().dwPort, DC_PORT_DAC);
  EXPECT_EQ(m.vs().device, m.dev);
  EXPECT_EQ(m.Switches(), (Writes{{VDAC_CFG, 0}, {VDAC_CFG, 0}, {RGB_CFG, 0}, {RGB_CFG, 2}, {VDAC_CFG, 7}}));
  EXPECT_TRUE(m.dc().Interface(sim::DcInterface::Dac).enabled);
  EXPECT_FALSE(m.dc().Interface(sim::DcInterface::Hdmi).enabled);
  EXPECT_FALSE(m.dc().Interface(sim::DcInterface::Dvo).enabled);
  // No transmitter runs: the CH7301 and the ANX9805 are not even addressed, HDMI is off.
  EXPECT_TRUE(m.C7301Untouched());
  EXPECT_TRUE(m.board().anx9805()->WriteLog().empty());
  EXPECT_EQ(m.Reg(HDMI_CFG), 0u);
  EXPECT_FALSE(m.hdmi().PoweredUp());
  EXPECT_THAT(m.rig.Diag(), Not(HasSubstr("ERROR")));
}

TEST(GfxSetModeForMonitor, MonitorOnPort1GetsHdmiVideoOnly) {
  ModeSetRig m;
  m.board().ConnectMonitor(sim::MonitorBus::Port1);
  ASSERT_TRUE(GfxSetModeForMonitor(m.rig.ctx(), 0, false)) << m.rig.Diag();
  EXPECT_EQ(m.vs().dwPort, DC_PORT_HDMI_AUTO);
  EXPECT_EQ(m.Switches(), (Writes{{VDAC_CFG, 0}, {RGB_CFG, 0}})) << "the analog path stays off";
  EXPECT_EQ(m.Reg(RGB_CFG), 0u);
  EXPECT_EQ(m.Reg(VDAC_CFG), 0u);
  EXPECT_TRUE(m.dc().Interface(sim::DcInterface::Hdmi).enabled);
  EXPECT_EQ(m.Reg(HDMI_CFG), 1u);
  EXPECT_TRUE(m.hdmi().PoweredUp());
  EXPECT_EQ(m.hdmi().PacketWrites(SII9134_AVI_INFOFRAME), 0u) << "video only: no infoframes";
  EXPECT_EQ(m.hdmi().PacketWrites(SII9134_AUDIO_INFOFRAME), 0u);
  EXPECT_FALSE(m.hdmi().AudioEnabled());
  EXPECT_TRUE(m.C7301Untouched());
  // The search tried port 2 first.
  EXPECT_THAT(m.rig.Diag(), HasSubstr("ERROR:  VgaI2cReadEDID() failed calling VgaI2cReadByte(), i=0\n"));
}

TEST(GfxSetModeForMonitor, NoMonitorLeavesTheDisplayAlone) {
  ModeSetRig m(sim::ChipVariant::SiliconRev1(), sim::BoardDescription::Empty());
  m.vs().dwPort = DC_PORT_DVO_DVI;
  EXPECT_FALSE(GfxSetModeForMonitor(m.rig.ctx(), 0, false));
  EXPECT_TRUE(m.rig.trace().Writes(DC_CTRL, DC_IF_DVO_CTRL).empty());
  EXPECT_TRUE(m.Switches().empty());
  EXPECT_EQ(m.vs().dwPort, DC_PORT_DVO_DVI);
}

// On silicon port 1's VGA comes from the chip's DAC; FPGA boards use the CH7301.
struct Port1Case {
  std::string name;
  sim::ChipVariant variant;
  bool c7301Used;
  uint32_t dvoInterface;  // DC_IF_DVO_CTRL: enable, silicon VGA bit or DVO style
};
void PrintTo(const Port1Case& c, std::ostream* out) { *out << c.name; }

class Port1 : public ::testing::TestWithParam<Port1Case> {};

TEST_P(Port1, DrivesVgaThroughTheDvoInterfaceAndTheDac) {
  ModeSetRig m(GetParam().variant);
  ASSERT_TRUE(m.SetMode(DC_PORT_DVO_VGA)) << m.rig.Diag();
  EXPECT_EQ(m.Switches(), (Writes{{VDAC_CFG, 0}, {RGB_CFG, 0}, {RGB_CFG, 1}, {RGB_CFG, 3}, {VDAC_CFG, 7}}));
  EXPECT_EQ(m.dc().Interface(sim::DcInterface::Dvo).value, GetParam().dvoInterface);
  sim::C7301& c7301 = *m.board().c7301();
  if (GetParam().c7301Used) {
    EXPECT_EQ(c7301.WriteLog(), (std::vector<std::pair<uint8_t, uint8_t>>{
                                    {C7301_PM, 0x01}, {C7301_DC, 0x09}, {C7301_IDF, 0x80}, {C7301_PM, 0x00}}));
    EXPECT_EQ(c7301.output(), sim::C7301::Output::Vga);
  } else {
    EXPECT_TRUE(c7301.WriteLog().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(GfxSetMode, Port1,
                         ::testing::Values(Port1Case{"Silicon", sim::ChipVariant::SiliconRev1(), false, 0x21},
                                           Port1Case{"Fpga", sim::ChipVariant::Fpga(103), true, 0x201}),
                         [](const auto& info) { return info.param.name; });

// What each port drives and how the analog path ends up.
struct PortCase {
  std::string name;
  sim::ChipVariant variant;
  uint32_t port;
  uint32_t rgbCfg;
  uint32_t vdacCfg;
  sim::C7301::Output c7301;
  bool hdmi;
  bool displayPort;
};
void PrintTo(const PortCase& c, std::ostream* out) { *out << c.name; }

class Outputs : public ::testing::TestWithParam<PortCase> {};

TEST_P(Outputs, OfThePort) {
  const PortCase& c = GetParam();
  ModeSetRig m(c.variant);
  ASSERT_TRUE(m.SetMode(c.port)) << m.rig.Diag();
  EXPECT_EQ(m.Reg(RGB_CFG), c.rgbCfg);
  EXPECT_EQ(m.Reg(VDAC_CFG), c.vdacCfg);
  EXPECT_EQ(m.board().c7301()->output(), c.c7301);
  EXPECT_EQ(m.Reg(HDMI_CFG), c.hdmi ? 1u : 0u);
  EXPECT_EQ(m.rig.ctx().gDpVideoOn, c.displayPort);
}

INSTANTIATE_TEST_SUITE_P(
    GfxSetMode, Outputs,
    ::testing::Values(
        PortCase{"DviOnSilicon", sim::ChipVariant::SiliconRev1(), 2, 1, 0, sim::C7301::Output::Dvi, false, false},
        PortCase{"HdmiOnSilicon", sim::ChipVariant::SiliconRev1(), 3, 0, 0, sim::C7301::Output::Off, true, false},
        PortCase{"DisplayPort", sim::ChipVariant::SiliconRev1(), 7, 1, 0, sim::C7301::Output::Off, false, true},
        PortCase{"HdmiThroughTheAnx9805", sim::ChipVariant::SiliconRev1(), 8, 1, 0, sim::C7301::Output::Off, false,
                 true},
        PortCase{"AllOnSilicon", sim::ChipVariant::SiliconRev1(), 9, 3, 7, sim::C7301::Output::Dvi, true, false},
        PortCase{"AllOnFpga", sim::ChipVariant::Fpga(103), 11, 3, 7, sim::C7301::Output::Dvi, true, false}),
    [](const auto& info) { return info.param.name; });

TEST(GfxSetMode, TheNextModeSetTurnsDisplayPortOff) {
  ModeSetRig m;
  ASSERT_TRUE(m.SetMode(DC_PORT_DP)) << m.rig.Diag();
  ASSERT_TRUE(m.board().anx9805()->VideoEnabled());
  ASSERT_TRUE(m.SetMode(DC_PORT_DAC)) << m.rig.Diag();
  EXPECT_FALSE(m.rig.ctx().gDpVideoOn);
  EXPECT_FALSE(m.board().anx9805()->Powered());
}

// FPGA boards cannot reach the ANX9805's bus; with its video off it is not addressed.
TEST(GfxSetMode, FpgaBoardWithDisplayPortOffNeverTriesItsBus) {
  ModeSetRig m(sim::ChipVariant::Fpga(103));
  ASSERT_FALSE(m.rig.ctx().gDpVideoOn);
  ASSERT_TRUE(GfxSetModeForMonitor(m.rig.ctx(), 0, false)) << m.rig.Diag();
  EXPECT_THAT(m.rig.Diag(), Not(HasSubstr("ERROR")));
}

// The geometry is recorded before the hardware is touched, so it describes an
// attempted mode set too: FPGA builds before 54 (4 bytes per pixel) have no DCM in the
// model and fail at the pixel clock.
TEST(GfxSetMode, RecordsTheRowsGeometry) {
  struct Case {
    sim::ChipVariant variant;
    uint32_t row;
    uint32_t width, height, stride;
  };
  for (const Case& c : {Case{sim::ChipVariant::SiliconRev1(), 26, 1920, 1080, 1920 * 3},
                        Case{sim::ChipVariant::Fpga(103), 8, 1024, 768, 1024 * 3},
                        Case{sim::ChipVariant::Fpga(53), 0, 640, 480, 640 * 4}}) {
    SCOPED_TRACE(c.variant.Name());
    ModeSetRig m(c.variant);
    m.rig.ctx().gModeIndex = 99;
    m.SetMode(DC_PORT_DAC, c.row);
    const VideoState& vs = m.vs();
    EXPECT_EQ(m.rig.ctx().gModeIndex, c.row);
    EXPECT_EQ(vs.dwBpp, 32u);
    EXPECT_EQ(vs.dwWidth, c.width);
    EXPECT_EQ(vs.dwHeight, c.height);
    EXPECT_EQ(vs.dwLineWidth, c.width);
    EXPECT_EQ(vs.dwStride, c.stride);
  }
}

// With the monitor's timing the controller, the transmitter and the drawing geometry
// all get that timing, not the table row passed along.
TEST(GfxSetMode, MonitorTimingGoesEverywhere) {
  sim::BoardDescription board;
  board.monitorEdid = testing::Edid1366x768();
  ModeSetRig m(sim::ChipVariant::Fpga(103), board);
  DmtMode preferred{};
  ASSERT_EQ(EdidGetPreferredMode(m.rig.ctx(), &preferred), 0);
  ASSERT_EQ(preferred.dwPixClk, 72000000u);
  m.board().c7301()->ClearWriteLog();
  ASSERT_TRUE(m.SetMode(DC_PORT_DVO_DVI, 0, true)) << m.rig.Diag();

  const VideoState& vs = m.vs();
  EXPECT_EQ(vs.dwWidth, 1366u);
  EXPECT_EQ(vs.dwHeight, 768u);
  EXPECT_EQ(vs.dwLineWidth, 1366u);
  EXPECT_EQ(vs.dwStride, 1366u * 3);
  EXPECT_EQ(m.rig.ctx().gModeIndex, 0u);
  const sim::DcTiming timing = m.dc().Timing();
  EXPECT_EQ(timing.width, 1366u);
  EXPECT_EQ(timing.height, 768u);
  EXPECT_EQ(timing.hTotal, 1500u);
  EXPECT_EQ(timing.vTotal, 800u);
  // 72 MHz is in the CH7301's upper clock band (row 0's 25.175 MHz is not), and both
  // sync polarities are positive (row 0's are not).
  const sim::C7301& c7301 = *m.board().c7301();
  EXPECT_EQ(c7301.Peek(C7301_TPCP), 0x04);
  EXPECT_EQ(c7301.Peek(C7301_TPD), 0x26);
  EXPECT_EQ(c7301.Peek(C7301_IDF), 0x98);
}

TEST(GfxSetMode, RowOrPortThatDoesNotExistIsRefusedBeforeAnyTransfer) {
  struct Case {
    uint32_t port;
    uint32_t row;
    const char* line;
  };
  for (const Case& c : {Case{DC_PORT_DAC, 31, "ERROR:  GfxSetMode() bad modeIndex=31\n"},
                        Case{12, 0, "ERROR:  GfxSetMode() bad dwPort=12, s/b 0-11\n"}}) {
    ModeSetRig m;
    m.rig.ctx().gModeIndex = 5;
    EXPECT_FALSE(m.SetMode(c.port, c.row));
    EXPECT_EQ(m.rig.Diag(), c.line);
    EXPECT_EQ(m.rig.trace().Counters().Transfers(), 0u);
    EXPECT_EQ(m.rig.ctx().gModeIndex, 5u);
  }
}

// A switch register that cannot be read is not rewritten with the read-failure value;
// the mode set fails instead of reporting outputs it did not switch.
TEST(GfxSetMode, UnreadableSwitchFailsWithoutWritingTheFailureValue) {
  ModeSetRig m;
  m.rig.adapter().faults().failReadAddresses.insert(RGB_CFG);
  EXPECT_FALSE(m.SetMode(DC_PORT_DAC));
  EXPECT_THAT(m.rig.Diag(), EndsWith("ERROR:  GfxSetMode() failed setting RGB_CFG\n"));
  EXPECT_EQ(m.Switches(), (Writes{{VDAC_CFG, 0}, {VDAC_CFG, 0}, {RGB_CFG, 0}}));
}

// IC_ENABLE reads from power-up until the display controller has been programmed, in
// a clean mode set on `port`: an I2C block that stops leaving the enabled state after
// exactly these fails the transmitter set-up that follows the controller.
int IcEnableReadsBeforeTheTransmitters(sim::ChipVariant variant, uint32_t port) {
  testing::SimRig rig(variant);
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(GfxHwInit(dev));
  VideoState vs;
  vs.dwPort = port;
  EXPECT_TRUE(GfxSetMode(dev, vs, 0, false));
  int reads = 0;
  int readsBefore = 0;
  for (const sim::TraceEvent& e : rig.trace().Events()) {
    if (e.kind == sim::TraceEvent::Kind::RegRead && e.address == IC_ENABLE) ++reads;
    if (e.kind == sim::TraceEvent::Kind::RegWrite && e.address == DC_CTRL) readsBefore = reads;
  }
  return readsBefore;
}

struct FailingStep {
  std::string name;
  sim::ChipVariant variant;
  uint32_t port;
  std::function<void(ModeSetRig&)> fault;
  std::string line;
};
void PrintTo(const FailingStep& c, std::ostream* out) { *out << c.name; }

class FailingSteps : public ::testing::TestWithParam<FailingStep> {};

// The first failing step ends the mode set: its line is the last one printed.
TEST_P(FailingSteps, EndTheModeSetWithTheirLine) {
  const FailingStep& step = GetParam();
  ModeSetRig m(step.variant);
  step.fault(m);
  EXPECT_FALSE(m.SetMode(step.port));
  EXPECT_THAT(m.rig.Diag(), EndsWith(step.line));
}

std::vector<FailingStep> FailingStepCases() {
  const sim::ChipVariant silicon = sim::ChipVariant::SiliconRev1();
  const sim::ChipVariant fpga = sim::ChipVariant::Fpga(103);
  return {
      {"DvoPhyDisable", fpga, DC_PORT_DVO_DVI, [](ModeSetRig& m) { m.i2c().faults.busStuckBusy = true; },
       "ERROR: GfxSetMode() failed calling DvoPhyDisable()\n"},
      {"HdmiPhyDisable", silicon, DC_PORT_DAC,
       [](ModeSetRig& m) {
         m.rig.adapter().faults().failAddresses.insert(static_cast<uint16_t>(HdmiCoreRegister(SII9134_SYS_CTRL1)));
       },
       "ERROR: GfxSetMode() failed calling HdmiPhyDisable()\n"},
      // With DisplayPort video on, an FPGA board fails at the ANX9805's bus.
      {"DpPhyDisable", fpga, DC_PORT_DAC, [](ModeSetRig& m) { m.rig.ctx().gDpVideoOn = true; },
       "ERROR:  VgaI2cSetPort() bad dwPort=4, s/b 0-3\n"
       "ERROR:  Anx9805i2cSetup() failed calling VgaI2cSetPort()\n"
       "ERROR:  DpPhyDisable() failed calling Anx9805i2cSetup()\n"
       "ERROR: GfxSetMode() failed calling DpPhyDisable()\n"},
      {"DcSetTiming", silicon, DC_PORT_DAC, [](ModeSetRig& m) { m.dc().neverEnables = true; },
       "ERROR:  DcSetTiming() failed trying to enable display\n"
       "ERROR:  GfxSetMode() failed calling DcSetTiming()\n"},
      {"DvoPhyEnableVGA", fpga, DC_PORT_DVO_VGA,
       [fpga](ModeSetRig& m) {
         m.i2c().faults.enableStuckAfterReads = IcEnableReadsBeforeTheTransmitters(fpga, DC_PORT_DVO_VGA);
       },
       "ERROR:  DvoPhyEnableVGA() failed calling C7301i2cSetup()\n"
       "ERROR:  GfxSetMode() failed calling DvoPhyEnableVGA()\n"},
      {"DvoPhyEnableDVI", fpga, DC_PORT_DVO_DVI,
       [fpga](ModeSetRig& m) {
         m.i2c().faults.enableStuckAfterReads = IcEnableReadsBeforeTheTransmitters(fpga, DC_PORT_DVO_DVI);
       },
       "ERROR:  GfxSetMode() failed calling DvoPhyEnableDVI()\n"},
      {"HdmiPhyEnable", silicon, DC_PORT_HDMI,
       [](ModeSetRig& m) {
         m.rig.adapter().faults().failAddresses.insert(static_cast<uint16_t>(HdmiCoreRegister(SII9134_REG_005)));
       },
       "ERROR:  GfxSetMode() failed calling HdmiPhyEnable()\n"},
      {"DpPhyEnableDPMode", silicon, DC_PORT_DP,
       [](ModeSetRig& m) { m.board().anx9805()->trainingResult = sim::Anx9805::kTrainingFailed; },
       "ERROR:  GfxSetMode() failed calling DpPhyEnableDPMode()\n"},
      // No monitor on the connector: the ANX9805's EDID read times out.
      {"DpPhyEnableHdmiMode", silicon, DC_PORT_DP_HDMI,
       [](ModeSetRig& m) { m.board().ConnectMonitor(sim::MonitorBus::None); },
       "ERROR:  GfxSetMode() failed calling DpPhyEnableHdmiMode()\n"},
  };
}

INSTANTIATE_TEST_SUITE_P(GfxSetMode, FailingSteps, ::testing::ValuesIn(FailingStepCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace zev
