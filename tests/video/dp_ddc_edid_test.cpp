// The monitor's EDID through the ANX9805's DDC master and its FIFO.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "device/video/dp_phy.h"
#include "tests/video/transmitter_test_rig.h"

namespace zev {
namespace {

using testing::CountOf;
using testing::DpRig;
using ::testing::StartsWith;
using Log = std::vector<sim::Anx9805::RegisterWrite>;
using Block = std::array<uint8_t, kDpEdidBlockSize>;

constexpr const char* kRegisterDump = "Analogix ANX9805 Registers:\n";

Block FirstBlock(const std::vector<uint8_t>& edid) {
  Block block{};
  std::copy_n(edid.begin(), block.size(), block.begin());
  return block;
}

TEST(DpDdcReadEDID, ReadsTheBlockInFifoBatches) {
  const std::vector<uint8_t> edid = testing::DataEdid("hp-lp2275w-dp.bin");
  ASSERT_EQ(edid.size(), 128u);
  const struct { uint32_t depth, batches; } cases[] = {{16, 8}, {128, 1}, {100, 2}, {24, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    DpRig t;
    t.ConnectMonitor(edid);
    t.anx.ddcMaster().fifoDepth = c.depth;
    Block block;
    block.fill(0xEE);
    EXPECT_TRUE(DpDdcReadEDID(t.dev, block));
    EXPECT_EQ(block, FirstBlock(edid));
    EXPECT_EQ(t.anx.ddcMaster().batches(), c.batches);
    EXPECT_EQ(t.anx.WriteLog(), (Log{{0x7A, 0x43, 0x06},
                                     {0x7A, 0x40, 0xA0},
                                     {0x7A, 0x41, 0x00},
                                     {0x7A, 0x42, 0x00},
                                     {0x7A, 0x44, 0x80},
                                     {0x7A, 0x45, 0x00},
                                     {0x7A, 0x43, 0x05},
                                     {0x7A, 0x43, 0x01}}));
    EXPECT_EQ(t.rig.Diag(), "");
  }
}

// 127 bytes count as the whole block: the read stops there and the last byte (the
// block's checksum) stays 0.
TEST(DpDdcReadEDID, StopsAt127Bytes) {
  const std::vector<uint8_t> edid = testing::DataEdid("hp-lp2275w-dp.bin");
  DpRig t;
  t.ConnectMonitor(edid);
  t.anx.ddcMaster().fifoDepth = 127;
  Block block{};
  EXPECT_TRUE(DpDdcReadEDID(t.dev, block));
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + 127, edid.begin()));
  EXPECT_EQ(block[127], 0);
  EXPECT_NE(edid[127], 0) << "the checksum byte that was not read";
  EXPECT_EQ(t.anx.ddcMaster().FifoCount(), 1u) << "the 128th byte is left in the FIFO";
}

// A DDC master that streams past the byte count it was given: the FIFO offers more than
// the block has room for, and only the block is written.
TEST(DpDdcReadEDID, NeverWritesPastTheBlock) {
  const std::vector<uint8_t> edid = testing::DataEdid("dell-p2415q-dp.bin");
  ASSERT_EQ(edid.size(), 256u);
  DpRig t;
  t.ConnectMonitor(edid);
  t.anx.ddcMaster().fifoDepth = 100;
  t.anx.ddcMaster().readsPastCount = true;
  struct {
    Block block;
    std::array<uint8_t, 64> guard;
  } memory;
  memory.block.fill(0xEE);
  memory.guard.fill(0xCC);
  EXPECT_TRUE(DpDdcReadEDID(t.dev, memory.block));
  EXPECT_EQ(memory.block, FirstBlock(edid));
  EXPECT_TRUE(std::all_of(memory.guard.begin(), memory.guard.end(), [](uint8_t b) { return b == 0xCC; }));
}

TEST(DpDdcReadEDID, NoMonitorTimesOutOnTheStatus) {
  DpRig t;
  Block block;
  block.fill(0xEE);
  EXPECT_FALSE(DpDdcReadEDID(t.dev, block));
  EXPECT_EQ(block, Block{}) << "cleared before the read";
  EXPECT_THAT(t.rig.Diag(), StartsWith("ERROR:  DpDdcReadEDID() timed out. DDC_STS=0x00000012\n"
                                       "===============================================================\n" +
                                       std::string(kRegisterDump)));
  EXPECT_EQ(CountOf(t.rig.Diag(), kRegisterDump), 1u);
  EXPECT_EQ(t.anx.WriteLog().back(), (sim::Anx9805::RegisterWrite{0x7A, 0x43, 0x05})) << "no read started";
}

// A monitor that stops answering half way: the FIFO stays empty until the read gives up.
TEST(DpDdcReadEDID, FifoThatStopsFillingTimesOut) {
  class HalfMonitor final : public sim::I2cRegisterFile {
   public:
    std::optional<uint8_t> ReadRegister(uint8_t reg) override {
      if (reg >= 64) return std::nullopt;
      return I2cRegisterFile::ReadRegister(reg);
    }
  };
  const std::vector<uint8_t> edid = testing::DataEdid("hp-lp2275w-dp.bin");
  DpRig t;
  t.anx.Ddc().Emplace<HalfMonitor>(sim::I2cAddress::EightBit(0xA0)).Load(edid);
  Block block{};
  const uint64_t start = t.rig.clock.NowUs();
  EXPECT_FALSE(DpDdcReadEDID(t.dev, block));
  EXPECT_GE(t.rig.clock.NowUs() - start, 1000000u);
  EXPECT_THAT(t.rig.Diag(), StartsWith("ERROR:  DpDdcReadEDID() timed out. DDC FIFO_CNT=0x00000000, dwBytes=64\n"
                                       "ERROR:  DpDdcReadEDID() timed out. DDC_STS=0x00000012\n"
                                       "===============================================================\n" +
                                       std::string(kRegisterDump)));
  EXPECT_TRUE(std::equal(block.begin(), block.begin() + 64, edid.begin()));
  EXPECT_TRUE(std::all_of(block.begin() + 64, block.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace zev
