#include "device/dram/util_memory_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/chip/registers.h"
#include "sim/units/data_port_unit.h"
#include "sim/units/graphics_engine_unit.h"
#include "sim/units/system_unit.h"
#include "tests/support/dram_faults.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using testing::DataPortAddresses;
using testing::DramFaults;

// What the page would see, and a hook after each word.
class PageRecorder final : public MemoryCheckObserver {
 public:
  void AddProgress(uint32_t steps) override { progress += steps; }
  bool StopRequested() override {
    ++words;
    if (afterWord) afterWord(words);
    return stopAfterWords > 0 && words >= stopAfterWords;
  }
  void ShowCheckedText(const std::string& text) override { texts.push_back(text); }
  void SetVerifyLocation(uint32_t address) override { locations.push_back(address); }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  uint32_t progress = 0;
  int words = 0;
  int stopAfterWords = 0;  // 0: never
  std::function<void(int)> afterWord;
  std::vector<std::string> texts;
  std::vector<uint32_t> locations;
  std::vector<std::string> errors;
};

struct UtilityRig : testing::SimRig {
  UtilityRig() : SimRig(sim::ChipVariant::SiliconRev1(), 1, Variant::Utility) { Open(); }
  int LiteResets() { return chip().Find<sim::SystemUnit>()->liteResets(); }
};

MemoryCheckRequest Quick(int32_t freq = 4, uint32_t odt = 0) {
  MemoryCheckRequest request;
  request.freqIndex = freq;
  request.odt = odt;
  return request;
}

MemoryCheckRequest Full(uint32_t progressStepBytes) {
  MemoryCheckRequest request;
  request.fullMode = true;
  request.progressStepBytes = progressStepBytes;
  return request;
}

uint32_t LastWrite(const sim::Trace& trace, uint16_t address) {
  const auto writes = trace.Writes(address, address);
  return writes.empty() ? 0xDEADBEEF : writes.back().second;
}

TEST(UtilMemoryCheck, QuickModeReadsOneWordPerAddressLine) {
  UtilityRig rig;
  PageRecorder page;
  const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(3, 1), page);
  EXPECT_EQ(outcome.result, MemoryCheckResult::Passed);
  EXPECT_EQ(outcome.failAddress, -1);
  EXPECT_EQ(outcome.failPin, -1);
  EXPECT_EQ(page.progress, 2u * 5u + 24u);

  std::vector<uint32_t> expected{0};
  for (uint32_t address = 8; address <= 0x1000000; address <<= 1) expected.push_back(address);
  expected.push_back(0x1FFFFF8);
  EXPECT_EQ(DataPortAddresses(rig.trace()), expected);
  ASSERT_EQ(page.texts.size(), 24u);
  EXPECT_EQ(page.texts.front(), "Memory(from 0x00000000 to 0x0)checked successfully");
  EXPECT_EQ(page.texts[10], "Memory(from 0x00000000 to 0x1000)checked successfully");
  EXPECT_EQ(page.texts.back(), "Memory(from 0x00000000 to 0x1FFFFF8)checked successfully");
  EXPECT_TRUE(page.locations.empty()) << "quick mode keeps no verification location";
  EXPECT_TRUE(page.errors.empty());

  // DDR2-533 with 75 ohm on both sides of the bus.
  EXPECT_NE(rig.Diag().find("*   Set DDR2_CLK to 266Mhz  *"), std::string::npos);
  EXPECT_EQ(LastWrite(rig.trace(), DDR2_TIM0), 0x00020810u);
  EXPECT_EQ(LastWrite(rig.trace(), DDR2_CTRL1) & 0x44, 0x04u);
  EXPECT_EQ(LastWrite(rig.trace(), DDR2PHY_CTL_0) & 0x33, 0x11u);
}

TEST(UtilMemoryCheck, QuickModeMismatchNamesAddressAndPin) {
  const struct {
    uint32_t address;
    int32_t pin;
    uint32_t visitedBefore;
  } cases[] = {{0, 1, 0}, {8, 4, 1}, {0x10000, 17, 14}, {0x1000000, 25, 22}, {0x1FFFFF8, 27, 23}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << "bad word 0x" << c.address);
    UtilityRig rig;
    DramFaults(rig).AddBadCell(c.address, 0, 1ull << 56);  // a set bit of the pattern reads 0
    PageRecorder page;
    const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(), page);
    EXPECT_EQ(outcome.result, MemoryCheckResult::Mismatch);
    EXPECT_EQ(outcome.failAddress, static_cast<int32_t>(c.address));
    EXPECT_EQ(outcome.failPin, c.pin);
    EXPECT_EQ(page.progress, 10 + c.visitedBefore);
    EXPECT_EQ(page.texts.size(), c.visitedBefore);
  }
}

TEST(UtilMemoryCheck, FullModeMismatchNamesTheAddressOnly) {
  UtilityRig rig;
  DramFaults(rig).AddBadCell(0x40, 1ull << 63, 0);  // a clear bit of the pattern reads 1
  PageRecorder page;
  const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Full(16), page);
  EXPECT_EQ(outcome.result, MemoryCheckResult::Mismatch);
  EXPECT_EQ(outcome.failAddress, 0x40);
  EXPECT_EQ(outcome.failPin, -1);
  EXPECT_EQ(page.locations, (std::vector<uint32_t>{0, 8, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38}));
  EXPECT_EQ(page.texts.back(), "Memory(from 0x00000000 to 0x38)checked successfully");
  EXPECT_EQ(page.progress, 10u + 4u) << "one step at 0, 0x10, 0x20 and 0x30";
}

TEST(UtilMemoryCheck, StopEndsTheCheckAfterTheCurrentWord) {
  const struct {
    const char* what;
    MemoryCheckRequest request;
    uint32_t progress;
  } cases[] = {
      {"quick", Quick(), 10 + 3},
      {"full, a step every 16 bytes", Full(16), 10 + 2},  // addresses 0, 8, 0x10
      {"full, no steps", Full(0), 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UtilityRig rig;
    PageRecorder page;
    page.stopAfterWords = 3;
    const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), c.request, page);
    EXPECT_EQ(outcome.result, MemoryCheckResult::Stopped);
    EXPECT_EQ(page.words, 3);
    EXPECT_EQ(page.progress, c.progress);
    EXPECT_EQ(DataPortAddresses(rig.trace()).size(), 3u);
  }
}

TEST(UtilMemoryCheck, FailedReadIsRetriedAfterABringUpAndNotCompared) {
  UtilityRig rig;
  PageRecorder page;
  // The next transfer, the start of the fourth word's read, fails on every attempt.
  page.afterWord = [&](int word) {
    if (word == 3) rig.adapter().faults().failNext = 3;
  };
  const int resetsBefore = rig.LiteResets();
  const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(), page);
  EXPECT_EQ(outcome.result, MemoryCheckResult::Passed);
  EXPECT_EQ(rig.LiteResets(), resetsBefore + 2) << "the bring-up before the check and the one for the retry";
  EXPECT_EQ(page.texts.size(), 23u) << "the word read after the bring-up is not compared";
  EXPECT_EQ(page.texts[2], "Memory(from 0x00000000 to 0x10)checked successfully");
  EXPECT_EQ(page.texts[3], "Memory(from 0x00000000 to 0x40)checked successfully");
  EXPECT_EQ(page.progress, 34u) << "the word still counts as visited";
}

TEST(UtilMemoryCheck, ReadsThatKeepFailingAreAHardwareFailure) {
  const struct {
    const char* what;
    bool bringUpFails;
    int liteResets;         // started after the one before the check
    size_t failedBringUps;  // lines of a bring-up that could not reset the chip
  } cases[] = {
      {"three reads fail", false, 2, 0},
      // The device no longer comes up: going on would report a dead device as passed.
      {"the bring-up for the retry fails", true, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UtilityRig rig;
    PageRecorder page;
    page.afterWord = [&](int word) {
      if (word != 2) return;
      rig.chip().Find<sim::DataPortUnit>()->neverDone = true;
      rig.chip().Find<sim::SystemUnit>()->liteResetStuck = c.bringUpFails;
    };
    const int resetsBefore = rig.LiteResets();
    const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(), page);
    EXPECT_EQ(outcome.result, MemoryCheckResult::HardwareFailure);
    EXPECT_EQ(outcome.failAddress, -1);
    EXPECT_EQ(page.words, 2);
    EXPECT_EQ(rig.LiteResets(), resetsBefore + 1 + c.liteResets);
    size_t failed = 0;
    for (size_t at = 0; (at = rig.Diag().find("failed calling ZEVLRST", at)) != std::string::npos; ++at) ++failed;
    EXPECT_EQ(failed, c.failedBringUps);
  }
}

TEST(UtilMemoryCheck, FailedBringUpOrInvalidClockStopsBeforeAnyMemoryAccess) {
  for (bool invalidClock : {false, true}) {
    SCOPED_TRACE(invalidClock ? "clock index 5" : "lite reset stuck");
    UtilityRig rig;
    if (!invalidClock) rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true;
    PageRecorder page;
    const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(invalidClock ? 5 : 4), page);
    EXPECT_EQ(outcome.result, MemoryCheckResult::HardwareFailure);
    EXPECT_EQ(page.progress, 0u);
    EXPECT_EQ(rig.trace().Counters().bulkTransfers, 0u);
    EXPECT_TRUE(DataPortAddresses(rig.trace()).empty());
  }
}

TEST(UtilMemoryCheck, FillIsRetriedOnceAfterATransferProblem) {
  struct Case {
    const char* what;
    std::vector<uint32_t> firstFills;  // scripted results before the fills work
    MemoryCheckResult result;
    int fills;    // calls of the fill routine
    int bringUps;  // beyond the one before the check
  };
  const Case cases[] = {
      {"transfer problem once", {kDramBulkDeviceError}, MemoryCheckResult::Passed, 3, 1},
      {"no buffer once", {kDramBulkNoPacket}, MemoryCheckResult::Passed, 3, 0},
      // A fill that still fails leaves memory that does not hold the pattern.
      {"transfer problem twice",
       {kDramBulkDeviceError, kDramBulkDeviceError},
       MemoryCheckResult::HardwareFailure,
       2,
       1},
      {"no buffer twice", {kDramBulkNoPacket, kDramBulkNoPacket}, MemoryCheckResult::HardwareFailure, 2, 0},
      {"no buffer, then a transfer problem twice",
       {kDramBulkNoPacket, kDramBulkDeviceError, kDramBulkDeviceError},
       MemoryCheckResult::HardwareFailure,
       3,
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UtilityRig rig;
    PageRecorder page;
    MemoryCheckRequest request = Quick();
    int fills = 0;
    request.fill = [&](UsbDevice* d, uint32_t lo, uint32_t hi, uint32_t start, uint32_t end, bool* stalled) {
      const size_t call = static_cast<size_t>(fills++);
      return call < c.firstFills.size() ? c.firstFills[call] : DramBulkFill(d, lo, hi, start, end, stalled);
    };
    const int resetsBefore = rig.LiteResets();
    const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), request, page);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(fills, c.fills);
    EXPECT_EQ(rig.LiteResets(), resetsBefore + 1 + c.bringUps);
    if (c.result == MemoryCheckResult::HardwareFailure) {
      EXPECT_TRUE(DataPortAddresses(rig.trace()).empty());
      EXPECT_EQ(page.progress, 0u);
    }
  }
}

TEST(UtilMemoryCheck, StalledEngineIsShownEachTime) {
  UtilityRig rig;
  rig.chip().Find<sim::GraphicsEngineUnit>()->stall = true;
  PageRecorder page;
  const MemoryCheckOutcome outcome = UtilMemoryCheck(rig.dev(), Quick(), page);
  EXPECT_EQ(outcome.result, MemoryCheckResult::HardwareFailure);
  EXPECT_EQ(page.errors, std::vector<std::string>(2, "Graphics Enginge Stalled after writing data to the device"));
  EXPECT_EQ(rig.trace().Counters().bulkTransfers, 2u);
}

}  // namespace
}  // namespace zev
