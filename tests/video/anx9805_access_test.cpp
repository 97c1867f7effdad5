// ANX9805 register access, the register dump, and DPCD reads over the AUX channel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/chip/registers.h"
#include "device/video/anx9805.h"
#include "tests/video/transmitter_test_rig.h"

namespace zev {
namespace {

using testing::DpRig;
using ::testing::StartsWith;
using Log = std::vector<sim::Anx9805::RegisterWrite>;

constexpr const char* kRule = "===============================================================\n";

TEST(Anx9805i2cSetup, SelectsPort4OnBus0AndTheAddress) {
  for (const uint8_t address : {0x70, 0x72, 0x7A}) {
    DpRig t;
    EXPECT_TRUE(Anx9805i2cSetup(t.dev, address));
    EXPECT_EQ(t.rig.trace().Writes(I2C_SEL, I2C_SEL), (std::vector<std::pair<uint16_t, uint32_t>>{{I2C_SEL, 0}}));
    EXPECT_EQ(t.rig.chip().Peek(IC_TAR) & 0x3FF, address >> 1u);
  }
}

TEST(Anx9805Registers, ReadWriteAndFailedRead) {
  DpRig t;
  ASSERT_TRUE(Anx9805i2cSetup(t.dev, 0x72));
  Anx9805SetRegDW(t.dev, 0x09, 0x5A);
  EXPECT_EQ(t.anx.Peek(0x72, 0x09), 0x5A);
  EXPECT_EQ(Anx9805GetRegDW(t.dev, 0x09), 0x5Au);
  EXPECT_TRUE(Anx9805ModifyReg(t.dev, 0x09, 0x0A, 0x81));
  EXPECT_EQ(t.anx.Peek(0x72, 0x09), 0xD1);
  EXPECT_EQ(t.rig.Diag(), "");

  // Nobody at 0x7C: the read fails with the marker, the read-modify-write writes nothing.
  ASSERT_TRUE(VgaI2cSetTAR(t.dev, 0x7C));
  t.rig.ClearDiag();
  EXPECT_EQ(Anx9805GetRegDW(t.dev, 0x09), kAnx9805ReadFailed);
  EXPECT_THAT(t.rig.Diag(), ::testing::EndsWith("ERROR:  Anx9805GetRegDW() failed calling VgaI2cReadByte()\n"));
  t.rig.ClearTrace();
  EXPECT_FALSE(Anx9805ModifyReg(t.dev, 0x09, 0, 0x01));
  for (const auto& [address, value] : t.rig.trace().Writes(IC_ACCESS, IC_ACCESS)) {
    EXPECT_NE(value & 0x00010000, 0u) << "only read commands, not " << std::hex << value;
  }
  t.rig.ClearDiag();
  Anx9805SetRegDW(t.dev, 0x09, 0x01);
  EXPECT_THAT(t.rig.Diag(), ::testing::EndsWith("ERROR:  Anx9805SetRegDW() failed calling VgaI2cWriteByte()\n"));
}

TEST(Anx9805ShowRegs, ThreeBlocksOf256Registers) {
  DpRig t;
  t.anx.Poke(0x70, 0x01, 0x11);
  t.anx.Poke(0x72, 0xFF, 0xAB);
  t.anx.Poke(0x7A, 0x04, 0xC4);
  Anx9805ShowRegs(t.dev);
  const std::string& text = t.rig.Diag();
  EXPECT_THAT(
      text, StartsWith(std::string(kRule) + "Analogix ANX9805 Registers:\n"
                                            "TAR 0x70\n"
                                            " [0x0000] = 0x00;  [0x0001] = 0x11;  [0x0002] = 0x00;  [0x0003] = 0x00; \n"
                                            " [0x0004] = 0x00; "));
  EXPECT_NE(text.find(" [0x00FC] = 0x00;  [0x00FD] = 0x00;  [0x00FE] = 0x00;  [0x00FF] = 0xAB; \nTAR 0x7A\n"
                      " [0x0000] = 0x00;  [0x0001] = 0x00;  [0x0002] = 0x00;  [0x0003] = 0x00; \n"
                      " [0x0004] = 0xC4; "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(" [0x00FF] = 0x00; \nTAR 0x72\n"), std::string::npos);
  EXPECT_EQ(testing::CountOf(text, "] = 0x"), 3u * 256);
  EXPECT_THAT(text, ::testing::EndsWith(" [0x00FF] = 0x00; \n"));
}

TEST(Anx9805ShowRegs, StopsWhenTheBusCannotBeSelected) {
  DpRig t(sim::ChipVariant::Fpga(103));
  Anx9805ShowRegs(t.dev);
  EXPECT_EQ(t.rig.Diag(), std::string(kRule) +
                              "Analogix ANX9805 Registers:\n"
                              "TAR 0x70ERROR:  VgaI2cSetPort() bad dwPort=4, s/b 0-3\n"
                              "ERROR:  Anx9805i2cSetup() failed calling VgaI2cSetPort()\n"
                              "ERROR:  Anx9805ShowRegs() failed calling Anx9805i2cSetup()\n");
}

TEST(Anx9805ReadDpcdDW, AddressesTheSinkAndReadsTheFirstOfTwoBytes) {
  const struct {
    uint32_t address;
    uint8_t low, middle, high;
  } cases[] = {{0x00001, 0x01, 0x00, 0x0}, {0x00270, 0x70, 0x02, 0x0}, {0xF1234, 0x34, 0x12, 0xF}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    DpRig t;
    t.PowerUp();
    t.anx.PokeDpcd(0x270, 0x5C);
    uint32_t value = 0xDEAD;
    EXPECT_TRUE(Anx9805ReadDpcdDW(t.dev, c.address, &value));
    EXPECT_EQ(value, t.anx.PeekDpcd(c.address));
    EXPECT_EQ(t.anx.WriteLog(), (Log{{0x70, 0xE6, c.low},
                                     {0x70, 0xE7, c.middle},
                                     {0x70, 0xE8, c.high},
                                     {0x70, 0xE5, 0x09},
                                     {0x70, 0xE5, 0x19},
                                     {0x70, 0xE9, 0x01}}));
    EXPECT_EQ(t.rig.Diag(), "");
  }
  DpRig t;
  t.PowerUp();
  uint32_t value = 0;
  ASSERT_TRUE(Anx9805ReadDpcdDW(t.dev, 0x001, &value));
  EXPECT_EQ(value, 0x0Au) << "the sink's maximum link rate";
}

// The AUX channel is given 100 ms to answer (one status read after the deadline still
// counts, so the late answer comes well after it).
TEST(Anx9805ReadDpcdDW, AuxTimeout) {
  for (const uint64_t answerUs : {95000u, 120000u}) {
    SCOPED_TRACE(answerUs);
    DpRig t;
    t.PowerUp();
    t.anx.auxTimeUs = answerUs;
    uint32_t value = 0xDEAD;
    const bool ok = Anx9805ReadDpcdDW(t.dev, 0x000, &value);
    EXPECT_EQ(ok, answerUs < 100000);
    if (ok) {
      EXPECT_EQ(value, 0x11u);
      EXPECT_EQ(t.rig.Diag(), "");
    } else {
      EXPECT_EQ(value, 0xDEADu);
      EXPECT_THAT(t.rig.Diag(), StartsWith(std::string("ERROR:  Anx9805ReadDpcdDW() timed out 1000mS\n") + kRule +
                                           "Analogix ANX9805 Registers:\nTAR 0x70\n"));
    }
  }
}

// No sink on the connector, or the link not powered up.
TEST(Anx9805ReadDpcdDW, NoReply) {
  for (const bool sink : {false, true}) {
    SCOPED_TRACE(sink);
    DpRig t;
    if (!sink) {
      t.PowerUp();
      t.anx.sinkConnected = false;
    }
    uint32_t value = 0xDEAD;
    EXPECT_FALSE(Anx9805ReadDpcdDW(t.dev, 0x001, &value));
    EXPECT_EQ(value, 0xDEADu);
    EXPECT_THAT(t.rig.Diag(), StartsWith(std::string("ERROR: Anx9805ReadDpcdDW() data count not 1=0x00000000\n") +
                                         kRule + "Analogix ANX9805 Registers:\n"));
    EXPECT_EQ(testing::CountOf(t.rig.Diag(), "TAR 0x"), 3u);
  }
}

TEST(DpDumpDpcd, SectionsAndFields) {
  DpRig t;
  t.PowerUp();
  for (uint32_t a = 0; a < 0x280; ++a) t.anx.PokeDpcd(a, static_cast<uint8_t>(a));
  EXPECT_TRUE(DpDumpDpcd(t.dev));
  const std::string& text = t.rig.Diag();
  EXPECT_THAT(
      text, StartsWith(std::string(kRule) + "DPCD:\nReceiver Capability Field\n"
                                            " [0x0000] = 0x00;  [0x0001] = 0x01;  [0x0002] = 0x02;  [0x0003] = 0x03; \n"
                                            " [0x0004] = 0x04;  [0x0005] = 0x05;  [0x0006] = 0x06;  [0x0007] = 0x07; \n"
                                            " [0x0008] = 0x08;  [0x0009] = 0x09;  [0x000A] = 0x0A;  [0x000B] = 0x0B; \n"
                                            " [0x0080] = 0x80; "));
  EXPECT_NE(text.find(" [0x008F] = 0x8F; \nLink Config Field\n [0x0100] = 0x00; "), std::string::npos) << text;
  EXPECT_NE(text.find(" [0x0108] = 0x08; \nLink/Sink Status Field\n [0x0200] = 0x00; "), std::string::npos) << text;
  EXPECT_NE(text.find(" [0x020B] = 0x0B; \n [0x0210] = 0x10; "), std::string::npos) << text;
  EXPECT_THAT(text, ::testing::EndsWith(" [0x026F] = 0x6F; \n [0x0270] = 0x70; \n"));
  EXPECT_EQ(testing::CountOf(text, "] = 0x"), 12u + 16 + 9 + 12 + 97);
}

TEST(DpDumpDpcd, EndsAtTheFirstFailedRead) {
  DpRig t;
  t.anx.sinkConnected = false;
  EXPECT_FALSE(DpDumpDpcd(t.dev));
  EXPECT_THAT(t.rig.Diag(),
              StartsWith(std::string(kRule) + "DPCD:\nReceiver Capability Field"
                                              "ERROR: Anx9805ReadDpcdDW() data count not 1=0x00000000\n"));
  EXPECT_EQ(testing::CountOf(t.rig.Diag(), "] = 0x"), 3u * 256) << "only the register dump of the failed read";
  EXPECT_THAT(t.rig.Diag(), ::testing::EndsWith(" [0x00FF] = 0x00; \n\n"));
}

}  // namespace
}  // namespace zev
