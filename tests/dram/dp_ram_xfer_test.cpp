#include "device/dram/dp_ram_xfer.h"

#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "sim/units/data_port_unit.h"
#include "sim/units/dram_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using Writes = std::vector<std::pair<uint16_t, uint32_t>>;
using Reads = std::vector<uint16_t>;

sim::DramMemory& Dram(testing::SimRig& rig) { return rig.chip().Find<sim::DramUnit>()->memory(); }

DpRamRequest WordWrite(uint32_t address, uint32_t lo, uint32_t hi) {
  DpRamRequest request;
  request.address = address;
  request.dataLo = lo;
  request.dataHi = hi;
  request.write = 1;
  return request;
}

DpRamRequest WordRead(uint32_t address) {
  DpRamRequest request;
  request.address = address;
  return request;
}

TEST(DpRamXfer, WriteStoresTheWordWithSevenTransfers) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  DpRamRequest request = WordWrite(0x100, 0x89ABCDEF, 0x01234567);

  ASSERT_TRUE(DpRamXfer(dev, &request));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DP_CSR, 0x001}, {DP_ADDR, 0x100}, {DP_DATA0, 0x89ABCDEF},
                                          {DP_DATA1, 0x01234567}, {DP_CMD, 0xFF01}, {DP_CSR, 0}}));
  EXPECT_EQ(rig.trace().ReadAddresses(), Reads{DP_CSR});
  EXPECT_EQ(Dram(rig).ReadWord(0x100), 0x0123456789ABCDEFull);
  EXPECT_TRUE(rig.Diag().empty());
}

TEST(DpRamXfer, ReadFillsBothHalvesWithSevenTransfers) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  Dram(rig).WriteWord(0x2000, 0xFEDCBA9876543210ull);
  DpRamRequest request = WordRead(0x2000);

  ASSERT_TRUE(DpRamXfer(dev, &request));
  EXPECT_EQ(request.dataLo, 0x76543210u);
  EXPECT_EQ(request.dataHi, 0xFEDCBA98u);
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DP_CSR, 0x001}, {DP_ADDR, 0x2000}, {DP_CMD, 0xFF00}, {DP_CSR, 0}}));
  EXPECT_EQ(rig.trace().ReadAddresses(), (Reads{DP_CSR, DP_DATA0, DP_DATA1}));
}

TEST(DpRamXfer, ThirtyTwoBitSizeUsesDataZeroOnly) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  DpRamRequest write = WordWrite(0x44, 0xCAFEF00D, 0x11111111);
  write.size = kDpSize32;
  ASSERT_TRUE(DpRamXfer(dev, &write));
  EXPECT_EQ(rig.trace().Writes(),
            (Writes{{DP_CSR, 0x121}, {DP_ADDR, 0x44}, {DP_DATA0, 0xCAFEF00D}, {DP_CMD, 0xFF01}, {DP_CSR, 0}}));
  EXPECT_EQ(Dram(rig).ReadWord(0x40), 0xCAFEF00D00000000ull) << "address bit 2 picks the upper half";

  rig.ClearTrace();
  DpRamRequest read = WordRead(0x44);
  read.size = kDpSize32;
  read.dataHi = 0x5555;
  ASSERT_TRUE(DpRamXfer(dev, &read));
  EXPECT_EQ(read.dataLo, 0xCAFEF00Du);
  EXPECT_EQ(read.dataHi, 0u);
  EXPECT_EQ(rig.trace().ReadAddresses(), (Reads{DP_CSR, DP_DATA0}));
}

TEST(DpRamXfer, PortThatNeverFinishesIsReportedAndNotReleased) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
  DpRamRequest request = WordRead(0x100);

  EXPECT_FALSE(DpRamXfer(dev, &request));
  EXPECT_EQ(rig.Diag(), "ERROR:  DpRamXfer() bad DP_CSR=0x00000001, s/b finished?\n");
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DP_CSR, 0x001}, {DP_ADDR, 0x100}, {DP_CMD, 0xFF00}}))
      << "DP_CSR is not written back to 0";
  EXPECT_EQ(rig.trace().ReadAddresses(), Reads{DP_CSR});
}

TEST(DpRamXfer, AnyFailedTransferEndsItWithoutALine) {
  struct Case {
    uint16_t failing;
    bool write;
    Writes writesDone;  // the writes that got through before the failure
  };
  const Case cases[] = {
      {DP_CSR, true, {}},
      {DP_ADDR, true, {{DP_CSR, 1}}},
      {DP_DATA0, true, {{DP_CSR, 1}, {DP_ADDR, 0x80}}},
      {DP_DATA1, true, {{DP_CSR, 1}, {DP_ADDR, 0x80}, {DP_DATA0, 7}}},
      {DP_CMD, true, {{DP_CSR, 1}, {DP_ADDR, 0x80}, {DP_DATA0, 7}, {DP_DATA1, 9}}},
      // Reads: DP_CSR is the status read and the release; the data registers are read.
      {DP_DATA0, false, {{DP_CSR, 1}, {DP_ADDR, 0x80}, {DP_CMD, 0xFF00}}},
      {DP_DATA1, false, {{DP_CSR, 1}, {DP_ADDR, 0x80}, {DP_CMD, 0xFF00}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "failing 0x" << c.failing << (c.write ? " write" : " read"));
    testing::SimRig rig;
    UsbDevice* dev = rig.Open();
    rig.adapter().faults().failAddresses.insert(c.failing);
    DpRamRequest request = c.write ? WordWrite(0x80, 7, 9) : WordRead(0x80);
    EXPECT_FALSE(DpRamXfer(dev, &request));
    EXPECT_EQ(rig.trace().Writes(), c.writesDone);
    EXPECT_TRUE(rig.Diag().empty());
  }
}

TEST(DpRamXfer, StatusReadFailureIsNotMistakenForDone) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().faults().failReadAddresses.insert(DP_CSR);
  DpRamRequest request = WordRead(0x80);
  EXPECT_FALSE(DpRamXfer(dev, &request));
  EXPECT_EQ(rig.trace().Writes(), (Writes{{DP_CSR, 1}, {DP_ADDR, 0x80}, {DP_CMD, 0xFF00}}));
  EXPECT_TRUE(rig.trace().ReadAddresses().empty()) << "no data register is read";
  EXPECT_TRUE(rig.Diag().empty());
}

TEST(DpRamXfer, WordEqualToTheReadFailureMarkerReadsBack) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  Dram(rig).WriteWord(0x18, 0xFFFAFFFFFFFAFFFFull);
  DpRamRequest request = WordRead(0x18);
  ASSERT_TRUE(DpRamXfer(dev, &request));
  EXPECT_EQ(request.dataLo, 0xFFFAFFFFu);
  EXPECT_EQ(request.dataHi, 0xFFFAFFFFu);
}

TEST(DpRamXfer, UnpluggedDeviceFails) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().Unplug();
  DpRamRequest request = WordWrite(0, 1, 2);
  EXPECT_FALSE(DpRamXfer(dev, &request));
  EXPECT_FALSE(DpRamXfer(nullptr, &request));
  EXPECT_FALSE(DpRamXfer(dev, nullptr));
}

}  // namespace
}  // namespace zev
