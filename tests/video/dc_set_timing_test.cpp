// DcSetTiming on the virtual adapter: registers per timing, pixel depth and output
// port, the pixel clock, and the failure paths.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/video/display_controller.h"
#include "device/video/edid.h"
#include "device/video/mode_table.h"
#include "sim/devices/monitor.h"
#include "sim/units/clock_unit.h"
#include "sim/units/display_controller_unit.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

sim::DisplayControllerUnit& Dc(testing::SimRig& rig) { return *rig.chip().Find<sim::DisplayControllerUnit>(); }
uint64_t PixelClockHz(testing::SimRig& rig) { return rig.chip().Find<sim::ClockUnit>()->PixelClockHz(); }

const DmtMode& Row(uint32_t index) { return *DmtModeRow(index); }

// 1366 x 767, a size no table row has.
constexpr DmtMode k1366x767 = {1366, 767, 60, 85500000, 1792, 1366, 426, 1436, 143, 798, 767, 31, 770, 3, 1, 1};

// An open device with the controller unblanked and running row 0.
UsbDevice* OpenRunning(testing::SimRig& rig) {
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(DcSetTiming(dev, Row(0), 32, true, DC_PORT_DAC));
  rig.ClearTrace();
  rig.ClearDiag();
  return dev;
}

TEST(DcSetTiming, Row0OnTheDac) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_TRUE(DcSetTiming(dev, Row(0), 32, true, DC_PORT_DAC));
  EXPECT_EQ(rig.trace().Writes(DC_HSIZE, DC_FRAME_LEN), (Writes{{DC_HSIZE, 0x031F027F},
                                                                {DC_HBLANK, 0x02870317},
                                                                {DC_HSYNC, 0x028F02EF},
                                                                {DC_VSIZE, 0x020C01DF},
                                                                {DC_VBLANK, 0x01E70204},
                                                                {DC_VSYNC, 0x01E901EB},
                                                                {DC_FRAME_LEN, 640 * 480 * 3}}));
  EXPECT_TRUE(Dc(rig).Enabled());
  EXPECT_FALSE(Dc(rig).Blanked());
  EXPECT_NEAR(static_cast<double>(PixelClockHz(rig)), 25175000.0, 25175000.0 * 0.005);
  EXPECT_THAT(rig.Diag(), ::testing::StartsWith(" Requested pixel clk = 25175000\n")) << "config_pix_clk's lines";
  EXPECT_THAT(rig.Diag(), ::testing::Not(HasSubstr("ERROR")));
}

TEST(DcSetTiming, StaysBlankedUnlessAskedToUnblank) {
  testing::SimRig rig;
  UsbDevice* dev = OpenRunning(rig);
  EXPECT_TRUE(DcSetTiming(dev, Row(26), 32, false, DC_PORT_DAC));
  EXPECT_TRUE(Dc(rig).Enabled());
  EXPECT_TRUE(Dc(rig).Blanked());
  EXPECT_NEAR(static_cast<double>(PixelClockHz(rig)), 148500000.0, 148500000.0 * 0.005);
}

TEST(DcSetTiming, FrameLengths) {
  const struct {
    const char* name;
    sim::ChipVariant variant;
    uint32_t fpgaRevLow;  // FPGA_REV bits forced to 0
    DmtMode mode;
    uint32_t bpp;
    uint32_t length;
  } cases[] = {
      {"1920x1080 32 bpp silicon", sim::ChipVariant::SiliconRev1(), 0, Row(26), 32, 6220800},
      {"1366x767 8 bpp, rounded up", sim::ChipVariant::SiliconRev1(), 0, k1366x767, 8, 1047728},
      {"1366x767 16 bpp, rounded up", sim::ChipVariant::SiliconRev1(), 0, k1366x767, 16, 2095448},
      {"1920x1080 32 bpp FPGA 60", sim::ChipVariant::Fpga(60), 0, Row(26), 32, 6220800},
      // Builds before 54 keep 32-bit pixels in 4 bytes. The model's early builds lack
      // the clock manager, so a build-60 board reports build 48 here.
      {"1920x1080 32 bpp FPGA 48", sim::ChipVariant::Fpga(60), 0x0C, Row(26), 32, 8294400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig(c.variant);
    UsbDevice* dev = rig.Open();
    rig.chip().SetStuckBits(FPGA_REV, {.low = c.fpgaRevLow});
    EXPECT_TRUE(DcSetTiming(dev, c.mode, c.bpp, true, DC_PORT_DAC));
    EXPECT_EQ(rig.trace().Writes(DC_FRAME_LEN, DC_FRAME_LEN), (Writes{{DC_FRAME_LEN, c.length}}));
    EXPECT_EQ(Dc(rig).BitsPerPixel(), c.bpp);
  }
}

// Row 17 has bSyncPol1 0 and bSyncPol2 1, so each polarity bit shows where it lands.
TEST(DcSetTiming, ControlWordAndInterfacesPerPort) {
  const uint16_t DAC = DC_IF_DAC_CTRL, HDMI = DC_IF_HDMI_CTRL, DVO = DC_IF_DVO_CTRL;
  const Writes cleared = {{DAC, 0}, {HDMI, 0}, {DVO, 0}};
  const Writes siliconVga = {{DVO, 0x29}};
  const struct {
    uint32_t port;
    uint32_t ctrl;
    Writes interfaces;
    bool siliconRewritesDvo;
  } cases[] = {
      {0, 0xB48, {{DAC, 0x09}}, false},
      {1, 0x40508, {{DVO, 0x209}}, true},
      {2, 0x40508, {{DVO, 0x209}}, false},
      {3, 0xB48, {{HDMI, 0x09}}, false},
      {4, 0xB48, {{HDMI, 0x09}}, false},
      {5, 0xB48, {{HDMI, 0x09}}, false},
      {6, 0xB48, {{HDMI, 0x09}}, false},
      {7, 0xB48, {{DVO, 0x309}}, false},
      {8, 0xB48, {{DVO, 0x209}}, false},
      {9, 0x40F48, {{DVO, 0x209}, {HDMI, 0x209}, {DAC, 0x209}}, true},
      {10, 0x40F48, {{DVO, 0x209}, {HDMI, 0x209}, {DAC, 0x209}}, true},
      {11, 0x40F48, {{DVO, 0x209}, {HDMI, 0x209}, {DAC, 0x209}}, true},
      {12, 0xB48, {{DAC, 0x09}}, false},
  };
  for (const char* variant : {"rev1", "fpga60"}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(variant) + " port " + std::to_string(c.port));
      testing::SimRig rig(*sim::ChipVariant::Parse(variant));
      UsbDevice* dev = rig.Open();
      EXPECT_TRUE(DcSetTiming(dev, Row(17), 32, true, c.port));
      const Writes ctrl = rig.trace().Writes(DC_CTRL, DC_CTRL);
      ASSERT_FALSE(ctrl.empty());
      EXPECT_EQ(ctrl.front().second, c.ctrl);
      Writes expected = cleared;
      expected.insert(expected.end(), c.interfaces.begin(), c.interfaces.end());
      if (c.siliconRewritesDvo && rig.chip().Variant().IsSilicon()) expected.push_back(siliconVga.front());
      EXPECT_EQ(rig.trace().Writes(DAC, DVO), expected);
    }
  }
}

TEST(DcSetTiming, SyncPolarityBits) {
  const struct {
    uint32_t row;
    uint32_t port;
    uint32_t ctrl;
    uint32_t interface;
  } cases[] = {
      {0, DC_PORT_DAC, 0xB08, 0x01},         // both low
      {4, DC_PORT_DAC, 0xBC8, 0x19},         // both high
      {23, DC_PORT_DAC, 0xB88, 0x11},        // pol1 high only
      {23, DC_PORT_DVO_DVI, 0x80508, 0x211},
      {4, DC_PORT_DVO_DVI, 0xC0508, 0x219},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + " port " + std::to_string(c.port));
    testing::SimRig rig;
    UsbDevice* dev = rig.Open();
    EXPECT_TRUE(DcSetTiming(dev, Row(c.row), 32, true, c.port));
    EXPECT_EQ(rig.trace().Writes(DC_CTRL, DC_CTRL).front().second, c.ctrl);
    EXPECT_EQ(rig.trace().Writes(DC_IF_DAC_CTRL, DC_IF_DVO_CTRL).back().second, c.interface);
  }
}

TEST(DcSetTiming, Port4ProgramsWhatPort3Does) {
  for (const char* variant : {"rev1", "fpga60"}) {
    SCOPED_TRACE(variant);
    std::vector<std::string> accesses[2];
    for (uint32_t port : {3u, 4u}) {
      testing::SimRig rig(*sim::ChipVariant::Parse(variant));
      UsbDevice* dev = OpenRunning(rig);
      EXPECT_TRUE(DcSetTiming(dev, Row(26), 32, true, port));
      accesses[port - 3] = testing::RegisterAccesses(rig.trace());
    }
    EXPECT_EQ(accesses[0], accesses[1]);
  }
}

TEST(DcSetTiming, BadDepthFailsAfterBlankDisableAndClock) {
  testing::SimRig rig;
  UsbDevice* dev = OpenRunning(rig);
  EXPECT_FALSE(DcSetTiming(dev, Row(26), 24, true, DC_PORT_DAC));
  EXPECT_THAT(rig.Diag(), EndsWith("ERROR:  DcSetTiming() bad dwBpp=24, must be 8/16/32\n"));
  EXPECT_TRUE(Dc(rig).Blanked());
  EXPECT_FALSE(Dc(rig).Enabled());
  EXPECT_NEAR(static_cast<double>(PixelClockHz(rig)), 148500000.0, 148500000.0 * 0.005);
  EXPECT_EQ(rig.trace().Writes(DC_CTRL, DC_CTRL), (Writes{{DC_CTRL, 0xB09}, {DC_CTRL, 0xB08}}))
      << "only the blank and the disable";
  EXPECT_TRUE(rig.trace().Writes(DC_HSIZE, DC_IF_DVO_CTRL).empty());
}

TEST(DcSetTiming, StopsAtTheFirstFailingStep) {
  const struct {
    const char* name;
    const char* variant;
    bool running;  // start from row 0 running, else from reset
    std::function<void(testing::SimRig&)> fault;
    std::vector<std::string> lines;  // the end of the captured text
    bool timingWritten;
  } cases[] = {
      {"never blanks", "rev1", true, [](testing::SimRig& r) { Dc(r).neverBlanks = true; },
       {"ERROR:  DcBlank() timeout, DC_STS=0x00030801, DC_CTRL=0x00000B09\n",
        "ERROR:  DcSetTiming() failed trying to blank display\n"},
       false},
      {"keeps running", "rev1", true,
       [](testing::SimRig& r) { r.chip().SetStuckBits(DC_STS, {.high = DC_STS_RUNNING}); },
       {"ERROR:  DcDisable() timeout, DC_STS=0x00030101\n", "ERROR:  DcSetTiming() failed trying to disable display\n"},
       false},
      {"clock manager never locks", "fpga60", false,
       [](testing::SimRig& r) { r.chip().Find<sim::ClockUnit>()->dcmNeverLocks = true; },
       {"ERROR:  DcSetTiming() failed calling VoskarSetDCM()\n"}, false},
      {"never runs", "rev1", false, [](testing::SimRig& r) { Dc(r).neverEnables = true; },
       {"ERROR:  DcEnable() timeout, DC_STS=0x00030100\n", "ERROR:  DcSetTiming() failed trying to enable display\n"},
       true},
      {"stays blanked", "rev1", false,
       [](testing::SimRig& r) { r.chip().SetStuckBits(DC_STS, {.high = DC_STS_BLANKED}); },
       {"ERROR:  DcUnblank() timeout, DC_STS=0x00030101\n", "ERROR:  DcSetTiming() failed trying to unblank display\n"},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    UsbDevice* dev = c.running ? OpenRunning(rig) : rig.Open();
    c.fault(rig);
    EXPECT_FALSE(DcSetTiming(dev, Row(26), 32, true, DC_PORT_DAC));
    std::string tail;
    for (const std::string& line : c.lines) tail += line;
    EXPECT_THAT(rig.Diag(), EndsWith(tail));
    EXPECT_EQ(rig.trace().Writes(DC_HSIZE, DC_HSIZE).size(), c.timingWritten ? 1u : 0u);
  }
}

// Every position is programmed minus one into 12 bits; a timing outside that range is
// refused before the controller is touched.
TEST(DcSetTiming, RefusesTimingsTheControllerCannotHold) {
  DmtMode tooWide = Row(26);
  tooWide.dwWidth = 3840;
  tooWide.dwHTotal = 4400;
  const struct {
    const char* name;
    DmtMode mode;
    const char* diag;
  } cases[] = {
      {"zero totals", DmtMode{}, "ERROR:  DcSetTiming() timing 0x0 does not fit the display controller\n"},
      {"4400 pixels per line", tooWide, "ERROR:  DcSetTiming() timing 3840x1080 does not fit the display controller\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = OpenRunning(rig);
    EXPECT_FALSE(DcSetTiming(dev, c.mode, 32, true, DC_PORT_DAC));
    EXPECT_EQ(rig.Diag(), c.diag);
    EXPECT_TRUE(rig.trace().Events().empty());
  }
}

// The monitor's own timing, read from its EDID, is what the controller then scans out.
TEST(DcSetTiming, MonitorTimingReachesTheScanOut) {
  testing::SimRig rig;
  sim::ConnectMonitor(testing::I2cUnit(rig), sim::MonitorBus::Port1);
  UsbDevice* dev = rig.Open();
  DmtMode mode{};
  ASSERT_EQ(EdidGetPreferredMode(rig.ctx(), &mode), 0);
  EXPECT_TRUE(DcSetTiming(dev, rig.ctx().gEdidMode, 32, true, DC_PORT_HDMI_AUTO));

  sim::DisplayControllerUnit& dc = Dc(rig);
  const sim::DcTiming t = dc.Timing();
  EXPECT_EQ(std::vector<uint32_t>({t.width, t.height, t.hTotal, t.vTotal, t.hBlankStart, t.hBlankEnd, t.hSyncStart,
                                   t.hSyncEnd, t.vBlankStart, t.vBlankEnd, t.vSyncStart, t.vSyncEnd}),
            std::vector<uint32_t>({1920, 1080, 2200, 1125, 1920, 2200, 2008, 2052, 1080, 1125, 1084, 1089}));
  EXPECT_EQ(dc.BitsPerPixel(), 32u);
  EXPECT_EQ(dc.BytesPerPixel(), 3u);
  EXPECT_EQ(dc.FrameLength(), 1920u * 1080 * 3);
  EXPECT_EQ(dc.FrameBufferBase(), 0u);
  const sim::DcInterfaceControl hdmi = dc.Interface(sim::DcInterface::Hdmi);
  EXPECT_TRUE(hdmi.enabled);
  EXPECT_TRUE(hdmi.syncPol1);
  EXPECT_TRUE(hdmi.syncPol2);
  EXPECT_FALSE(hdmi.dvoStyle);
  EXPECT_FALSE(dc.Interface(sim::DcInterface::Dac).enabled);
  EXPECT_FALSE(dc.Interface(sim::DcInterface::Dvo).enabled);
  EXPECT_TRUE(dc.Enabled());
  EXPECT_FALSE(dc.Blanked());
}

}  // namespace
}  // namespace zev
