// Register access to the external SiI9134: directly through the I2C master or through
// the HDMI assist, by chip.
#include "device/video/sii9134_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/sii9134_registers.h"
#include "tests/video/hdmi_test_rig.h"

namespace zev {
namespace {

using ::testing::HasSubstr;

// The production chip's boards have no external chip; tests that need one on silicon
// wire it to bus 1 themselves.
sim::Sii9134RegisterFile& WireExternalChip(testing::SimRig& rig, std::unique_ptr<sim::Sii9134Device>& holder) {
  if (testing::Hdmi(rig).external() != nullptr) return testing::External(rig);
  holder = std::make_unique<sim::Sii9134Device>();
  holder->Attach(testing::HdmiBus(rig));
  return holder->registers();
}

size_t AssistAccesses(testing::SimRig& rig) {
  size_t n = 0;
  for (const auto& e : rig.trace().Events()) n += e.address >= 0x9C00 && e.address <= 0x9C10;
  return n;
}

TEST(SiI9134Access, DirectOrAssistedByChip) {
  const struct {
    const char* variant;
    bool assisted;
  } cases[] = {
      {"rev1", true},  {"a0", false},     {"fpga60", false},  // plain FIFO I2C
      {"fpga100", false},                                     // old I2C assist
      {"fpga127", false}, {"fpga128", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    std::unique_ptr<sim::Sii9134Device> holder;
    sim::Sii9134RegisterFile& chip = WireExternalChip(rig, holder);
    chip.Poke(SII9134_INTR_1, 0xC4);
    UsbDevice* dev = testing::OpenHdmi(rig);
    EXPECT_EQ(SiI9134UsesAssist(dev), c.assisted);

    SiI9134SetRegDW(dev, SII9134_SYS_CTRL1, 0x37);  // page 0
    SiI9134SetRegDW(dev, SII9134_AUD_MODE, 0x5A);   // page 1
    EXPECT_EQ(chip.Peek(SII9134_SYS_CTRL1), 0x37);
    EXPECT_EQ(chip.Peek(SII9134_AUD_MODE), 0x5A);
    EXPECT_EQ(chip.Peek(SII9134_AUD_MODE & 0xFF), 0x00) << "page 0 untouched";
    EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_INTR_1), 0xC4u);
    EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_AUD_MODE), 0x5Au);
    EXPECT_EQ(AssistAccesses(rig) > 0, c.assisted);
    EXPECT_EQ(rig.Diag(), "");
  }
}

TEST(SiI9134Access, AssistRegisterSequence) {
  testing::SimRig rig;
  std::unique_ptr<sim::Sii9134Device> holder;
  sim::Sii9134RegisterFile& chip = WireExternalChip(rig, holder);
  chip.Poke(SII9134_HW_SPDIF_FS, 0);
  UsbDevice* dev = testing::OpenHdmi(rig);

  SiI9134SetRegDW(dev, SII9134_AUD_MODE, 0x11);
  EXPECT_EQ(rig.trace().Writes(), (std::vector<std::pair<uint16_t, uint32_t>>{
                                      {0x9C04, 0x0114007E}, {0x9C10, 0x11}, {0x9C00, 0x28000006}, {0x9C00, 0xA8000006}}));
  const auto polls = rig.trace().ReadAddresses();
  ASSERT_GE(polls.size(), 2u) << "the transfer takes a few polls on the bus";
  EXPECT_EQ(polls, std::vector<uint16_t>(polls.size(), 0x9C00));

  rig.ClearTrace();
  EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_TMDS_CTRL), 0u);
  EXPECT_EQ(rig.trace().Writes(), (std::vector<std::pair<uint16_t, uint32_t>>{
                                      {0x9C04, 0x00820076}, {0x9C00, 0x28000000}, {0x9C00, 0xA8000000}}));
  EXPECT_EQ(rig.trace().ReadAddresses().back(), 0x9C10);
}

TEST(SiI9134Access, AssistTimeoutAndFailure) {
  struct Case {
    const char* what;
    bool stuck;
    const char* setText;
    const char* getText;
  };
  const Case cases[] = {
      {"never finishes", true, "ERROR:  SiI9134SetRegDW() timed out w/ Voskar HDMI assist\n",
       "ERROR:  SiI9134GetRegDW() timed out w/ Voskar HDMI assist\n"},
      {"no chip answers", false, "ERROR: SiI9134SetRegDW() failed w/ Voskar HDMI assist, HDMI_DDC_STS=0x0020\n",
       "ERROR: SiI9134GetRegDW() failed w/ Voskar HDMI assist, HDMI_DDC_STS=0x0020\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;  // production chip: nothing on bus 1
    std::unique_ptr<sim::Sii9134Device> holder;
    if (c.stuck) WireExternalChip(rig, holder);
    testing::Hdmi(rig).assist()->neverFinishes = c.stuck;
    UsbDevice* dev = testing::OpenHdmi(rig);

    const uint32_t start = GetTickCount();
    SiI9134SetRegDW(dev, SII9134_SYS_CTRL1, 0x37);
    EXPECT_EQ(rig.Diag(), c.setText);
    if (c.stuck) {
      EXPECT_GE(GetTickCount() - start, 100u);
    }
    rig.ClearDiag();
    EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_SYS_CTRL1), kSii9134ReadFailed);
    EXPECT_EQ(rig.Diag(), c.getText);
  }
}

TEST(SiI9134Access, DirectFailures) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60));
  testing::Hdmi(rig).external()->Detach(testing::HdmiBus(rig));
  UsbDevice* dev = testing::OpenHdmi(rig);

  SiI9134SetRegDW(dev, SII9134_SYS_CTRL1, 0x37);
  EXPECT_THAT(rig.Diag(), HasSubstr("ERROR: VgaI2cWriteByte() after send byte, bad wRawIntSts="));
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134SetRegDW() failed calling VgaI2cWriteByte()\n"));
  rig.ClearDiag();
  EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_AUD_MODE), kSii9134ReadFailed);
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134GetRegDW() failed calling VgaI2cReadByte()\n"));

  // A bus that stays busy keeps the target from being set.
  rig.ClearDiag();
  rig.chip().Find<sim::I2cMasterUnit>()->faults.busStuckBusy = true;
  EXPECT_EQ(SiI9134GetRegDW(dev, SII9134_AUD_MODE), kSii9134NoTarget);
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134GetRegDW() failed calling VgaI2cSetTAR(TAR2)\n"));
  rig.ClearDiag();
  SiI9134SetRegDW(dev, SII9134_SYS_CTRL1, 0x37);
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134SetRegDW() failed calling VgaI2cSetTAR(TAR)\n"));
  rig.ClearDiag();
  EXPECT_FALSE(SiI9134i2cSetup(dev));
  EXPECT_THAT(rig.Diag(), ::testing::EndsWith("ERROR:  SiI9134i2cSetup() failed calling VgaI2cSetPort()\n"));
}

TEST(SiI9134Access, RegisterOutsideTheMapIsRefused) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60));
  UsbDevice* dev = testing::OpenHdmi(rig);
  SiI9134SetRegDW(dev, 0x200, 1);
  EXPECT_EQ(SiI9134GetRegDW(dev, 0x300), kSii9134ReadFailed);
  EXPECT_EQ(rig.trace().Events().size(), 0u);
  EXPECT_EQ(rig.Diag(),
            "ERROR:  SiI9134SetRegDW() bad register 0x200, s/b 0x000-0x1FF\n"
            "ERROR:  SiI9134GetRegDW() bad register 0x300, s/b 0x000-0x1FF\n");
}

TEST(SiI9134Access, SetupSelectsPortOneAndPageZero) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60));
  UsbDevice* dev = testing::OpenHdmi(rig);
  GfxSetRegDW(dev, I2C_SEL, 0);
  rig.ClearTrace();
  EXPECT_TRUE(SiI9134i2cSetup(dev));
  EXPECT_EQ(rig.chip().Peek(I2C_SEL), 1u);
  EXPECT_EQ(rig.chip().Peek(IC_TAR) & 0x3FF, 0x3Bu);
}

}  // namespace
}  // namespace zev
