#include <gtest/gtest.h>

#include <vector>

#include "device/dram/dram_tests.h"
#include "sim/units/data_port_unit.h"
#include "tests/support/dram_faults.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using testing::DataPortAddresses;
using testing::DramFaults;

constexpr uint32_t kAddressBits32MB = 25;

TEST(DramAddressLineTest, HealthyMemoryPassesWithTheLineUnset) {
  testing::SimRig rig;
  const DramTestResult result = DramAddressLineTest(rig.Open(), kAddressBits32MB);
  EXPECT_EQ(result.status, ZEV_ADDRESS_LINE_PASS);
  EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.address, static_cast<uint32_t>(ZEV_RESULT_UNSET));
}

TEST(DramAddressLineTest, ProbesLinesThreeToTwentyFourWithNoUpWordForTheHighest) {
  testing::SimRig rig;
  ASSERT_EQ(DramAddressLineTest(rig.Open(), kAddressBits32MB).status, ZEV_ADDRESS_LINE_PASS);
  const std::vector<uint32_t> addresses = DataPortAddresses(rig.trace());

  std::vector<uint32_t> lines;
  for (uint32_t b = 3; b <= 24; ++b) lines.push_back(1u << b);
  // Signature writes, then their read-back, then 8 words per line (7 for the highest).
  ASSERT_EQ(addresses.size(), 22u + 22u + 21u * 8u + 6u);
  EXPECT_EQ(std::vector<uint32_t>(addresses.begin(), addresses.begin() + 22), lines);
  EXPECT_EQ(std::vector<uint32_t>(addresses.begin() + 22, addresses.begin() + 44), lines);
  EXPECT_EQ(std::vector<uint32_t>(addresses.begin() + 44, addresses.begin() + 52),
            (std::vector<uint32_t>{0, 0x18, 0xC, 0x8, 0, 0x18, 0xC, 0x8}))
      << "line 3: zero, up, down, marker; then read in the same order";
  EXPECT_EQ(std::vector<uint32_t>(addresses.end() - 6, addresses.end()),
            (std::vector<uint32_t>{0, 0x1800000, 0x1000000, 0, 0x1800000, 0x1000000}))
      << "line 24 has no line above it within 32 MB";
  for (uint32_t address : addresses) EXPECT_LT(address, 0x2000000u);
}

// A single stuck line never makes two probed addresses meet in the signature pass (each
// has one line set and the fault only changes that line's level), so the read-back
// passes. The neighbour pass of the line below catches it: there "up" is 2^(L-1) + 2^L,
// which the stuck line folds onto the word at 2^(L-1) (stuck at 0) or 2^(L-1) onto it
// (stuck at 1), and the marker written last reads back where a zero is expected. So a
// stuck line L is reported as L - 1; line 3 has no line below it and is caught at
// address 0 in its own round.
TEST(DramAddressLineTest, EveryStuckAddressLineFails) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  for (unsigned line = 3; line <= 24; ++line) {
    for (bool level : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "line " << line << " stuck at " << level);
      DramFaults(rig).Clear();
      ASSERT_TRUE(DramFaults(rig).StickAddressLine(line, level));
      const DramTestResult result = DramAddressLineTest(dev, kAddressBits32MB);
      EXPECT_EQ(result.status, ZEV_ADDRESS_LINE_FAIL);
      EXPECT_EQ(result.addressLine, static_cast<int32_t>(line == 3 ? 3 : line - 1));
      EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);
    }
  }
}

// Two shorted lines make their two probed addresses one word, so the read-back of the
// lower line finds the higher line's signature.
TEST(DramAddressLineTest, ShortedLinesFailInTheReadBackAtTheLowerLine) {
  const struct {
    unsigned a, b;
    sim::FaultyDram::Short kind;
  } cases[] = {{4, 5, sim::FaultyDram::Short::WiredAnd},
               {4, 5, sim::FaultyDram::Short::WiredOr},
               {3, 24, sim::FaultyDram::Short::WiredAnd},
               {17, 11, sim::FaultyDram::Short::WiredOr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "lines " << c.a << " and " << c.b);
    testing::SimRig rig;
    UsbDevice* dev = rig.Open();
    ASSERT_TRUE(DramFaults(rig).ShortAddressLines(c.a, c.b, c.kind));
    const DramTestResult result = DramAddressLineTest(dev, kAddressBits32MB);
    EXPECT_EQ(result.status, ZEV_ADDRESS_LINE_FAIL);
    EXPECT_EQ(result.addressLine, static_cast<int32_t>(std::min(c.a, c.b)));
    EXPECT_EQ(DataPortAddresses(rig.trace()).size(), 22u + 1u + (std::min(c.a, c.b) - 3))
        << "ended in the read-back pass";
  }
}

TEST(DramAddressLineTest, SizeSettingAboveTheMemoryFails) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  // 64 MB claimed, 32 MB fitted: the top line reaches nothing, so the words above
  // alias the ones below.
  DramTestResult result = DramAddressLineTest(dev, 26);
  EXPECT_EQ(result.status, ZEV_ADDRESS_LINE_FAIL);
  EXPECT_EQ(result.addressLine, 24);

  ASSERT_TRUE(rig.chip().Find<sim::DramUnit>()->array().SetSizeBytes(sim::DramArray::kLargeBytes));
  result = DramAddressLineTest(dev, 26);
  EXPECT_EQ(result.status, ZEV_ADDRESS_LINE_PASS);
}

TEST(DramAddressLineTest, TransferFailureNamesTheLineBeingWorkedOn) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
  const DramTestResult result = DramAddressLineTest(dev, kAddressBits32MB);
  EXPECT_EQ(result.status, ZEV_DEV_COM_FAIL);
  EXPECT_EQ(result.addressLine, 3);
  EXPECT_EQ(DataPortAddresses(rig.trace()), std::vector<uint32_t>{8}) << "nothing after the failed transfer";
}

TEST(DramDataLineTest, HealthyMemoryWalksAOneThenAZeroAtAddressZero) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  const DramTestResult result = DramDataLineTest(dev);
  EXPECT_EQ(result.status, ZEV_DATA_LINE_PASS);
  EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(DataPortAddresses(rig.trace()), std::vector<uint32_t>(256, 0));
  const auto data1 = rig.trace().Writes(DP_DATA1, DP_DATA1);
  const auto data0 = rig.trace().Writes(DP_DATA0, DP_DATA0);
  ASSERT_EQ(data0.size(), 128u);
  EXPECT_EQ(data0[5].second, 1u << 5);
  EXPECT_EQ(data1[40].second, 1u << 8);
  EXPECT_EQ(data0[64].second, ~1u) << "the walking zero starts at bit 0";
  EXPECT_EQ(data1[127].second, 0x7FFFFFFFu);
}

// A line stuck at 0 fails when the walking one reaches it. A line stuck at 1 fails at
// the first round, whose single one is elsewhere: at bit 0, or at bit 1 when the stuck
// line is bit 0 itself.
TEST(DramDataLineTest, EveryStuckDataLineFails) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  for (unsigned bit = 0; bit < 64; ++bit) {
    for (bool level : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "data bit " << bit << " stuck at " << level);
      DramFaults(rig).Clear();
      ASSERT_TRUE(DramFaults(rig).StickDataBit(bit, level));
      const DramTestResult result = DramDataLineTest(dev);
      EXPECT_EQ(result.status, ZEV_DATA_LINE_FAIL);
      const int32_t expected = level ? (bit == 0 ? 1 : 0) : static_cast<int32_t>(bit);
      EXPECT_EQ(result.dataLine, expected);
      EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
    }
  }
}

TEST(DramDataLineTest, TransferFailureNamesTheLine) {
  testing::SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
  const DramTestResult result = DramDataLineTest(dev);
  EXPECT_EQ(result.status, ZEV_DEV_COM_FAIL);
  EXPECT_EQ(result.dataLine, 0);
}

}  // namespace
}  // namespace zev
