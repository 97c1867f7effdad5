// EDID: decoding of the preferred timing, the read over the two I2C buses with the
// virtual monitor, the header probe and the preferred mode.
#include "device/video/edid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "device/chip/registers.h"
#include "device/core/lib_context.h"
#include "sim/devices/monitor.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Descriptor = std::array<uint8_t, 18>;

// The fields of a mode in declaration order, for whole-record comparisons.
std::vector<uint32_t> Fields(const DmtMode& m) {
  return {m.dwWidth,       m.dwHeight,      m.dwRefresh,     m.dwPixClk,      m.dwHTotal,      m.dwHBlankStart,
          m.dwHBlankWidth, m.dwHSyncStart,  m.dwHSyncWidth,  m.dwVTotal,      m.dwVBlankStart, m.dwVBlankWidth,
          m.dwVSyncStart,  m.dwVSyncWidth,  m.bSyncPol1,     m.bSyncPol2};
}

// 1920 x 1080, 148.5 MHz, blanking 280 / 45, sync offsets 88 / 4, widths 44 / 5,
// digital separate sync with both polarities positive (0x1E).
constexpr Descriptor k1080p60 = {0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58,
                                 0x2C, 0x45, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E};

Descriptor With(Descriptor d, std::initializer_list<std::pair<int, uint8_t>> bytes) {
  for (auto [i, v] : bytes) d[i] = v;
  return d;
}

TEST(EdidParseDetailedTiming, DecodesDescriptors) {
  const struct {
    const char* name;
    Descriptor d;
    DmtMode expected;
  } cases[] = {
      {"1920x1080 at 148.5 MHz", k1080p60,
       {1920, 1080, 60, 148500000, 2200, 1920, 280, 2008, 44, 1125, 1080, 45, 1084, 5, 1, 1}},
      // d8 = 4 with d11 bits 7:6 = 01: an offset of 260 needs the high bits.
      {"sync offset 260", With(k1080p60, {{8, 0x04}, {11, 0x40}}),
       {1920, 1080, 60, 148500000, 2200, 1920, 280, 2180, 44, 1125, 1080, 45, 1084, 5, 1, 1}},
      // Every high bit of d11: sync width + 0x300, vertical offset and width + 0x30.
      {"all sync high bits", With(k1080p60, {{11, 0xFF}}),
       {1920, 1080, 60, 148500000, 2200, 1920, 280, 1920 + 0x358, 0x32C, 1125, 1080, 45, 1080 + 0x34, 0x35, 1, 1}},
      // 148.35 MHz: 59.94 Hz is reported as 59.
      {"59.94 Hz", With(k1080p60, {{0, 0xF3}, {1, 0x39}}),
       {1920, 1080, 59, 148350000, 2200, 1920, 280, 2008, 44, 1125, 1080, 45, 1084, 5, 1, 1}},
      // 1920 x 1200 reduced blanking, 154 MHz / (2080 x 1235) = 59.95; hsync +, vsync -.
      {"1920x1200 reduced blanking",
       {0x28, 0x3C, 0x80, 0xA0, 0x70, 0xB0, 0x23, 0x40, 0x30, 0x20, 0x36, 0x00, 0, 0, 0, 0, 0, 0x1A},
       {1920, 1200, 59, 154000000, 2080, 1920, 160, 1968, 32, 1235, 1200, 35, 1203, 6, 0, 1}},
      // The largest values the fields hold.
      {"12-bit sizes", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06},
       {4095, 4095, 9, 655350000, 8190, 4095, 4095, 4095, 0, 8190, 4095, 4095, 4095, 0, 1, 1}},
      // A display descriptor (pixel clock 0) or nonsense with zero totals: refresh 0.
      {"zero totals", With(Descriptor{}, {{0, 0x01}}), {0, 0, 0, 10000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    EXPECT_EQ(EdidParseDetailedTiming(rig.ctx(), c.d), 0);
    EXPECT_EQ(Fields(rig.ctx().connection.edidTiming), Fields(c.expected));
  }
}

TEST(EdidParseDetailedTiming, RefusesMissingOrShortDescriptor) {
  testing::SimRig rig;
  rig.ctx().connection.edidTiming.dwWidth = 77;
  EXPECT_EQ(EdidParseDetailedTiming(rig.ctx(), {}), -1);
  EXPECT_EQ(EdidParseDetailedTiming(rig.ctx(), std::span<const uint8_t>(k1080p60).first(17)), -1);
  EXPECT_EQ(rig.ctx().connection.edidTiming.dwWidth, 77u) << "nothing decoded";
}

// A monitor with the default EDID wired to `bus`; the device is open with the trace and
// the captured text empty.
sim::Monitor* Wire(testing::SimRig& rig, sim::MonitorBus bus) {
  sim::Monitor* monitor = sim::ConnectMonitor(testing::I2cUnit(rig), bus);
  rig.Open();
  return monitor;
}

std::vector<uint8_t> BaseBlock(std::span<const uint8_t> edid) { return {edid.begin(), edid.begin() + 128}; }
std::vector<uint8_t> Bytes(const EdidBlock& b) { return {b.begin(), b.end()}; }

const std::string kFailedAtByte0 = "ERROR:  VgaI2cReadEDID() failed calling VgaI2cReadByte(), i=0\n";

TEST(EdidRead, MonitorOnPort2ReadsTheBaseBlockOnly) {
  testing::SimRig rig;
  sim::Monitor* monitor = Wire(rig, sim::MonitorBus::Port2);
  EdidBlock block{};
  uint32_t busCode = 99;
  EXPECT_EQ(EdidRead(rig.ctx(), &block, &busCode), 0);
  EXPECT_EQ(busCode, 0u);
  EXPECT_EQ(Bytes(block), BaseBlock(monitor->Edid()));
  EXPECT_EQ(monitor->bytesRead(), 128u) << "the extension block stays unread";
  EXPECT_EQ(rig.Diag(), "");
}

TEST(EdidRead, MonitorOnPort1OnlyFailsOnPort2First) {
  testing::SimRig rig;
  sim::Monitor* monitor = Wire(rig, sim::MonitorBus::Port1);
  EdidBlock block{};
  uint32_t busCode = 99;
  EXPECT_EQ(EdidRead(rig.ctx(), &block, &busCode), 0);
  EXPECT_EQ(busCode, 4u);
  EXPECT_EQ(Bytes(block), BaseBlock(monitor->Edid()));
  // The byte read prints its failure and the I2C register dump, then the block read
  // names the byte.
  EXPECT_THAT(rig.Diag(), StartsWith("ERROR: VgaI2cReadByte() failed w/ new assist, RawIntSts=0x0750\n"
                                     "IC_CSR             = 0x"));
  EXPECT_THAT(rig.Diag(), HasSubstr("I2C_TX_ABRT_SOURCE = 0x00000001\n" + kFailedAtByte0));
  EXPECT_EQ(rig.Diag().find("i="), rig.Diag().rfind("i=")) << "one failed byte only";
}

TEST(EdidRead, SelectsEachBusThenTheTargetOnce) {
  testing::SimRig rig;
  Wire(rig, sim::MonitorBus::Port1);
  EdidBlock block{};
  ASSERT_EQ(EdidRead(rig.ctx(), &block), 0);
  std::vector<std::pair<uint16_t, uint32_t>> selections;
  for (const auto& w : rig.trace().Writes()) {
    if (w.first == I2C_SEL || w.first == IC_TAR) selections.push_back(w);
  }
  // VgaI2cInit's transmit-mode write keeps the reset address; then target 0x50 once,
  // port 2's bus (selector 0) and port 1's (selector 1).
  EXPECT_EQ(selections, (std::vector<std::pair<uint16_t, uint32_t>>{
                            {IC_TAR, 0x55}, {IC_TAR, 0x50}, {I2C_SEL, 0}, {I2C_SEL, 1}}));
}

TEST(EdidRead, NoMonitorFailsOnBothBuses) {
  testing::SimRig rig;
  Wire(rig, sim::MonitorBus::None);
  EdidBlock block;
  block.fill(0x55);
  uint32_t busCode = 99;
  EXPECT_EQ(EdidRead(rig.ctx(), &block, &busCode), -1);
  EXPECT_EQ(busCode, 99u);
  EXPECT_EQ(Bytes(block), std::vector<uint8_t>(128, 0)) << "zeroed, nothing arrived";
  const std::string& diag = rig.Diag();
  const size_t first = diag.find(kFailedAtByte0);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(diag.find(kFailedAtByte0, first + 1), std::string::npos) << "second bus";
}

TEST(EdidRead, NullBufferOrClosedConnectionLeavesTheBusAlone) {
  testing::SimRig rig;
  Wire(rig, sim::MonitorBus::Port2);
  EXPECT_EQ(EdidRead(rig.ctx(), nullptr), -1);
  EXPECT_TRUE(rig.trace().Events().empty());

  testing::SimRig closed;
  EdidBlock block{};
  EXPECT_EQ(EdidRead(closed.ctx(), &block), -1);
  EXPECT_EQ(EdidProbeMonitor(closed.ctx()), 0);
  EXPECT_TRUE(closed.trace().Events().empty());
}

TEST(EdidRead, MonitorThatStopsPartWay) {
  testing::SimRig rig;
  sim::Monitor* monitor = Wire(rig, sim::MonitorBus::Port2);
  monitor->StopAnsweringAfter(50);
  EdidBlock block{};
  EXPECT_EQ(EdidRead(rig.ctx(), &block), -1);
  EXPECT_THAT(rig.Diag(), HasSubstr("ERROR:  VgaI2cReadEDID() failed calling VgaI2cReadByte(), i=50\n"));
  EXPECT_THAT(rig.Diag(), HasSubstr(kFailedAtByte0)) << "then nothing on port 1";

  // The same on port 2 with a good monitor on port 1: the second bus delivers.
  testing::SimRig both;
  sim::ConnectMonitor(testing::I2cUnit(both), sim::MonitorBus::Port2)->StopAnsweringAfter(50);
  const std::vector<uint8_t> other = sim::ReadEdidFile(ZEV_DATA_DIR "/edid/dell-e178wfp-vga.bin");
  testing::I2cUnit(both).Bus(1).Emplace<sim::Monitor>(sim::I2cAddress::EightBit(0xA0), other);
  both.Open();
  uint32_t busCode = 99;
  EXPECT_EQ(EdidRead(both.ctx(), &block, &busCode), 0);
  EXPECT_EQ(busCode, 4u);
  EXPECT_EQ(Bytes(block), BaseBlock(other));
}

TEST(VgaI2cReadEDID, KeepsTheBytesBeforeAFailure) {
  testing::SimRig rig;
  sim::Monitor* monitor = sim::ConnectMonitor(testing::I2cUnit(rig), sim::MonitorBus::Port2);
  UsbDevice* dev = testing::OpenI2c(rig, 2, 0xA0);
  monitor->StopAnsweringAfter(10);
  EdidBlock block;
  block.fill(0x55);
  EXPECT_FALSE(VgaI2cReadEDID(dev, &block));
  std::vector<uint8_t> expected(128, 0);
  std::copy_n(monitor->Edid().begin(), 10, expected.begin());
  EXPECT_EQ(Bytes(block), expected) << "the failed byte and the rest stay 0";
  EXPECT_FALSE(VgaI2cReadEDID(dev, nullptr));
}

// Through each transfer mechanism: plain FIFO, old assist, new assist.
TEST(EdidRead, EveryI2cMechanism) {
  for (const char* variant : {"fpga60", "a0", "fpga70", "rev1"}) {
    SCOPED_TRACE(variant);
    testing::SimRig rig(*sim::ChipVariant::Parse(variant));
    sim::Monitor* monitor = Wire(rig, sim::MonitorBus::Port1);
    EdidBlock block{};
    uint32_t busCode = 99;
    EXPECT_EQ(EdidRead(rig.ctx(), &block, &busCode), 0);
    EXPECT_EQ(busCode, 4u);
    EXPECT_EQ(Bytes(block), BaseBlock(monitor->Edid()));
  }
}

TEST(EdidProbeMonitor, FetchesOnlyTheHeader) {
  const struct {
    const char* name;
    sim::MonitorBus bus;
    int answers;  // bytes the monitor delivers before it stops (-1: all)
    int32_t expected;
  } cases[] = {
      {"bytes 8..127 unreadable", sim::MonitorBus::Port2, 8, 1},
      {"port 1 only", sim::MonitorBus::Port1, -1, 1},
      {"header cut short", sim::MonitorBus::Port2, 7, 0},
      {"no monitor", sim::MonitorBus::None, -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::SimRig rig;
    sim::Monitor* monitor = Wire(rig, c.bus);
    if (monitor != nullptr) monitor->StopAnsweringAfter(c.answers);
    EXPECT_EQ(EdidProbeMonitor(rig.ctx()), c.expected);
    if (monitor != nullptr && c.expected == 1) {
      EXPECT_EQ(monitor->bytesRead(), 8u);
    }
  }
}

TEST(EdidGetPreferredMode, StoresTheDecodedModeOnSuccessOnly) {
  testing::SimRig rig;
  Wire(rig, sim::MonitorBus::Port1);
  DmtMode mode{};
  EXPECT_EQ(EdidGetPreferredMode(rig.ctx(), &mode), 0);
  const std::vector<uint32_t> expected = {1920, 1080, 60, 148500000, 2200, 1920, 280, 2008,
                                          44,   1125, 1080, 45, 1084, 5,    1,    1};
  EXPECT_EQ(Fields(mode), expected);
  EXPECT_EQ(Fields(rig.ctx().gEdidMode), expected);

  sim::ConnectMonitor(testing::I2cUnit(rig), sim::MonitorBus::None);
  DmtMode untouched{};
  untouched.dwWidth = 5;
  EXPECT_EQ(EdidGetPreferredMode(rig.ctx(), &untouched), -1);
  EXPECT_EQ(untouched.dwWidth, 5u);
  EXPECT_EQ(Fields(rig.ctx().gEdidMode), expected) << "a failed read keeps the last mode";
  EXPECT_EQ(EdidGetPreferredMode(rig.ctx(), nullptr), -1);
}

// The row texts name the mode the row stands for.
TEST(EstablishedTimings, NamesMatchTheirModes) {
  for (const EstablishedTiming& row : EstablishedTimings) {
    const std::wstring prefix = L"              " + std::to_wstring(row.width) + L" x " +
                                std::to_wstring(row.height) + L" @ " + std::to_wstring(row.refresh) + L"Hz -";
    EXPECT_EQ(std::wstring(row.name).rfind(prefix, 0), 0u) << row.width << "x" << row.height;
  }
  EXPECT_EQ(EstablishedTimings[0].width, 800u) << "bit 0 of byte 35";
  EXPECT_EQ(EstablishedTimings[7].height, 400u) << "bit 7 of byte 35";
  EXPECT_EQ(EstablishedTimings[8].width, 1280u) << "bit 0 of byte 36";
}

}  // namespace
}  // namespace zev
