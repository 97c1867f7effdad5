#include "device/eeprom/eeprom_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/chip/registers.h"
#include "sim/units/eeprom_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using testing::SimRig;

sim::EepromUnit& Eeprom(SimRig& rig) { return *rig.chip().Find<sim::EepromUnit>(); }

std::vector<uint32_t> CommandWords(SimRig& rig) {
  std::vector<uint32_t> words;
  for (const auto& [address, value] : rig.trace().Writes(E2P_CMD, E2P_CMD)) words.push_back(value);
  return words;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Every routine, with the lines it prints when E2P_CMD reads {V} (busy) at entry.
struct EntryCase {
  const char* routine;
  std::function<bool(UsbDevice*)> call;
  std::string lines;
};

std::vector<EntryCase> EntryCases() {
  static uint8_t buffer[8];
  static const uint8_t data[3] = {1, 2, 3};
  return {
      {"EepromReadByte", [](UsbDevice* d) { return EepromReadByte(d, 0x10, buffer); },
       "ERROR:  EepromReadByte(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
      {"EepromReadBlock", [](UsbDevice* d) { return EepromReadBlock(d, 0x10, buffer, 4); },
       "ERROR:  GfxEepromReadBlock(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
      {"EepromWriteByte", [](UsbDevice* d) { return EepromWriteByte(d, 0x20, 0x5A); },
       "ERROR:  EepromWriteByte(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
      {"EepromWriteBlock", [](UsbDevice* d) { return EepromWriteBlock(d, 0x20, data, 3); },
       "ERROR:  EepromWriteByte(), E2P busy at entry, bad E2PCMD={V}, bye.\n"
       "EepromWriteBlock():  failed writing addr=0x20, E2P_CMD={V}.\n"},
      {"GfxEepromErWrEn", [](UsbDevice* d) { return GfxEepromErWrEn(d); },
       "ERROR:  GfxEepromErWrEn(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
      {"GfxEepromErWrDis", [](UsbDevice* d) { return GfxEepromErWrDis(d); },
       "ERROR:  GfxEepromErWrDis(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
      {"GfxEepromEraseAll", [](UsbDevice* d) { return GfxEepromEraseAll(d); },
       "ERROR:  GfxEepromEraseAll(), E2P busy at entry, bad E2PCMD={V}, bye.\n"},
  };
}

TEST(EepromController, StuckBusyStopsEveryRoutineAtEntry) {
  for (const EntryCase& c : EntryCases()) {
    SimRig rig;
    UsbDevice* dev = rig.Open();
    Eeprom(rig).stuckBusy = true;
    EXPECT_FALSE(c.call(dev)) << c.routine;
    EXPECT_EQ(rig.Diag(), Replace(c.lines, "{V}", "0x80000000")) << c.routine;
    EXPECT_TRUE(rig.trace().Writes(E2P_CMD, E2P_DATA).empty()) << c.routine << " wrote to the controller";
  }
}

TEST(EepromController, UnpluggedReportsTheReadFailureMarkerAsBusy) {
  const struct {
    Variant variant;
    const char* marker;
  } libraries[] = {{Variant::Library, "0xFFFAFFFF"}, {Variant::Utility, "0xFFFEFFFF"}};
  for (const auto& library : libraries) {
    for (const EntryCase& c : EntryCases()) {
      SimRig rig(sim::ChipVariant::SiliconRev1(), 1, library.variant);
      UsbDevice* dev = rig.Open();
      rig.adapter().Unplug();
      EXPECT_FALSE(c.call(dev)) << c.routine;
      // An adapter that does not answer is no busy controller to the erase: it fails quietly.
      const std::string expected =
          std::string(c.routine) == "GfxEepromEraseAll" ? "" : Replace(c.lines, "{V}", library.marker);
      EXPECT_EQ(rig.Diag(), expected) << c.routine;
      EXPECT_TRUE(rig.trace().Writes().empty()) << c.routine;
    }
  }
}

TEST(EepromController, HungCommandTimesOutAfter100msWithTheWaitLinesFirst) {
  const std::string waitLine = "ERROR:  EepromtWaitDone() timed out waiting for write or read to complete\n";
  const struct {
    const char* routine;
    std::function<bool(UsbDevice*)> call;
    uint32_t command;
    const char* lines;
  } cases[] = {
      {"EepromReadByte",
       [](UsbDevice* d) {
         uint8_t b;
         return EepromReadByte(d, 0x10, &b);
       },
       0x80000010,
       "  E2P_CMD=0x80000010, E2P_DATA=0x0000005A\n"
       "EepromReadByte() timed out reading byte, E2P_CMD=0x80000010\n"},
      {"EepromReadBlock",
       [](UsbDevice* d) {
         uint8_t b[4];
         return EepromReadBlock(d, 0x10, b, 4);
       },
       0x80000010,
       "  E2P_CMD=0x80000010, E2P_DATA=0x0000005A\n"
       "EepromReadBlock() timed out reading byte, E2P_CMD=0x80000010\n"},
      {"EepromWriteByte", [](UsbDevice* d) { return EepromWriteByte(d, 0x21, 0x3C); }, 0xB0000021,
       "  E2P_CMD=0xB0000021, E2P_DATA=0x0000003C\n"
       "EepromWriteByte() timed out writing byte, E2P_CMD=0xB0000021\n"},
      {"GfxEepromErWrEn", [](UsbDevice* d) { return GfxEepromErWrEn(d); }, 0xA0000000,
       "  E2P_CMD=0xA0000000, E2P_DATA=0x00000000\n"
       "GfxEepromErWrEn():  timed out after EWEN, E2P_CMD=0xA0000000, bye\n"},
      {"GfxEepromErWrDis", [](UsbDevice* d) { return GfxEepromErWrDis(d); }, 0x90000000,
       "  E2P_CMD=0x90000000, E2P_DATA=0x00000000\n"
       "GfxEepromErWrDis():  timed out after EWDS, E2P_CMD=0x90000000, bye\n"},
      {"GfxEepromEraseAll", [](UsbDevice* d) { return GfxEepromEraseAll(d); }, 0xE0000000,
       "  E2P_CMD=0xE0000000, E2P_DATA=0x00000000\n"
       "GfxEepromEraseAll():  timed out after ERAL, E2P_CMD=0xE0000000, bye\n"},
  };
  for (const auto& c : cases) {
    SimRig rig;
    rig.adapter().eeprom()[0x10] = 0x5A;
    UsbDevice* dev = rig.Open();
    Eeprom(rig).hangAfterCommands = 0;
    const uint64_t startUs = rig.clock.NowUs();
    EXPECT_FALSE(c.call(dev)) << c.routine;
    const uint64_t elapsedUs = rig.clock.NowUs() - startUs;
    EXPECT_EQ(rig.Diag(), waitLine + c.lines) << c.routine;
    EXPECT_EQ(CommandWords(rig), std::vector<uint32_t>{c.command}) << c.routine;
    // The budget is 100 ms of millisecond ticks; the transfers around the polls cost
    // a few more.
    EXPECT_GE(elapsedUs, 100000u) << c.routine;
    EXPECT_LT(elapsedUs, 101000u + 10 * sim::SimAdapter::kControlTransferUs) << c.routine;
  }
}

TEST(EepromController, ReadBlockStoresTheRunFromItsStart) {
  SimRig rig;
  for (uint32_t a = 0; a < 512; ++a) rig.adapter().eeprom()[a] = static_cast<uint8_t>(a * 7 + 3);
  UsbDevice* dev = rig.Open();
  uint8_t buffer[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  ASSERT_TRUE(EepromReadBlock(dev, 0x10, buffer, 4));
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(buffer[i], rig.adapter().eeprom()[0x10 + i]) << i;
  EXPECT_EQ(buffer[4], 0xEE);
  EXPECT_EQ(CommandWords(rig), (std::vector<uint32_t>{0x80000010, 0x80000011, 0x80000012, 0x80000013}));
  // One busy check at entry, not one per byte: the entry read comes before the first command.
  EXPECT_EQ(rig.trace().Events().front().address, E2P_CMD);
  EXPECT_EQ(rig.trace().Events().front().kind, sim::TraceEvent::Kind::RegRead);
}

TEST(EepromController, WriteBlockFailingOnItsThirdByteNamesThatAddress) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  const uint8_t after = rig.adapter().eeprom()[0x23];
  ASSERT_TRUE(GfxEepromErWrEn(dev));
  rig.ClearDiag();
  Eeprom(rig).hangAfterCommands = 2;  // the writes of 0x20 and 0x21 finish, 0x22 hangs
  const uint8_t data[5] = {1, 2, 3, 4, 5};
  EXPECT_FALSE(EepromWriteBlock(dev, 0x20, data, 5));
  EXPECT_EQ(rig.Diag(),
            "ERROR:  EepromtWaitDone() timed out waiting for write or read to complete\n"
            "  E2P_CMD=0xB0000022, E2P_DATA=0x00000003\n"
            "EepromWriteByte() timed out writing byte, E2P_CMD=0xB0000022\n"
            "EepromWriteBlock():  failed writing addr=0x22, E2P_CMD=0xB0000022.\n");
  EXPECT_EQ(rig.adapter().eeprom()[0x20], 1);
  EXPECT_EQ(rig.adapter().eeprom()[0x21], 2);
  EXPECT_EQ(rig.adapter().eeprom()[0x23], after) << "nothing after the failing byte";
}

TEST(EepromController, CountZeroSucceeds) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  uint8_t buffer[1] = {0xEE};
  EXPECT_TRUE(EepromReadBlock(dev, 0, buffer, 0));
  EXPECT_EQ(rig.trace().Events().size(), 1u) << "only the entry check";
  EXPECT_EQ(buffer[0], 0xEE);
  rig.ClearTrace();
  EXPECT_TRUE(EepromWriteBlock(dev, 0, buffer, 0));
  EXPECT_TRUE(rig.trace().Events().empty()) << "a write of nothing does not touch the device";
  EXPECT_EQ(rig.Diag(), "");
}

TEST(EepromController, WrittenBlockReadsBackAndEachByteIsFollowedByALinkCheck) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  std::vector<uint8_t> data(40);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x30 + i);
  ASSERT_TRUE(GfxEepromErWrEn(dev));
  ASSERT_TRUE(EepromWriteBlock(dev, 0x1D8, data.data(), static_cast<uint32_t>(data.size())));
  ASSERT_TRUE(GfxEepromErWrDis(dev));
  size_t probes = 0;
  for (uint16_t address : rig.trace().ReadAddresses()) probes += address == ID_REV;
  EXPECT_EQ(probes, data.size());

  std::vector<uint8_t> back(data.size());
  ASSERT_TRUE(EepromReadBlock(dev, 0x1D8, back.data(), static_cast<uint32_t>(back.size())));
  EXPECT_EQ(back, data);
  EXPECT_EQ(rig.Diag(), "");
}

TEST(EepromController, LostLinkAfterAWriteFailsTheBlockQuietly) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  const uint8_t next = rig.adapter().eeprom()[0x41];
  ASSERT_TRUE(GfxEepromErWrEn(dev));
  rig.adapter().faults().failAddresses.insert(static_cast<uint16_t>(ID_REV));
  const uint8_t data[3] = {7, 8, 9};
  EXPECT_FALSE(EepromWriteBlock(dev, 0x40, data, 3));
  EXPECT_EQ(rig.Diag(), "");
  EXPECT_EQ(rig.adapter().eeprom()[0x40], 7);
  EXPECT_EQ(rig.adapter().eeprom()[0x41], next) << "the block stopped after the first byte";
}

TEST(EepromController, FailedDataReadIsAFailureNotAnFFByte) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().faults().failAddresses.insert(static_cast<uint16_t>(E2P_DATA));
  uint8_t byte = 0;
  EXPECT_FALSE(EepromReadByte(dev, 0x10, &byte));
  EXPECT_EQ(rig.Diag(), "ERROR:  EepromReadByte() failed calling GfxGetRegDW()\n");
  rig.ClearDiag();
  uint8_t buffer[2];
  EXPECT_FALSE(EepromReadBlock(dev, 0x10, buffer, 2));
  EXPECT_EQ(rig.Diag(), "ERROR:  EepromReadBlock() failed calling GfxGetRegDW()\n");
}

TEST(EepromController, AddressesBeyondTheControllerAreRefusedBeforeAnyTransfer) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  uint8_t buffer[0x20] = {};
  const struct {
    std::function<bool()> call;
    const char* line;
  } cases[] = {
      {[&] {
         uint8_t b;
         return EepromReadByte(dev, 0x200, &b);
       },
       "ERROR:  EepromReadByte(), addr=0x200 count=1 beyond the EEPROM addresses, bye.\n"},
      {[&] { return EepromWriteByte(dev, 0x10000000, 1); },
       "ERROR:  EepromWriteByte(), addr=0x10000000 count=1 beyond the EEPROM addresses, bye.\n"},
      {[&] { return EepromReadBlock(dev, 0x1F0, buffer, 0x11); },
       "ERROR:  EepromReadBlock(), addr=0x1F0 count=17 beyond the EEPROM addresses, bye.\n"},
      {[&] { return EepromWriteBlock(dev, 0x10, buffer, 0xFFFFFFF8); },
       "ERROR:  EepromWriteBlock(), addr=0x10 count=4294967288 beyond the EEPROM addresses, bye.\n"},
      {[&] { return EepromReadBlock(dev, 0, nullptr, 4); }, "ERROR:  EepromReadBlock(), no buffer for 4 bytes, bye.\n"},
      {[&] { return EepromReadByte(dev, 0, nullptr); }, "ERROR:  EepromReadByte(), no buffer for 1 bytes, bye.\n"},
  };
  for (const auto& c : cases) {
    rig.ClearDiag();
    EXPECT_FALSE(c.call());
    EXPECT_EQ(rig.Diag(), c.line);
  }
  EXPECT_TRUE(rig.trace().Events().empty());
  EXPECT_TRUE(EepromReadBlock(dev, 0x1F0, buffer, 0x10)) << "a run ending at the last address is fine";
}

}  // namespace
}  // namespace zev
