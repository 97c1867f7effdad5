#include "sim/units/data_port_unit.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

// A chip with the standard units, driven straight through its register bus.
class DataPortTest : public ::testing::Test {
 protected:
  DataPortTest() : chip_(ChipVariant::SiliconRev1(), clock_) {
    AddStandardUnits(chip_);
    chip_.PowerUp();
  }
  DramMemory& Dram() { return chip_.Find<DramUnit>()->memory(); }
  DataPortUnit& Port() { return *chip_.Find<DataPortUnit>(); }

  void Run(uint32_t csr, uint32_t address, uint32_t command) {
    chip_.Write(DP_CSR, csr);
    chip_.Write(DP_ADDR, address);
    chip_.Write(DP_CMD, command);
  }

  SimClock clock_;
  Chip chip_;
};

TEST_F(DataPortTest, IdleReadsDoneArmedDoesNot) {
  EXPECT_EQ(chip_.Read(DP_CSR), 0x80000000u);
  chip_.Write(DP_CSR, 0xFFFFFFFF);
  EXPECT_EQ(chip_.Read(DP_CSR), 0x3F1u) << "size code and start bit; done cleared";
  chip_.Write(DP_CMD, 0xFF00);
  EXPECT_EQ(chip_.Read(DP_CSR), 0x800003F1u);
  chip_.Write(DP_CSR, 0);
  EXPECT_EQ(chip_.Read(DP_CSR), 0x80000000u);
}

TEST_F(DataPortTest, CommandRunsOnlyWhenArmed) {
  chip_.Write(DP_DATA0, 0x1234);
  chip_.Write(DP_ADDR, 0x10);
  chip_.Write(DP_CMD, 0xFF01);
  EXPECT_EQ(Dram().ReadWord(0x10), 0u);
  EXPECT_EQ(Port().transfers(), 0u);

  Run(1, 0x10, 0xFF01);
  EXPECT_EQ(Dram().ReadWord(0x10), 0x1234u);
  chip_.Write(DP_DATA0, 0x5678);
  chip_.Write(DP_CMD, 0xFF01);
  EXPECT_EQ(Dram().ReadWord(0x10), 0x1234u) << "a finished command needs the port armed again";
  EXPECT_EQ(Port().transfers(), 1u);
}

TEST_F(DataPortTest, ByteEnablesSelectTheBytesWritten) {
  Dram().WriteWord(0x18, 0x1111111111111111ull);
  chip_.Write(DP_DATA0, 0xAAAAAAAA);
  chip_.Write(DP_DATA1, 0xBBBBBBBB);
  Run(1, 0x18, 0x0F01 | 0x80 << 8);
  EXPECT_EQ(Dram().ReadWord(0x18), 0xBB111111AAAAAAAAull);
}

TEST_F(DataPortTest, AddressKeepsTwentySixBits) {
  chip_.Write(DP_ADDR, 0xFC000100);
  EXPECT_EQ(chip_.Read(DP_ADDR), 0x100u);
  Dram().WriteWord(0x100, 42);
  Run(1, 0x04000100, 0xFF00);
  EXPECT_EQ(chip_.Read(DP_DATA0), 42u);
}

TEST_F(DataPortTest, NeverDoneLeavesBitThirtyOneClearAndMemoryUntouched) {
  Port().neverDone = true;
  chip_.Write(DP_DATA0, 9);
  Run(1, 0x20, 0xFF01);
  EXPECT_EQ(chip_.Read(DP_CSR) & 0x80000000u, 0u);
  EXPECT_EQ(Dram().ReadWord(0x20), 0u);
}

TEST_F(DataPortTest, PowerUpLosesTheMemory) {
  chip_.Write(DP_DATA0, 9);
  Run(1, 0x20, 0xFF01);
  chip_.PowerUp();
  EXPECT_EQ(Dram().ReadWord(0x20), 0u);
  EXPECT_EQ(chip_.Read(DP_DATA0), 0u);
}

}  // namespace
}  // namespace zev::sim
