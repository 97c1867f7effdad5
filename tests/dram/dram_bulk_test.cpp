#include "device/dram/dram_bulk.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "device/chip/registers.h"
#include "device/dram/mem_write_packet.h"
#include "device/usb/register_access.h"
#include "sim/units/dram_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using sim::TraceEvent;

sim::DramMemory& Dram(testing::SimRig& rig) { return rig.chip().Find<sim::DramUnit>()->memory(); }

// An open adapter whose graphics engine is enabled, as after a bring-up.
UsbDevice* OpenWithEngine(testing::SimRig& rig) {
  UsbDevice* dev = rig.Open();
  GfxSetRegDW(dev, GE_CTRL, 1);
  rig.ClearTrace();
  return dev;
}

std::vector<const TraceEvent*> BulkEvents(const sim::Trace& trace) {
  std::vector<const TraceEvent*> bulk;
  for (const auto& e : trace.Events()) {
    if (e.kind == TraceEvent::Kind::Bulk) bulk.push_back(&e);
  }
  return bulk;
}

std::vector<uint8_t> DramBytes(testing::SimRig& rig, uint32_t address, size_t n) {
  std::vector<uint8_t> bytes(n);
  Dram(rig).ReadBytes(address, bytes);
  return bytes;
}

TEST(MemWritePacket, HeaderOfTwentyFourBytesAtAddress0x40) {
  MemWritePacket packet(0x40, 24);
  ASSERT_TRUE(packet.valid());
  EXPECT_EQ(packet.size(), 36u);
  EXPECT_EQ(packet.payloadSize(), 24u);
  const std::vector<uint8_t> header(packet.bytes(), packet.bytes() + kMemWriteHeaderBytes);
  EXPECT_EQ(header, (std::vector<uint8_t>{0x08, 0xF7, 0, 0, 0x1C, 0, 0, 0, 0x40, 0, 0, 0}));
  EXPECT_EQ(packet.payload(), packet.bytes() + 12);
}

TEST(MemWritePacket, PayloadThatCannotFitOneTransferIsRefused) {
  EXPECT_TRUE(MemWritePacket(0, 0).valid());
  EXPECT_FALSE(MemWritePacket(0, kMemWriteMaxPayload + 1).valid());
  EXPECT_FALSE(MemWritePacket(0, UINT32_MAX).valid());
}

TEST(DramBulkWrite, SendsOnePacketThenReadsTheEngineStatus) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWithEngine(rig);
  std::vector<uint8_t> data(24);
  std::iota(data.begin(), data.end(), uint8_t{0xA0});

  EXPECT_EQ(DramBulkWrite(dev, data.data(), 0x40, 24), kDramBulkOk);
  const auto bulk = BulkEvents(rig.trace());
  ASSERT_EQ(bulk.size(), 1u);
  EXPECT_EQ(bulk[0]->length, 36u);
  std::vector<uint8_t> expected{0x08, 0xF7, 0, 0, 0x1C, 0, 0, 0, 0x40, 0, 0, 0};
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(bulk[0]->head, expected);
  EXPECT_EQ(rig.trace().ReadAddresses(), std::vector<uint16_t>{GE_CMD_STATUS});
  EXPECT_TRUE(rig.trace().Writes().empty());
  EXPECT_EQ(DramBytes(rig, 0x40, 24), data);
}

TEST(DramBulkWrite, UnalignedOffsetIsRoundedUpToTheNextWord) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWithEngine(rig);
  std::vector<uint8_t> data(16);
  std::iota(data.begin(), data.end(), uint8_t{1});

  EXPECT_EQ(DramBulkWrite(dev, data.data(), 5, 16), kDramBulkOk);
  const auto bulk = BulkEvents(rig.trace());
  ASSERT_EQ(bulk.size(), 1u);
  EXPECT_EQ(bulk[0]->length, 28u);
  EXPECT_EQ(bulk[0]->head[8], 8) << "destination address";
  EXPECT_EQ(DramBytes(rig, 8, 16), data);
  EXPECT_EQ(DramBytes(rig, 0, 8), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(DramBytes(rig, 24, 8), std::vector<uint8_t>(8, 0));
}

TEST(DramBulkFill, StoresTheHalvesSwapped) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWithEngine(rig);
  EXPECT_EQ(DramBulkFill(dev, 0x89ABCDEF, 0x01234567, 0x100, 0x140), kDramBulkOk);
  for (uint32_t a = 0x100; a < 0x140; a += 8) EXPECT_EQ(Dram(rig).ReadWord(a), 0x89ABCDEF01234567ull) << a;
  EXPECT_EQ(Dram(rig).ReadWord(0xF8), 0u);
  EXPECT_EQ(Dram(rig).ReadWord(0x140), 0u);
  const auto bulk = BulkEvents(rig.trace());
  ASSERT_EQ(bulk.size(), 1u);
  EXPECT_EQ(bulk[0]->length, 12u + 0x40);
}

TEST(DramBulkFill, RangeFromTheRoundedUpStartToTheEnd) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWithEngine(rig);
  // Start 0x103 begins at 0x108; an end inside a word fills that word's leading bytes.
  EXPECT_EQ(DramBulkFill(dev, 0x89ABCDEF, 0x01234567, 0x103, 0x114), kDramBulkOk);
  EXPECT_EQ(Dram(rig).ReadWord(0x100), 0u);
  EXPECT_EQ(Dram(rig).ReadWord(0x108), 0x89ABCDEF01234567ull);
  EXPECT_EQ(Dram(rig).ReadWord(0x110), 0x0000000001234567ull);
  EXPECT_EQ(BulkEvents(rig.trace())[0]->length, 12u + 12);
}

TEST(DramBulkFill, WholeMemoryInOneTransfer) {
  for (uint32_t size : {sim::DramArray::kDefaultBytes, sim::DramArray::kLargeBytes}) {
    SCOPED_TRACE(size);
    testing::SimRig rig;
    ASSERT_TRUE(rig.chip().Find<sim::DramUnit>()->array().SetSizeBytes(size));
    UsbDevice* dev = OpenWithEngine(rig);
    EXPECT_EQ(DramBulkFill(dev, 0x01234567, 0x89ABCDEF, 0, 0x2000000), kDramBulkOk);
    const auto bulk = BulkEvents(rig.trace());
    ASSERT_EQ(bulk.size(), 1u);
    EXPECT_EQ(bulk[0]->length, 0x2000000u + 12);
    EXPECT_EQ(Dram(rig).ReadWord(0), 0x0123456789ABCDEFull);
    EXPECT_EQ(Dram(rig).ReadWord(0x1FFFFF8), 0x0123456789ABCDEFull);
    EXPECT_EQ(Dram(rig).ReadWord(0x2000000), size == sim::DramArray::kLargeBytes ? 0u : 0x0123456789ABCDEFull)
        << "a 32 MB part aliases address bit 25";
  }
}

TEST(DramBulk, EngineStallAndTransferProblemsGiveTwo) {
  const uint8_t data[8] = {};
  struct Case {
    const char* what;
    void (*inject)(testing::SimRig&);
  };
  const Case cases[] = {
      {"engine stalls", [](testing::SimRig& r) { r.chip().Find<sim::GraphicsEngineUnit>()->stall = true; }},
      {"bulk pipe stalls", [](testing::SimRig& r) { r.adapter().faults().stallBulk = true; }},
      {"status unreadable", [](testing::SimRig& r) { r.adapter().faults().failAddresses.insert(GE_CMD_STATUS); }},
      {"unplugged", [](testing::SimRig& r) { r.adapter().Unplug(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SimRig rig;
    UsbDevice* dev = OpenWithEngine(rig);
    c.inject(rig);
    EXPECT_EQ(DramBulkWrite(dev, data, 0, sizeof data), kDramBulkDeviceError);
    EXPECT_EQ(DramBulkFill(dev, 1, 2, 0, 64), kDramBulkDeviceError);
  }
}

TEST(DramBulk, BadArgumentsSendNothing) {
  testing::SimRig rig;
  UsbDevice* dev = OpenWithEngine(rig);
  const uint8_t data[8] = {};
  EXPECT_EQ(DramBulkWrite(nullptr, data, 0, 8), kDramBulkDeviceError);
  EXPECT_EQ(DramBulkFill(nullptr, 0, 0, 0, 8), kDramBulkDeviceError);
  EXPECT_EQ(DramBulkWrite(dev, nullptr, 0, 8), kDramBulkNoPacket);
  EXPECT_EQ(DramBulkWrite(dev, data, 0, UINT32_MAX), kDramBulkNoPacket);
  EXPECT_EQ(DramBulkFill(dev, 0, 0, 0x100, 0xF0), kDramBulkNoPacket) << "end before the start";
  EXPECT_EQ(DramBulkFill(dev, 0, 0, 0x101, 0x104), kDramBulkNoPacket) << "end before the rounded-up start";
  EXPECT_EQ(rig.trace().Counters().Transfers(), 0u);
}

}  // namespace
}  // namespace zev
