// VgaI2cInit, VgaI2cSetPort and VgaI2cSetTAR.
#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/i2c_master.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

TEST(VgaI2cInit, ConfiguresTheBlockAndChoosesTheMechanism) {
  const struct {
    const char* variant;
    uint32_t mode;
  } cases[] = {{"fpga60", 0}, {"fpga70", 1}, {"a0", 1}, {"fpga103", 2}, {"rev1", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    UsbDevice* dev = rig.Open();
    rig.ctx().I2cAssistMode = 7;
    EXPECT_TRUE(VgaI2cInit(dev));
    EXPECT_EQ(rig.ctx().I2cAssistMode, c.mode);
    // From reset (IC_CON 0x3B, IC_TAR 0x55): standard speed, 7-bit addressing, restart,
    // master, transmit mode 0, then enabled.
    EXPECT_EQ(rig.trace().Writes(0x1000, 0x10FF),
              (Writes{{IC_ENABLE, 0},
                      {IC_ENABLE, 0},
                      {IC_SS_SCL_LCNT, 12},
                      {IC_SS_SCL_HCNT, 6},
                      {IC_CON, 0x3B},
                      {IC_CON, 0x2B},
                      {IC_CON, 0x2B},
                      {IC_CON, 0x2B},
                      {IC_TAR, 0x55},
                      {IC_ENABLE, 1}}));
    EXPECT_EQ(rig.Diag(), "");
  }
}

TEST(VgaI2cInit, FailureLines) {
  constexpr const char* kFailed = "\n ERROR: VgaI2cInit() failed\n";
  // IC_ENABLE is read once by the clock set-up and once by each configuration step, so
  // a block that reads as enabled from the n-th read on fails step n + 2.
  const struct {
    int enableStuckAfterReads;  // -1: the bus stays busy instead
    std::string lines;
  } cases[] = {
      {-1, "ERROR:  VgaI2cInit() Cannot disable I2C: I2C is Busy!\n"},
      {0, "\n I2C ERROR: I2C must be disabled to set clock!\n"
          "ERROR:  VgaI2cInit() failed calling I2cClockSetup()\n"},
      {1, "ERROR:  VgaI2cInit() failed calling I2cSetSpeed()\n"},
      {2, "\n I2C ERROR: I2C must be disabled to set master addressing mode!\n"
          "ERROR:  VgaI2cInit() failed calling I2cSetMstrAddrMode()\n"},
      {3, "\n I2C ERROR: I2C must be disabled to enable restart!\n"
          "ERROR:  VgaI2cInit() failed calling I2cEnableRestart()\n"},
      {4, "\n I2C ERROR: I2C must be disabled to enable master!\n"
          "ERROR:  VgaI2cInit() failed calling I2cEnableMaster()\n"},
      {5, "\n I2C ERROR: I2C must be disabled to set Tx mode!\n"
          "ERROR:  VgaI2cInit() failed calling I2cSetTxMode()\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    testing::SimRig rig(sim::ChipVariant::SiliconRev1());
    UsbDevice* dev = rig.Open();
    rig.ctx().I2cAssistMode = 1;
    auto& i2c = testing::I2cUnit(rig);
    if (c.enableStuckAfterReads < 0) {
      i2c.faults.busStuckBusy = true;
    } else {
      i2c.faults.enableStuckAfterReads = c.enableStuckAfterReads;
    }
    EXPECT_FALSE(VgaI2cInit(dev));
    EXPECT_EQ(rig.Diag(), c.lines + kFailed);
    EXPECT_EQ(rig.ctx().I2cAssistMode, 1u) << "a failed init keeps the previous mechanism";
    for (const auto& [address, value] : rig.trace().Writes()) {
      EXPECT_FALSE(address == IC_ENABLE && value == 1) << "never enabled";
    }
  }
}

TEST(VgaI2c, NullArgumentsFailWithoutTouchingTheBus) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  uint8_t byte = 0;
  EXPECT_FALSE(VgaI2cInit(nullptr));
  EXPECT_FALSE(VgaI2cSetPort(nullptr, 0));
  EXPECT_FALSE(VgaI2cSetTAR(nullptr, 0xA0));
  EXPECT_FALSE(VgaI2cReadByte(nullptr, 0, &byte));
  EXPECT_FALSE(VgaI2cWriteByte(nullptr, 0, 0));
  EXPECT_FALSE(VgaI2cReadByte(dev, 0, nullptr));
  EXPECT_TRUE(rig.trace().Events().empty());
  EXPECT_EQ(rig.Diag(), "");
}

TEST(VgaI2cSetPort, PortToSelector) {
  const struct {
    const char* variant;
    uint32_t port;
    int selector;  // -1: refused
  } cases[] = {
      {"rev1", 0, 0},   {"rev1", 1, 1},   {"rev1", 2, 0},   {"rev1", 3, 0},     {"rev1", 4, 0},
      {"a0", 4, 0},     {"a0", 7, 0},     {"fpga60", 1, 1}, {"fpga60", 2, 0},   {"fpga60", 3, 0},
      {"fpga60", 4, -1}, {"fpga110", 5, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.variant) + " port " + std::to_string(c.port));
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant));
    UsbDevice* dev = rig.Open();
    rig.chip().Poke(I2C_SEL, 3);
    const bool ok = VgaI2cSetPort(dev, c.port);
    if (c.selector < 0) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(rig.Diag(), "ERROR:  VgaI2cSetPort() bad dwPort=" + std::to_string(c.port) + ", s/b 0-3\n");
      EXPECT_EQ(rig.trace().Writes(), Writes{});
    } else {
      EXPECT_TRUE(ok);
      EXPECT_EQ(rig.Diag(), "");
      EXPECT_EQ(rig.trace().Writes(),
                (Writes{{IC_ENABLE, 0}, {I2C_SEL, static_cast<uint32_t>(c.selector)}, {IC_ENABLE, 1}}));
    }
  }
}

TEST(VgaI2cSetPort, BusyBlock) {
  testing::SimRig rig;
  UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);
  testing::I2cUnit(rig).faults.busStuckBusy = true;
  EXPECT_FALSE(VgaI2cSetPort(dev, 1));
  EXPECT_EQ(rig.Diag(), "ERROR:  VgaI2cSetPort() failed calling I2cDisable()!\n");
  EXPECT_EQ(rig.trace().Writes(), Writes{});
}

TEST(VgaI2cSetTAR, ProgramsTheSevenBitAddress) {
  testing::SimRig rig;
  UsbDevice* dev = testing::OpenI2c(rig, 0, 0x76);
  EXPECT_TRUE(VgaI2cSetTAR(dev, 0xA0));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{IC_ENABLE, 0}, {IC_TAR, 0x50}, {IC_ENABLE, 1}}));
  EXPECT_EQ(rig.Diag(), "");
}

TEST(VgaI2cSetTAR, Failures) {
  {
    SCOPED_TRACE("bus stays busy");
    testing::SimRig rig;
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0x76);
    testing::I2cUnit(rig).faults.busStuckBusy = true;
    EXPECT_FALSE(VgaI2cSetTAR(dev, 0xA0));
    EXPECT_EQ(rig.Diag(), "ERROR:  VgaI2cSetTAR() failed calling I2cDisable()!\n");
    EXPECT_EQ(rig.trace().Writes(), Writes{});
  }
  {
    SCOPED_TRACE("block stays enabled");
    testing::SimRig rig;
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0x76);
    testing::I2cUnit(rig).faults.enableStuckAfterReads = 0;
    EXPECT_FALSE(VgaI2cSetTAR(dev, 0xA0));
    EXPECT_EQ(rig.Diag(),
              "\n I2C ERROR: I2C must be disabled to set target address!\n"
              "ERROR:  VgaI2cSetTAR() failed calling I2cSetTargetAddr()!\n");
    EXPECT_EQ(rig.trace().Writes(), (Writes{{IC_ENABLE, 0}})) << "left disabled, IC_TAR untouched";
    EXPECT_EQ(rig.chip().Peek(IC_TAR), 0x3Bu);
  }
}

}  // namespace
}  // namespace zev
