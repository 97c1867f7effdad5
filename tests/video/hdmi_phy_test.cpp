// HdmiPhyEnable and HdmiPhyDisable: the internal transmitter with its infoframes and
// audio, the external one on older boards, and the FPGA boards that drive both.
#include "device/video/hdmi_phy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/chip/reset_clock.h"
#include "device/video/hdmi_audio.h"
#include "device/video/sii9134_registers.h"
#include "tests/video/hdmi_test_rig.h"

namespace zev {
namespace {

using Input = sim::Sii9134RegisterFile::AudioInput;
using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

struct Settings {
  uint8_t source = AUDIO_I2S0, mclk = 2, fsMode = I2S_FS_AUTO, suppression = 0, nsval = 0;
};

void Apply(testing::SimRig& rig, const Settings& s) {
  rig.ctx().gHdmiAudio = {s.source, s.mclk, s.fsMode, s.suppression, s.nsval, DC_PORT_HDMI_AV};
}

// Opens the production chip (revision 1 unless given) with the audio settings applied.
UsbDevice* OpenWith(testing::SimRig& rig, const Settings& s) {
  UsbDevice* dev = testing::OpenHdmi(rig);
  Apply(rig, s);
  return dev;
}

bool WritesTo(testing::SimRig& rig, uint32_t reg) { return !testing::IntWrites(rig, reg, reg).empty(); }

TEST(HdmiPhyEnable, VideoOnlyPortWritesNoInfoframeOrAudioRegisters) {
  for (uint32_t port : {DC_PORT_HDMI, DC_PORT_HDMI_AUTO}) {
    SCOPED_TRACE(port);
    testing::SimRig rig;
    UsbDevice* dev = OpenWith(rig, {});
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, port));

    EXPECT_EQ(rig.trace().Writes(0x0000, 0x8FFF), (Writes{{HDMI_CFG, 1}}));
    EXPECT_EQ(testing::IntWrites(rig, 0x000, 0x1FF),
              (Writes{{0x9014, 1},  {0x94F0, 0},    {0x9228, 4},    {0x9224, 0x40}, {0x9200, 0x11},
                      {0x9208, 0x20}, {0x920C, 0x1B}, {0x9210, 0x19}, {0x9214, 0x11}, {0x9218, 3},
                      {0x90F8, 0},  {0x9120, 0},    {0x9020, 0x35}, {0x94F4, 0x8F}, {0x9014, 0}, {0x94F8, 0x22}}))
        << "video set-up, then the packet repetition bits";
    EXPECT_TRUE(testing::IntWrites(rig, SII9134_AVI_INFOFRAME, 0x1FF).empty()) << "no infoframe bytes";
    for (uint32_t reg : {SII9134_AUD_MODE, SII9134_N_SVAL1, SII9134_N_SVAL2, SII9134_N_SVAL3, SII9134_MCLK_RATIO,
                         SII9134_SPDIF_CTRL, SII9134_I2S_IN_CTRL}) {
      EXPECT_FALSE(WritesTo(rig, reg)) << std::hex << reg;
    }
    const auto& tx = testing::Internal(rig);
    EXPECT_TRUE(tx.PoweredUp());
    EXPECT_FALSE(tx.AudioEnabled());
    EXPECT_EQ(rig.chip().Peek(HDMI_CFG), 1u);
    EXPECT_EQ(rig.Diag(), "");
  }
}

TEST(HdmiPhyEnable, AviInfoframeCarriesTheVideoCode) {
  const struct {
    DmtMode mode;
    uint8_t vic, checksum;
  } cases[] = {
      {testing::Mode1080p60(), 16, 0x57},
      {testing::Mode(800, 600, 60, 40000000), 0, 0x67},
      {testing::Mode(640, 480, 60, 25175000), 1, 0x66},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.vic));
    testing::SimRig rig;
    UsbDevice* dev = OpenWith(rig, {});
    EXPECT_TRUE(HdmiPhyEnable(dev, c.mode, 32, DC_PORT_HDMI_AV));
    const auto& tx = testing::Internal(rig);
    const auto avi = tx.Packet(SII9134_AVI_INFOFRAME);
    std::array<uint8_t, 31> expected{0x82, 0x02, 0x0D, c.checksum, 0, 0x08, 0, c.vic, 0};
    EXPECT_EQ(avi, expected);
    const auto audio = tx.Packet(SII9134_AUDIO_INFOFRAME);
    expected = {0x84, 0x01, 0x0A, 0x70, 0x01};
    EXPECT_EQ(audio, expected);
    EXPECT_EQ(tx.PacketWrites(SII9134_GENERIC_PACKET), 0u);
    EXPECT_EQ(tx.Peek(SII9134_REG_12F), 0x21);
    EXPECT_EQ(tx.Peek(SII9134_PB_CTRL1), 0x33) << "AVI and audio infoframes, repeated";
    EXPECT_TRUE(tx.AviInfoFrameSent());
    EXPECT_TRUE(tx.AudioInfoFrameSent());
  }
}

TEST(HdmiPhyEnable, SuppressionSendsTheEmptyPacketInstead) {
  for (uint8_t source : {AUDIO_I2S0, AUDIO_SPDIF}) {
    SCOPED_TRACE(static_cast<int>(source));
    testing::SimRig rig;
    UsbDevice* dev = OpenWith(rig, {.source = source, .suppression = 1});
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    const auto& tx = testing::Internal(rig);
    EXPECT_EQ(tx.PacketWrites(SII9134_AVI_INFOFRAME), 0u);
    EXPECT_EQ(tx.PacketWrites(SII9134_GENERIC_PACKET), 31u);
    EXPECT_EQ(tx.Peek(SII9134_PB_CTRL2), 3);
    EXPECT_FALSE(tx.AviInfoFrameSent());
    if (source == AUDIO_I2S0) {
      // The I2S set-up writes the audio infoframe itself and sends it alone.
      EXPECT_EQ(tx.PacketWrites(SII9134_AUDIO_INFOFRAME), 31u + 5u);
      EXPECT_EQ(tx.Peek(SII9134_PB_CTRL1), 0x30);
    } else {
      EXPECT_EQ(tx.PacketWrites(SII9134_AUDIO_INFOFRAME), 0u);
      EXPECT_EQ(tx.Peek(SII9134_PB_CTRL1), 0x00);
    }
  }
}

TEST(HdmiPhyEnable, I2sInputsAndSamplingFrequency) {
  const struct {
    uint8_t source;
    uint32_t rateHz;
    uint8_t fsMode;
    uint32_t fsKHz;
  } cases[] = {
      {AUDIO_I2S0, 48000, I2S_FS_AUTO, 48}, {AUDIO_I2S0, 44100, I2S_FS_AUTO, 44},
      {AUDIO_I2S0, 46000, I2S_FS_AUTO, 44},  // outside both bands
      {AUDIO_I2S0, 0, I2S_FS_AUTO, 44},      // silent input
      {AUDIO_I2S0, 49999, I2S_FS_AUTO, 48}, {AUDIO_I2S0, 50000, I2S_FS_AUTO, 44},
      {AUDIO_I2S0, 48000, I2S_FS_44_1, 44}, {AUDIO_I2S0, 44100, I2S_FS_48, 48},
      {AUDIO_I2S1, 48000, I2S_FS_AUTO, 48}, {AUDIO_I2S1, 44100, I2S_FS_AUTO, 44},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.source) + " " + std::to_string(c.rateHz) + " mode " + std::to_string(c.fsMode));
    testing::SimRig rig;
    auto& inputs = testing::AudioInputs(rig);
    inputs.SetI2sRate(0, c.source == AUDIO_I2S0 ? c.rateHz : 32000);
    inputs.SetI2sRate(1, c.source == AUDIO_I2S1 ? c.rateHz : 32000);
    UsbDevice* dev = OpenWith(rig, {.source = c.source, .fsMode = c.fsMode});
    GfxSetRegDW(dev, LED_CFG0, 0x3);
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));

    EXPECT_EQ(rig.ctx().dwAudioFs, c.fsKHz);
    EXPECT_EQ(rig.ctx().dwAudioFsAtSetup, c.fsKHz);
    const bool second = c.source == AUDIO_I2S1;
    EXPECT_EQ(rig.chip().Peek(AUDIO_CFG), second ? 0x13u : 3u);
    EXPECT_EQ(rig.chip().Peek(GPIO_ENABLE), second ? 1u << 24 : 1u);
    EXPECT_EQ(rig.chip().Peek(LED_CFG0), 2u);
    const auto& tx = testing::Internal(rig);
    EXPECT_TRUE(tx.AudioEnabled());
    EXPECT_EQ(tx.Input(), Input::I2s);
    EXPECT_EQ(tx.InputRateHz(), c.rateHz) << "the transmitter receives the chosen input";
    EXPECT_EQ(tx.Peek(SII9134_REG_124), 0x92);
    EXPECT_EQ(tx.Peek(SII9134_I2S_CHST0), 0);
    EXPECT_EQ(tx.Peek(SII9134_I2S_CHST4), c.fsKHz == 44 ? 0 : 2);
    EXPECT_EQ(tx.Peek(SII9134_I2S_CHST5), c.fsKHz == 44 ? 2 : 0x22);
    EXPECT_EQ(tx.Peek(SII9134_I2S_IN_CTRL), 0x40);
    EXPECT_EQ(tx.Peek(SII9134_REG_00D), 0);
    EXPECT_EQ(tx.Peek(SII9134_REG_005), 0);
  }
}

TEST(HdmiPhyEnable, SpdifInput) {
  const struct {
    uint32_t rateHz;
    uint32_t n;  // with the library's "44.1 kHz" N choice, which follows the frequency
  } cases[] = {{48000, 6144}, {44100, 6272}, {32000, 6272}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rateHz);
    testing::SimRig rig;
    testing::AudioInputs(rig).SetSpdifRate(c.rateHz);
    UsbDevice* dev = OpenWith(rig, {.source = AUDIO_SPDIF, .nsval = 1});
    GfxSetRegDW(dev, AUDIO_CFG, 0x13);
    rig.ctx().dwAudioFs = 7;
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    const auto& tx = testing::Internal(rig);
    EXPECT_EQ(tx.Input(), Input::Spdif);
    EXPECT_TRUE(tx.AudioEnabled());
    EXPECT_EQ(tx.Peek(SII9134_SPDIF_CTRL), 0);
    EXPECT_EQ(tx.N(), c.n);
    EXPECT_EQ(rig.chip().Peek(AUDIO_CFG), 0x12u);
    EXPECT_EQ(rig.ctx().dwAudioFs, 7u) << "S/PDIF leaves the I2S frequency alone";
    EXPECT_FALSE(WritesTo(rig, SII9134_I2S_CHST4));
  }
}

TEST(HdmiPhyEnable, NValueByChoiceFrequencyAndLibraryVariant) {
  const struct {
    Variant variant;
    uint8_t nsval;
    uint32_t rateHz;
    uint32_t n;
  } cases[] = {
      {Variant::Library, 0, 48000, 4096}, {Variant::Library, 1, 44100, 6272}, {Variant::Library, 1, 48000, 6144},
      {Variant::Library, 2, 48000, 4096}, {Variant::Library, 2, 44100, 4096}, {Variant::Library, 9, 48000, 4096},
      {Variant::Utility, 0, 48000, 4096}, {Variant::Utility, 1, 48000, 6272}, {Variant::Utility, 2, 44100, 6144},
      {Variant::Utility, 2, 48000, 6144}, {Variant::Utility, 3, 44100, 4096},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.variant == Variant::Utility ? "utility" : "library") + " choice " +
                 std::to_string(c.nsval) + " at " + std::to_string(c.rateHz));
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, c.variant);
    testing::AudioInputs(rig).SetI2sRate(0, c.rateHz);
    UsbDevice* dev = OpenWith(rig, {.nsval = c.nsval});
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    EXPECT_EQ(testing::Internal(rig).N(), c.n);
  }
}

TEST(HdmiPhyEnable, MclkRatioAndCycleTimeStamp) {
  const struct {
    uint8_t mclk;
    uint32_t code;
  } cases[] = {{0, 1}, {1, 0}, {2, 1}, {3, 2}, {7, 6}, {8, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mclk));
    testing::SimRig rig;
    UsbDevice* dev = OpenWith(rig, {.mclk = c.mclk});
    ASSERT_TRUE(config_pix_clk(148500000, dev));
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    const auto& tx = testing::Internal(rig);
    EXPECT_EQ(tx.MclkCode(), c.code);
    // The sink regenerates the audio clock from N and the CTS the transmitter measures.
    const uint64_t tmds = rig.chip().Find<sim::ClockUnit>()->PixelClockHz();
    ASSERT_GT(tmds, 0u);
    EXPECT_EQ(tx.Cts(), tmds * 4096 / (128 * 48000));
  }
}

TEST(HdmiPhyEnable, AutoDetectResolvesTheSourceFirst) {
  const struct {
    uint32_t i2s0, i2s1;
    uint8_t source;
    Input input;
  } cases[] = {
      {48000, 44100, AUDIO_I2S0, Input::I2s},
      {0, 44100, AUDIO_I2S1, Input::I2s},
      {0, 0, AUDIO_SPDIF, Input::Spdif},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.source));
    testing::SimRig rig;
    testing::AudioInputs(rig).SetI2sRate(0, c.i2s0);
    testing::AudioInputs(rig).SetI2sRate(1, c.i2s1);
    UsbDevice* dev = OpenWith(rig, {.source = AUDIO_AUTO_DETECT});
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    EXPECT_EQ(rig.ctx().gHdmiAudio.bAudioSource, c.source);
    EXPECT_EQ(testing::Internal(rig).Input(), c.input);
  }
}

TEST(HdmiPhyEnable, UndefinedSettingsAreRefusedBeforeAnyWrite) {
  const struct {
    Settings settings;
    const char* text;
  } cases[] = {
      {{.source = 4}, "ERROR:  HdmiPhyEnable() bad bAudioSource=4, s/b 0-3\n"},
      {{.mclk = 9}, "ERROR:  HdmiPhyEnable() bad bMclk=9, s/b 0-8\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    testing::SimRig rig;
    UsbDevice* dev = OpenWith(rig, c.settings);
    EXPECT_FALSE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    EXPECT_EQ(rig.Diag(), c.text);
    EXPECT_TRUE(rig.trace().Writes().empty());
    // Video-only ports do not look at the audio settings.
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI));
  }
}

TEST(HdmiPhyEnable, FailedTransferStopsTheSetUp) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWith(rig, {});
  rig.adapter().faults().failAddresses.insert(testing::IntAddr(SII9134_I2S_IN_CTRL));
  EXPECT_FALSE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
  EXPECT_FALSE(WritesTo(rig, SII9134_N_SVAL1));
  EXPECT_FALSE(testing::Internal(rig).AudioEnabled());
}

TEST(HdmiPhyEnable, ExternalOnlyBoardUsesTheExternalChip) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60));
  UsbDevice* dev = OpenWith(rig, {});
  EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV_I2S));
  EXPECT_TRUE(rig.trace().Writes(0x9000, 0x9FFF).empty());
  const auto& chip = testing::External(rig);
  EXPECT_TRUE(chip.AudioEnabled());
  EXPECT_EQ(chip.N(), 4096u);
}

// FPGA boards with the internal block also run the external chip, video only and
// isolated, whichever way they reach it.
TEST(HdmiPhyEnable, FpgaBoardDrivesTheExternalChipForVideo) {
  for (const char* board : {"fpga100", "fpga130"}) {
    SCOPED_TRACE(board);
    testing::SimRig rig(*sim::ChipVariant::Parse(board));
    UsbDevice* dev = OpenWith(rig, {});
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    const auto& internal = testing::Internal(rig);
    const auto& external = testing::External(rig);
    EXPECT_TRUE(internal.AudioEnabled());
    EXPECT_EQ(internal.Peek(SII9134_TEST_TXCTRL), 8);
    EXPECT_EQ(external.Peek(SII9134_SYS_CTRL1), 0x37);
    EXPECT_EQ(external.Peek(SII9134_TMDS_CTRL2), 0x1B);
    EXPECT_EQ(external.Peek(SII9134_TEST_TXCTRL), 4);
    EXPECT_FALSE(external.AudioEnabled());
    EXPECT_EQ(rig.Diag(), "");
  }
  // An external chip the board cannot reach fails the enable.
  testing::SimRig rig(sim::ChipVariant::Fpga(100));
  UsbDevice* dev = OpenWith(rig, {});
  rig.chip().Find<sim::I2cMasterUnit>()->faults.busStuckBusy = true;
  EXPECT_FALSE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI));
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134PhyEnable() failed calling SiI9134i2cSetup()\n"));
  EXPECT_EQ(testing::Internal(rig).Peek(SII9134_TEST_TXCTRL), 0) << "the internal block stays unisolated";
}

TEST(HdmiPhyDisable, InternalAndFpgaBoards) {
  for (const char* board : {"rev1", "fpga100", "fpga60"}) {
    SCOPED_TRACE(board);
    testing::SimRig rig(*sim::ChipVariant::Parse(board));
    UsbDevice* dev = OpenWith(rig, {});
    ASSERT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    EXPECT_TRUE(HdmiPhyDisable(dev));
    EXPECT_EQ(rig.chip().Peek(HDMI_CFG), 0u);
    auto* external = testing::Hdmi(rig).external();
    if (testing::Hdmi(rig).internalPresent) {
      const auto& tx = testing::Internal(rig);
      EXPECT_FALSE(tx.PoweredUp());
      EXPECT_FALSE(tx.AudioEnabled());
      EXPECT_EQ(tx.Peek(SII9134_PB_CTRL1), 0);
      EXPECT_EQ(tx.Peek(SII9134_PB_CTRL2), 0);
      EXPECT_EQ(tx.Peek(SII9134_REG_12F), 0);
    } else {
      EXPECT_TRUE(rig.trace().Writes(0x9000, 0x9FFF).empty());
    }
    if (external != nullptr) {
      EXPECT_EQ(external->registers().Peek(SII9134_TEST_TXCTRL), 0) << "isolation off";
      EXPECT_FALSE(external->registers().PoweredUp());
    }
  }
}

}  // namespace
}  // namespace zev
