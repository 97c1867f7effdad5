// The three memory tests as exports: their checks, preamble and bring-up, and how the
// data-line test and the verification run the tests before them.
#include <gtest/gtest.h>

#include <string>

#include "device/chip/registers.h"
#include "sim/units/system_unit.h"
#include "tests/support/dram_faults.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/lib_frame.h"
#include "zevutil/core/memory_api.h"

namespace zev {
namespace {

using testing::DramFaults;

constexpr uint32_t kUnsetAddress = static_cast<uint32_t>(ZEV_RESULT_UNSET);
const DramVerifyOptions kSmallVerify{.bytes = 0x4000};

// A library context with valid indices (DDR2-667, ODT off), initialised.
struct ReadyRig : testing::SimRig {
  ReadyRig() {
    if (api::ZEVSetODTnFrequency(ctx(), 4, 3) != ZEV_SUCCESS) ADD_FAILURE() << "ZEVSetODTnFrequency failed";
    ClearTrace();
    ClearDiag();
  }
  int LiteResets() { return chip().Find<sim::SystemUnit>()->liteResets(); }
};

void ExpectFieldsUnset(const DramTestResult& result) {
  EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.address, kUnsetAddress);
}

DramTestResult RunTest(int which, LibContext& ctx) {
  switch (which) {
    case 0:
      return api::ZEVMemoryAddressLinesTest(ctx);
    case 1:
      return api::ZEVMemoryDataLinesTest(ctx);
    default:
      return api::ZEVVerifyFullDRAM(ctx, kSmallVerify);
  }
}

constexpr const char* kTestNames[] = {"address lines", "data lines", "full verification"};

TEST(MemoryTests, HealthyMemoryPassesAllThreeWithTheFieldsUnset) {
  const struct {
    ZEV_STATUS pass;
    int bringUps;  // each test's own, and those of the tests it runs first
  } expected[] = {{ZEV_ADDRESS_LINE_PASS, 1}, {ZEV_DATA_LINE_PASS, 2}, {ZEV_DRAM_VERIFY_PASS, 4}};
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(kTestNames[which]);
    ReadyRig rig;
    const int before = rig.LiteResets();
    const DramTestResult result = RunTest(which, rig.ctx());
    EXPECT_EQ(result.status, expected[which].pass);
    ExpectFieldsUnset(result);
    EXPECT_EQ(rig.LiteResets() - before, expected[which].bringUps);
  }
}

TEST(MemoryTests, StoredIndicesAreCheckedBeforeTheDevice) {
  const struct {
    const char* what;
    uint32_t freq, odt;
    ZEV_STATUS status;
  } cases[] = {
      {"fresh library: ODT index 9", 4, 9, ZEV_INVALID_ODT},
      {"frequency index 0", 0, 1, ZEV_INVALID_FREQUENCY},
      {"both invalid: the frequency first", 5, 0, ZEV_INVALID_FREQUENCY},
  };
  for (const auto& c : cases) {
    for (int which = 0; which < 3; ++which) {
      SCOPED_TRACE(::testing::Message() << c.what << ", " << kTestNames[which]);
      testing::SimRig rig;
      rig.ctx().gFreqIndex = c.freq;
      rig.ctx().gOdtIndex = c.odt;
      const DramTestResult result = RunTest(which, rig.ctx());
      EXPECT_EQ(result.status, c.status);
      ExpectFieldsUnset(result);
      EXPECT_EQ(rig.backend.openTransports, 0);
      EXPECT_EQ(rig.trace().Counters().Transfers(), 0u);
    }
  }
}

TEST(MemoryTests, ConnectionAndBringUpFailures) {
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(kTestNames[which]);
    {
      ReadyRig rig;
      rig.adapter().Unplug();
      const DramTestResult result = RunTest(which, rig.ctx());
      EXPECT_EQ(result.status, ZEV_DEV_COM_FAIL);
      ExpectFieldsUnset(result);
    }
    {
      ReadyRig rig;
      rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
      const DramTestResult result = RunTest(which, rig.ctx());
      EXPECT_EQ(result.status, ZEV_HDWRE_INIT_FAIL);
      ExpectFieldsUnset(result);
    }
  }
}

TEST(MemoryTests, DataLineTestRunsAtTheClockAndTerminationSetBefore) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), 2, 1), ZEV_SUCCESS);
  MemoryParams params{};
  ASSERT_EQ(api::ZEVGetODTnFrequency(rig.ctx(), &params), ZEV_SUCCESS);
  EXPECT_EQ(params.Freq, 2u);
  EXPECT_EQ(params.ODT, 1u);
  rig.ClearTrace();
  rig.ClearDiag();

  EXPECT_EQ(api::ZEVMemoryDataLinesTest(rig.ctx()).status, ZEV_DATA_LINE_PASS);
  // Two bring-ups (the test's own and the address-line test's), both for DDR2-400:
  // the 200 MHz PLL setting, the 100 MHz system clock's parameter set, and 75 ohm at
  // the memory (extended mode register bit 2) and at the chip (PHY bits 0 and 4).
  const auto timing = rig.trace().Writes(DDR2_TIM0, DDR2_TIM0);
  const auto memoryOdt = rig.trace().Writes(DDR2_CTRL1, DDR2_CTRL1);
  const auto phyOdt = rig.trace().Writes(DDR2PHY_CTL_0, DDR2PHY_CTL_0);
  ASSERT_EQ(timing.size(), 2u);
  ASSERT_EQ(memoryOdt.size(), 2u);
  ASSERT_EQ(phyOdt.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(timing[i].second, 0x0002080Bu);
    EXPECT_EQ(memoryOdt[i].second & 0x44, 0x04u);
    EXPECT_EQ(phyOdt[i].second & 0x33, 0x11u);
  }
  const std::string banner =
      "\n*****************************\n*   Set DDR2_CLK to 200Mhz  *\n*****************************\n";
  const std::string pll = " config_sys_clk():  setting clk_ddr 200.000 MHz (400/2) hand-optimized values\n";
  const std::string ddr2 = " sysclk is 100, so calling new nw DDR2-400 code\n";
  EXPECT_EQ(rig.Diag(), banner + pll + ddr2 + banner + pll + ddr2);
}

TEST(MemoryTests, LaterTestsReportTheFirstFailingTestsRecord) {
  struct Case {
    const char* what;
    void (*fault)(sim::FaultyDram&);
    int which;
    DramTestResult expected;  // dataLine, addressLine, address, status
  };
  const Case cases[] = {
      {"address line 9 stuck, data-line test", [](sim::FaultyDram& f) { f.StickAddressLine(9, true); }, 1,
       {ZEV_RESULT_UNSET, 8, kUnsetAddress, ZEV_ADDRESS_LINE_FAIL}},
      {"address line 9 stuck, verification", [](sim::FaultyDram& f) { f.StickAddressLine(9, false); }, 2,
       {ZEV_RESULT_UNSET, 8, kUnsetAddress, ZEV_ADDRESS_LINE_FAIL}},
      // The address-line test's signatures set every high-half line, so they find a
      // high-half line stuck at 0 first.
      {"data bit 37 stuck at 0, data-line test", [](sim::FaultyDram& f) { f.StickDataBit(37, false); }, 1,
       {ZEV_RESULT_UNSET, 3, kUnsetAddress, ZEV_ADDRESS_LINE_FAIL}},
      // Neither the signatures nor the marker set bit 26: only the walking one finds it.
      {"data bit 26 stuck at 0, data-line test", [](sim::FaultyDram& f) { f.StickDataBit(26, false); }, 1,
       {26, ZEV_RESULT_UNSET, kUnsetAddress, ZEV_DATA_LINE_FAIL}},
      {"data bit 26 stuck at 0, verification", [](sim::FaultyDram& f) { f.StickDataBit(26, false); }, 2,
       {26, ZEV_RESULT_UNSET, kUnsetAddress, ZEV_DATA_LINE_FAIL}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReadyRig rig;
    c.fault(DramFaults(rig));
    const DramTestResult result = RunTest(c.which, rig.ctx());
    EXPECT_EQ(result.status, c.expected.status);
    EXPECT_EQ(result.dataLine, c.expected.dataLine);
    EXPECT_EQ(result.addressLine, c.expected.addressLine);
    EXPECT_EQ(result.address, c.expected.address);
    EXPECT_EQ(rig.trace().Counters().bulkTransfers, 0u) << "no fill after a failed line test";
  }
}

TEST(ZEVVerifyFullDRAM, BadCellInTheFull32MBIsReportedByAddress) {
  ReadyRig rig;
  DramFaults(rig).AddBadCell(0x12340, 0, 1);
  const DramTestResult result = api::ZEVVerifyFullDRAM(rig.ctx());
  EXPECT_EQ(result.status, ZEV_DRAM_VERIFY_FAIL);
  EXPECT_EQ(result.address, 0x12340u);
  EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(rig.trace().Counters().bulkBytes, 2u * (0x2000000u + 12u)) << "two fills of the 32 MB";
}

TEST(ZEVVerifyFullDRAM, FillBufferThatCannotBeAllocatedFailsTheVerification) {
  ReadyRig rig;
  DramVerifyOptions options;
  options.fill = [](UsbDevice*, uint32_t, uint32_t, uint32_t, uint32_t, bool*) { return uint32_t{kDramBulkNoPacket}; };
  const DramTestResult result = api::ZEVVerifyFullDRAM(rig.ctx(), options);
  EXPECT_EQ(result.status, ZEV_LIB_FAILURE);
  ExpectFieldsUnset(result);
}

}  // namespace
}  // namespace zev
