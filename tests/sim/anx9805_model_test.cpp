// The virtual ANX9805: reset and power, AUX requests to the sink's DPCD, hardware link
// training, and the DDC master, driven register by register.
#include <gtest/gtest.h>

#include "sim/core/chip.h"
#include "sim/devices/anx9805.h"
#include "sim/devices/i2c_register_file.h"
#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

// An ANX9805 on a clock the test moves.
struct Model {
  uint64_t nowUs = 0;
  Anx9805 anx{[this] { return nowUs; }};

  void Write(uint8_t address, uint8_t reg, uint8_t value) { anx.Target(address).WriteRegister(reg, value); }
  uint8_t Read(uint8_t address, uint8_t reg) { return *anx.Target(address).ReadRegister(reg); }
  void PowerUp() {
    Write(0x72, 0x06, 0x02);
    Write(0x72, 0x06, 0x00);
    Write(0x72, 0x05, 0x00);
  }
  // Starts an AUX request of `length` bytes at DPCD `address`.
  void Aux(uint8_t request, uint32_t address, uint8_t length) {
    Write(0x70, 0xE6, static_cast<uint8_t>(address));
    Write(0x70, 0xE7, static_cast<uint8_t>(address >> 8));
    Write(0x70, 0xE8, static_cast<uint8_t>(address >> 16));
    Write(0x70, 0xE5, static_cast<uint8_t>((length - 1) << 4 | request));
    Write(0x70, 0xE9, 0x01);
  }
  uint8_t Train(uint8_t rate, uint8_t lanes) {
    Write(0x70, 0xA0, rate);
    Write(0x70, 0xA1, lanes);
    Write(0x70, 0xA8, 0x01);
    nowUs += anx.trainingTimeUs;
    return Read(0x70, 0xA8);
  }
};

TEST(Anx9805Model, ComesUpPoweredDownAndResetRestoresDefaults) {
  Model m;
  EXPECT_FALSE(m.anx.Powered());
  EXPECT_THROW(m.anx.Target(0x74), std::out_of_range);
  m.PowerUp();
  EXPECT_TRUE(m.anx.LinkPowered());
  EXPECT_EQ(m.Train(0x0A, 0x84), 0x00);
  m.Write(0x7A, 0x10, 0x5A);
  m.Write(0x72, 0x08, 0x85);
  EXPECT_TRUE(m.anx.VideoEnabled());

  m.Write(0x72, 0x06, 0x02);
  EXPECT_FALSE(m.anx.Powered()) << "held in reset";
  EXPECT_FALSE(m.anx.TrainedLink());
  EXPECT_EQ(m.anx.Peek(0x7A, 0x10), 0x00);
  EXPECT_EQ(m.anx.Peek(0x72, 0x08), 0x00);
  m.Write(0x72, 0x06, 0x00);
  EXPECT_FALSE(m.anx.Powered()) << "powered down by default";
  m.Write(0x72, 0x05, 0x01);
  EXPECT_TRUE(m.anx.Powered());
  EXPECT_FALSE(m.anx.LinkPowered());
}

TEST(Anx9805Model, AuxReadsAndWritesTheDpcd) {
  Model m;
  m.PowerUp();
  m.anx.PokeDpcd(0x200, 0x41);
  m.anx.PokeDpcd(0x201, 0x42);
  m.Aux(0x09, 0x200, 2);
  EXPECT_EQ(m.Read(0x70, 0xE9) & 1, 1) << "busy until the sink answers";
  m.nowUs += m.anx.auxTimeUs;
  EXPECT_EQ(m.Read(0x70, 0xE9) & 1, 0);
  EXPECT_EQ(m.Read(0x70, 0xE4) & 0x1F, 2);
  EXPECT_EQ(m.Read(0x70, 0xF0), 0x41);
  EXPECT_EQ(m.Read(0x70, 0xF1), 0x42);

  m.Write(0x70, 0xF0, 0x0A);
  m.Aux(0x08, 0x100, 1);
  m.nowUs += m.anx.auxTimeUs;
  m.Read(0x70, 0xE9);
  EXPECT_EQ(m.anx.PeekDpcd(0x100), 0x0A);

  m.anx.sinkConnected = false;
  m.Aux(0x09, 0x000, 2);
  m.nowUs += m.anx.auxTimeUs;
  EXPECT_EQ(m.Read(0x70, 0xE9) & 1, 0);
  EXPECT_EQ(m.Read(0x70, 0xE4) & 0x1F, 0) << "no reply";

  m.anx.auxNeverAnswers = true;
  m.Aux(0x09, 0x000, 2);
  m.nowUs += 1000000;
  EXPECT_EQ(m.Read(0x70, 0xE9) & 1, 1);
}

TEST(Anx9805Model, TrainingOutcomeFollowsTheSink) {
  const struct {
    uint8_t sinkRate, sinkLanes, rate, lanes, result;
  } cases[] = {
      {0x0A, 0x84, 0x0A, 0x84, 0x00}, {0x0A, 0x84, 0x06, 0x01, 0x00}, {0x06, 0x84, 0x0A, 0x84, 0x02},
      {0x0A, 0x82, 0x0A, 0x84, 0x02}, {0x0A, 0x84, 0x0A, 0x83, 0x02}, {0x0A, 0x84, 0x07, 0x84, 0x02},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << +c.sinkRate << "/" << +c.sinkLanes << " asked " << +c.rate << "/"
                                      << +c.lanes);
    Model m;
    m.PowerUp();
    m.anx.SetSinkCapabilities(c.sinkRate, c.sinkLanes);
    m.Write(0x70, 0xA0, c.rate);
    m.Write(0x70, 0xA1, c.lanes);
    m.Write(0x70, 0xA8, 0x01);
    m.nowUs += m.anx.trainingTimeUs - 1;
    EXPECT_EQ(m.Read(0x70, 0xA8), 0x01) << "still training";
    m.nowUs += 1;
    EXPECT_EQ(m.Read(0x70, 0xA8), c.result);
    EXPECT_EQ(m.anx.TrainedLink().has_value(), c.result == 0);
    if (c.result == 0) {
      EXPECT_EQ(m.anx.PeekDpcd(0x100), c.rate);
      EXPECT_EQ(m.anx.PeekDpcd(0x101), c.lanes);
    }
    EXPECT_EQ(m.Read(0x70, 0xB0) & 0x10, 0x10) << "PLL locked";
  }
}

TEST(Anx9805Model, TrainingFaults) {
  Model m;
  m.PowerUp();
  m.anx.trainingResult = 0x05;
  EXPECT_EQ(m.Train(0x0A, 0x84), 0x04) << "the forced result, never busy";
  m.anx.trainingResult.reset();
  m.anx.trainingNeverEnds = true;
  EXPECT_EQ(m.Train(0x0A, 0x84), 0x01);
  m.anx.pllLocks = false;
  EXPECT_EQ(m.Read(0x70, 0xB0) & 0x10, 0);
  m.anx.trainingNeverEnds = false;
  m.Write(0x72, 0x05, 0x01);  // link powered down
  EXPECT_EQ(m.Train(0x0A, 0x84), 0x02);
}

TEST(Anx9805Model, DdcMasterFillsTheFifoInBatches) {
  Model m;
  auto& monitor = m.anx.Ddc().Emplace<I2cRegisterFile>(I2cAddress::EightBit(0xA0));
  for (int i = 0; i < 256; ++i) monitor.Poke(static_cast<uint8_t>(i), static_cast<uint8_t>(i ^ 0x5A));
  m.Write(0x7A, 0x43, 0x06);
  EXPECT_EQ(m.Read(0x7A, 0x46), 0x00);
  m.Write(0x7A, 0x40, 0xA0);
  m.Write(0x7A, 0x41, 0x10);
  m.Write(0x7A, 0x44, 40);
  m.Write(0x7A, 0x45, 0);
  m.Write(0x7A, 0x43, 0x05);
  EXPECT_EQ(m.Read(0x7A, 0x46), 0x01) << "addressing";
  m.nowUs += m.anx.ddcMaster().addressTimeUs;
  EXPECT_EQ(m.Read(0x7A, 0x46), 0x10);
  m.Write(0x7A, 0x43, 0x01);
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> counts;
  while (bytes.size() < 40) {
    const uint8_t n = m.Read(0x7A, 0x48);
    ASSERT_GT(n, 0);
    counts.push_back(n);
    for (uint8_t i = 0; i < n; ++i) bytes.push_back(m.Read(0x7A, 0x47));
  }
  EXPECT_EQ(counts, (std::vector<uint8_t>{16, 16, 8}));
  for (size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], (0x10 + i) ^ 0x5A);
  EXPECT_EQ(m.Read(0x7A, 0x48), 0) << "the byte count is honoured";
  EXPECT_EQ(m.Read(0x7A, 0x46), 0x10);
  EXPECT_EQ(m.anx.ddcMaster().batches(), 3u);

  // Nobody at 0xA2.
  m.Write(0x7A, 0x40, 0xA2);
  m.Write(0x7A, 0x43, 0x05);
  m.nowUs += m.anx.ddcMaster().addressTimeUs;
  EXPECT_EQ(m.Read(0x7A, 0x46), 0x12);
}

TEST(Anx9805Model, AttachesAtItsThreeAddressesOnBus0) {
  testing::SimRig rig(ChipVariant::SiliconRev1(), BoardDescription::Empty());
  Anx9805& anx = AttachAnx9805(rig.chip());
  I2cBus& bus = rig.chip().Find<I2cMasterUnit>()->Bus(0);
  EXPECT_EQ(bus.Target(I2cAddress::SevenBit(0x38)), &anx.Target(0x70));
  EXPECT_EQ(bus.Target(I2cAddress::SevenBit(0x39)), &anx.Target(0x72));
  EXPECT_EQ(bus.Target(I2cAddress::SevenBit(0x3D)), &anx.Target(0x7A));
  // On the chip's clock: an AUX request takes time.
  bus.SetPointer(0x39, 0x05);
  bus.Write(0x39, 0x00);
  anx.Target(0x70).WriteRegister(0xE9, 0x01);
  EXPECT_EQ(*anx.Target(0x70).ReadRegister(0xE9) & 1, 1);
  rig.clock.AdvanceUs(anx.auxTimeUs);
  EXPECT_EQ(*anx.Target(0x70).ReadRegister(0xE9) & 1, 0);
}

}  // namespace
}  // namespace zev::sim
