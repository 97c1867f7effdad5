// The display and reset exports of the built libzevutil.so (driven by zev-e2e-lib)
// against virtual adapters through libusb and zev-sim, and the board changed through
// the control socket. The library's EDID reads and mode sets are tested in-process:
// through the real USB path every EDID byte is an I2C poll with a 100 ms timeout that a
// loaded machine can overrun.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "device/eeprom/eeprom_image_builder.h"
#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

const std::string kSonyTv = std::string(ZEV_DATA_DIR) + "/edid/sony-snyd301-override.bin";  // 1360 x 768

// The toolset's default image with product ID 0x0003, in a file for the client.
std::string WriteImageWithProductId3() {
  EepromImageFields fields;
  fields.productId = 0x0003;
  std::vector<uint8_t> image;
  std::string error;
  if (!BuildEepromImage(fields, 512, &image, &error)) ADD_FAILURE() << error;
  const std::string path = ProcessTempPath("eeprom_pid3.bin");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  return path;
}

std::vector<Scenario> LibraryScenarios() {
  const std::string image = WriteImageWithProductId3();
  return {
      // ZEVResetDevice: the adapter re-reads its EEPROM, leaves and rejoins the bus with
      // the new identity; the next probing export re-opens it on its own.
      {"ResetDeviceRejoinsWithTheEepromReRead",
       {},
       {"init", "eeprom-write 0 " + image, "hotplug-watch", "reset", "hotplug-wait left arrived", "eeprom-size",
        "probe generation 1"},
       {"init: 0", "eeprom-write 512 bytes at 0: 0", "hotplug-watch: ok", "reset: 0",
        "hotplug: left 1209:0002 at 1-1, arrived 1209:0003 at 1-1", "eeprom-size: 0, 512", "probe: generation 1: 2"},
       {"ZEV_USB_IDS=1209:0003"}},

      {"ResetWithoutAConnectionIsRefused",
       {},
       {"reset", "probe generation 1"},
       {"reset: -32762", "probe: generation 1: 1"}},

      // No monitor: nothing to read a preferred mode from, no mode set; HDMI turns off.
      {"DisplayExportsWithoutAMonitor",
       {"--board", "empty"},
       {"init", "preferred-resolution", "init-ge 768 1366 60", "hdmi-disable"},
       {"init: 0", "preferred-resolution: -32747", "init-ge 768 1366 60: -32747", "hdmi-disable: 0"}},
  };
}

class ZevutilDisplay : public ::testing::TestWithParam<Scenario> {};

TEST_P(ZevutilDisplay, Transcript) {
  const Scenario& scenario = GetParam();
  const ProcessResult result = RunLibClient(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevutilDisplay, ::testing::ValuesIn(LibraryScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

const Scenario kBoardScenarios[] = {
    // The monitor from the command line on I2C port 1, then replaced, silenced and removed.
    {"MonitorCommands",
     {"--monitor-edid", kSonyTv, "--monitor-port", "1"},
     {"ctl monitor", "ctl monitor default", "ctl monitor stop-after 100", "ctl monitor stop-after never",
      "ctl monitor " + kSonyTv + " 2", "ctl monitor", "ctl monitor none", "ctl monitor"},
     {"ctl monitor -> ok 1: monitor on I2C port 1, 256-byte EDID, 0 bytes read",
      "ctl monitor default -> ok adapter 1: monitor on I2C port 2",
      "ctl monitor stop-after 100 -> ok adapter 1: the monitor stops answering after 100 more bytes",
      "ctl monitor stop-after never -> ok adapter 1: the monitor answers again",
      "ctl monitor " + kSonyTv + " 2 -> ok adapter 1: monitor on I2C port 2",
      "ctl monitor -> ok 1: monitor on I2C port 2, 256-byte EDID, 0 bytes read",
      "ctl monitor none -> ok adapter 1: no monitor", "ctl monitor -> ok 1: no monitor"}},

    {"BadBoardCommandsAreRefused",
     {"--board", "empty"},
     {"ctl monitor stop-after 5", "ctl monitor default 3", "ctl monitor /nonexistent/edid.bin",
      "ctl monitor none 1", "ctl monitor default 1 2", "ctl audio i2s2 48000", "ctl audio spdif 48k",
      "ctl audio i2s0 192001", "ctl audio spdif", "ctl audio 2 spdif 44100", "ctl audio spdif 44100",
      "ctl audio i2s1 0"},
     {"ctl monitor stop-after 5 -> error: adapter 1 has no monitor [exit 1]",
      "ctl monitor default 3 -> error: bad monitor port '3' (use 1 or 2) [exit 1]",
      "ctl monitor /nonexistent/edid.bin -> error: EDID file '/nonexistent/edid.bin' cannot be read: No such file or "
      "directory [exit 1]",
      "ctl monitor none 1 -> error: unexpected argument '1' [exit 1]",
      "ctl monitor default 1 2 -> error: unexpected argument '2' [exit 1]",
      "ctl audio i2s2 48000 -> error: unknown audio source 'i2s2' [exit 1]",
      "ctl audio spdif 48k -> error: bad sampling rate '48k' (Hz, 0 to 192000) [exit 1]",
      "ctl audio i2s0 192001 -> error: bad sampling rate '192001' (Hz, 0 to 192000) [exit 1]",
      "ctl audio spdif -> error: usage: audio [N] spdif RATE [exit 1]",
      "ctl audio 2 spdif 44100 -> error: no adapter '2' (adapters are numbered 1 to 1) [exit 1]",
      "ctl audio spdif 44100 -> ok adapter 1: S/PDIF input plays 44100 Hz",
      "ctl audio i2s1 0 -> ok adapter 1: I2S input 1 is silent"}},
};

class ZevSimBoard : public ::testing::TestWithParam<Scenario> {};

TEST_P(ZevSimBoard, Transcript) {
  const Scenario& scenario = GetParam();
  const ProcessResult result = RunProbe(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevSimBoard, ::testing::ValuesIn(kBoardScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace zev::e2e
