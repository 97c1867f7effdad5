// libzevutil.so, loaded with dlopen by the probe, driving virtual adapters through
// libusb and zev-sim: the device reset; and the board changed through the control
// socket.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

const std::string kSonyTv = std::string(ZEV_DATA_DIR) + "/edid/sony-snyd301-override.bin";  // 1360 x 768

struct LibraryScenario {
  std::string name;
  std::vector<std::string> options;  // zev-sim's
  std::vector<std::string> steps;    // the probe's
  std::vector<std::string> transcript;
  std::vector<std::string> environment = {};
};
void PrintTo(const LibraryScenario& value, std::ostream* out) { *out << value.name; }

// The probe's own lines; the library's diagnostic lines (clock banners, I2C dumps)
// share its standard output.
std::vector<std::string> StepLines(const std::string& out) {
  std::vector<std::string> steps;
  for (const std::string& line : Lines(out)) {
    for (const char* prefix : {"zev ", "ctl ", "hotplug", "generation "}) {
      if (line.starts_with(prefix)) {
        steps.push_back(line);
        break;
      }
    }
  }
  return steps;
}

const LibraryScenario kScenarios[] = {
    // The adapter re-reads its EEPROM at the reset and rejoins with the new product ID;
    // the next probing export re-opens it on its own.
    {"ResetDeviceRejoinsWithTheEepromReRead",
     {},
     {"hotplug-watch", "zev load", "zev ZEVLibInit", "zev program-pid 0x0003", "zev ZEVResetDevice",
      "hotplug-wait left arrived", "generation 1", "zev ZEVCalcEepromSize", "zev unload"},
     {"hotplug-watch: ok", "zev load: ok", "zev ZEVLibInit: 0", "zev program-pid 0x0003: 0", "zev ZEVResetDevice: 0",
      "hotplug: left 1209:0002 at 1-1, arrived 1209:0003 at 1-1", "generation 1: 2", "zev ZEVCalcEepromSize: 0 512",
      "zev unload: ok"},
     {"ZEV_USB_IDS=1209:0003"}},

    {"ResetWithoutAConnectionIsRefused",
     {},
     {"zev load", "zev ZEVResetDevice", "generation 1"},
     {"zev load: ok", "zev ZEVResetDevice: -32762", "generation 1: 1"}},

    // The monitor from the command line on I2C port 1, then replaced, silenced and
    // removed. (The library's EDID reads and mode sets run in-process: through the real
    // USB path each byte is an I2C poll whose 100 ms timeout a loaded machine can
    // overrun.)
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
      "ctl audio i2s2 48000 -> error: unknown audio source 'i2s2' (use i2s0, i2s1 or spdif) [exit 1]",
      "ctl audio spdif 48k -> error: bad sampling rate '48k' (Hz, 0 to 192000) [exit 1]",
      "ctl audio i2s0 192001 -> error: bad sampling rate '192001' (Hz, 0 to 192000) [exit 1]",
      "ctl audio spdif -> error: usage: audio [N] i2s0|i2s1|spdif RATE [exit 1]",
      "ctl audio 2 spdif 44100 -> error: no adapter '2' (adapters are numbered 1 to 1) [exit 1]",
      "ctl audio spdif 44100 -> ok adapter 1: S/PDIF input plays 44100 Hz",
      "ctl audio i2s1 0 -> ok adapter 1: I2S input 1 is silent"}},
};

class ZevutilUnderZevSim : public ::testing::TestWithParam<LibraryScenario> {};

TEST_P(ZevutilUnderZevSim, Transcript) {
  const LibraryScenario& scenario = GetParam();
  const ProcessResult result = RunProbe(scenario.options, scenario.steps, scenario.environment);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(StepLines(result.out), ::testing::ElementsAreArray(scenario.transcript)) << result.out << result.err;
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevutilUnderZevSim, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<LibraryScenario>& info) { return info.param.name; });

}  // namespace
}  // namespace zev::e2e
