// The virtual adapter's HDMI side: internal register file, HDMI assist, external chip,
// audio inputs and meter.
#include "sim/units/hdmi_unit.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/sii9134_registers.h"
#include "sim/core/chip.h"
#include "sim/devices/i2c_register_file.h"
#include "sim/units/clock_unit.h"
#include "sim/units/hdmi_audio_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

class HdmiUnitTest : public ::testing::Test {
 protected:
  std::unique_ptr<Chip> Make(ChipVariant variant) {
    auto chip = std::make_unique<Chip>(variant, clock_);
    AddStandardUnits(*chip);
    chip->PowerUp();
    return chip;
  }
  static uint16_t Addr(uint32_t reg) { return static_cast<uint16_t>(HdmiCoreRegister(reg)); }
  // Reads the assist status until the busy bit clears, advancing time 100 µs per read.
  uint32_t WaitAssist(Chip& chip, int* polls) {
    *polls = 0;
    uint32_t status = 0;
    while (((status = chip.Read(Addr(HDMI_ASSIST_CMD))) & HdmiAssist::kGo) != 0 && *polls < 1000) {
      clock_.AdvanceUs(100);
      ++*polls;
    }
    return status;
  }

  SimClock clock_;
};

TEST_F(HdmiUnitTest, InternalRegisterFile) {
  auto chip = Make(ChipVariant::SiliconRev1());
  EXPECT_EQ(chip->Read(Addr(SII9134_DID_HI)), 0x97u);
  EXPECT_EQ(chip->Read(Addr(SII9134_DID_LO)), 0x36u);
  chip->Write(Addr(SII9134_DID_HI), 0x12);
  EXPECT_EQ(chip->Read(Addr(SII9134_DID_HI)), 0x97u) << "identity is read-only";

  chip->Write(Addr(SII9134_PB_CTRL1), 0x1234);
  EXPECT_EQ(chip->Read(Addr(SII9134_PB_CTRL1)), 0x34u) << "byte registers keep bits 7:0";
  EXPECT_EQ(chip->Find<HdmiUnit>()->internal().Peek(SII9134_PB_CTRL1), 0x34);

  bool undecoded = false;
  chip->Read(Addr(0x200), &undecoded);
  EXPECT_TRUE(undecoded) << "nothing above register 0x1FF";
  chip->Read(Addr(SII9134_PB_CTRL1) + 1, &undecoded);
  EXPECT_TRUE(undecoded) << "only whole registers";

  chip->Write(Addr(SII9134_AUD_MODE), 0x11);
  chip->PowerUp();
  EXPECT_EQ(chip->Read(Addr(SII9134_AUD_MODE)), 0u);
}

TEST_F(HdmiUnitTest, WhatEachChipCarries) {
  const struct {
    ChipVariant variant;
    bool internal, assist, external;
  } cases[] = {
      {ChipVariant::SiliconA0(), true, false, false}, {ChipVariant::SiliconRev1(), true, true, false},
      {ChipVariant::Fpga(60), false, false, true},    {ChipVariant::Fpga(79), true, false, true},
      {ChipVariant::Fpga(128), true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant.Name());
    auto chip = Make(c.variant);
    auto& hdmi = *chip->Find<HdmiUnit>();
    EXPECT_EQ(hdmi.Decodes(Addr(SII9134_DID_HI)), c.internal);
    EXPECT_EQ(hdmi.Decodes(Addr(HDMI_ASSIST_CMD)), c.assist);
    EXPECT_EQ(hdmi.external() != nullptr, c.external);
    auto& bus = chip->Find<I2cMasterUnit>()->Bus(1);
    EXPECT_EQ(bus.Acknowledges(0x3B), c.external);
    EXPECT_EQ(bus.Acknowledges(0x3F), c.external);
  }
}

TEST_F(HdmiUnitTest, AssistWritesAndReadsADeviceOnTheSelectedBus) {
  auto chip = Make(ChipVariant::SiliconRev1());
  auto& target = chip->Find<I2cMasterUnit>()->Bus(1).Emplace<I2cRegisterFile>(I2cAddress::EightBit(0x7E));
  chip->Write(I2C_SEL, 1);

  chip->Write(Addr(HDMI_ASSIST_TARGET), 0x0114007E);
  chip->Write(Addr(HDMI_ASSIST_DATA), 0x5A);
  chip->Write(Addr(HDMI_ASSIST_CMD), 0x28000006);
  EXPECT_EQ(chip->Read(Addr(HDMI_ASSIST_CMD)), 0x28000006u) << "staged until go";
  EXPECT_EQ(target.writes(), 0u);
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000006);
  chip->Write(Addr(HDMI_ASSIST_DATA), 0x77);  // ignored while busy
  int polls = 0;
  EXPECT_EQ(WaitAssist(*chip, &polls), 0x20000006u) << "completed: go and error bits clear";
  EXPECT_EQ(polls, 13) << "START, three bytes and STOP at 100 kHz";
  EXPECT_EQ(target.Peek(0x14), 0x5A);

  target.Poke(0x22, 0xC3);
  chip->Write(Addr(HDMI_ASSIST_TARGET), 0x0022007E);
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000000);
  EXPECT_EQ(WaitAssist(*chip, &polls), 0x20000000u);
  EXPECT_EQ(polls, 18) << "a read adds a restart, the address and the data byte";
  EXPECT_EQ(chip->Read(Addr(HDMI_ASSIST_DATA)), 0xC3u);
  EXPECT_EQ(chip->Read(Addr(SII9134_DDC_STS)), 0u);
}

TEST_F(HdmiUnitTest, AssistFailures) {
  auto chip = Make(ChipVariant::SiliconRev1());
  chip->Write(I2C_SEL, 1);
  auto& hdmi = *chip->Find<HdmiUnit>();
  int polls = 0;

  chip->Write(Addr(HDMI_ASSIST_TARGET), 0x00080076);  // nobody at 0x76 on this board
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000006);
  EXPECT_EQ(WaitAssist(*chip, &polls), 0x28000006u) << "bit 27 reports the failure";
  EXPECT_EQ(chip->Read(Addr(SII9134_DDC_STS)), HdmiUnit::kDdcNoAck);

  chip->Find<I2cMasterUnit>()->Bus(1).Emplace<I2cRegisterFile>(I2cAddress::EightBit(0x76));
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000003);  // no such operation
  EXPECT_EQ(WaitAssist(*chip, &polls), 0x28000003u);
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000006);
  EXPECT_EQ(WaitAssist(*chip, &polls), 0x20000006u);
  EXPECT_EQ(chip->Read(Addr(SII9134_DDC_STS)), 0u) << "a good transfer clears the status";

  hdmi.assist()->neverFinishes = true;
  chip->Write(Addr(HDMI_ASSIST_CMD), 0xA8000006);
  EXPECT_NE(WaitAssist(*chip, &polls) & HdmiAssist::kGo, 0u);
  chip->PowerUp();
  EXPECT_EQ(chip->Read(Addr(HDMI_ASSIST_CMD)), 0u) << "a reset ends it";
}

TEST_F(HdmiUnitTest, ExternalChipPagesAndReset) {
  auto chip = Make(ChipVariant::Fpga(60));
  auto& ext = chip->Find<HdmiUnit>()->external()->registers();
  auto& bus = chip->Find<I2cMasterUnit>()->Bus(1);
  ASSERT_TRUE(bus.SetPointer(0x3F, 0x14));
  ASSERT_TRUE(bus.Write(0x3F, 0x11));
  ASSERT_TRUE(bus.SetPointer(0x3B, 0x08));
  ASSERT_TRUE(bus.Write(0x3B, 0x37));
  EXPECT_EQ(ext.Peek(SII9134_AUD_MODE), 0x11);
  EXPECT_EQ(ext.Peek(SII9134_SYS_CTRL1), 0x37);
  chip->PowerUp();
  EXPECT_EQ(ext.Peek(SII9134_SYS_CTRL1), 0x37) << "a separate chip: the Voskar's reset leaves it";
}

TEST_F(HdmiUnitTest, AudioMeterFollowsTheSelectedInput) {
  auto chip = Make(ChipVariant::SiliconRev1());
  auto& audio = *chip->Find<HdmiAudioUnit>();
  audio.SetI2sRate(0, 44100);
  audio.SetI2sRate(1, 48000);
  const struct {
    uint32_t cfg;
    uint32_t freq0, freq1;
  } cases[] = {
      {0x00, 0, 0},                      // S/PDIF selected: no I2S measurement
      {0x03, 0x002C0B06, 44100},         // I2S0: 44 kHz, 2822 kHz bit clock
      {0x13, 0x00300C00, 48000},         // I2S1
      {0x12, 0, 0},
  };
  for (const auto& c : cases) {
    chip->Write(AUDIO_CFG, c.cfg);
    EXPECT_EQ(chip->Read(AUDIO_FREQ0), c.freq0) << c.cfg;
    EXPECT_EQ(chip->Read(AUDIO_FREQ1), c.freq1) << c.cfg;
  }
  audio.SetI2sRate(1, 0);
  chip->Write(AUDIO_CFG, 0x13);
  EXPECT_EQ(chip->Read(AUDIO_FREQ0), 0u) << "a silent input measures nothing";

  bool undecoded = false;
  auto old = Make(ChipVariant::Fpga(50));
  old->Read(AUDIO_FREQ0, &undecoded);
  EXPECT_TRUE(undecoded) << "early builds have no meter";
}

TEST_F(HdmiUnitTest, TransmitterStateFromItsRegisters) {
  auto chip = Make(ChipVariant::SiliconRev1());
  auto& tx = chip->Find<HdmiUnit>()->internal();
  auto& audio = *chip->Find<HdmiAudioUnit>();
  audio.SetSpdifRate(44100);
  EXPECT_EQ(chip->Read(Addr(SII9134_HW_SPDIF_FS)), 0u);
  audio.SetSpdifRate(48000);
  EXPECT_EQ(chip->Read(Addr(SII9134_HW_SPDIF_FS)), 2u);
  audio.SetSpdifRate(0);
  EXPECT_EQ(chip->Read(Addr(SII9134_HW_SPDIF_FS)), 1u) << "no signal";

  audio.SetI2sRate(0, 48000);
  for (uint32_t reg = SII9134_N_SVAL1; reg <= SII9134_N_SVAL3; ++reg) chip->Write(Addr(reg), reg == 0x104 ? 0x18 : 0);
  chip->Write(Addr(SII9134_AUD_MODE), 0x10);
  EXPECT_EQ(tx.Input(), Sii9134RegisterFile::AudioInput::I2s);
  EXPECT_EQ(tx.N(), 6144u);
  EXPECT_EQ(tx.Cts(), 0u) << "audio off";
  chip->Write(Addr(SII9134_AUD_MODE), 0x11);
  // The pixel PLL passes its 25 MHz reference through after power-up: 12.5 MHz pixels.
  ASSERT_EQ(chip->Find<ClockUnit>()->PixelClockHz(), 12500000u);
  EXPECT_EQ(tx.Cts(), 12500000ull * 6144 / (128 * 48000));
  EXPECT_EQ(chip->Read(Addr(SII9134_CTS_HVAL1)) | chip->Read(Addr(SII9134_CTS_HVAL2)) << 8, 12500u);
  EXPECT_EQ(tx.Packet(SII9134_AVI_INFOFRAME)[0], 0);
  EXPECT_THROW(tx.Packet(SII9134_AVI_INFOFRAME + 1), std::out_of_range);
}

}  // namespace
}  // namespace zev::sim
