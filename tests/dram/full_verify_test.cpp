#include <gtest/gtest.h>

#include <vector>

#include "device/chip/hw_init.h"
#include "device/dram/dram_tests.h"
#include "sim/units/data_port_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "tests/support/dram_faults.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using testing::DataPortAddresses;
using testing::DramFaults;

constexpr uint32_t kSmallRange = 0x4000;

// An adapter brought up, so the graphics engine takes memory-write packets.
UsbDevice* OpenAndBringUp(testing::SimRig& rig) {
  UsbDevice* dev = rig.Open();
  if (!GfxHwInit(dev)) ADD_FAILURE() << "bring-up failed";
  rig.ClearTrace();
  return dev;
}

std::vector<const sim::TraceEvent*> BulkPackets(const sim::Trace& trace) {
  std::vector<const sim::TraceEvent*> packets;
  for (const auto& event : trace.Events()) {
    if (event.kind == sim::TraceEvent::Kind::Bulk) packets.push_back(&event);
  }
  return packets;
}

TEST(DramVerifyFull, FillsZeroThenThePatternAndReadsEveryWord) {
  testing::SimRig rig;
  UsbDevice* dev = OpenAndBringUp(rig);
  const DramTestResult result = DramVerifyFull(dev, {.bytes = kSmallRange});
  EXPECT_EQ(result.status, ZEV_DRAM_VERIFY_PASS);
  EXPECT_EQ(result.address, static_cast<uint32_t>(ZEV_RESULT_UNSET));
  EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
  EXPECT_EQ(result.dataLine, ZEV_RESULT_UNSET);

  const auto packets = BulkPackets(rig.trace());
  ASSERT_EQ(packets.size(), 2u);
  for (const auto* packet : packets) EXPECT_EQ(packet->length, kSmallRange + 12);
  EXPECT_EQ(std::vector<uint8_t>(packets[0]->head.begin() + 12, packets[0]->head.begin() + 20),
            std::vector<uint8_t>(8, 0));
  EXPECT_EQ(std::vector<uint8_t>(packets[1]->head.begin() + 12, packets[1]->head.begin() + 20),
            (std::vector<uint8_t>{0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}))
      << "0x0123456789ABCDEF in memory order";

  const std::vector<uint32_t> addresses = DataPortAddresses(rig.trace());
  ASSERT_EQ(addresses.size(), kSmallRange / 8);
  for (uint32_t i = 0; i < addresses.size(); ++i) ASSERT_EQ(addresses[i], 8 * i);
  EXPECT_TRUE(rig.trace().Writes(DP_DATA0, DP_DATA1).empty()) << "the read-back only reads";
}

TEST(DramVerifyFull, BadCellIsReportedByItsAddress) {
  const struct {
    const char* what;
    uint32_t bytes;
    uint32_t cell;
    uint64_t ones, zeros;
  } cases[] = {
      {"a bit stuck at 1 near the end of a small range", kSmallRange, kSmallRange - 8, 1ull << 60, 0},
      {"a dead word within the full 32 MB", kDramCheckBytes, 0x1238, 0, ~0ull},
      {"a cell that keeps the first fill", kSmallRange, 0x2A0, 0, 0x0123456789ABCDEFull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;
    UsbDevice* dev = OpenAndBringUp(rig);
    DramFaults(rig).AddBadCell(c.cell, c.ones, c.zeros);
    const DramTestResult result = DramVerifyFull(dev, {.bytes = c.bytes});
    EXPECT_EQ(result.status, ZEV_DRAM_VERIFY_FAIL);
    EXPECT_EQ(result.address, c.cell);
    EXPECT_EQ(result.addressLine, ZEV_RESULT_UNSET);
    EXPECT_EQ(DataPortAddresses(rig.trace()).back(), c.cell) << "the read-back stops at the bad word";
  }
}

// A fill whose packet buffer cannot be allocated.
uint32_t NoBuffer(UsbDevice*, uint32_t, uint32_t, uint32_t, uint32_t, bool*) { return kDramBulkNoPacket; }

TEST(DramVerifyFull, FillFailuresEndItBeforeTheReadBack) {
  struct Case {
    const char* what;
    int failingFill;  // 0 first, 1 second
    bool allocation;  // else the engine stalls
    ZEV_STATUS status;
  };
  const Case cases[] = {
      {"no buffer for the first fill", 0, true, ZEV_LIB_FAILURE},
      {"no buffer for the second fill", 1, true, ZEV_LIB_FAILURE},
      {"the engine stalls on the first fill", 0, false, ZEV_DEV_COM_FAIL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;
    UsbDevice* dev = OpenAndBringUp(rig);
    if (!c.allocation) rig.chip().Find<sim::GraphicsEngineUnit>()->stall = true;
    int fills = 0;
    DramVerifyOptions options{.bytes = kSmallRange};
    options.fill = [&](UsbDevice* d, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end, bool* stalled) {
      const bool fail = fills++ == c.failingFill && c.allocation;
      return fail ? NoBuffer(d, lo, hi, start, end, stalled) : DramBulkFill(d, lo, hi, start, end, stalled);
    };
    const DramTestResult result = DramVerifyFull(dev, options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.address, static_cast<uint32_t>(ZEV_RESULT_UNSET));
    EXPECT_EQ(fills, c.failingFill + 1);
    EXPECT_TRUE(DataPortAddresses(rig.trace()).empty()) << "no word of an unfilled memory is read";
  }
}

TEST(DramVerifyFull, ReadFailureIsACommunicationFailureAtItsAddress) {
  testing::SimRig rig;
  UsbDevice* dev = OpenAndBringUp(rig);
  DramVerifyOptions options{.bytes = kSmallRange};
  int fills = 0;
  options.fill = [&](UsbDevice* d, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end, bool* stalled) {
    const uint32_t result = DramBulkFill(d, lo, hi, start, end, stalled);
    if (++fills == 2) rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
    return result;
  };
  const DramTestResult result = DramVerifyFull(dev, options);
  EXPECT_EQ(result.status, ZEV_DEV_COM_FAIL);
  EXPECT_EQ(result.address, 0u);
}

}  // namespace
}  // namespace zev
