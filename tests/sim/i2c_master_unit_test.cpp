#include "sim/units/i2c_master_unit.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "sim/devices/i2c_register_file.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

constexpr uint32_t kRead = 0x100;
constexpr uint32_t kTxAbrt = 1u << 6;
constexpr uint32_t kDone = 0x0710;  // TX_EMPTY, ACTIVITY, STOP_DET, START_DET
constexpr uint32_t kActivity = 1u << 0;
constexpr uint32_t kRxNotEmpty = 1u << 3;
constexpr uint64_t kLongUs = 100000;

// The chip model driven register by register, on the simulated clock, with nothing
// on the buses but what a test attaches.
struct MasterRig {
  explicit MasterRig(ChipVariant variant = ChipVariant::SiliconRev1())
      : rig(variant, BoardDescription::Empty()), chip(rig.chip()), i2c(*chip.Find<I2cMasterUnit>()) {}

  // Master, 7-bit addressing, target `address` (7-bit) on selector `selector`, enabled,
  // interrupts cleared.
  void Aim(uint8_t address, uint32_t selector = 0) {
    chip.Write(IC_ENABLE, 0);
    chip.Write(IC_CON, 0x2B);
    chip.Write(IC_TAR, address);
    chip.Write(I2C_SEL, selector);
    chip.Write(IC_ENABLE, 1);
    chip.Read(IC_CLR_INTR);
  }
  void Queue(std::initializer_list<uint32_t> commands) {
    for (uint32_t c : commands) chip.Write(IC_DATA_CMD, c);
  }
  void Wait(uint64_t us = kLongUs) { rig.clock.AdvanceUs(us); }

  testing::SimRig rig;
  Chip& chip;
  I2cMasterUnit& i2c;
};

TEST(I2cMasterUnit, WriteAndRestartReadTakeBusTime) {
  MasterRig m;
  auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  m.Aim(0x50);

  m.Queue({0x10, 0xAA, 0xBB});
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kActivity, kActivity);
  EXPECT_EQ(m.chip.Read(IC_TXFLR), 3u);
  m.Wait(DwI2cCore::kStartUs + 4 * DwI2cCore::kByteUs - 1);
  EXPECT_EQ(m.chip.Read(IC_TXFLR), 1u) << "the last data byte is still leaving";
  m.Wait();
  EXPECT_EQ(m.chip.Read(IC_STATUS), 0x6u) << "idle, TX FIFO empty";
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone);
  EXPECT_EQ(file.Peek(0x10), 0xAA);
  EXPECT_EQ(file.Peek(0x11), 0xBB);

  m.chip.Read(IC_CLR_INTR);
  m.Queue({0x10, kRead, kRead});
  EXPECT_EQ(m.chip.Read(IC_RXFLR), 0u);
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kRxNotEmpty, 0u);
  m.Wait();
  EXPECT_EQ(m.chip.Read(IC_RXFLR), 2u);
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kRxNotEmpty, kRxNotEmpty);
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone);
  EXPECT_EQ(m.chip.Read(IC_DATA_CMD), 0xAAu);
  EXPECT_EQ(m.chip.Read(IC_DATA_CMD), 0xBBu);
  EXPECT_EQ(m.chip.Read(IC_DATA_CMD), 0u) << "empty";
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone | 1u) << "RX_UNDER";
}

TEST(I2cMasterUnit, IdleTransferHoldsTheBusForTheNextCommand) {
  MasterRig m;
  auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  m.Aim(0x50);
  m.Queue({0x10});
  m.Wait(DwI2cCore::kStartUs + 2 * DwI2cCore::kByteUs + DwI2cCore::kHoldUs - 1);
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kActivity, kActivity) << "still held";
  m.Queue({0xAA});
  EXPECT_EQ(file.Peek(0x10), 0xAA) << "continued the transfer: a data byte";
  m.Wait(DwI2cCore::kByteUs + DwI2cCore::kHoldUs + DwI2cCore::kStopUs);
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kActivity, 0u) << "STOP sent";
  m.Queue({0xBB});
  m.Wait();
  EXPECT_EQ(file.writes(), 1u) << "a new transfer takes its first byte as the register address";
}

TEST(I2cMasterUnit, AbortSources) {
  struct RefusesFrom0x80 : I2cRegisterFile {
    bool WriteRegister(uint8_t reg, uint8_t value) override {
      ++attempts;
      return reg < 0x80 && I2cRegisterFile::WriteRegister(reg, value);
    }
    int attempts = 0;
  };
  // Nobody at the address.
  {
    MasterRig m;
    m.Aim(0x50);
    m.Queue({0x00, kRead});
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone | kTxAbrt);
    EXPECT_EQ(m.chip.Read(IC_TX_ABRT_SOURCE), 1u) << "7-bit address not acknowledged";
    EXPECT_EQ(m.chip.Read(IC_DATA_CMD), 0xFFu) << "the undriven bus";
  }
  // 10-bit addressing left on: the devices only answer 7-bit addresses.
  {
    MasterRig m;
    m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
    m.Aim(0x50);
    m.chip.Write(IC_ENABLE, 0);
    m.chip.Write(IC_CON, 0x3B);
    m.chip.Write(IC_ENABLE, 1);
    m.Queue({0x00, 0x01});
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_TX_ABRT_SOURCE), 2u);
  }
  // A data byte not acknowledged: the rest of the transfer is dropped.
  {
    MasterRig m;
    auto& target = m.i2c.Bus(0).Emplace<RefusesFrom0x80>(I2cAddress::SevenBit(0x50));
    m.Aim(0x50);
    m.Queue({0x7F, 1, 2, 3});
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT) & kTxAbrt, kTxAbrt);
    EXPECT_EQ(m.chip.Read(IC_TX_ABRT_SOURCE), 8u) << "data not acknowledged";
    EXPECT_EQ(target.Peek(0x7F), 1);
    EXPECT_EQ(target.attempts, 2) << "byte 3 never sent";
  }
}

TEST(I2cMasterUnit, InterruptsClearOnRead) {
  MasterRig m;
  m.Aim(0x50);
  m.Queue({0x00});
  m.Wait();
  EXPECT_EQ(m.chip.Read(IC_INTR_STAT), (kDone | kTxAbrt) & 0x8FF) << "masked by IC_INTR_MASK";
  EXPECT_EQ(m.chip.Read(IC_CLR_TX_ABRT), 1u);
  EXPECT_EQ(m.chip.Read(IC_CLR_TX_ABRT), 0u);
  EXPECT_EQ(m.chip.Read(IC_TX_ABRT_SOURCE), 0u);
  EXPECT_EQ(m.chip.Read(IC_CLR_STOP_DET), 1u);
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone & ~(1u << 9));
  EXPECT_EQ(m.chip.Read(IC_CLR_INTR), 1u);
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), 0x10u) << "TX_EMPTY follows the FIFO level";
  m.chip.Write(IC_ENABLE, 0);
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), 0u);
}

TEST(I2cMasterUnit, SelectorChoosesOneOfFourBuses) {
  MasterRig m;
  I2cRegisterFile* files[I2cMasterUnit::kBusCount];
  for (uint32_t bus = 0; bus < I2cMasterUnit::kBusCount; ++bus) {
    files[bus] = &m.i2c.Bus(bus).Emplace<I2cRegisterFile>(I2cAddress::EightBit(0xA0));
  }
  EXPECT_THROW(m.i2c.Bus(4), std::out_of_range);
  for (uint32_t selector = 0; selector < I2cMasterUnit::kBusCount; ++selector) {
    m.Aim(0x50, selector);
    m.Queue({selector, 0x10 + selector});
    m.Wait();
  }
  for (uint32_t bus = 0; bus < I2cMasterUnit::kBusCount; ++bus) {
    SCOPED_TRACE(bus);
    EXPECT_EQ(files[bus]->writes(), 1u);
    EXPECT_EQ(files[bus]->Peek(static_cast<uint8_t>(bus)), 0x10 + bus);
  }
}

TEST(I2cMasterUnit, EnableGatesConfigurationAndTheFifos) {
  MasterRig m;
  auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  file.Poke(0, 0x99);
  m.Aim(0x50);
  m.chip.Write(IC_TAR, 0x22);
  m.chip.Write(IC_CON, 0);
  EXPECT_EQ(m.chip.Read(IC_TAR), 0x50u) << "ignored while enabled";
  EXPECT_EQ(m.chip.Read(IC_CON), 0x2Bu);

  m.Queue({0x00, kRead});
  m.Wait();
  m.chip.Write(IC_ENABLE, 0);
  EXPECT_EQ(m.chip.Read(IC_RXFLR), 0u) << "disabling flushes the RX FIFO";
  m.Queue({0x00, kRead});
  m.Wait();
  EXPECT_EQ(file.reads(), 1u) << "commands are ignored while disabled";
  EXPECT_EQ(m.chip.Read(IC_TXFLR), 0u);
}

TEST(I2cMasterUnit, BusStuckBusy) {
  MasterRig m;
  m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  m.Aim(0x50);
  m.i2c.faults.busStuckBusy = true;
  for (int i = 0; i < 17; ++i) m.chip.Write(IC_DATA_CMD, kRead);
  m.Wait(10 * kLongUs);
  EXPECT_EQ(m.chip.Read(IC_STATUS) & kActivity, kActivity);
  EXPECT_EQ(m.chip.Read(IC_TXFLR), 16u);
  EXPECT_EQ(m.chip.Read(IC_RXFLR), 0u);
  EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT) & (1u << 3), 1u << 3) << "TX_OVER";
}

TEST(I2cMasterUnit, TargetsSurviveAChipReset) {
  MasterRig m;
  m.i2c.Bus(2).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  m.chip.PowerUp();
  EXPECT_TRUE(m.i2c.Bus(2).Acknowledges(0x50));
  EXPECT_EQ(m.chip.Read(IC_ENABLE), 0u);
  EXPECT_EQ(m.chip.Read(IC_TAR), 0x55u);
}

// The assist sequencer each chip generation carries.
TEST(I2cAssist, NoneOnEarlyFpgaBuilds) {
  MasterRig m(ChipVariant::Fpga(60));
  auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
  m.Aim(0x50);
  m.chip.Write(IC_CSR, 0x20051200);
  m.Wait();
  EXPECT_EQ(m.chip.Read(IC_CSR), 0x20051200u) << "plain storage";
  EXPECT_EQ(file.reads() + file.writes(), 0u);
}

TEST(I2cAssist, OldAssistStartsOnWrite) {
  for (auto variant : {ChipVariant::SiliconA0(), ChipVariant::Fpga(66), ChipVariant::Fpga(102)}) {
    SCOPED_TRACE(variant.Name());
    MasterRig m(variant);
    // (0x3B and 0x3F on bus 1 are the FPGA boards' own SiI9134.)
    auto& file = m.i2c.Bus(1).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x76));
    file.Poke(0x12, 0x7A);
    m.Aim(0x76, 1);
    m.chip.Write(IC_CSR, 0x20051200);
    EXPECT_EQ(m.chip.Read(IC_CSR), 0xA0051200u) << "busy";
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_CSR), 0x0005127Au) << "done: bit 29 clear, the byte read";
    m.chip.Write(IC_CSR, 0x20003455);
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_CSR), 0x00003455u);
    EXPECT_EQ(file.Peek(0x34), 0x55);
    m.chip.Write(IC_ACCESS, 0x12345678);
    EXPECT_EQ(m.chip.Read(IC_ACCESS), 0x12345678u) << "IC DATA0: plain storage";
  }
}

TEST(I2cAssist, NewAssistStartsOnTheGoBit) {
  for (auto variant : {ChipVariant::SiliconRev1(), ChipVariant::Fpga(103)}) {
    SCOPED_TRACE(variant.Name());
    MasterRig m(variant);
    auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
    file.Poke(0x12, 0x7A);
    m.Aim(0x50);
    m.chip.Write(IC_ACCESS, 0x28051200);
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_ACCESS), 0x28051200u) << "staged, not started";
    EXPECT_EQ(file.reads(), 0u);
    m.chip.Write(IC_ACCESS, 0xA8051200);
    EXPECT_EQ(m.chip.Read(IC_ACCESS), 0xA8051200u) << "busy";
    m.chip.Write(IC_ACCESS, 0xA8001300);
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_ACCESS), 0x0805127Au) << "the write while busy changed nothing";
    EXPECT_EQ(file.reads(), 1u);
    EXPECT_EQ(file.writes(), 0u);
    m.chip.Write(IC_CSR, 0x20051200);
    EXPECT_EQ(m.chip.Read(IC_CSR), 0x20051200u) << "SEQ DATA0: plain storage";
  }
}

TEST(I2cAssist, Failures) {
  {
    SCOPED_TRACE("absent target");
    MasterRig m(ChipVariant::SiliconA0());
    m.Aim(0x50);
    m.chip.Write(IC_CSR, 0x20051200);
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_CSR), 0x200512FFu);
    EXPECT_EQ(m.chip.Read(IC_RAW_INTR_STAT), kDone | kTxAbrt);
  }
  {
    SCOPED_TRACE("core disabled");
    MasterRig m(ChipVariant::SiliconRev1());
    auto& file = m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
    m.Aim(0x50);
    m.chip.Write(IC_ENABLE, 0);
    m.chip.Write(IC_ACCESS, 0xA8001234);
    m.Wait();
    EXPECT_EQ(m.chip.Read(IC_ACCESS), 0x28001234u);
    EXPECT_EQ(file.writes(), 0u);
  }
  {
    SCOPED_TRACE("never finishes");
    MasterRig m(ChipVariant::SiliconRev1());
    m.i2c.Bus(0).Emplace<I2cRegisterFile>(I2cAddress::SevenBit(0x50));
    m.Aim(0x50);
    m.i2c.faults.assistNeverFinishes = true;
    m.chip.Write(IC_ACCESS, 0xA8051200);
    m.Wait(10 * kLongUs);
    EXPECT_EQ(m.chip.Read(IC_ACCESS) >> 31, 1u);
  }
}

}  // namespace
}  // namespace zev::sim
