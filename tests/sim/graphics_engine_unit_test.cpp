#include "sim/units/graphics_engine_unit.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/chip/registers.h"
#include "device/dram/mem_write_packet.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"
#include "sim/units/standard_units.h"

namespace zev::sim {
namespace {

std::vector<uint8_t> Packet(uint32_t command, uint32_t length, uint32_t address, std::vector<uint8_t> payload) {
  std::vector<uint8_t> p;
  for (uint32_t word : {command, length, address}) {
    for (int i = 0; i < 4; ++i) p.push_back(static_cast<uint8_t>(word >> (8 * i)));
  }
  p.insert(p.end(), payload.begin(), payload.end());
  return p;
}

class GraphicsEngineTest : public ::testing::Test {
 protected:
  GraphicsEngineTest() : chip_(ChipVariant::SiliconRev1(), clock_) {
    AddStandardUnits(chip_);
    chip_.PowerUp();
    chip_.Write(GE_CTRL, 1);
  }
  uint64_t Word(uint32_t address) { return chip_.Find<DramUnit>()->memory().ReadWord(address); }
  GraphicsEngineUnit& Engine() { return *chip_.Find<GraphicsEngineUnit>(); }

  SimClock clock_;
  Chip chip_;
};

TEST_F(GraphicsEngineTest, MemoryWriteStoresThePayload) {
  EXPECT_TRUE(chip_.Bulk(Packet(MEM_WRITE_CMD, 12, 0x40, {1, 2, 3, 4, 5, 6, 7, 8})));
  EXPECT_EQ(Word(0x40), 0x0807060504030201ull);
  EXPECT_EQ(chip_.Read(GE_CMD_STATUS) & 3, 0u);
  EXPECT_EQ(Engine().memoryWrites(), 1u);
}

TEST_F(GraphicsEngineTest, ProblemsLeaveItStalledWithNothingStored) {
  struct Case {
    const char* what;
    std::vector<uint8_t> packet;
    bool stallFault;
  };
  const Case cases[] = {
      {"stall fault", Packet(MEM_WRITE_CMD, 12, 0x40, {1, 2, 3, 4, 5, 6, 7, 8}), true},
      {"payload shorter than announced", Packet(MEM_WRITE_CMD, 20, 0x40, {1, 2, 3, 4, 5, 6, 7, 8}), false},
      {"length field below 4", Packet(MEM_WRITE_CMD, 3, 0x40, {1}), false},
      {"header cut off", {0x08, 0xF7, 0, 0, 12, 0}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    chip_.PowerUp();
    chip_.Write(GE_CTRL, 1);
    Engine().stall = c.stallFault;
    EXPECT_TRUE(chip_.Bulk(c.packet));
    EXPECT_EQ(chip_.Read(GE_CMD_STATUS) & 3, GraphicsEngineUnit::kStatusStalled);
    EXPECT_EQ(Word(0x40), 0u);
    EXPECT_EQ(Engine().memoryWrites(), 0u);
  }
}

TEST_F(GraphicsEngineTest, BytesBeyondTheAnnouncedLengthAreIgnored) {
  EXPECT_TRUE(chip_.Bulk(Packet(MEM_WRITE_CMD, 8, 0x43, {1, 2, 3, 4, 5, 6, 7, 8})));
  EXPECT_EQ(Word(0x40), 0x04030201ull) << "address aligned down to its word";
}

TEST_F(GraphicsEngineTest, DisabledEngineDropsThePacket) {
  chip_.Write(GE_CTRL, 0);
  EXPECT_TRUE(chip_.Bulk(Packet(MEM_WRITE_CMD, 12, 0, {1, 2, 3, 4, 5, 6, 7, 8})));
  EXPECT_EQ(Word(0), 0u);
}

TEST_F(GraphicsEngineTest, OtherCommandsAreLeftToOtherUnits) {
  EXPECT_FALSE(chip_.Bulk(Packet(0xFD03, 24, 0, std::vector<uint8_t>(20))));
  EXPECT_FALSE(chip_.Bulk(std::vector<uint8_t>{0x08, 0xF7}));
}

}  // namespace
}  // namespace zev::sim
