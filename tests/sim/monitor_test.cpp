#include "sim/devices/monitor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "sim/units/i2c_master_unit.h"
#include "tests/support/sim_rig.h"

namespace zev::sim {
namespace {

using ::testing::HasSubstr;

std::vector<uint8_t> Counting(size_t size) {
  std::vector<uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});
  return bytes;
}

TEST(Monitor, DefaultEdidIsTheRealMonitorsFile) {
  const std::vector<uint8_t> file = ReadEdidFile(ZEV_DATA_DIR "/edid/asus-vw246-hdmi.bin");
  const std::span<const uint8_t> edid = DefaultMonitorEdid();
  EXPECT_EQ(std::vector<uint8_t>(edid.begin(), edid.end()), file);
  // Its first detailed timing: 1920 x 1080.
  EXPECT_EQ(edid[56] | (edid[58] & 0xF0) << 4, 1920);
  EXPECT_EQ(edid[59] | (edid[61] & 0xF0) << 4, 1080);
}

TEST(Monitor, RegistersReachTheFirst256Bytes) {
  Monitor single(Counting(128));
  EXPECT_EQ(single.ReadRegister(5), 5) << "";
  EXPECT_EQ(single.ReadRegister(133), 5) << "a 128-byte part repeats";
  Monitor extended(Counting(384));
  EXPECT_EQ(extended.ReadRegister(200), 200) << "the extension block";
  EXPECT_EQ(extended.ReadRegister(255), 255);
  EXPECT_TRUE(extended.WriteRegister(3, 0xEE));
  EXPECT_EQ(extended.ReadRegister(3), 3) << "write-protected";
  EXPECT_EQ(extended.Edid().size(), 384u) << "the whole EDID for other readers";
  EXPECT_EQ(extended.bytesRead(), 3u);
}

TEST(Monitor, StopsAnsweringPartWay) {
  Monitor monitor(Counting(128));
  monitor.StopAnsweringAfter(2);
  EXPECT_EQ(monitor.ReadRegister(0), 0);
  EXPECT_EQ(monitor.ReadRegister(1), 1);
  EXPECT_EQ(monitor.ReadRegister(2), std::nullopt);
  EXPECT_EQ(monitor.ReadRegister(0), std::nullopt) << "for good";
  EXPECT_EQ(monitor.bytesRead(), 2u);
  monitor.StopAnsweringAfter(-1);
  EXPECT_EQ(monitor.ReadRegister(2), 2);
}

TEST(Monitor, RefusesShortEdids) {
  EXPECT_THROW(Monitor(Counting(127)), std::invalid_argument);

  const std::string shortFile = ::testing::TempDir() + "short-edid.bin";
  std::ofstream(shortFile, std::ios::binary).write("\x00\xFF\xFF\xFF", 4);
  try {
    ReadEdidFile(shortFile);
    ADD_FAILURE() << "a 4-byte file was accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr(shortFile));
    EXPECT_THAT(e.what(), HasSubstr("holds 4 bytes; an EDID block has 128"));
  }
  try {
    ReadEdidFile("/nonexistent/monitor.bin");
    ADD_FAILURE() << "a missing file was accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("'/nonexistent/monitor.bin' cannot be read: No such file or directory"));
  }
}

TEST(Monitor, ConnectsToOneBusAtATime) {
  testing::SimRig rig;
  I2cMasterUnit& i2c = *rig.chip().Find<I2cMasterUnit>();
  const I2cAddress ddc = I2cAddress::EightBit(0xA0);

  Monitor* monitor = ConnectMonitor(i2c, MonitorBus::Port2);
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(i2c.Bus(0).Target(ddc), monitor) << "I2C port 2 is selector 0";
  EXPECT_EQ(i2c.Bus(1).Target(ddc), nullptr);

  monitor = ConnectMonitor(i2c, MonitorBus::Port1, Counting(128));
  EXPECT_EQ(i2c.Bus(0).Target(ddc), nullptr);
  EXPECT_EQ(i2c.Bus(1).Target(ddc), monitor);
  EXPECT_EQ(monitor->Edid().size(), 128u);

  EXPECT_EQ(ConnectMonitor(i2c, MonitorBus::None), nullptr);
  EXPECT_EQ(i2c.Bus(0).Target(ddc), nullptr);
  EXPECT_EQ(i2c.Bus(1).Target(ddc), nullptr);
}

}  // namespace
}  // namespace zev::sim
