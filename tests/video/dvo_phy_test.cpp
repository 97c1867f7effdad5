// The CH7301 DVO transmitter: register set-up for VGA, DVI and power-down.
#include "device/video/dvo_phy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/c7301.h"
#include "device/video/dmt_mode.h"
#include "device/video/i2c_master.h"
#include "sim/devices/c7301.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/video/transmitter_test_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint8_t, uint8_t>>;

// Rows of the display mode table with each combination of sync flags used here.
constexpr DmtMode kRow0{640, 480, 60, 25175000, 800, 648, 144, 656, 96, 525, 488, 29, 490, 2, 0, 0};
constexpr DmtMode kRow4{800, 600, 60, 40000000, 1056, 800, 256, 840, 128, 628, 600, 28, 601, 4, 1, 1};
constexpr DmtMode kRow17{1280, 800, 60, 83500000, 1680, 1280, 400, 1352, 128, 831, 800, 31, 803, 6, 0, 1};

using testing::DvoRig;

TEST(DvoPhyEnableVGA, InputFormatFollowsTheSyncFlags) {
  const struct {
    const char* row;
    DmtMode mode;
    uint8_t idf;
  } cases[] = {{"row 0", kRow0, 0x80}, {"row 4", kRow4, 0x98}, {"row 17", kRow17, 0x90}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    DvoRig t;
    EXPECT_TRUE(DvoPhyEnableVGA(t.dev, c.mode.bSyncPol1, c.mode.bSyncPol2));
    EXPECT_EQ(t.c7301.WriteLog(), (Writes{{C7301_DC, 0x09}, {C7301_IDF, c.idf}, {C7301_PM, 0x00}}));
    EXPECT_EQ(t.c7301.output(), sim::C7301::Output::Vga);
    // Port 0 selects bus 0; the target is 0xEC in 7-bit form.
    EXPECT_EQ(t.rig.trace().Writes(I2C_SEL, I2C_SEL), (std::vector<std::pair<uint16_t, uint32_t>>{{I2C_SEL, 0}}));
    EXPECT_EQ(t.rig.chip().Peek(IC_TAR) & 0x3FF, 0x76u);
    EXPECT_EQ(t.rig.Diag(), "");
  }
}

TEST(DvoPhyEnableDVI, ClockSettingsSwitchAbove65MHz) {
  const struct {
    const char* name;
    uint32_t pixClk;
    DmtMode flags;
    uint8_t tpcp, tpd, tpf, idf;
  } cases[] = {
      {"row 0", kRow0.dwPixClk, kRow0, 0x08, 0x16, 0x60, 0x80},
      {"row 4", kRow4.dwPixClk, kRow4, 0x08, 0x16, 0x60, 0x98},
      {"row 17", kRow17.dwPixClk, kRow17, 0x04, 0x26, 0xA0, 0x90},
      {"65 MHz", 65000000, kRow0, 0x08, 0x16, 0x60, 0x80},
      {"65 MHz + 1 Hz", 65000001, kRow0, 0x04, 0x26, 0xA0, 0x80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DvoRig t;
    EXPECT_TRUE(DvoPhyEnableDVI(t.dev, c.pixClk, c.flags.bSyncPol1, c.flags.bSyncPol2));
    EXPECT_EQ(t.c7301.WriteLog(), (Writes{{C7301_TPCP, c.tpcp},
                                          {C7301_TPD, c.tpd},
                                          {C7301_TPF, c.tpf},
                                          {C7301_IDF, c.idf},
                                          {C7301_DC, 0x00},
                                          {C7301_PM, 0xCE}}));
    EXPECT_EQ(t.c7301.output(), sim::C7301::Output::Dvi);
    EXPECT_EQ(t.rig.Diag(), "");
  }
}

TEST(DvoPhyDisable, PowersTheTransmitterDown) {
  DvoRig t;
  ASSERT_TRUE(DvoPhyEnableDVI(t.dev, kRow4.dwPixClk, 1, 1));
  t.c7301.ClearWriteLog();
  EXPECT_TRUE(DvoPhyDisable(t.dev));
  EXPECT_EQ(t.c7301.WriteLog(), (Writes{{C7301_PM, 0x01}}));
  EXPECT_EQ(t.c7301.output(), sim::C7301::Output::Off);
}

// The routines fail only when the transmitter's bus cannot be selected, each with its
// own line after the set-up's (DvoPhyEnableDVI has none of its own).
TEST(DvoPhy, BusSetupFailures) {
  const struct {
    const char* name;
    bool (*run)(UsbDevice*);
    const char* line;
  } routines[] = {
      {"disable", [](UsbDevice* d) { return DvoPhyDisable(d); },
       "ERROR:  DvoPhyDisable() failed calling C7301i2cSetup()\n"},
      {"VGA", [](UsbDevice* d) { return DvoPhyEnableVGA(d, 1, 1); },
       "ERROR:  DvoPhyEnableVGA() failed calling C7301i2cSetup()\n"},
      {"DVI", [](UsbDevice* d) { return DvoPhyEnableDVI(d, 65000000, 1, 1); }, ""},
  };
  const struct {
    const char* name;
    bool busBusy;  // else the block will not leave the enabled state when the target is set
    std::string lines;
  } failures[] = {
      {"bus busy", true,
       "ERROR:  VgaI2cSetPort() failed calling I2cDisable()!\n"
       "ERROR:  C7301i2cSetup() failed calling VgaI2cSetPort()\n"},
      {"target refused", false,
       "\n I2C ERROR: I2C must be disabled to set target address!\n"
       "ERROR:  VgaI2cSetTAR() failed calling I2cSetTargetAddr()!\n"
       "ERROR:  C7301i2cSetup() failed calling VgaI2cSetTAR()\n"},
  };
  for (const auto& r : routines) {
    for (const auto& f : failures) {
      SCOPED_TRACE(std::string(r.name) + ", " + f.name);
      DvoRig t;
      auto& i2c = *t.rig.chip().Find<sim::I2cMasterUnit>();
      if (f.busBusy) {
        i2c.faults.busStuckBusy = true;
      } else {
        i2c.faults.enableStuckAfterReads = 6;  // VgaI2cInit read IC_ENABLE six times
      }
      EXPECT_FALSE(r.run(t.dev));
      EXPECT_EQ(t.rig.Diag(), f.lines + r.line);
      EXPECT_TRUE(t.c7301.WriteLog().empty());
    }
  }
}

TEST(DvoPhy, FailedRegisterWritesOnlyPrint) {
  sim::BoardDescription board;
  board.c7301 = false;
  testing::SimRig rig(sim::ChipVariant::Fpga(103), board);
  UsbDevice* dev = rig.Open();
  ASSERT_TRUE(VgaI2cInit(dev));
  rig.ClearDiag();
  EXPECT_TRUE(DvoPhyEnableVGA(dev, 0, 0));
  EXPECT_EQ(testing::CountOf(rig.Diag(), "ERROR:  C7301SetRegDW() failed calling VgaI2cWriteByte()\n"), 3u)
      << rig.Diag();
}

}  // namespace
}  // namespace zev
