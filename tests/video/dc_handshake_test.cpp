// Blank, unblank, enable and disable of the display controller on the virtual adapter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "device/chip/registers.h"
#include "device/video/display_controller.h"
#include "sim/units/display_controller_unit.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using Lines = std::vector<std::string>;
using Step = std::function<bool(UsbDevice*)>;

sim::DisplayControllerUnit& Dc(testing::SimRig& rig) { return *rig.chip().Find<sim::DisplayControllerUnit>(); }

// Controller states reached through the library from reset (blanked, disabled).
void AtReset(UsbDevice*) {}
void Enabled(UsbDevice* dev) { ASSERT_TRUE(DcEnable(dev, true)); }
void Running(UsbDevice* dev) {
  ASSERT_TRUE(DcEnable(dev, true));
  ASSERT_TRUE(DcUnblank(dev, true));
}

UsbDevice* OpenIn(testing::SimRig& rig, void (*state)(UsbDevice*)) {
  UsbDevice* dev = rig.Open();
  state(dev);
  rig.ClearTrace();
  rig.ClearDiag();
  return dev;
}

const Lines kStatusFollows = {"R 2004", "R 2004", "R 2004"};

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A whole cycle from reset: each step reads DC_CTRL and DC_STS, changes one bit and
// polls until the status follows; the blank then clears both interrupts it raised.
TEST(DcHandshake, CycleRegisterSequences) {
  const struct {
    const char* name;
    Step call;
    Lines accesses;
    uint32_t status;  // DC_STS afterwards
  } steps[] = {
      {"enable", [](UsbDevice* d) { return DcEnable(d, true); },
       Join({"R 2000", "R 2004", "W 2000=01000109"}, kStatusFollows), 0x30101},
      {"unblank", [](UsbDevice* d) { return DcUnblank(d, true); },
       Join({"R 2000", "R 2004", "W 2000=01000009"}, kStatusFollows), 0x30001},
      {"blank", [](UsbDevice* d) { return DcBlank(d, true); },
       Join(Join({"R 2000", "R 2004", "W 2000=01000109"}, kStatusFollows),
            {"W 2004=00001000", "R 2004", "W 2004=00000040", "R 2004"}),
       0x30101},
      {"disable", [](UsbDevice* d) { return DcDisable(d, true); },
       Join({"R 2000", "R 2004", "W 2000=01000108"}, kStatusFollows), 0x30100},
  };
  testing::SimRig rig;
  UsbDevice* dev = OpenIn(rig, AtReset);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    rig.ClearTrace();
    EXPECT_TRUE(s.call(dev));
    EXPECT_EQ(testing::RegisterAccesses(rig.trace()), s.accesses);
    EXPECT_EQ(rig.chip().Read(DC_STS), s.status);
  }
  EXPECT_EQ(rig.Diag(), "");
}

TEST(DcHandshake, WithoutWaitReturnsRightAfterTheWrite) {
  testing::SimRig rig;
  UsbDevice* dev = OpenIn(rig, AtReset);
  EXPECT_TRUE(DcEnable(dev, false));
  EXPECT_EQ(testing::RegisterAccesses(rig.trace()), (Lines{"R 2000", "R 2004", "W 2000=01000109"}));
  EXPECT_FALSE(Dc(rig).Enabled()) << "the controller has not acted yet";
  EXPECT_FALSE(DcIsEnabled(dev));
  EXPECT_TRUE(DcIsBlanked(dev));
}

TEST(DcHandshake, RefusesWithoutWriting) {
  const struct {
    const char* name;
    void (*state)(UsbDevice*);
    sim::StuckBits stuck;  // on DC_STS
    Step call;
    const char* diag;
  } cases[] = {
      {"blank, DC_CTRL blanked", AtReset, {}, [](UsbDevice* d) { return DcBlank(d, true); },
       "ERROR:  DcBlank() called, but already blanked, DC_CTRL=0x01000108\n"},
      {"blank, DC_STS blanked", Running, {.high = DC_STS_BLANKED}, [](UsbDevice* d) { return DcBlank(d, true); },
       "ERROR:  DcBlank() called, but already blanked, DC_STS=0x00030101\n"},
      {"unblank, DC_CTRL unblanked", Running, {}, [](UsbDevice* d) { return DcUnblank(d, true); },
       "ERROR:  DcUnblank() called, but already unblanked, DC_CTRL=0x01000009\n"},
      {"unblank, DC_STS unblanked", AtReset, {.low = DC_STS_BLANKED}, [](UsbDevice* d) { return DcUnblank(d, true); },
       "ERROR:  DcUnblank() called, but already unblanked, DC_STS=0x00030000\n"},
      {"enable, DC_CTRL enabled", Enabled, {}, [](UsbDevice* d) { return DcEnable(d, false); },
       "ERROR:  DcEnable() called, but already enabled, DC_CTRL=0x01000109\n"},
      {"enable, DC_STS enabled", AtReset, {.high = DC_STS_RUNNING}, [](UsbDevice* d) { return DcEnable(d, true); },
       "ERROR:  DcEnable() called, but already enabled, DC_STS=0x00030101\n"},
      {"disable, DC_CTRL disabled", AtReset, {}, [](UsbDevice* d) { return DcDisable(d, true); },
       "ERROR:  DcDisable() called, but already disabled, DC_CTRL=0x01000108\n"},
      {"disable, DC_STS disabled", Enabled, {.low = DC_STS_RUNNING}, [](UsbDevice* d) { return DcDisable(d, true); },
       "ERROR:  DcDisable() called, but already disabled, DC_STS=0x00030100\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = OpenIn(rig, c.state);
    rig.chip().SetStuckBits(DC_STS, c.stuck);
    EXPECT_FALSE(c.call(dev));
    EXPECT_EQ(rig.Diag(), c.diag);
    EXPECT_TRUE(rig.trace().Writes().empty());
  }
}

// The read-failure marker has the blank and enable bits set; modified and written
// back it would switch on every other control bit, so an unreadable register refuses.
TEST(DcHandshake, UnreadableRegisterRefuses) {
  const struct {
    const char* name;
    Variant variant;
    void (*state)(UsbDevice*);
    uint16_t failing;
    Step call;
    const char* diag;
  } cases[] = {
      {"unblank", Variant::Library, Enabled, DC_CTRL, [](UsbDevice* d) { return DcUnblank(d, true); },
       "ERROR:  DcUnblank() failed reading DC_CTRL=0xFFFAFFFF\n"},
      {"disable", Variant::Utility, Enabled, DC_CTRL, [](UsbDevice* d) { return DcDisable(d, true); },
       "ERROR:  DcDisable() failed reading DC_CTRL=0xFFFEFFFF\n"},
      {"blank", Variant::Library, Running, DC_STS, [](UsbDevice* d) { return DcBlank(d, true); },
       "ERROR:  DcBlank() failed reading DC_STS=0xFFFAFFFF\n"},
      {"enable", Variant::Library, AtReset, DC_STS, [](UsbDevice* d) { return DcEnable(d, true); },
       "ERROR:  DcEnable() failed reading DC_STS=0xFFFAFFFF\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig(sim::ChipVariant::SiliconRev1(), 1, c.variant);
    UsbDevice* dev = OpenIn(rig, c.state);
    rig.adapter().faults().failAddresses.insert(c.failing);
    EXPECT_FALSE(c.call(dev));
    EXPECT_EQ(rig.Diag(), c.diag);
    EXPECT_TRUE(rig.trace().Writes().empty());
  }
}

TEST(DcHandshake, TimeoutsAfter250ms) {
  const struct {
    const char* name;
    void (*state)(UsbDevice*);
    std::function<void(testing::SimRig&)> fault;
    Step call;
    const char* diag;
  } cases[] = {
      {"enable, never runs", AtReset, [](testing::SimRig& r) { Dc(r).neverEnables = true; },
       [](UsbDevice* d) { return DcEnable(d, true); }, "ERROR:  DcEnable() timeout, DC_STS=0x00030100\n"},
      {"unblank, stays blanked", Enabled,
       [](testing::SimRig& r) { r.chip().SetStuckBits(DC_STS, {.high = DC_STS_BLANKED}); },
       [](UsbDevice* d) { return DcUnblank(d, true); }, "ERROR:  DcUnblank() timeout, DC_STS=0x00030101\n"},
      {"disable, keeps running", Enabled,
       [](testing::SimRig& r) { r.chip().SetStuckBits(DC_STS, {.high = DC_STS_RUNNING}); },
       [](UsbDevice* d) { return DcDisable(d, true); }, "ERROR:  DcDisable() timeout, DC_STS=0x00030101\n"},
      // A blank that never takes effect fails: the controller is still scanning out.
      {"blank, never blanks", Running, [](testing::SimRig& r) { Dc(r).neverBlanks = true; },
       [](UsbDevice* d) { return DcBlank(d, true); },
       "ERROR:  DcBlank() timeout, DC_STS=0x00030801, DC_CTRL=0x01000109\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = OpenIn(rig, c.state);
    c.fault(rig);
    const uint64_t start = rig.clock.NowUs();
    EXPECT_FALSE(c.call(dev));
    const uint64_t waited = rig.clock.NowUs() - start;
    EXPECT_GE(waited, 250000u);
    EXPECT_LT(waited, 255000u);
    EXPECT_EQ(rig.Diag(), c.diag);
  }
}

// The status a blank leaves behind: nothing pending, both interrupts raised and cleared
// by writing 1. Anything else is reported, and the blank still succeeds.
TEST(DcBlank, ReportsUnexpectedStatusBits) {
  const struct {
    const char* name;
    sim::StuckBits stuck;
    const char* diag;
  } cases[] = {
      {"pending before and after", {.high = DC_STS_BLANK_PENDING_},
       "ERROR:  DcBlank() the DC_STS_BLANK_PENDING_ is set before blank! DC_STS=0x00030801\n"
       "ERROR:  DcBlank() the DC_STS_BLANK_PENDING_ is set after blank! DC_STS=0x00031941\n"},
      {"blank interrupt not clearing", {.high = DC_STS_BLANK_INT_},
       "ERROR:  DcBlank() the DC_STS_BLANK_INT_ is NOT cleard after Wc! DC_STS=0x00031141\n"},
      {"blank interrupt not raised", {.low = DC_STS_BLANK_INT_},
       "ERROR:  DcBlank() the DC_STS_BLANK_INT_ is NOT set after blank! DC_STS=0x00030141\n"},
      {"vertical-blank interrupt not raised", {.low = DC_STS_VBLANK_INT_},
       "ERROR:  DcBlank() the DC_STS_VBLANK_INT_ is NOT set after blank! DC_STS=0x00030101\n"},
      {"vertical-blank interrupt not clearing", {.high = DC_STS_VBLANK_INT_},
       "ERROR:  DcBlank() the DC_STS_VBLANK_INT_ is NOT cleard after Wc! DC_STS=0x00030141\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    UsbDevice* dev = OpenIn(rig, Running);
    rig.chip().SetStuckBits(DC_STS, c.stuck);
    EXPECT_TRUE(DcBlank(dev, true));
    EXPECT_EQ(rig.Diag(), c.diag);
    EXPECT_TRUE(Dc(rig).Blanked());
  }
}

TEST(DcBlank, ClearsAStaleBlankInterruptFirst) {
  testing::SimRig rig;
  UsbDevice* dev = OpenIn(rig, Running);
  rig.chip().SetStuckBits(DC_STS, {.high = DC_STS_BLANK_INT_});
  EXPECT_TRUE(DcBlank(dev, false));
  EXPECT_EQ(testing::RegisterAccesses(rig.trace()), (Lines{"R 2000", "R 2004", "W 2004=00001000", "W 2000=01000109"}));
}

}  // namespace
}  // namespace zev
