// VgaI2cReadByte and VgaI2cWriteByte through the three transfer mechanisms.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/i2c_master.h"
#include "sim/devices/i2c_register_file.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using sim::I2cAddress;
using Lines = std::vector<std::string>;

// fpga60: plain FIFO; a0 and fpga70: old assist; rev1: new assist. The boards carry
// nothing on their buses but what a test attaches.
const char* const kVariants[] = {"fpga60", "a0", "fpga70", "rev1"};

TEST(VgaI2cTransfer, RoundTripOnBothBuses) {
  for (const char* variant : kVariants) {
    for (uint32_t port : {0u, 1u}) {
      SCOPED_TRACE(std::string(variant) + " port " + std::to_string(port));
      testing::SimRig rig(*sim::ChipVariant::Parse(variant), sim::BoardDescription::Empty());
      auto& i2c = testing::I2cUnit(rig);
      auto& selected = i2c.Bus(port).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xEC));
      auto& other = i2c.Bus(1 - port).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xEC));
      selected.Poke(0x80, 0xC3);
      UsbDevice* dev = testing::OpenI2c(rig, port, 0xEC);

      EXPECT_TRUE(VgaI2cWriteByte(dev, 0x12, 0x5A));
      EXPECT_TRUE(VgaI2cWriteByte(dev, 0xFF, 0x01));
      uint8_t byte = 0;
      EXPECT_TRUE(VgaI2cReadByte(dev, 0x12, &byte));
      EXPECT_EQ(byte, 0x5A);
      EXPECT_TRUE(VgaI2cReadByte(dev, 0x80, &byte));
      EXPECT_EQ(byte, 0xC3);
      EXPECT_TRUE(VgaI2cReadByte(dev, 0xFF, &byte));
      EXPECT_EQ(byte, 0x01);

      EXPECT_EQ(selected.Peek(0x12), 0x5A);
      EXPECT_EQ(selected.writes(), 2u);
      EXPECT_EQ(selected.reads(), 3u);
      EXPECT_EQ(other.writes() + other.reads(), 0u) << "the other bus saw nothing";
      EXPECT_EQ(rig.Diag(), "");
    }
  }
}

// The register transfers of one byte read and one byte write; the polls show the
// transfer taking a little while on the bus.
TEST(VgaI2cTransfer, RegisterSequencePerMechanism) {
  const struct {
    const char* variant;
    Lines read, write;
  } cases[] = {
      {"fpga60",
       {"R 1040", "W 1010=00000012", "W 1010=00000100", "R 1070", "R 1070", "R 1010", "R 1034"},
       {"R 1040", "W 1010=00000012", "W 1010=0000005A", "R 1070", "R 1070", "R 1070", "R 1034"}},
      {"a0",
       {"R 1040", "W 1110=20051200", "R 1110", "R 1110", "R 1110"},
       {"R 1040", "W 1110=2000125A", "R 1110", "R 1110", "R 1110"}},
      {"rev1",
       {"R 1040", "W 1100=28051200", "W 1100=A8051200", "R 1100", "R 1100", "R 1100"},
       {"R 1040", "W 1100=2800125A", "W 1100=A800125A", "R 1100", "R 1100", "R 1100"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant), sim::BoardDescription::Empty());
    auto& file = testing::I2cUnit(rig).Bus(0).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xA0));
    file.Poke(0x12, 0x77);
    UsbDevice* dev = testing::OpenI2c(rig, 2, 0xA0);
    uint8_t byte = 0;
    EXPECT_TRUE(VgaI2cReadByte(dev, 0x12, &byte));
    EXPECT_EQ(byte, 0x77);
    EXPECT_EQ(testing::RegisterAccesses(rig.trace()), c.read);
    rig.ClearTrace();
    EXPECT_TRUE(VgaI2cWriteByte(dev, 0x12, 0x5A));
    EXPECT_EQ(testing::RegisterAccesses(rig.trace()), c.write);
    EXPECT_EQ(file.Peek(0x12), 0x5A);
  }
}

TEST(VgaI2cReadByte, FifoAbsentTargetAbortsWithStatusAndDump) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60), sim::BoardDescription::Empty());
  UsbDevice* dev = testing::OpenI2c(rig, 2, 0xA0);  // no monitor
  uint8_t byte = 0;
  EXPECT_FALSE(VgaI2cReadByte(dev, 0, &byte));
  EXPECT_EQ(byte, 0xFF) << "the undriven bus";
  // The dump's data read finds the RX FIFO empty, which adds RX_UNDER (bit 0).
  EXPECT_EQ(rig.Diag(),
            "ERROR: VgaI2cReadByte() after read data, bad wRawIntSts=0x0750, s/b 0x0710\n"
            "ERROR: VgaI2cReadByte() after read data, TxAbort, TxAbortSrc=0x0001\n"
            "IC_CSR             = 0x00000000\n"
            "I2C_DATA_CMD       = 0x00000000\n"
            "I2C_INT_STAT       = 0x00000051\n"
            "I2C_RAW_INTR_STAT  = 0x00000751\n"
            "I2C_STATUS         = 0x00000006\n"
            "I2C_TX_ABRT_SOURCE = 0x00000001\n");
}

TEST(VgaI2cReadByte, FifoReadThatNeverGetsDataLeaves0xFF) {
  testing::SimRig rig(sim::ChipVariant::Fpga(60), sim::BoardDescription::Empty());
  testing::I2cUnit(rig).Bus(0).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xA0));
  UsbDevice* dev = testing::OpenI2c(rig, 2, 0xA0);
  testing::I2cUnit(rig).faults.busStuckBusy = true;
  uint8_t byte = 0;
  const uint64_t start = rig.clock.NowUs();
  EXPECT_FALSE(VgaI2cReadByte(dev, 0, &byte));
  EXPECT_EQ(byte, 0xFF);
  EXPECT_GE(rig.clock.NowUs() - start, 1000000u);
  // Two commands wait in the TX FIFO of a bus that never frees up.
  EXPECT_EQ(rig.Diag(),
            "\n ERROR:  VgaI2cReadByte() timed out waiting for RxFifo NotEmpty!\n"
            "IC_CSR             = 0x00000000\n"
            "I2C_DATA_CMD       = 0x00000000\n"
            "I2C_INT_STAT       = 0x00000011\n"
            "I2C_RAW_INTR_STAT  = 0x00000011\n"
            "I2C_STATUS         = 0x00000023\n"
            "I2C_TX_ABRT_SOURCE = 0x00000000\n");
}

TEST(VgaI2cReadByte, AssistFailureBitStillDeliversTheByte) {
  const struct {
    const char* variant;
    uint16_t commandRegister;
    const char* line;
  } cases[] = {
      {"a0", IC_CSR, "ERROR: VgaI2cReadByte() failed w/ old assist, RawIntSts=0x0710\n"},
      {"fpga70", IC_CSR, "ERROR: VgaI2cReadByte() failed w/ old assist, RawIntSts=0x0710\n"},
      {"rev1", IC_ACCESS, "ERROR: VgaI2cReadByte() failed w/ new assist, RawIntSts=0x0710\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant), sim::BoardDescription::Empty());
    // (0x76 on bus 1 is the FPGA boards' own SiI9134.)
    testing::I2cUnit(rig).Bus(1).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xEC)).Poke(0x12, 0x5A);
    UsbDevice* dev = testing::OpenI2c(rig, 1, 0xEC);
    rig.chip().SetStuckBits(c.commandRegister, {.high = 1u << 29});
    uint8_t byte = 0;
    EXPECT_FALSE(VgaI2cReadByte(dev, 0x12, &byte));
    EXPECT_EQ(byte, 0x5A);
    EXPECT_THAT(rig.Diag(), StartsWith(std::string(c.line) + "IC_CSR             = 0x"));
    EXPECT_THAT(rig.Diag(), HasSubstr("I2C_TX_ABRT_SOURCE = 0x00000000\n"));
  }
}

TEST(VgaI2cTransfer, AssistAbsentTarget) {
  const struct {
    const char* variant;
    const char* readLine;
    const char* writeLine;
  } cases[] = {
      {"a0", "ERROR: VgaI2cReadByte() failed w/ old assist, RawIntSts=0x0750\n",
       "ERROR: VgaI2cWriteByte() failed w/ old assist, RawIntSts=0x0750\n"},
      {"rev1", "ERROR: VgaI2cReadByte() failed w/ new assist, RawIntSts=0x0750\n",
       "ERROR: VgaI2cWriteByte() failed w/ new assist, RawIntSts=0x0750\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant), sim::BoardDescription::Empty());
    UsbDevice* dev = testing::OpenI2c(rig, 1, 0x76);
    uint8_t byte = 0;
    EXPECT_FALSE(VgaI2cReadByte(dev, 0x3A, &byte));
    EXPECT_EQ(byte, 0xFF);
    EXPECT_THAT(rig.Diag(), StartsWith(c.readLine));
    EXPECT_THAT(rig.Diag(), HasSubstr("I2C_TX_ABRT_SOURCE = 0x00000001\n"));
    rig.ClearDiag();
    EXPECT_FALSE(VgaI2cWriteByte(dev, 0x3A, 0));
    EXPECT_EQ(rig.Diag(), c.writeLine) << "the write path prints no dump";
  }
}

TEST(VgaI2cTransfer, AssistThatNeverFinishes) {
  const struct {
    const char* variant;
    bool read;
    const char* line;
  } cases[] = {
      {"a0", true, "ERROR:  VgaI2cReadByte() timed out w/ assist\n"},
      {"rev1", true, "ERROR:  VgaI2creadByte() timed out w/ assist\n"},
      {"a0", false, "ERROR:  VgaI2cWriteByte() timed out w/ assist\n"},
      {"rev1", false, "ERROR:  VgaI2cWriteByte() timed out w/ assist\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.variant) + (c.read ? " read" : " write"));
    testing::SimRig rig(*sim::ChipVariant::Parse(c.variant), sim::BoardDescription::Empty());
    testing::I2cUnit(rig).Bus(1).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0x76));
    UsbDevice* dev = testing::OpenI2c(rig, 1, 0x76);
    testing::I2cUnit(rig).faults.assistNeverFinishes = true;
    const uint64_t start = rig.clock.NowUs();
    uint8_t byte = 0;
    EXPECT_FALSE(c.read ? VgaI2cReadByte(dev, 0, &byte) : VgaI2cWriteByte(dev, 0, 0));
    const uint64_t waited = rig.clock.NowUs() - start;
    EXPECT_GE(waited, 100000u);
    EXPECT_LT(waited, 110000u) << "gives up after 100 ms";
    if (c.read) {
      EXPECT_EQ(byte, 0xFF);
      EXPECT_THAT(rig.Diag(), StartsWith(std::string(c.line) + "IC_CSR             = 0x"));
    } else {
      EXPECT_EQ(rig.Diag(), c.line);
    }
  }
}

TEST(VgaI2cWriteByte, FifoFailures) {
  {
    SCOPED_TRACE("absent target");
    testing::SimRig rig(sim::ChipVariant::Fpga(60), sim::BoardDescription::Empty());
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0xEC);
    EXPECT_FALSE(VgaI2cWriteByte(dev, 0x49, 0xC0));
    EXPECT_EQ(rig.Diag(),
              "ERROR: VgaI2cWriteByte() after send byte, bad wRawIntSts=0x0750, s/b 0x0710\n"
              "ERROR: VgaI2cWriteByte() after send RegAddr, TxAbort, TxAbortSrc=0x0001\n");
  }
  {
    SCOPED_TRACE("bus stays busy");
    testing::SimRig rig(sim::ChipVariant::Fpga(60), sim::BoardDescription::Empty());
    testing::I2cUnit(rig).Bus(0).Emplace<sim::I2cRegisterFile>(I2cAddress::EightBit(0xEC));
    UsbDevice* dev = testing::OpenI2c(rig, 0, 0xEC);
    testing::I2cUnit(rig).faults.busStuckBusy = true;
    EXPECT_FALSE(VgaI2cWriteByte(dev, 0x49, 0xC0));
    EXPECT_EQ(rig.Diag(),
              "ERROR: VgaI2cWriteByte() timed out sending byte\n"
              "ERROR: VgaI2cWriteByte() after send byte, bad wRawIntSts=0x0010, s/b 0x0710\n");
  }
}

// A device that stops answering part way: EDID-style reads of consecutive registers.
TEST(VgaI2cReadByte, TargetThatStopsAnsweringFailsThatByte) {
  struct HalfMonitor : sim::I2cRegisterFile {
    std::optional<uint8_t> ReadRegister(uint8_t reg) override {
      if (reg >= 8) return std::nullopt;
      return I2cRegisterFile::ReadRegister(reg);
    }
  };
  for (const char* variant : kVariants) {
    SCOPED_TRACE(variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(variant), sim::BoardDescription::Empty());
    testing::I2cUnit(rig).Bus(0).Emplace<HalfMonitor>(I2cAddress::EightBit(0xA0)).Poke(7, 0x42);
    UsbDevice* dev = testing::OpenI2c(rig, 2, 0xA0);
    uint8_t byte = 0;
    EXPECT_TRUE(VgaI2cReadByte(dev, 7, &byte));
    EXPECT_EQ(byte, 0x42);
    EXPECT_FALSE(VgaI2cReadByte(dev, 8, &byte));
    EXPECT_EQ(byte, 0xFF);
    EXPECT_THAT(rig.Diag(), HasSubstr("I2C_TX_ABRT_SOURCE = 0x00000001\n"));
  }
}

}  // namespace
}  // namespace zev
