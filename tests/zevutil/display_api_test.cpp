// The display, HDMI and reset exports' logic against virtual adapters on the standard
// board (a 1920 x 1080 monitor on I2C port 2).
#include "zevutil/core/display_api.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "device/eeprom/eeprom_image_builder.h"
#include "device/video/sii9134_registers.h"
#include "sim/units/display_controller_unit.h"
#include "sim/units/hdmi_unit.h"
#include "sim/units/i2c_master_unit.h"
#include "sim/units/system_unit.h"
#include "tests/support/monitor_edids.h"
#include "tests/support/sim_rig.h"
#include "zevutil/core/lib_frame.h"

namespace zev {
namespace {

using ::testing::HasSubstr;
using testing::SimRig;

// A library initialised on one adapter with the monitor `edid` on `bus`; trace and
// captured text start empty.
struct Library {
  explicit Library(sim::MonitorBus bus = sim::MonitorBus::Port2,
                   std::vector<uint8_t> edid = {}, sim::ChipVariant variant = sim::ChipVariant::SiliconRev1())
      : rig(variant, BoardWith(bus, std::move(edid))) {
    EXPECT_EQ(api::ZEVLibInit(ctx()), ZEV_SUCCESS);
    rig.ClearTrace();
    rig.ClearDiag();
  }
  static sim::BoardDescription BoardWith(sim::MonitorBus bus, std::vector<uint8_t> edid) {
    sim::BoardDescription board;
    board.monitorBus = bus;
    board.monitorEdid = std::move(edid);
    return board;
  }

  LibContext& ctx() { return rig.ctx(); }
  sim::DisplayControllerUnit& dc() { return *rig.chip().Find<sim::DisplayControllerUnit>(); }
  sim::Sii9134RegisterFile& hdmi() { return rig.chip().Find<sim::HdmiUnit>()->internal(); }
  int liteResets() { return rig.chip().Find<sim::SystemUnit>()->liteResets(); }
  bool DisplayWritten() { return !rig.trace().Writes(DC_CTRL, DC_IF_DVO_CTRL).empty(); }

  SimRig rig;
};

// Passes every line on and runs `action` once, when a line containing `trigger` goes by:
// a fault that clears (or starts) at a given point of a longer operation.
class TriggerSink final : public DiagSink {
 public:
  TriggerSink(DiagSink* next, std::string trigger, std::function<void()> action)
      : next_(next), trigger_(std::move(trigger)), action_(std::move(action)) {}
  void Write(std::string_view text) override {
    next_->Write(text);
    if (action_ && text.find(trigger_) != std::string_view::npos) std::exchange(action_, nullptr)();
  }

 private:
  DiagSink* next_;
  std::string trigger_;
  std::function<void()> action_;
};

struct ResolutionCase {
  std::string name;
  sim::MonitorBus bus;
  std::vector<uint8_t> edid;
  std::vector<uint32_t> resolution;  // height, width, refresh
};
void PrintTo(const ResolutionCase& c, std::ostream* out) { *out << c.name; }

class PreferedResolution : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(PreferedResolution, IsHeightWidthRefresh) {
  const ResolutionCase& c = GetParam();
  Library lib(c.bus, c.edid);
  uint32_t resolution[3] = {7, 7, 7};
  ASSERT_EQ(api::ZEVPreferedResolution(lib.ctx(), resolution), ZEV_SUCCESS);
  EXPECT_EQ(std::vector<uint32_t>(resolution, resolution + 3), c.resolution);
  EXPECT_EQ(lib.ctx().gEdidMode.dwWidth, c.resolution[1]) << "kept for the mode set";
}

INSTANTIATE_TEST_SUITE_P(
    ZEVPreferedResolution, PreferedResolution,
    ::testing::Values(ResolutionCase{"StandardMonitor", sim::MonitorBus::Port2, {}, {1080, 1920, 60}},
                      ResolutionCase{"SonyTvOnPort1", sim::MonitorBus::Port1, testing::Edid1360x768(),
                                     {768, 1360, 60}}),
    [](const auto& info) { return info.param.name; });

TEST(ZEVPreferedResolution, RefusesNullAndReportsAMissingMonitor) {
  Library lib(sim::MonitorBus::None);
  EXPECT_EQ(api::ZEVPreferedResolution(lib.ctx(), nullptr), ZEV_INVALID_ARG);
  EXPECT_EQ(lib.rig.trace().Counters().Transfers(), 0u);
  uint32_t resolution[3] = {};
  EXPECT_EQ(api::ZEVPreferedResolution(lib.ctx(), resolution), ZEV_EDID_PARSE_ERR);
}

struct InitCase {
  std::string name;
  sim::MonitorBus bus;
  uint32_t port;
};
void PrintTo(const InitCase& c, std::ostream* out) { *out << c.name; }

class InitGETableRow : public ::testing::TestWithParam<InitCase> {};

TEST_P(InitGETableRow, IsSetOnThePortTheMonitorAnswersOn) {
  Library lib(GetParam().bus);
  ASSERT_EQ(api::ZEVInitGE(lib.ctx(), 480, 640, 60), ZEV_SUCCESS) << lib.rig.Diag();
  EXPECT_EQ(lib.ctx().gModeIndex, 0u);
  EXPECT_EQ(lib.ctx().connection.video.dwPort, GetParam().port);
  const sim::DcTiming timing = lib.dc().Timing();
  EXPECT_EQ(timing.width, 640u);
  EXPECT_EQ(timing.hTotal, 800u);
  EXPECT_EQ(timing.height, 480u);
  EXPECT_EQ(lib.ctx().gCurMode.dwHeight, 480u);
  EXPECT_EQ(lib.ctx().gCurMode.dwWidth, 640u);
  EXPECT_EQ(lib.ctx().gCurMode.dwRefresh, 60u);
  EXPECT_EQ(lib.liteResets(), 1) << "the first attempt succeeded: no bring-up";
}

INSTANTIATE_TEST_SUITE_P(ZEVInitGE, InitGETableRow,
                         ::testing::Values(InitCase{"MonitorOnPort2", sim::MonitorBus::Port2, DC_PORT_DAC},
                                           InitCase{"MonitorOnPort1", sim::MonitorBus::Port1, DC_PORT_HDMI_AUTO}),
                         [](const auto& info) { return info.param.name; });

// No row is 1366 x 768: the monitor's own timing runs, whatever it is, and the request
// becomes the drawing area.
TEST(ZEVInitGE, SizeWithoutARowRunsThePreferredTiming) {
  struct Case {
    std::vector<uint8_t> edid;
    uint32_t width;
  };
  for (const Case& c : {Case{testing::Edid1366x768(), 1366}, Case{testing::Edid1360x768(), 1360}}) {
    SCOPED_TRACE(c.width);
    Library lib(sim::MonitorBus::Port2, c.edid);
    ASSERT_EQ(api::ZEVInitGE(lib.ctx(), 768, 1366, 60), ZEV_SUCCESS) << lib.rig.Diag();
    EXPECT_EQ(lib.dc().Timing().width, c.width);
    EXPECT_EQ(lib.dc().Timing().height, 768u);
    EXPECT_EQ(lib.ctx().connection.video.dwWidth, c.width);
    EXPECT_EQ(lib.ctx().gModeIndex, 0u);
    EXPECT_EQ(lib.ctx().gCurMode.dwWidth, 1366u);
    EXPECT_EQ(lib.ctx().gCurMode.dwHeight, 768u);
    EXPECT_EQ(lib.ctx().gCurMode.dwRefresh, 60u);
  }
}

TEST(ZEVInitGE, SizeWithoutARowNeedsTheMonitor) {
  Library lib(sim::MonitorBus::None);
  EXPECT_EQ(api::ZEVInitGE(lib.ctx(), 768, 1366, 60), ZEV_EDID_PARSE_ERR);
  EXPECT_FALSE(lib.DisplayWritten());
  EXPECT_EQ(lib.ctx().gCurMode.dwWidth, 0u);
}

// Three attempts with the hardware brought up again between them.
struct RetryCase {
  std::string name;
  // Sets the fault; `onLine(text, action)` runs `action` when a diagnostic line with
  // `text` is printed, so a fault can change part way through.
  std::function<void(Library&, std::function<void(std::string, std::function<void()>)> onLine)> fault;
  ZEV_STATUS status;
  int bringUps;        // between attempts
  int failedModeSets;  // attempts that failed at the display controller
};
void PrintTo(const RetryCase& c, std::ostream* out) { *out << c.name; }

class InitGERetries : public ::testing::TestWithParam<RetryCase> {};

TEST_P(InitGERetries, WithBringUpsBetween) {
  const RetryCase& c = GetParam();
  Library lib;
  std::unique_ptr<TriggerSink> trigger;
  c.fault(lib, [&](std::string line, std::function<void()> action) {
    trigger = std::make_unique<TriggerSink>(lib.ctx().diag, std::move(line), std::move(action));
    lib.ctx().diag = trigger.get();
  });
  const int liteResetsBefore = lib.liteResets();
  EXPECT_EQ(api::ZEVInitGE(lib.ctx(), 1080, 1920, 60), c.status);
  EXPECT_EQ(lib.liteResets() - liteResetsBefore, c.bringUps);
  const std::string diag = lib.rig.Diag();
  size_t failures = 0;
  for (size_t at = diag.find("failed calling DcSetTiming()"); at != std::string::npos;
       at = diag.find("failed calling DcSetTiming()", at + 1)) {
    ++failures;
  }
  EXPECT_EQ(failures, static_cast<size_t>(c.failedModeSets));
  EXPECT_EQ(lib.ctx().gCurMode.dwWidth, c.status == ZEV_SUCCESS ? 1920u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ZEVInitGE, InitGERetries,
    ::testing::Values(
        // The controller recovers once the first attempt has given up.
        RetryCase{"SecondAttemptSucceeds",
                  [](Library& lib, auto onLine) {
                    lib.dc().neverEnables = true;
                    onLine("failed calling DcSetTiming()", [&lib] { lib.dc().neverEnables = false; });
                  },
                  ZEV_SUCCESS, 1, 1},
        RetryCase{"ThreeFailuresGiveUp", [](Library& lib, auto) { lib.dc().neverEnables = true; },
                  ZEV_GE_INIT_FAILED, 2, 3},
        // The bring-up between the attempts fails: no further attempt.
        RetryCase{"FailedBringUpStops",
                  [](Library& lib, auto onLine) {
                    lib.dc().neverEnables = true;
                    onLine("failed calling DcSetTiming()",
                           [&lib] { lib.rig.chip().Find<sim::SystemUnit>()->liteResetStuck = true; });
                  },
                  ZEV_HDWRE_INIT_FAIL, 1, 1}),
    [](const auto& info) { return info.param.name; });

// HDMI with audio on the monitor's preferred mode.
TEST(ZEVHdmiPhyEnable, SetsThePreferredModeThenHdmiWithTheSettings) {
  Library lib;
  const HdmiAudioSettings settings{AUDIO_I2S0, 0, I2S_FS_AUTO, 0, 0, DC_PORT_HDMI_AV};
  ASSERT_EQ(api::ZEVHdmiPhyEnable(lib.ctx(), &settings), ZEV_SUCCESS) << lib.rig.Diag();
  EXPECT_EQ(lib.ctx().gModeIndex, 26u) << "1920 x 1080 at 60 Hz";
  EXPECT_EQ(lib.dc().Timing().width, 1920u);
  EXPECT_EQ(lib.ctx().gHdmiAudio.bFsMode, I2S_FS_AUTO);
  EXPECT_EQ(lib.ctx().gHdmiAudio.bMclk, 0);
  EXPECT_EQ(lib.rig.chip().Peek(HDMI_CFG), 1u);
  EXPECT_TRUE(lib.hdmi().AudioEnabled());
  EXPECT_EQ(lib.hdmi().Packet(SII9134_AVI_INFOFRAME)[7], 16) << "the VIC of the preferred mode";
  EXPECT_EQ(lib.ctx().dwAudioFs, 48u) << "I2S input 0 of the board plays 48 kHz";
}

TEST(ZEVHdmiPhyEnable, PreferredModeOutsideTheTableChangesNoMode) {
  Library lib(sim::MonitorBus::Port2, testing::Edid1360x768());
  const HdmiAudioSettings settings{AUDIO_I2S0, 0, I2S_FS_AUTO, 0, 0, DC_PORT_HDMI_AV};
  lib.ctx().gModeIndex = 4;
  EXPECT_EQ(api::ZEVHdmiPhyEnable(lib.ctx(), &settings), ZEV_LIB_FAILURE);
  EXPECT_FALSE(lib.DisplayWritten());
  EXPECT_EQ(lib.rig.chip().Peek(HDMI_CFG), 0u);
  EXPECT_EQ(lib.ctx().gModeIndex, 4u);
  EXPECT_EQ(lib.ctx().gHdmiAudio.bMclk, 2) << "settings not taken over";
}

TEST(ZEVHdmiPhyEnable, FailsWithoutSettingsOrMonitor) {
  Library lib(sim::MonitorBus::None);
  const HdmiAudioSettings settings{AUDIO_I2S0, 0, I2S_FS_AUTO, 0, 0, DC_PORT_HDMI_AV};
  EXPECT_EQ(api::ZEVHdmiPhyEnable(lib.ctx(), nullptr), ZEV_LIB_FAILURE);
  EXPECT_EQ(api::ZEVHdmiPhyEnable(lib.ctx(), &settings), ZEV_LIB_FAILURE);
  EXPECT_FALSE(lib.DisplayWritten());
}

TEST(ZEVHdmiPhyDisable, TurnsHdmiOff) {
  Library lib;
  const HdmiAudioSettings settings{AUDIO_I2S0, 0, I2S_FS_AUTO, 0, 0, DC_PORT_HDMI_AV};
  ASSERT_EQ(api::ZEVHdmiPhyEnable(lib.ctx(), &settings), ZEV_SUCCESS);
  EXPECT_EQ(api::ZEVHdmiPhyDisable(lib.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(lib.rig.chip().Peek(HDMI_CFG), 0u);
  EXPECT_FALSE(lib.hdmi().PoweredUp());
  lib.rig.adapter().faults().failAddresses.insert(HDMI_CFG);
  EXPECT_EQ(api::ZEVHdmiPhyDisable(lib.ctx()), ZEV_LIB_FAILURE);
  api::ZEVLibDeInit(lib.ctx());
  EXPECT_EQ(api::ZEVHdmiPhyDisable(lib.ctx()), ZEV_LIB_FAILURE) << "nothing open";
}

// The device reloads its EEPROM and leaves and rejoins the bus; the next export that
// checks the device finds it again.
TEST(ZEVResetDevice, AdapterRejoinsWithItsEepromReRead) {
  Library lib;
  sim::SimAdapter& adapter = lib.rig.adapter();
  std::vector<sim::BusEvent> events;
  adapter.SetBusListener([&](sim::BusEvent e) { events.push_back(e); });
  EepromImageFields fields;
  fields.productId = 0x0003;
  std::vector<uint8_t> image;
  std::string error;
  ASSERT_TRUE(BuildEepromImage(fields, adapter.eeprom().size(), &image, &error)) << error;
  adapter.eeprom().Assign(image);
  ASSERT_NE(adapter.descriptors().ProductId(), 0x0003) << "read at reset, not before";

  EXPECT_EQ(api::ZEVResetDevice(lib.ctx()), ZEV_SUCCESS);
  EXPECT_EQ(lib.rig.trace().Writes(), (std::vector<std::pair<uint16_t, uint32_t>>{{HW_CFG, 2}}));
  EXPECT_EQ(events, (std::vector<sim::BusEvent>{sim::BusEvent::Left, sim::BusEvent::Joined}));
  EXPECT_EQ(adapter.generation(), 2u);
  EXPECT_EQ(adapter.descriptors().ProductId(), 0x0003);

  EXPECT_EQ(api::DeviceCheck(lib.ctx()), ZEV_SUCCESS) << "re-opened on the adapter's new stay";
  EXPECT_EQ(lib.rig.backend.openTransports, 1);
}

TEST(ZEVResetDevice, NeedsAnOpenConnection) {
  SimRig rig;
  EXPECT_EQ(api::ZEVResetDevice(rig.ctx()), ZEV_DEV_COM_FAIL);
  EXPECT_EQ(rig.trace().Counters().Transfers(), 0u);
  EXPECT_EQ(rig.adapter().generation(), 1u);
}

}  // namespace
}  // namespace zev
