// Audio source detection and the sampling-frequency tracking of the internal transmitter.
#include "device/video/hdmi_audio.h"

#include <gtest/gtest.h>

#include "device/video/hdmi_phy.h"
#include "device/video/sii9134_registers.h"
#include "tests/video/hdmi_test_rig.h"

namespace zev {
namespace {

TEST(HdmiAudioDetectSource, FirstActiveInputAndRegistersRestored) {
  const struct {
    uint32_t i2s0, i2s1;
    uint32_t source;
  } cases[] = {
      {48000, 0, AUDIO_I2S0}, {44100, 48000, AUDIO_I2S0}, {0, 44100, AUDIO_I2S1}, {0, 0, AUDIO_SPDIF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    testing::SimRig rig;
    testing::AudioInputs(rig).SetI2sRate(0, c.i2s0);
    testing::AudioInputs(rig).SetI2sRate(1, c.i2s1);
    UsbDevice* dev = testing::OpenHdmi(rig);
    rig.ctx().gHdmiAudio.bAudioSource = AUDIO_AUTO_DETECT;
    ASSERT_TRUE(HdmiIntSetReg(dev, SII9134_AUD_MODE, 0x03));
    ASSERT_TRUE(HdmiIntSetReg(dev, SII9134_SPDIF_CTRL, 0x05));
    GfxSetRegDW(dev, LED_CFG0, 0x81);
    GfxSetRegDW(dev, GPIO_ENABLE, 0x10);
    GfxSetRegDW(dev, AUDIO_CFG, 0x20);
    rig.ClearTrace();

    EXPECT_EQ(HdmiAudioDetectSource(dev), c.source);
    EXPECT_EQ(rig.ctx().gHdmiAudio.bAudioSource, c.source);
    // Both inputs measured, 15 ms apart, with the meter pointed at each in turn.
    EXPECT_EQ(rig.trace().Writes(AUDIO_CFG, AUDIO_CFG),
              (std::vector<std::pair<uint16_t, uint32_t>>{{AUDIO_CFG, 3}, {AUDIO_CFG, 0x13}, {AUDIO_CFG, 0x20}}));
    EXPECT_EQ(rig.trace().Writes(GPIO_ENABLE, GPIO_ENABLE).front().second, 0x1000011u);
    EXPECT_EQ(rig.trace().Writes(LED_CFG0, LED_CFG0).front().second, 0x80u);
    const auto& tx = testing::Internal(rig);
    EXPECT_EQ(tx.Peek(SII9134_AUD_MODE), 0x03);
    EXPECT_EQ(tx.Peek(SII9134_SPDIF_CTRL), 0x05);
    EXPECT_EQ(rig.chip().Peek(LED_CFG0), 0x81u);
    EXPECT_EQ(rig.chip().Peek(GPIO_ENABLE), 0x10u);
    EXPECT_EQ(rig.chip().Peek(AUDIO_CFG), 0x20u);
  }
}

TEST(HdmiAudioDetectSource, FailedTransferGivesI2s0WithoutStoringIt) {
  testing::SimRig rig;
  testing::AudioInputs(rig).SetI2sRate(0, 0);
  UsbDevice* dev = testing::OpenHdmi(rig);
  rig.ctx().gHdmiAudio.bAudioSource = AUDIO_AUTO_DETECT;
  rig.adapter().faults().failAddresses.insert(AUDIO_FREQ0);
  EXPECT_EQ(HdmiAudioDetectSource(dev), static_cast<uint32_t>(AUDIO_I2S0));
  EXPECT_EQ(rig.ctx().gHdmiAudio.bAudioSource, AUDIO_AUTO_DETECT);
}

class HdmiAudioTrackFsTest : public ::testing::Test {
 protected:
  // Audio on I2S input 0 at `rateHz` with the given source and frequency mode.
  UsbDevice* Enable(uint32_t rateHz, uint8_t source = AUDIO_I2S0, uint8_t fsMode = I2S_FS_AUTO) {
    testing::AudioInputs(rig_).SetI2sRate(0, rateHz);
    testing::AudioInputs(rig_).SetSpdifRate(48000);
    UsbDevice* dev = testing::OpenHdmi(rig_);
    rig_.ctx().gHdmiAudio = {source, 2, fsMode, 0, 0, DC_PORT_HDMI_AV};
    EXPECT_TRUE(HdmiPhyEnable(dev, testing::Mode1080p60(), 32, DC_PORT_HDMI_AV));
    rig_.ClearTrace();
    return dev;
  }
  const sim::Sii9134RegisterFile& Tx() { return testing::Internal(rig_); }

  testing::SimRig rig_{sim::ChipVariant::SiliconRev1(), 1, Variant::Utility};
};

TEST_F(HdmiAudioTrackFsTest, FollowsTheInputFrom48To44) {
  UsbDevice* dev = Enable(48000);
  ASSERT_EQ(rig_.ctx().dwAudioFs, 48u);
  ASSERT_EQ(Tx().Peek(SII9134_I2S_CHST4), 2);

  HdmiAudioTrackFs(dev);
  EXPECT_EQ(rig_.ctx().szFsStatus, " ") << "no change yet";
  EXPECT_TRUE(rig_.trace().Writes().empty());

  testing::AudioInputs(rig_).SetI2sRate(0, 44100);
  HdmiAudioTrackFs(dev);
  EXPECT_EQ(rig_.ctx().szFsStatus, "Fs Changed old=48 new=44\n\n");
  EXPECT_EQ(rig_.ctx().dwAudioFs, 44u);
  EXPECT_EQ(rig_.ctx().dwAudioFsAtSetup, 48u) << "the set-up's choice stays for the report";
  EXPECT_EQ(Tx().Peek(SII9134_I2S_CHST4), 0);
  EXPECT_EQ(Tx().Peek(SII9134_I2S_CHST5), 2);

  // The utility logs the text and puts the blank back; the same rate reports nothing.
  rig_.ctx().szFsStatus = " ";
  HdmiAudioTrackFs(dev);
  EXPECT_EQ(rig_.ctx().szFsStatus, " ");

  testing::AudioInputs(rig_).SetI2sRate(0, 48000);
  HdmiAudioTrackFs(dev);
  EXPECT_EQ(rig_.ctx().szFsStatus, "Fs Changed old=44 new=48\n\n");
  EXPECT_EQ(Tx().Peek(SII9134_I2S_CHST4), 2);
  EXPECT_EQ(Tx().Peek(SII9134_I2S_CHST5), 0x22);
}

TEST_F(HdmiAudioTrackFsTest, RatesOutsideBothBandsAreIgnored) {
  UsbDevice* dev = Enable(48000);
  for (uint32_t rate : {46000u, 42999u, 50000u, 0u}) {
    testing::AudioInputs(rig_).SetI2sRate(0, rate);
    HdmiAudioTrackFs(dev);
    EXPECT_EQ(rig_.ctx().dwAudioFs, 48u) << rate;
  }
  rig_.adapter().faults().failAddresses.insert(AUDIO_FREQ0);
  HdmiAudioTrackFs(dev);
  EXPECT_EQ(rig_.ctx().szFsStatus, " ");
  EXPECT_TRUE(rig_.trace().Writes().empty());
}

TEST_F(HdmiAudioTrackFsTest, SpdifOrForcedFrequencyIsNotTracked) {
  const struct {
    uint8_t source, fsMode;
  } cases[] = {{AUDIO_SPDIF, I2S_FS_AUTO}, {AUDIO_I2S0, I2S_FS_48}, {AUDIO_I2S0, I2S_FS_44_1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.source) + " " + std::to_string(c.fsMode));
    UsbDevice* dev = Enable(48000, c.source, c.fsMode);
    const uint32_t before = rig_.ctx().dwAudioFs;
    testing::AudioInputs(rig_).SetI2sRate(0, 44100);
    HdmiAudioTrackFs(dev);
    EXPECT_EQ(rig_.ctx().szFsStatus, " ");
    EXPECT_EQ(rig_.ctx().dwAudioFs, before);
    EXPECT_TRUE(rig_.trace().Events().empty()) << "not even a measurement is read";
  }
}

}  // namespace
}  // namespace zev
