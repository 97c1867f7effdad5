#include "device/eeprom/eeprom_size.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/chip/registers.h"
#include "device/eeprom/eeprom_controller.h"
#include "device/usb/register_access.h"
#include "sim/units/eeprom_unit.h"
#include "tests/support/sim_rig.h"

namespace zev {
namespace {

using testing::SimRig;

sim::EepromUnit& Eeprom(SimRig& rig) { return *rig.chip().Find<sim::EepromUnit>(); }

std::vector<uint8_t> Pattern(uint32_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t a = 0; a < size; ++a) bytes[a] = static_cast<uint8_t>(a * 13 + 5);
  return bytes;
}

void FitPart(SimRig& rig, std::vector<uint8_t> part) {
  sim::SimAdapter::Options options;
  options.eeprom = std::move(part);
  rig.AddAdapter(std::move(options));
}

size_t WriteCommands(SimRig& rig) {
  size_t writes = 0;
  for (const auto& [address, value] : rig.trace().Writes(E2P_CMD, E2P_CMD)) {
    writes += (value & (E2P_CMD_BUSY | E2P_CMD_COMMAND_MASK)) == E2P_CMD_WRITE;
  }
  return writes;
}

TEST(LanGetE2pSize2, MeasuresEachPartAndPutsItsBytesBack) {
  for (uint32_t size : {128u, 256u, 512u}) {
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    FitPart(rig, Pattern(size));
    UsbDevice* dev = rig.Open();
    EXPECT_EQ(LanGetE2pSize2(dev), size);
    EXPECT_EQ(rig.adapter().eeprom().Copy(), Pattern(size)) << size << ": the three test bytes restored";
    EXPECT_FALSE(Eeprom(rig).writesEnabled()) << size;
    EXPECT_EQ(WriteCommands(rig), 6u) << size;
    EXPECT_EQ(rig.Diag(), "") << size;
  }
}

TEST(LanGetE2pSize2, ReadBackThatFitsNoPartIsReportedButStillDecides) {
  // A cell that does not program keeps its old value in the read-back.
  const struct {
    uint32_t deadCell;
    uint32_t size;
    const char* lines;
  } cases[] = {
      {0x000, 512, "ERROR! LanGetE2pSize2() writng to offset zero\n"},
      {0x100, 512, "ERROR! LanGetE2pSize2() writing to offset 0x100\n"},
      {0x080, 512, "ERROR! LanGetE2pSize2() writing to offset 0x80\n"},
  };
  for (const auto& c : cases) {
    SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
    FitPart(rig, Pattern(512));
    UsbDevice* dev = rig.Open();
    Eeprom(rig).deadCells.insert(c.deadCell);
    EXPECT_EQ(LanGetE2pSize2(dev), c.size);
    EXPECT_EQ(rig.Diag(), c.lines);
  }
}

TEST(LanGetE2pSize2, UnpluggedAdapterGivesAllBitsSet) {
  SimRig rig;
  UsbDevice* dev = rig.Open();
  rig.adapter().Unplug();
  EXPECT_EQ(LanGetE2pSize2(dev), 0xFFFFFFFFu);
  EXPECT_EQ(rig.Diag(),
            "ERROR:  EepromReadByte(), E2P busy at entry, bad E2PCMD=0xFFFAFFFF, bye.\n"
            "ERROR !!!EepromReadByte() Failed\n");
}

TEST(LanGetE2pSize2, FailedWriteEnableStopsBeforeAnyWrite) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  FitPart(rig, Pattern(512));
  UsbDevice* dev = rig.Open();
  Eeprom(rig).hangAfterCommands = 3;  // the three reads, then EWEN hangs
  EXPECT_EQ(LanGetE2pSize2(dev), kEepromSizeFailed);
  EXPECT_EQ(rig.Diag(),
            "ERROR:  EepromtWaitDone() timed out waiting for write or read to complete\n"
            "  E2P_CMD=0xA0000000, E2P_DATA=0x00000085\n"
            "GfxEepromErWrEn():  timed out after EWEN, E2P_CMD=0xA0000000, bye\n"
            "ERROR: EepromErWrEn failed.\n");
  EXPECT_EQ(WriteCommands(rig), 0u);
}

// The device's transport with the link dropping one register read (all its
// attempts): the entry read of the WRITE after the first WRITE to address 0 has
// completed. A transient failure in the middle of the measurement.
class FlakyLink final : public UsbTransport {
 public:
  explicit FlakyLink(UsbDevice* dev) : dev_(dev), inner_(dev->transport) { dev_->transport = this; }
  ~FlakyLink() override { dev_->transport = inner_; }

  bool QuerySpeed(uint8_t* speed) override { return inner_->QuerySpeed(speed); }
  bool QueryInterfaceSettings(uint8_t alt, uint8_t* count) override {
    return inner_->QueryInterfaceSettings(alt, count);
  }
  bool QueryPipe(uint8_t alt, uint8_t index, PipeInfo* pipe) override { return inner_->QueryPipe(alt, index, pipe); }
  bool ResetPipe(uint8_t pipe) override { return inner_->ResetPipe(pipe); }
  bool WritePipe(uint8_t pipe, const uint8_t* data, uint32_t length, uint32_t* written) override {
    return inner_->WritePipe(pipe, data, length, written);
  }
  bool ControlTransfer(const SetupPacket& setup, uint8_t* data, uint32_t* transferred) override {
    const bool commandRead = setup.bmRequestType == kVendorReadRequestType && setup.wIndex == E2P_CMD;
    if (commandRead && state_ == State::Dropping && dropped_ < kRegTransferAttempts) {
      ++dropped_;
      return false;
    }
    const bool ok = inner_->ControlTransfer(setup, data, transferred);
    const uint32_t value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    if (setup.bmRequestType == kVendorWriteRequestType && setup.wIndex == E2P_CMD && value == E2P_CMD_WRITE &&
        state_ == State::Waiting) {
      state_ = State::Written;
    } else if (commandRead && ok && state_ == State::Written && (value & E2P_CMD_BUSY) == 0) {
      state_ = State::Dropping;
    }
    return ok;
  }

  int dropped() const { return dropped_; }

 private:
  enum class State { Waiting, Written, Dropping };
  UsbDevice* dev_;
  UsbTransport* inner_;
  State state_ = State::Waiting;
  int dropped_ = 0;
};

TEST(LanGetE2pSize2, FailedTestWriteStillPutsTheBytesBack) {
  SimRig rig(sim::ChipVariant::SiliconRev1(), 0);
  FitPart(rig, Pattern(512));
  UsbDevice* dev = rig.Open();
  {
    FlakyLink link(dev);
    EXPECT_EQ(LanGetE2pSize2(dev), kEepromSizeFailed);
    EXPECT_EQ(link.dropped(), kRegTransferAttempts);
  }
  EXPECT_EQ(rig.Diag(),
            "ERROR:  EepromWriteByte(), E2P busy at entry, bad E2PCMD=0xFFFAFFFF, bye.\n"
            "ERROR !!!EepromWriteByte() Failed\n");
  EXPECT_EQ(rig.adapter().eeprom().Copy(), Pattern(512)) << "0xAA at address 0 was undone";
  EXPECT_FALSE(Eeprom(rig).writesEnabled());
}

}  // namespace
}  // namespace zev
