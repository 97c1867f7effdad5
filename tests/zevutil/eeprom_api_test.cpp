#include "zevutil/core/eeprom_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "device/chip/registers.h"
#include "device/eeprom/eeprom_controller.h"
#include "sim/units/eeprom_unit.h"
#include "sim/units/system_unit.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/lib_frame.h"

namespace zev {
namespace {

using testing::SimRig;

std::vector<uint8_t> Pattern(uint32_t size, uint8_t step = 13, uint8_t first = 5) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i * step);
  return bytes;
}

// A library initialised on one adapter whose EEPROM part holds `part`, with the trace
// and the captured text cleared.
void InitWithPart(SimRig& rig, std::vector<uint8_t> part) {
  sim::SimAdapter::Options options;
  options.eeprom = std::move(part);
  rig.AddAdapter(std::move(options));
  ASSERT_EQ(api::ZEVLibInit(rig.ctx()), ZEV_SUCCESS);
  rig.ClearTrace();
  rig.ClearDiag();
}

sim::EepromUnit& Eeprom(SimRig& rig) { return *rig.chip().Find<sim::EepromUnit>(); }

// The command words written to E2P_CMD, in order.
std::vector<uint32_t> CommandWords(SimRig& rig) {
  std::vector<uint32_t> words;
  for (const auto& [address, value] : rig.trace().Writes(E2P_CMD, E2P_CMD)) words.push_back(value);
  return words;
}

// Expected command words, built up in order.
struct Commands {
  std::vector<uint32_t> words;

  Commands& Add(uint32_t word) {
    words.push_back(word);
    return *this;
  }
  Commands& Run(uint32_t command, uint32_t start, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) words.push_back(command | (start + i));
    return *this;
  }
  // The size measurement: keep three bytes, write test bytes, read them back, restore.
  Commands& Measurement() {
    for (uint32_t command : {E2P_CMD_READ, E2P_CMD_EWEN, E2P_CMD_WRITE, E2P_CMD_READ, E2P_CMD_WRITE}) {
      if (command == E2P_CMD_EWEN) {
        Add(command);
        continue;
      }
      Add(command | 0x000).Add(command | 0x100).Add(command | 0x080);
    }
    return Add(E2P_CMD_EWDS);
  }
};

TEST(EepromApi, ArgumentErrorsAreReportedBeforeAnyAdapterIsLookedFor) {
  uint8_t bytes[4] = {};
  const struct {
    const char* call;
    std::function<ZEV_STATUS(LibContext&)> run;
  } cases[] = {
      {"write, no data", [](LibContext& c) { return api::ZEVLibWriteEEprom(c, nullptr, 0, 1); }},
      {"write, length 0", [&](LibContext& c) { return api::ZEVLibWriteEEprom(c, bytes, 0, 0); }},
      {"write, length 0 beyond the part", [&](LibContext& c) { return api::ZEVLibWriteEEprom(c, bytes, 9999, 0); }},
      {"read, no buffer", [](LibContext& c) { return api::ZEVLibReadEeprom(c, nullptr, 0, 1); }},
      {"read, length 0", [&](LibContext& c) { return api::ZEVLibReadEeprom(c, bytes, 0, 0); }},
      {"read, no buffer beyond the part", [](LibContext& c) { return api::ZEVLibReadEeprom(c, nullptr, 9999, 4); }},
      {"size, no pointer", [](LibContext& c) { return api::ZEVCalcEepromSize(c, nullptr); }},
  };
  for (int adapters : {0, 1}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.call) + (adapters == 0 ? ", no adapter" : ", adapter not opened"));
      SimRig rig(sim::ChipVariant::SiliconRev1(), adapters);
      EXPECT_EQ(c.run(rig.ctx()), ZEV_INVALID_ARG);
      EXPECT_EQ(rig.dev(), nullptr);
      if (adapters == 1) {
        EXPECT_EQ(rig.trace().Counters().Transfers(), 0u);
      }
      EXPECT_EQ(rig.Diag(), "");
    }
  }
}

TEST(EepromApi, EveryExportGivesUpWhenNoAdapterCanBeReached) {
  uint8_t bytes[4] = {1, 2, 3, 4};
  uint32_t size = 0;
  const struct {
    const char* call;
    std::function<ZEV_STATUS(LibContext&)> run;
  } calls[] = {
      {"write", [&](LibContext& c) { return api::ZEVLibWriteEEprom(c, bytes, 0, 4); }},
      {"read", [&](LibContext& c) { return api::ZEVLibReadEeprom(c, bytes, 0, 4); }},
      {"erase", [](LibContext& c) { return api::ZEVLibEraseEeprom(c); }},
      {"size", [&](LibContext& c) { return api::ZEVCalcEepromSize(c, &size); }},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.call);
    {
      SimRig neverAttached(sim::ChipVariant::SiliconRev1(), 0);
      EXPECT_EQ(call.run(neverAttached.ctx()), ZEV_DEV_COM_FAIL);
    }
    SimRig unplugged;
    ASSERT_EQ(api::ZEVLibInit(unplugged.ctx()), ZEV_SUCCESS);
    unplugged.adapter().Unplug();
    EXPECT_EQ(call.run(unplugged.ctx()), ZEV_DEV_COM_FAIL);
    EXPECT_EQ(unplugged.dev(), nullptr);
  }
}

TEST(EepromApi, RangesAreBoundedByTheMeasuredPart) {
  constexpr uint32_t kPart = 256;
  const struct {
    uint32_t offset;
    uint32_t length;
    ZEV_STATUS expected;
  } cases[] = {
      {0, 256, ZEV_SUCCESS},
      {250, 6, ZEV_SUCCESS},
      {255, 1, ZEV_SUCCESS},
      {250, 7, ZEV_EEPROM_OUT_OF_BOUND},
      {0, 257, ZEV_EEPROM_OUT_OF_BOUND},
      {256, 1, ZEV_EEPROM_OUT_OF_BOUND},  // the end of the part is no start
      {257, 1, ZEV_INVALID_EEPROM_ADD},
      {0xFFFFFFFF, 1, ZEV_INVALID_EEPROM_ADD},
      // Ends that wrap to a small number in 32 bits.
      {1, 0xFFFFFFFF, ZEV_EEPROM_OUT_OF_BOUND},
      {256, 0xFFFFFF00, ZEV_EEPROM_OUT_OF_BOUND},
      {16, 0xFFFFFFF8, ZEV_EEPROM_OUT_OF_BOUND},
  };
  const std::vector<uint8_t> data = Pattern(512, 7, 0x30);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "offset " << c.offset << ", length " << c.length);
    const bool fits = c.expected == ZEV_SUCCESS;
    const std::vector<uint32_t> measurementOnly = Commands().Measurement().words;

    SimRig reader(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(reader, Pattern(kPart));
    std::vector<uint8_t> buffer(512, 0xEE);
    EXPECT_EQ(api::ZEVLibReadEeprom(reader.ctx(), buffer.data(), c.offset, c.length), c.expected);
    if (fits) {
      const std::vector<uint8_t> part = Pattern(kPart);
      EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + c.length, part.begin() + c.offset));
      EXPECT_EQ(buffer[c.length], 0xEE) << "nothing stored past the length";
      EXPECT_EQ(CommandWords(reader), Commands().Measurement().Run(E2P_CMD_READ, c.offset, c.length).words);
    } else {
      EXPECT_EQ(buffer, std::vector<uint8_t>(512, 0xEE));
      EXPECT_EQ(CommandWords(reader), measurementOnly) << "nothing but the measurement";
    }

    SimRig writer(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(writer, Pattern(kPart));
    EXPECT_EQ(api::ZEVLibWriteEEprom(writer.ctx(), data.data(), c.offset, c.length), c.expected);
    std::vector<uint8_t> expectedPart = Pattern(kPart);
    if (fits) std::copy(data.begin(), data.begin() + c.length, expectedPart.begin() + c.offset);
    EXPECT_EQ(writer.adapter().eeprom().Copy(), expectedPart);
    if (!fits) {
      EXPECT_EQ(CommandWords(writer), measurementOnly) << "nothing but the measurement";
    }
  }
}

TEST(EepromApi, WrittenBytesAreVerifiedAndReadBack) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  InitWithPart(rig, Pattern(512));
  const std::vector<uint8_t> data = Pattern(25, 31, 0x81);

  EXPECT_EQ(api::ZEVLibWriteEEprom(rig.ctx(), data.data(), 0, 25), ZEV_SUCCESS);
  EXPECT_EQ(CommandWords(rig), Commands()
                                   .Measurement()
                                   .Add(E2P_CMD_EWEN)
                                   .Run(E2P_CMD_WRITE, 0, 25)
                                   .Add(E2P_CMD_EWDS)
                                   .Run(E2P_CMD_READ, 0, 25)
                                   .words);
  EXPECT_FALSE(Eeprom(rig).writesEnabled());

  rig.ClearTrace();
  std::vector<uint8_t> back(25);
  EXPECT_EQ(api::ZEVLibReadEeprom(rig.ctx(), back.data(), 0, 25), ZEV_SUCCESS);
  EXPECT_EQ(back, data);
  EXPECT_EQ(CommandWords(rig), Commands().Measurement().Run(E2P_CMD_READ, 0, 25).words);

  std::vector<uint8_t> expectedPart = Pattern(512);
  std::copy(data.begin(), data.end(), expectedPart.begin());
  EXPECT_EQ(rig.adapter().eeprom().Copy(), expectedPart) << "and nothing else changed";
  EXPECT_EQ(rig.Diag(), "");
}

TEST(ZEVLibReadEeprom, BytesFromAnOffsetLandAtTheStartOfTheBuffer) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  InitWithPart(rig, Pattern(512));
  uint8_t buffer[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(api::ZEVLibReadEeprom(rig.ctx(), buffer, 0x10, 4), ZEV_SUCCESS);
  const std::vector<uint8_t> part = Pattern(512);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5),
            (std::vector<uint8_t>{part[0x10], part[0x11], part[0x12], part[0x13], 0xEE}));
}

TEST(ZEVLibWriteEEprom, FailuresAfterTheRangeCheckAreLibraryFailures) {
  const std::vector<uint8_t> data = Pattern(25, 31, 0x81);
  constexpr int kMeasurementCommands = 14;
  const struct {
    const char* what;
    std::function<void(sim::EepromUnit&)> fault;
    Commands commands;
    uint32_t bytesWritten;  // of data, from offset 0
    bool writesStayEnabled;
  } cases[] = {
      {"a dead cell makes the read-back differ", [](sim::EepromUnit& e) { e.deadCells.insert(5); },
       Commands().Measurement().Add(E2P_CMD_EWEN).Run(E2P_CMD_WRITE, 0, 25).Add(E2P_CMD_EWDS).Run(E2P_CMD_READ, 0, 25),
       25, false},
      {"the enable hangs", [](sim::EepromUnit& e) { e.hangAfterCommands = kMeasurementCommands; },
       Commands().Measurement().Add(E2P_CMD_EWEN), 0, true},
      {"the third write hangs", [](sim::EepromUnit& e) { e.hangAfterCommands = kMeasurementCommands + 3; },
       Commands().Measurement().Add(E2P_CMD_EWEN).Run(E2P_CMD_WRITE, 0, 3), 3, true},
      {"the read-back hangs", [](sim::EepromUnit& e) { e.hangAfterCommands = kMeasurementCommands + 27; },
       Commands().Measurement().Add(E2P_CMD_EWEN).Run(E2P_CMD_WRITE, 0, 25).Add(E2P_CMD_EWDS).Run(E2P_CMD_READ, 0, 1),
       25, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(rig, Pattern(512));
    c.fault(Eeprom(rig));
    EXPECT_EQ(api::ZEVLibWriteEEprom(rig.ctx(), data.data(), 0, 25), ZEV_LIB_FAILURE);
    EXPECT_EQ(CommandWords(rig), c.commands.words);
    EXPECT_EQ(Eeprom(rig).writesEnabled(), c.writesStayEnabled);
    std::vector<uint8_t> expectedPart = Pattern(512);
    std::copy(data.begin(), data.begin() + c.bytesWritten, expectedPart.begin());
    for (uint32_t cell : Eeprom(rig).deadCells) expectedPart[cell] = Pattern(512)[cell];
    EXPECT_EQ(rig.adapter().eeprom().Copy(), expectedPart) << "no repair, no roll-back";
    // A mismatch has no diagnostic line of its own: the controller saw nothing wrong.
    if (!Eeprom(rig).deadCells.empty()) {
      EXPECT_EQ(rig.Diag(), "");
    }
  }
}

TEST(ZEVLibEraseEeprom, ErasesTheWholePartWithoutMeasuringIt) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  InitWithPart(rig, Pattern(256));
  EXPECT_EQ(api::ZEVLibEraseEeprom(rig.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(rig.adapter().eeprom().Copy(), std::vector<uint8_t>(256, 0xFF));
  EXPECT_EQ(CommandWords(rig), (std::vector<uint32_t>{E2P_CMD_EWEN, E2P_CMD_ERAL, E2P_CMD_EWDS}));
  EXPECT_FALSE(Eeprom(rig).writesEnabled());
}

TEST(ZEVLibEraseEeprom, FailedEnableOrEraseIsALibraryFailure) {
  const struct {
    const char* what;
    std::function<void(sim::EepromUnit&)> fault;
    std::vector<uint32_t> commands;
  } cases[] = {
      {"controller busy at the enable", [](sim::EepromUnit& e) { e.stuckBusy = true; }, {}},
      {"the erase hangs", [](sim::EepromUnit& e) { e.hangAfterCommands = 1; }, {E2P_CMD_EWEN, E2P_CMD_ERAL}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(rig, Pattern(256));
    c.fault(Eeprom(rig));
    EXPECT_EQ(api::ZEVLibEraseEeprom(rig.ctx()), ZEV_LIB_FAILURE);
    EXPECT_EQ(CommandWords(rig), c.commands) << "no disable after a failure";
  }
}

TEST(ZEVCalcEepromSize, MeasuresEachPartAndLeavesItAsItWas) {
  for (uint32_t partSize : {128u, 256u, 512u}) {
    SCOPED_TRACE(partSize);
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(rig, Pattern(partSize));
    uint32_t size = 0;
    EXPECT_EQ(api::ZEVCalcEepromSize(rig.ctx(), &size), ZEV_SUCCESS);
    EXPECT_EQ(size, partSize);
    EXPECT_EQ(rig.adapter().eeprom().Copy(), Pattern(partSize));
  }
}

TEST(ZEVCalcEepromSize, FailedMeasurementStoresAllBitsSetAndStopsReadsAndWrites) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  InitWithPart(rig, Pattern(512));
  Eeprom(rig).stuckBusy = true;

  uint32_t size = 0;
  EXPECT_EQ(api::ZEVCalcEepromSize(rig.ctx(), &size), ZEV_LIB_FAILURE);
  EXPECT_EQ(size, 0xFFFFFFFFu);
  EXPECT_EQ(rig.Diag(),
            "ERROR:  EepromReadByte(), E2P busy at entry, bad E2PCMD=0x80000000, bye.\n"
            "ERROR !!!EepromReadByte() Failed\n");

  uint8_t bytes[4] = {1, 2, 3, 4};
  EXPECT_EQ(api::ZEVLibReadEeprom(rig.ctx(), bytes, 0, 4), ZEV_LIB_FAILURE);
  EXPECT_EQ(api::ZEVLibWriteEEprom(rig.ctx(), bytes, 0, 4), ZEV_LIB_FAILURE);
  EXPECT_TRUE(CommandWords(rig).empty());
}

TEST(EepromApi, EveryExportReopensAfterUnplugAndReplug) {
  const std::vector<uint8_t> part = Pattern(512);
  const struct {
    const char* call;
    std::function<void(SimRig&)> runAndCheck;
  } calls[] = {
      {"write",
       [](SimRig& rig) {
         const uint8_t data[4] = {0xDE, 0xAD, 0xBE, 0xEF};
         EXPECT_EQ(api::ZEVLibWriteEEprom(rig.ctx(), data, 0x40, 4), ZEV_SUCCESS);
         EXPECT_EQ(rig.adapter().eeprom()[0x43], 0xEF);
       }},
      {"read",
       [&](SimRig& rig) {
         uint8_t buffer[4] = {};
         EXPECT_EQ(api::ZEVLibReadEeprom(rig.ctx(), buffer, 0x10, 4), ZEV_SUCCESS);
         EXPECT_EQ(buffer[3], part[0x13]);
       }},
      {"erase",
       [](SimRig& rig) {
         EXPECT_EQ(api::ZEVLibEraseEeprom(rig.ctx()), ZEV_SUCCESS);
         EXPECT_EQ(rig.adapter().eeprom()[0], 0xFF);
       }},
      {"size",
       [](SimRig& rig) {
         uint32_t size = 0;
         EXPECT_EQ(api::ZEVCalcEepromSize(rig.ctx(), &size), ZEV_SUCCESS);
         EXPECT_EQ(size, 512u);
       }},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.call);
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    InitWithPart(rig, part);
    const int liteResetsBefore = rig.chip().Find<sim::SystemUnit>()->liteResets();
    rig.adapter().Unplug();
    rig.adapter().Plug();
    call.runAndCheck(rig);
    EXPECT_NE(rig.dev(), nullptr);
    EXPECT_EQ(rig.backend.openTransports, 1);
    EXPECT_EQ(rig.chip().Find<sim::SystemUnit>()->liteResets(), liteResetsBefore + 1) << "brought up again";
  }
}

}  // namespace
}  // namespace zev
