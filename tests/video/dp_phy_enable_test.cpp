// The DisplayPort transmitter: power-up, link training, video and audio in both modes,
// power-down, and the flag that tells the mode set the transmitter drives video.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "device/chip/registers.h"
#include "device/video/anx9805.h"
#include "device/video/dp_phy.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/video/transmitter_test_rig.h"

namespace zev {
namespace {

using testing::CountOf;
using testing::DpRig;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Log = std::vector<sim::Anx9805::RegisterWrite>;

constexpr const char* kRule = "===============================================================\n";
constexpr const char* kRegisterDump = "Analogix ANX9805 Registers:\n";
constexpr DmtMode kRow8{1024, 768, 60, 65000000, 1344, 1024, 320, 1048, 136, 806, 768, 38, 771, 6, 0, 0};
constexpr const char* kNoSpdif = "SPDIF CLK was NOT detected!\n";
constexpr const char* kHdmiAudioNote = "NOTE: HDMI audio needs the S/PDIF input of the ANX9805 fitted on the board\n";

// The writes of one DPCD read at `address`.
Log DpcdRead(uint32_t address) {
  return {{0x70, 0xE6, static_cast<uint8_t>(address)},
          {0x70, 0xE7, static_cast<uint8_t>(address >> 8)},
          {0x70, 0xE8, static_cast<uint8_t>(address >> 16)},
          {0x70, 0xE5, 0x09},
          {0x70, 0xE5, 0x19},
          {0x70, 0xE9, 0x01}};
}

Log Concat(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(DpPowerUp, ResetThenPowerInEachMode) {
  {
    DpRig t;
    EXPECT_TRUE(DpPwrUp(t.dev));
    EXPECT_EQ(
        t.anx.WriteLog(),
        (Log{{0x72, 0x06, 0x02}, {0x72, 0x06, 0x00}, {0x72, 0x07, 0x40}, {0x72, 0x05, 0x00}, {0x72, 0x05, 0x00}}));
    EXPECT_TRUE(t.anx.LinkPowered());
    EXPECT_EQ(t.rig.Diag(), "");
  }
  {
    DpRig t;
    EXPECT_TRUE(DpHdmiModePwrUp(t.dev));
    EXPECT_EQ(t.anx.WriteLog(), (Log{{0x72, 0x06, 0x02},
                                     {0x72, 0x06, 0x00},
                                     {0x72, 0x07, 0x40},
                                     {0x72, 0x05, 0x01},
                                     {0x72, 0xE2, 0x06},
                                     {0x72, 0xE4, 0x00}}));
    EXPECT_TRUE(t.anx.Powered());
    EXPECT_FALSE(t.anx.LinkPowered());
    EXPECT_EQ(t.rig.Diag(), " DpHdmiModePwrUp() 0x72:0xe2=0x06\n");
  }
}

TEST(DpPhyEnableDPMode, TrainsAtTheSinksMaximumLink) {
  const struct { uint8_t rate, lanes; } sinks[] = {{0x0A, 0x84}, {0x06, 0x82}, {0x0A, 0x01}};
  for (const auto& sink : sinks) {
    SCOPED_TRACE(::testing::Message() << std::hex << "rate " << +sink.rate << " lanes " << +sink.lanes);
    DpRig t;
    t.anx.SetSinkCapabilities(sink.rate, sink.lanes);
    EXPECT_TRUE(DpPhyEnableDPMode(t.dev, kRow8, 32));
    EXPECT_EQ(t.anx.WriteLog(0x70), Concat({DpcdRead(0x001),
                                            DpcdRead(0x002),
                                            {{0x70, 0xA1, sink.lanes},
                                             {0x70, 0xA0, sink.rate},
                                             {0x70, 0xA3, 0},
                                             {0x70, 0xA4, 0},
                                             {0x70, 0xA5, 0},
                                             {0x70, 0xA6, 0},
                                             {0x70, 0xA8, 0x01},
                                             {0x70, 0x86, 0x00},
                                             {0x70, 0x86, 0x01}}}));
    EXPECT_EQ(t.anx.TrainedLink(), (sim::Anx9805::Link{sink.rate, sink.lanes}));
    EXPECT_TRUE(t.anx.VideoEnabled());
    EXPECT_EQ(t.anx.Peek(0x72, 0x09), 0x20) << "DisplayPort output";
    EXPECT_TRUE(t.anx.DpAudioEnabled());
    EXPECT_FALSE(t.anx.HdmiMode());
    EXPECT_TRUE(t.rig.ctx().gDpVideoOn);
    EXPECT_EQ(t.rig.Diag(), kNoSpdif);
  }
}

TEST(DpPhyEnableDPMode, PowersUpBeforeTraining) {
  DpRig t;
  ASSERT_TRUE(DpPhyEnableDPMode(t.dev, kRow8, 32));
  const Log system = t.anx.WriteLog(0x72);
  ASSERT_GE(system.size(), 7u);
  EXPECT_EQ(Log(system.begin(), system.begin() + 7), (Log{{0x72, 0x06, 0x02},
                                                          {0x72, 0x06, 0x00},
                                                          {0x72, 0x07, 0x40},
                                                          {0x72, 0x05, 0x00},
                                                          {0x72, 0x05, 0x00},
                                                          {0x72, 0x08, 0x00},
                                                          {0x72, 0x05, 0x00}}));
  EXPECT_EQ(t.anx.WriteLog().at(7), (sim::Anx9805::RegisterWrite{0x70, 0xE6, 0x01})) << "then the DPCD";
}

// Each failure prints its line, then the register dump and the DPCD dump.
TEST(DpPhyEnableDPMode, TrainingFailures) {
  const struct {
    const char* name;
    std::function<void(sim::Anx9805&)> fault;
    std::string line;
  } cases[] = {
      {"training result 0x02", [](sim::Anx9805& a) { a.trainingResult = 0x02; },
       "ERROR:  DpPhyEnableDPMode() link training failed reg 0xA8 = 0x00000002\n"},
      {"lane count the sink lacks", [](sim::Anx9805& a) { a.PokeDpcd(0x002, 0x83); },
       "ERROR:  DpPhyEnableDPMode() link training failed reg 0xA8 = 0x00000002\n"},
      {"PLL not locked", [](sim::Anx9805& a) { a.pllLocks = false; },
       "ERROR:  DpPhyEnableDPMode() PLL not locked after link training reg 0xB0 = 0x00000000\n"},
      {"training never ends", [](sim::Anx9805& a) { a.trainingNeverEnds = true; },
       "ERROR:  DpPhyEnableDPMode() timed out 1 Sec for training done\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DpRig t;
    c.fault(t.anx);
    t.rig.ctx().gDpVideoOn = true;
    EXPECT_FALSE(DpPhyEnableDPMode(t.dev, kRow8, 32));
    const std::string& text = t.rig.Diag();
    EXPECT_THAT(text, StartsWith(c.line + kRule + kRegisterDump + "TAR 0x70\n"));
    const size_t dpcd = text.find(std::string(kRule) + "DPCD:\nReceiver Capability Field\n [0x0000] = 0x11; ");
    EXPECT_NE(dpcd, std::string::npos);
    EXPECT_GT(dpcd, text.find("TAR 0x7A"));
    EXPECT_THAT(text, ::testing::EndsWith(" [0x0270] = 0x00; \n"));
    EXPECT_EQ(CountOf(text, kRegisterDump), 1u);
    EXPECT_EQ(CountOf(text, "] = 0x"), 3u * 256 + 146);
    EXPECT_FALSE(t.anx.VideoEnabled());
    EXPECT_TRUE(t.rig.ctx().gDpVideoOn) << "video was never switched, so the flag is as it was";
  }
}

TEST(DpPhyEnableDPMode, NoSink) {
  DpRig t;
  t.anx.sinkConnected = false;
  EXPECT_FALSE(DpPhyEnableDPMode(t.dev, kRow8, 32));
  const std::string& text = t.rig.Diag();
  const std::string count = "ERROR: Anx9805ReadDpcdDW() data count not 1=0x00000000\n";
  EXPECT_THAT(text, StartsWith(count + kRule + kRegisterDump));
  const std::string failed = "ERROR:  DpPhyEnableDPMode() failed calling Anx9805ReadDpcdDW()\n";
  const size_t line = text.find(failed);
  ASSERT_NE(line, std::string::npos);
  EXPECT_EQ(text.find(std::string(kRule) + kRegisterDump, line), line + failed.size()) << "the dump follows the line";
  // The read's dump, the routine's dump, and the DPCD dump's first read with its dump.
  EXPECT_EQ(CountOf(text, kRegisterDump), 3u);
  EXPECT_EQ(CountOf(text, count), 2u);
  EXPECT_EQ(CountOf(text, "DPCD:\nReceiver Capability Field" + count), 1u);
  for (const auto& w : t.anx.WriteLog(0x70)) {
    EXPECT_TRUE(w.reg < 0xA0 || w.reg > 0xA8) << "no training without the sink's capabilities";
  }
}

TEST(DpPhyEnableDPMode, FailsOnAnFpgaBoard) {
  DpRig t(sim::ChipVariant::Fpga(103));
  EXPECT_FALSE(DpPhyEnableDPMode(t.dev, kRow8, 32));
  const std::string badPort =
      "ERROR:  VgaI2cSetPort() bad dwPort=4, s/b 0-3\n"
      "ERROR:  Anx9805i2cSetup() failed calling VgaI2cSetPort()\n";
  const std::string showRegs = std::string(kRule) + kRegisterDump + "TAR 0x70" + badPort +
                               "ERROR:  Anx9805ShowRegs() failed calling Anx9805i2cSetup()\n";
  EXPECT_EQ(t.rig.Diag(), badPort + "ERROR:  DpPwrUp() failed calling Anx9805i2cSetup()\n" +
                              "ERROR:  DpPhyEnableDPMode() failed calling DpPwrUp()\n" + showRegs + kRule +
                              "DPCD:\nReceiver Capability Field" + badPort +
                              "ERROR:  Anx9805ReadDpcdDw() failed calling Anx9805i2cSetup()\n" + showRegs + "\n");
}

// On FPGA boards the transmitter's I2C port does not exist: every routine fails there
// before anything reaches the bus.
TEST(DpPhy, EveryRoutineFailsAtPort4OnAnFpgaBoard) {
  std::array<uint8_t, kDpEdidBlockSize> edid{};
  uint32_t value = 0;
  const struct {
    const char* name;
    std::function<bool(UsbDevice*)> run;
  } routines[] = {
      {"Anx9805i2cSetup", [](UsbDevice* d) { return Anx9805i2cSetup(d, 0x72); }},
      {"Anx9805ReadDpcdDW", [&](UsbDevice* d) { return Anx9805ReadDpcdDW(d, 0, &value); }},
      {"DpDumpDpcd", [](UsbDevice* d) { return DpDumpDpcd(d); }},
      {"DpPwrUp", [](UsbDevice* d) { return DpPwrUp(d); }},
      {"DpHdmiModePwrUp", [](UsbDevice* d) { return DpHdmiModePwrUp(d); }},
      {"DpEnableVideo", [](UsbDevice* d) { return DpEnableVideo(d, true); }},
      {"DpEnableAudio", [](UsbDevice* d) { return DpEnableAudio(d, false); }},
      {"DpPhyEnableDPMode", [](UsbDevice* d) { return DpPhyEnableDPMode(d, kRow8, 32); }},
      {"DpPhyEnableHdmiMode", [](UsbDevice* d) { return DpPhyEnableHdmiMode(d, kRow8, 32); }},
      {"DpPhyDisable", [](UsbDevice* d) { return DpPhyDisable(d); }},
      {"DpDdcReadEDID", [&](UsbDevice* d) { return DpDdcReadEDID(d, edid); }},
  };
  for (const auto& r : routines) {
    SCOPED_TRACE(r.name);
    DpRig t(sim::ChipVariant::Fpga(103));
    EXPECT_FALSE(r.run(t.dev));
    EXPECT_THAT(t.rig.Diag(), HasSubstr("ERROR:  VgaI2cSetPort() bad dwPort=4, s/b 0-3\n"));
    EXPECT_TRUE(t.rig.trace().Writes(I2C_SEL, I2C_SEL).empty());
    EXPECT_TRUE(t.anx.WriteLog().empty());
  }
}

TEST(DpEnableVideo, InputBitMappingPerMode) {
  const struct {
    bool dpMode;
    std::vector<std::pair<uint8_t, uint8_t>> map;  // register, value; all others 0x40-0x6F are 0
    uint8_t output;
  } cases[] = {
      {true, {{0x40, 2}, {0x41, 3}, {0x4E, 16}, {0x4F, 26}, {0x5D, 40}}, 0x20},
      {false, {{0x40, 4}, {0x47, 11}, {0x48, 14}, {0x4B, 17}, {0x4C, 28}, {0x53, 35}, {0x54, 38}, {0x57, 41}}, 0x10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpMode ? "DisplayPort" : "HDMI");
    DpRig t;
    t.PowerUp();
    for (uint32_t reg = 0x40; reg <= 0x6F; ++reg) t.anx.Poke(0x72, static_cast<uint8_t>(reg), 0xFF);
    t.anx.Poke(0x72, 0x0A, 0x01);
    EXPECT_TRUE(DpEnableVideo(t.dev, c.dpMode));
    // Monotonic runs between the listed end points.
    for (size_t i = 0; i + 1 < c.map.size(); ++i) {
      const auto [reg, value] = c.map[i];
      const auto [nextReg, nextValue] = c.map[i + 1];
      if (nextValue - value == nextReg - reg) {
        for (uint8_t r = reg; r < nextReg; ++r) EXPECT_EQ(t.anx.Peek(0x72, r), value + (r - reg)) << std::hex << +r;
      }
    }
    for (const auto& [reg, value] : c.map) EXPECT_EQ(t.anx.Peek(0x72, reg), value) << std::hex << +reg;
    const uint8_t lastMapped = c.map.back().first;
    for (uint32_t reg = lastMapped + 1u; reg <= 0x6F; ++reg) {
      EXPECT_EQ(t.anx.Peek(0x72, static_cast<uint8_t>(reg)), 0) << std::hex << reg;
    }
    EXPECT_EQ(t.anx.Peek(0x72, 0x0A), 0x0F);
    EXPECT_EQ(t.anx.Peek(0x72, 0x09), c.output);
    EXPECT_EQ(t.anx.Peek(0x72, 0x08), 0x85);
    const Log log = t.anx.WriteLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], (sim::Anx9805::RegisterWrite{0x72, 0x08, 0x00})) << "video off first";
    EXPECT_EQ(log[1], (sim::Anx9805::RegisterWrite{0x72, 0x08, 0x04}));
    EXPECT_TRUE(t.rig.ctx().gDpVideoOn);
  }
}

TEST(DpEnableAudio, SpdifDetectionIsReportedButNeverFails) {
  const struct {
    bool clock, audio;
    std::string lines;
  } inputs[] = {
      {false, false, kNoSpdif},
      {false, true, kNoSpdif},
      {true, false, "SPDIF CLK was detected!\nSPDIF audio was NOT detected!\n"},
      {true, true, "SPDIF CLK was detected!\nSPDIF audio was detected!\n"},
  };
  for (const bool dpMode : {true, false}) {
    for (const auto& in : inputs) {
      SCOPED_TRACE(::testing::Message() << (dpMode ? "DP" : "HDMI") << " clock " << in.clock << " audio " << in.audio);
      DpRig t;
      t.PowerUp();
      t.anx.spdifClock = in.clock;
      t.anx.spdifAudio = in.audio;
      EXPECT_TRUE(DpEnableAudio(t.dev, dpMode));
      if (dpMode) {
        EXPECT_EQ(t.anx.WriteLog(), (Log{{0x70, 0x86, 0x00}, {0x72, 0x36, 0x80}, {0x70, 0x86, 0x01}}));
        EXPECT_TRUE(t.anx.DpAudioEnabled());
        EXPECT_EQ(t.rig.Diag(), in.lines);
      } else {
        EXPECT_EQ(t.anx.WriteLog(),
                  (Log{{0x7A, 0x09, 0x00}, {0x72, 0x36, 0x80}, {0x7A, 0x08, 0x01}, {0x7A, 0x09, 0x80}}));
        EXPECT_TRUE(t.anx.HdmiAudioEnabled());
        EXPECT_EQ(t.rig.Diag(), in.lines + kHdmiAudioNote);
      }
    }
  }
}

TEST(DpPhyEnableHdmiMode, SetsUpTheHdmiCore) {
  DpRig t;
  t.ConnectMonitor(testing::DataEdid("hp-lp2275w-dp.bin"));
  t.rig.ctx().gDpVideoOn = false;
  EXPECT_TRUE(DpPhyEnableHdmiMode(t.dev, kRow8, 32));
  EXPECT_EQ(t.rig.Diag(),
            std::string(" DpHdmiModePwrUp() 0x72:0xe2=0x06\n"
                        "EDID read\n"
                        "Apply soft reset to TXPLL and TMDS\n"
                        " enable HDMI mode rather than DVI mode in HDMI reg\n"
                        "4096UL for N is val which works for Sii HDMI but not good for ANX on HP 2159m display\n"
                        "6272UL for N is recommended val for 44.1KHz but not good for 44.1. but works great on 48KHz "
                        "on HP 2159m display\n"
                        "BUGBUG try 6144UL for N, recommended val for 48KHz, but works good for both 44.1 & 48 KHz\n"
                        " 10/12/2010 as per Analogix emial, setup AVI packe\n") +
                kNoSpdif + kHdmiAudioNote);
  // The HDMI core: soft reset, HDMI mode, N = 6144, then the AVI packet over the same bytes.
  const Log hdmi = t.anx.WriteLog(0x7A);
  const Log core(std::find(hdmi.begin(), hdmi.end(), sim::Anx9805::RegisterWrite{0x7A, 0x00, 0x03}), hdmi.end());
  EXPECT_EQ(core, (Log{{0x7A, 0x00, 0x03},
                       {0x7A, 0x00, 0x00},
                       {0x7A, 0x02, 0x02},
                       {0x7A, 0x64, 0x40},
                       {0x7A, 0x71, 0x03},
                       {0x7A, 0x72, 0x00},
                       {0x7A, 0x73, 0x18},
                       {0x7A, 0x74, 0x00},
                       {0x7A, 0x70, 0x82},
                       {0x7A, 0x71, 0x02},
                       {0x7A, 0x72, 0x0D},
                       {0x7A, 0x73, 0x6E},
                       {0x7A, 0x74, 0x11},
                       {0x7A, 0x09, 0x00},
                       {0x7A, 0x08, 0x01},
                       {0x7A, 0x09, 0x80}}));
  EXPECT_TRUE(t.anx.HdmiMode());
  EXPECT_TRUE(t.anx.VideoEnabled());
  EXPECT_EQ(t.anx.Peek(0x72, 0x09), 0x10) << "HDMI output";
  EXPECT_TRUE(t.anx.HdmiAudioEnabled());
  EXPECT_FALSE(t.anx.TrainedLink());
  EXPECT_TRUE(t.rig.ctx().gDpVideoOn);
}

TEST(DpPhyEnableHdmiMode, NoMonitorOnTheConnector) {
  DpRig t;
  EXPECT_FALSE(DpPhyEnableHdmiMode(t.dev, kRow8, 32));
  const std::string& text = t.rig.Diag();
  EXPECT_THAT(text, StartsWith(std::string(" DpHdmiModePwrUp() 0x72:0xe2=0x06\n"
                                           "ERROR:  DpDdcReadEDID() timed out. DDC_STS=0x00000012\n") +
                               kRule + kRegisterDump));
  EXPECT_EQ(CountOf(text, kRegisterDump), 2u) << "the EDID read's dump and the routine's";
  EXPECT_EQ(text.find("EDID read\n"), std::string::npos);
  EXPECT_FALSE(t.anx.VideoEnabled());
  EXPECT_FALSE(t.rig.ctx().gDpVideoOn);
}

TEST(DpPhyDisable, PowersDownAndClearsTheVideoFlag) {
  DpRig t;
  ASSERT_TRUE(DpPhyEnableDPMode(t.dev, kRow8, 32));
  t.anx.ClearWriteLog();
  t.rig.ClearDiag();
  EXPECT_TRUE(DpPhyDisable(t.dev));
  EXPECT_EQ(t.anx.WriteLog(), (Log{{0x72, 0x05, 0x80}}));
  EXPECT_FALSE(t.anx.Powered());
  EXPECT_FALSE(t.anx.VideoEnabled());
  EXPECT_FALSE(t.rig.ctx().gDpVideoOn);
  EXPECT_EQ(t.rig.Diag(), "");
}

// gDpVideoOn: false at load, true from a completed DpEnableVideo (in either mode) until
// DpPhyDisable, which clears it even when it fails; a DpEnableVideo that fails clears it.
TEST(DpVideoFlag, Transitions) {
  DpRig t;
  auto& i2c = *t.rig.chip().Find<sim::I2cMasterUnit>();
  bool& on = t.rig.ctx().gDpVideoOn;
  EXPECT_FALSE(on) << "at load";

  EXPECT_TRUE(DpPhyEnableDPMode(t.dev, kRow8, 32));
  EXPECT_TRUE(on);
  EXPECT_TRUE(DpPhyDisable(t.dev));
  EXPECT_FALSE(on);

  t.ConnectMonitor(testing::DataEdid("hp-lp2275w-dp.bin"));
  EXPECT_TRUE(DpPhyEnableHdmiMode(t.dev, kRow8, 32));
  EXPECT_TRUE(on);

  i2c.faults.busStuckBusy = true;
  EXPECT_FALSE(DpEnableVideo(t.dev, true));
  EXPECT_FALSE(on) << "a failed enable";
  on = true;
  EXPECT_FALSE(DpPhyDisable(t.dev));
  EXPECT_THAT(t.rig.Diag(), ::testing::EndsWith("ERROR:  DpPhyDisable() failed calling Anx9805i2cSetup()\n"));
  EXPECT_FALSE(on) << "a failed disable";
  EXPECT_TRUE(t.anx.VideoEnabled()) << "the transmitter itself was never reached";
}

}  // namespace
}  // namespace zev
