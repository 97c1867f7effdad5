#include "zevutil/core/memory_api.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "device/chip/registers.h"
#include "sim/units/data_port_unit.h"
#include "sim/units/dram_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "sim/units/system_unit.h"
#include "tests/support/dram_faults.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/lib_frame.h"

namespace zev {
namespace {

using testing::DataPortAddresses;

// Nothing was opened and no transfer reached the adapter.
void ExpectDeviceUntouched(testing::SimRig& rig) {
  EXPECT_EQ(rig.backend.openTransports, 0);
  EXPECT_EQ(rig.trace().Counters().Transfers() + rig.trace().Counters().failedTransfers, 0u);
}

std::vector<uint8_t> Bytes(size_t n, uint8_t first = 1) {
  std::vector<uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

sim::DramMemory& Dram(testing::SimRig& rig) { return rig.chip().Find<sim::DramUnit>()->memory(); }

TEST(ZEVSetMemSize, HighestAddressSetsTheAddressBits) {
  const struct {
    uint32_t value;
    ZEV_STATUS status;
    uint32_t size;
    uint8_t bits;
  } cases[] = {
      {0x1FFFFFF, ZEV_SUCCESS, 0x1FFFFFF, 25}, {0x2000000, ZEV_SUCCESS, 0x2000000, 26},
      {0x3FFFFFF, ZEV_SUCCESS, 0x3FFFFFF, 26}, {1, ZEV_SUCCESS, 1, 1},
      {0x7FFFFFFF, ZEV_SUCCESS, 0x7FFFFFFF, 31}, {0x80000000, ZEV_LIB_FAILURE, 0x1FFFFFF, 25},
      {0xFFFFFFFF, ZEV_LIB_FAILURE, 0x1FFFFFF, 25}, {0, ZEV_INVALID_ARG, 0x1FFFFFF, 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "0x" << c.value);
    testing::SimRig rig;
    EXPECT_EQ(api::ZEVSetMemSize(rig.ctx(), c.value), c.status);
    EXPECT_EQ(api::ZEVGetMemSize(rig.ctx()), c.size);
    EXPECT_EQ(rig.ctx().gMemAddrBits, c.bits);
    ExpectDeviceUntouched(rig);
  }
}

TEST(ZEVSetODTnFrequency, OutOfRangeIndicesAreRefusedWithoutTheDevice) {
  const std::pair<uint32_t, uint32_t> cases[] = {{5, 1}, {1, 0}, {0, 1}, {1, 4}, {0xFFFFFFFF, 2}};
  for (const auto& [freq, odt] : cases) {
    SCOPED_TRACE(::testing::Message() << freq << ", " << odt);
    testing::SimRig rig;
    EXPECT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), freq, odt), ZEV_INVALID_ARG);
    EXPECT_EQ(rig.ctx().gFreqIndex, 4u);
    EXPECT_EQ(rig.ctx().gOdtIndex, 9u);
    ExpectDeviceUntouched(rig);
  }
}

TEST(ZEVGetODTnFrequency, ReportsTheStoredIndices) {
  testing::SimRig rig;
  EXPECT_EQ(api::ZEVGetODTnFrequency(rig.ctx(), nullptr), ZEV_INVALID_ARG);
  MemoryParams params{};
  ASSERT_EQ(api::ZEVGetODTnFrequency(rig.ctx(), &params), ZEV_SUCCESS);
  EXPECT_EQ(params.Freq, 4u);
  EXPECT_EQ(params.ODT, 9u);
  ExpectDeviceUntouched(rig);

  ASSERT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), 2, 1), ZEV_SUCCESS);
  ASSERT_EQ(api::ZEVGetODTnFrequency(rig.ctx(), &params), ZEV_SUCCESS);
  EXPECT_EQ(params.Freq, 2u);
  EXPECT_EQ(params.ODT, 1u);
}

TEST(ZEVSetODTnFrequency, BringsUpWithTheOldIndicesAndStoresTheNewOnes) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.ClearTrace();
  rig.ClearDiag();
  ASSERT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), 2, 1), ZEV_SUCCESS);
  EXPECT_EQ(rig.trace().Writes(DDR2_TIM0, DDR2_TIM0),
            (std::vector<std::pair<uint16_t, uint32_t>>{{DDR2_TIM0, 0x00030814}}))
      << "the DDR2-667 set of index 4";
  EXPECT_EQ(rig.trace().Writes(DDR2PHY_CTL_0, DDR2PHY_CTL_0).back().second & 0x33, 0u) << "ODT index 9 is off";
  EXPECT_NE(rig.Diag().find("Set DDR2_CLK to 333Mhz"), std::string::npos);
}

TEST(ZEVSetODTnFrequency, FailuresKeepTheStoredIndices) {
  {
    SCOPED_TRACE("bring-up fails");
    testing::SimRig rig;
    ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
    EXPECT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), 2, 1), ZEV_HDWRE_INIT_FAIL);
    EXPECT_EQ(rig.ctx().gFreqIndex, 4u);
    EXPECT_EQ(rig.ctx().gOdtIndex, 9u);
  }
  {
    SCOPED_TRACE("no adapter");
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    EXPECT_EQ(api::ZEVSetODTnFrequency(rig.ctx(), 2, 1), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(rig.ctx().gFreqIndex, 4u);
  }
}

TEST(ZEVDRAMAccess, ArgumentsAndRangeAreCheckedBeforeTheDevice) {
  uint8_t bytes[16] = {};
  struct Case {
    const char* what;
    bool write;
    uint8_t* data;
    uint32_t offset, length;
    uint8_t mode;
    ZEV_STATUS status;
  };
  const Case cases[] = {
      {"mode 2 even out of range", true, bytes, 0x7FFFFFFF, 0xFFFFFFFF, 2, ZEV_INVALID_ARG},
      {"no data", true, nullptr, 0, 8, 0, ZEV_INVALID_ARG},
      {"no buffer", false, nullptr, 0, 8, 0, ZEV_INVALID_ARG},
      {"write nothing", true, bytes, 0, 0, 1, ZEV_INVALID_ARG},
      {"read nothing", false, bytes, 0, 0, 0, ZEV_INVALID_ARG},
      {"write beyond the last address", true, bytes, 0x2000000, 1, 0, ZEV_INVALID_DRAM_ADD},
      {"read beyond the last address", false, bytes, 0x2000000, 1, 0, ZEV_INVALID_DRAM_ADD},
      {"the last address cannot end a range", true, bytes, 0x1FFFFFF, 1, 0, ZEV_DRAM_OUT_OF_BOUND},
      {"read running off the end", false, bytes, 0x1FFFFF0, 16, 0, ZEV_DRAM_OUT_OF_BOUND},
      // The sum wraps round in 32 bits.
      {"length near 4 GB", false, bytes, 0x100, 0xFFFFFFF0, 0, ZEV_DRAM_OUT_OF_BOUND},
      // Within offset + length, but the bytes start at the rounded-up offset 0x2000000
      // and would wrap round to address 0.
      {"rounded-up start past the end, write", true, bytes, 0x1FFFFF9, 6, 0, ZEV_DRAM_OUT_OF_BOUND},
      {"rounded-up start past the end, read", false, bytes, 0x1FFFFF9, 6, 0, ZEV_DRAM_OUT_OF_BOUND},
      {"rounded-up range past the end", true, bytes, 1, 0x1FFFFFE, 1, ZEV_DRAM_OUT_OF_BOUND},
      // Accepted: the device is asked, and there is none.
      {"last range that fits, write", true, bytes, 0x1FFFFF0, 15, 1, ZEV_DEV_COM_FAIL},
      {"last range that fits, read", false, bytes, 0x1FFFFF0, 15, 0, ZEV_DEV_COM_FAIL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;
    rig.adapter().Unplug();
    const ZEV_STATUS status = c.write ? api::ZEVDRAMWrite(rig.ctx(), c.data, c.offset, c.length, c.mode)
                                      : api::ZEVDRAMRead(rig.ctx(), c.data, c.offset, c.length);
    EXPECT_EQ(status, c.status);
    if (c.status != ZEV_DEV_COM_FAIL) ExpectDeviceUntouched(rig);
  }
}

TEST(ZEVDRAMAccess, ThirtyFiveBytesInOnePacketReadBackInFiveWords) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.ClearTrace();
  const std::vector<uint8_t> text(reinterpret_cast<const uint8_t*>("RAWDATA:1234567890ABCDEFGHIJKLMNOPQ"),
                                  reinterpret_cast<const uint8_t*>("RAWDATA:1234567890ABCDEFGHIJKLMNOPQ") + 35);
  ASSERT_EQ(api::ZEVDRAMWrite(rig.ctx(), text.data(), 0, 35, 0), ZEV_SUCCESS);
  ASSERT_EQ(rig.trace().Counters().bulkTransfers, 1u);
  EXPECT_EQ(rig.trace().Counters().bulkBytes, 47u);

  rig.ClearTrace();
  std::vector<uint8_t> buffer(100, 0xEE);
  ASSERT_EQ(api::ZEVDRAMRead(rig.ctx(), buffer.data(), 0, 35), ZEV_SUCCESS);
  EXPECT_EQ(DataPortAddresses(rig.trace()), (std::vector<uint32_t>{0, 8, 16, 24, 32}));
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 35), text);
  EXPECT_EQ(buffer[35], 0xEE) << "nothing stored beyond the length";
}

TEST(ZEVDRAMAccess, WordModeKeepsTheMemoryBeyondTheLastByte) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  Dram(rig).WriteWord(0x120, 0xAAAAAAAAAAAAAAAAull);
  rig.ClearTrace();
  const std::vector<uint8_t> data = Bytes(19);  // exactly 19 bytes: a read past them is a sanitizer error
  ASSERT_EQ(api::ZEVDRAMWrite(rig.ctx(), data.data(), 0x110, 19, 1), ZEV_SUCCESS);

  EXPECT_EQ(DataPortAddresses(rig.trace()), (std::vector<uint32_t>{0x110, 0x118, 0x120, 0x120}))
      << "the last word is read before it is written";
  EXPECT_EQ(rig.trace().Writes(DP_CMD, DP_CMD).at(2).second, 0xFF00u);
  EXPECT_EQ(Dram(rig).ReadWord(0x120), 0xAAAAAAAAAA131211ull);
  std::vector<uint8_t> back(19);
  Dram(rig).ReadBytes(0x110, back);
  EXPECT_EQ(back, data);
}

TEST(ZEVDRAMAccess, BothModesStoreFromTheRoundedUpOffset) {
  for (uint8_t mode : {0, 1}) {
    SCOPED_TRACE(::testing::Message() << "mode " << int{mode});
    testing::SimRig rig;
    ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    const std::vector<uint8_t> data = Bytes(16, 0x40);
    ASSERT_EQ(api::ZEVDRAMWrite(rig.ctx(), data.data(), 5, 16, mode), ZEV_SUCCESS);
    EXPECT_EQ(Dram(rig).ReadWord(8), 0x4746454443424140ull);
    EXPECT_EQ(Dram(rig).ReadWord(0), 0u);
    std::vector<uint8_t> back(16);
    ASSERT_EQ(api::ZEVDRAMRead(rig.ctx(), back.data(), 5, 16), ZEV_SUCCESS);
    EXPECT_EQ(back, data);
  }
}

TEST(ZEVDRAMAccess, DeviceFailuresDuringTheTransfer) {
  const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t buffer[8] = {};
  {
    SCOPED_TRACE("the engine stalls on the packet");
    testing::SimRig rig;
    ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    rig.chip().Find<sim::GraphicsEngineUnit>()->stall = true;
    EXPECT_EQ(api::ZEVDRAMWrite(rig.ctx(), data, 0, 8, 0), ZEV_LIB_FAILURE);
  }
  {
    SCOPED_TRACE("the data port never finishes");
    testing::SimRig rig;
    ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
    rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
    EXPECT_EQ(api::ZEVDRAMWrite(rig.ctx(), data, 0, 8, 1), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(api::ZEVDRAMRead(rig.ctx(), buffer, 0, 8), ZEV_DEV_COM_FAIL);
  }
}

TEST(ZEVDRAMAccess, ReopensARepluggedAdapterFirst) {
  testing::SimRig rig;
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.adapter().Unplug();
  rig.adapter().Plug();
  const uint8_t data[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  EXPECT_EQ(api::ZEVDRAMWrite(rig.ctx(), data, 0x40, 8, 1), ZEV_SUCCESS);
  EXPECT_EQ(Dram(rig).ReadWord(0x40), 0x0203040506070809ull);
}

}  // namespace
}  // namespace zev
