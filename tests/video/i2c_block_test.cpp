#include "device/video/i2c_block.h"

#include <gtest/gtest.h>

#include <functional>

#include "device/chip/registers.h"
#include "device/usb/register_access.h"
#include "device/video/i2c_master.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;

TEST(I2cBlock, SixteenBitViewOfTheRegisters) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  EXPECT_EQ(I2cReadReg(dev, IC_COMP_TYPE), 0x0140) << "low half of 0x44570140";
  EXPECT_TRUE(I2cWriteReg(dev, IC_SS_SCL_HCNT, 0xBEEF));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{IC_SS_SCL_HCNT, 0x0000BEEF}}));
  rig.adapter().faults().failAddresses.insert(IC_STATUS);
  EXPECT_EQ(I2cReadReg(dev, IC_STATUS), 0xFFFF) << "a failed read";
  EXPECT_FALSE(I2cRxFifoEmpty(dev)) << "a failed read looks like data waiting";
}

struct ConfigCase {
  const char* name;
  std::function<bool(UsbDevice*)> configure;
  uint32_t reg;
  const char* refusal;  // printed while enabled
  uint32_t before, after;  // register value while disabled: before and after the call
};

const ConfigCase kConfigCases[] = {
    {"I2cSetSpeed(1) after fast", [](UsbDevice* d) { return I2cSetSpeed(d, 1); }, IC_CON, "", 0x3D, 0x3B},
    {"I2cSetSpeed(2)", [](UsbDevice* d) { return I2cSetSpeed(d, 2); }, IC_CON, "", 0x3B, 0x3D},
    {"I2cSetMstrAddrMode", I2cSetMstrAddrMode, IC_CON,
     "\n I2C ERROR: I2C must be disabled to set master addressing mode!\n", 0x3B, 0x2B},
    {"I2cEnableMaster", I2cEnableMaster, IC_CON, "\n I2C ERROR: I2C must be disabled to enable master!\n", 0x3A,
     0x3B},
    {"I2cEnableRestart", I2cEnableRestart, IC_CON, "\n I2C ERROR: I2C must be disabled to enable restart!\n", 0x1B,
     0x3B},
    {"I2cSetTargetAddr keeps bits 15:10", [](UsbDevice* d) { return I2cSetTargetAddr(d, 0x50); }, IC_TAR,
     "\n I2C ERROR: I2C must be disabled to set target address!\n", 0x0C55, 0x0C50},
    {"I2cSetTxMode(2)", [](UsbDevice* d) { return I2cSetTxMode(d, 2); }, IC_TAR,
     "\n I2C ERROR: I2C must be disabled to set Tx mode!\n", 0x0455, 0x0855},
    {"I2cSetTxMode(0)", [](UsbDevice* d) { return I2cSetTxMode(d, 0); }, IC_TAR,
     "\n I2C ERROR: I2C must be disabled to set Tx mode!\n", 0x0C55, 0x0055},
};

TEST(I2cBlock, ConfigurationIsReadModifyWriteWhileDisabled) {
  for (const auto& c : kConfigCases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = rig.Open();
    ASSERT_TRUE(I2cDisable(dev));
    I2cWriteReg(dev, c.reg, static_cast<uint16_t>(c.before));
    rig.ClearTrace();
    EXPECT_TRUE(c.configure(dev));
    EXPECT_EQ(rig.trace().Writes(), (Writes{{static_cast<uint16_t>(c.reg), c.after}}));
    EXPECT_EQ(rig.chip().Peek(static_cast<uint16_t>(c.reg)), c.after);
    EXPECT_EQ(rig.Diag(), "");
  }
}

TEST(I2cBlock, ConfigurationRefusedWhileEnabled) {
  for (const auto& c : kConfigCases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);
    const uint32_t before = rig.chip().Peek(static_cast<uint16_t>(c.reg));
    EXPECT_FALSE(c.configure(dev));
    EXPECT_EQ(rig.trace().Writes(), Writes{}) << "nothing written";
    EXPECT_EQ(rig.chip().Peek(static_cast<uint16_t>(c.reg)), before);
    EXPECT_EQ(rig.Diag(), c.refusal);
  }
}

TEST(I2cBlock, ClockSetup) {
  testing::SimRig rig;
  UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);
  EXPECT_TRUE(I2cClockSetup(dev));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{IC_ENABLE, 0}, {IC_SS_SCL_LCNT, 12}, {IC_SS_SCL_HCNT, 6}}));
  EXPECT_EQ(rig.Diag(), "");
}

TEST(I2cBlock, ClockSetupFailures) {
  {
    SCOPED_TRACE("bus stays busy");
    testing::SimRig rig;
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);
    testing::I2cUnit(rig).faults.busStuckBusy = true;
    const uint64_t start = rig.clock.NowUs();
    EXPECT_FALSE(I2cClockSetup(dev));
    EXPECT_GE(rig.clock.NowUs() - start, 1000000u) << "waited the full second";
    EXPECT_EQ(rig.trace().Writes(), Writes{});
    EXPECT_EQ(rig.Diag(), "\n Cannot disable I2C: I2C is Busy!\n");
  }
  {
    SCOPED_TRACE("block stays enabled");
    testing::SimRig rig;
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);
    testing::I2cUnit(rig).faults.enableStuckAfterReads = 0;
    EXPECT_FALSE(I2cClockSetup(dev));
    EXPECT_EQ(rig.trace().Writes(), (Writes{{IC_ENABLE, 0}}));
    EXPECT_EQ(rig.Diag(), "\n I2C ERROR: I2C must be disabled to set clock!\n");
  }
}

TEST(I2cBlock, ClearIntAcceptsOnlyTheClearRegisters) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60), sim::BoardDescription::Empty());
  UsbDevice* dev = testing::OpenI2c(rig, 0, 0xA0);  // nobody answers at 0xA0
  EXPECT_FALSE(VgaI2cWriteByte(dev, 0, 0));
  ASSERT_NE(I2cGetRawIntSts(dev) & kI2cRawIntTxAbort, 0);
  rig.ClearDiag();
  rig.ClearTrace();

  for (uint32_t wrong : {IC_RAW_INTR_STAT, IC_ENABLE, IC_CLR_INTR + 2, IC_CLR_GEN_CALL + 4}) {
    SCOPED_TRACE(wrong);
    I2cClearInt(dev, wrong);
    EXPECT_EQ(rig.Diag(), "\n I2C ERROR: Invalid register for interrupt clearing!\n");
    EXPECT_EQ(rig.trace().ReadAddresses(), std::vector<uint16_t>{static_cast<uint16_t>(wrong)}) << "read anyway";
    rig.ClearDiag();
    rig.ClearTrace();
  }

  EXPECT_EQ(I2cClearInt(dev, IC_CLR_TX_ABRT), 1) << "TX_ABRT was set";
  EXPECT_EQ(rig.Diag(), "");
  EXPECT_EQ(I2cGetRawIntSts(dev) & kI2cRawIntTxAbort, 0);
  EXPECT_EQ(I2cReadReg(dev, IC_TX_ABRT_SOURCE), 0);
  EXPECT_EQ(I2cClearInt(dev, IC_CLR_INTR), 1) << "STOP_DET and friends were still set";
  EXPECT_EQ(I2cGetRawIntSts(dev), 0x0010) << "only TX_EMPTY, which follows the FIFO level";
}

}  // namespace
}  // namespace zev
