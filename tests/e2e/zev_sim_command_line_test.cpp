// zev-sim's own command line, exit status and clean-up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>

#include "device/eeprom/eeprom_image_builder.h"
#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

using ::testing::HasSubstr;

std::string WriteFile(const std::string& name, size_t bytes) {
  const std::string path = ProcessTempPath(name);
  std::ofstream(path, std::ios::binary) << std::string(bytes, '\xFF');
  return path;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

struct BadCommandLine {
  std::string name;
  std::vector<std::string> options;
  std::string message;  // what stderr must say
};

// Test names say enough; gtest would otherwise dump the bytes.
void PrintTo(const BadCommandLine& value, std::ostream* out) { *out << value.name; }


std::vector<BadCommandLine> BadCommandLines() {
  const std::string tooLong = WriteFile("eeprom_600.bin", 600);
  const std::string tooLongFor256 = WriteFile("eeprom_300.bin", 300);
  const std::string shortEdid = WriteFile("edid_100.bin", 100);
  return {
      {"AdaptersNotANumber", {"--adapters", "two"}, "zev-sim: --adapters: 'two' is not a number from 0 to 16"},
      {"TooManyAdapters", {"--adapters", "17"}, "zev-sim: --adapters: '17' is not a number from 0 to 16"},
      {"MissingValue", {"--adapters"}, "zev-sim: --adapters needs a value"},
      {"UnknownVariant", {"--variant", "rev1,rev2"}, "zev-sim: --variant: unknown chip variant 'rev2'"},
      {"FpgaWithoutBuild", {"--variant=fpga"}, "zev-sim: --variant: unknown chip variant 'fpga'"},
      {"UnknownSpeed", {"--speed", "ludicrous"}, "zev-sim: --speed: unknown bus speed 'ludicrous'"},
      {"UnreadableEeprom",
       {"--eeprom", "/nonexistent/image.bin"},
       "zev-sim: cannot read EEPROM image '/nonexistent/image.bin': No such file or directory"},
      {"EepromIsADirectory", {"--eeprom", "/"}, "zev-sim: cannot read EEPROM image '/': Is a directory"},
      {"EepromLongerThanThePart",
       {"--eeprom", tooLong},
       "zev-sim: EEPROM image '" + tooLong + "' is longer than the 512-byte part"},
      {"EepromLongerThanASmallerPart",
       {"--eeprom", tooLongFor256, "--eeprom-size", "256"},
       "zev-sim: EEPROM image '" + tooLongFor256 + "' is longer than the 256-byte part"},
      {"BadEepromSize", {"--eeprom-size", "1024"}, "zev-sim: --eeprom-size: '1024' is not an EEPROM part size"},
      {"BadDramSize",
       {"--dram-size", "128"},
       "zev-sim: --dram-size: '128' is not a DRAM part size in MB (use 32 or 64)"},
      {"UnwritableTrace",
       {"--trace", "/nonexistent/trace.txt"},
       "zev-sim: cannot write trace file '/nonexistent/trace.txt': No such file or directory"},
      {"UnknownBoard", {"--board", "full"}, "zev-sim: --board: unknown board 'full' (use standard or empty)"},
      {"UnreadableMonitorEdid",
       {"--monitor-edid", "/nonexistent/edid.bin"},
       "zev-sim: EDID file '/nonexistent/edid.bin' cannot be read: No such file or directory"},
      {"ShortMonitorEdid",
       {"--monitor-edid", shortEdid},
       "zev-sim: EDID file '" + shortEdid + "' holds 100 bytes; an EDID block has 128"},
      {"BadMonitorPort", {"--monitor-port=3"}, "zev-sim: --monitor-port: '3' is not a monitor port (use 1, 2 or none)"},
      {"BadAudioRate",
       {"--spdif-rate", "44.1k"},
       "zev-sim: --spdif-rate: '44.1k' is not a sampling rate in Hz from 0 to 192000"},
      {"UnknownOption", {"--adapter", "1"}, "zev-sim: unknown option '--adapter'"},
      {"CommandWithoutSeparator", {"true"}, "zev-sim: unexpected argument 'true'"},
  };
}

class ZevSimCommandLine : public ::testing::TestWithParam<BadCommandLine> {};

// The command never runs (it would exit 0) and the message names the culprit.
TEST_P(ZevSimCommandLine, IsRefusedWithExitStatus2) {
  const BadCommandLine& bad = GetParam();
  const ProcessResult result = RunZevSim(bad.options, {"true"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_THAT(result.err, HasSubstr(bad.message));
}

INSTANTIATE_TEST_SUITE_P(ZevSim, ZevSimCommandLine, ::testing::ValuesIn(BadCommandLines()),
                         [](const ::testing::TestParamInfo<BadCommandLine>& info) { return info.param.name; });

TEST(ZevSim, RefusesAMissingCommand) {
  const ProcessResult result = RunProcess({ZEV_SIM_BIN, "--adapters", "1"}, kRunTimeout);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_THAT(result.err, HasSubstr("zev-sim: no command given"));
}

TEST(ZevSim, ReportsACommandThatCannotRun) {
  const ProcessResult result = RunZevSim({}, {"/nonexistent/program"});
  EXPECT_EQ(result.exitCode, 127);
  EXPECT_THAT(result.err, HasSubstr("zev-sim: cannot run '/nonexistent/program': No such file or directory"));
}

// The command's exit status comes back, and the testbed and the control socket's
// directory are gone afterwards.
TEST(ZevSim, ExitsWithTheCommandsStatusAndCleansUp) {
  const ProcessResult result =
      RunZevSim({}, {"sh", "-c", "echo \"$UMOCKDEV_DIR\"; dirname \"$ZEV_SIM_CTL\"; exit 7"});
  EXPECT_EQ(result.exitCode, 7);
  const std::vector<std::string> dirs = Lines(result.out);
  ASSERT_EQ(dirs.size(), 2u) << result.out;
  EXPECT_FALSE(Exists(dirs[0])) << dirs[0];
  EXPECT_FALSE(Exists(dirs[1])) << dirs[1];
}

TEST(ZevSim, ControlSocketDirectoryIsPrivate) {
  const ProcessResult result = RunZevSim({}, {"sh", "-c", "stat -c %a \"$(dirname \"$ZEV_SIM_CTL\")\""});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "700\n");
}

// A signal to zev-sim goes on to the command; zev-sim still cleans up and reports
// how the command ended.
TEST(ZevSim, PassesSignalsOnAndCleansUp) {
  Process zevSim;
  std::string error;
  ASSERT_TRUE(zevSim.Start({ZEV_SIM_BIN, "--", "sh", "-c", "echo \"$UMOCKDEV_DIR\"; exec sleep 60"}, &error)) << error;
  std::string testbed;
  ASSERT_TRUE(zevSim.ReadLine(&testbed, kRunTimeout));
  ASSERT_TRUE(Exists(testbed));
  zevSim.Signal(SIGTERM);
  const ProcessResult result = zevSim.Finish(kRunTimeout);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 128 + SIGTERM);
  EXPECT_FALSE(Exists(testbed));
}

// The image is read once, so it may come from a stream: here a product ID no default
// image has, read through standard input.
TEST(ZevSim, ReadsTheEepromImageFromAStream) {
  EepromImageFields fields;
  fields.productId = 0x0042;
  std::vector<uint8_t> image;
  std::string error;
  ASSERT_TRUE(BuildEepromImage(fields, 256, &image, &error)) << error;
  const std::string path = ProcessTempPath("eeprom_pid42.bin");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  const ProcessResult result =
      RunProcess({"sh", "-c",
                  std::string(ZEV_SIM_BIN) + " --eeprom /dev/stdin --eeprom-size 256 -- " + ZEV_SIM_BIN +
                      " ctl status < '" + path + "'"},
                 kRunTimeout);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("id=1209:0042"));
}

// What the board options put on every adapter's board, as `ctl monitor` reports it.
TEST(ZevSim, BoardOptionsWireTheMonitor) {
  const struct {
    std::vector<std::string> options;
    std::string reply;
  } cases[] = {
      {{}, "ok 1: monitor on I2C port 2, 256-byte EDID, 0 bytes read\n"},
      {{"--board", "empty"}, "ok 1: no monitor\n"},
      {{"--board=empty", "--monitor-port", "1"}, "ok 1: monitor on I2C port 1, 256-byte EDID, 0 bytes read\n"},
      {{"--monitor-port", "none"}, "ok 1: no monitor\n"},
      {{"--adapters", "2", "--monitor-edid", std::string(ZEV_DATA_DIR) + "/edid/dell-e178wfp-vga.bin"},
       "ok 1: monitor on I2C port 2, 128-byte EDID, 0 bytes read | 2: monitor on I2C port 2, 128-byte EDID, 0 bytes "
       "read\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = RunZevSim(c.options, {ZEV_SIM_BIN, "ctl", "monitor"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, c.reply);
  }
}

TEST(ZevSimCtl, RefusesAnOverlongCommand) {
  const ProcessResult result = RunZevSim({}, {ZEV_SIM_BIN, "ctl", "status", std::string(5000, 'x')});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, HasSubstr("error: command longer than 4096 bytes"));
}

TEST(ZevSimCtl, NeedsASocket) {
  const ProcessResult result = RunProcess({"env", "-u", "ZEV_SIM_CTL", ZEV_SIM_BIN, "ctl", "status"}, kRunTimeout);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_THAT(result.err, HasSubstr("zev-sim ctl: no control socket"));
}

TEST(ZevSimCtl, ReportsAnUnreachableZevSim) {
  const ProcessResult result = RunProcess({ZEV_SIM_BIN, "ctl", "--socket", "/nonexistent/ctl", "status"}, kRunTimeout);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(result.err, HasSubstr("zev-sim ctl: cannot reach zev-sim at /nonexistent/ctl"));
}

TEST(ZevSimCtl, HelpListsTheCommands) {
  const ProcessResult result = RunProcess({ZEV_SIM_BIN, "ctl", "--help"}, kRunTimeout);
  EXPECT_EQ(result.exitCode, 0);
  for (const char* command : {"status", "plug [N]", "unplug [N]", "add [VARIANT]", "fault [N] fail-next COUNT",
                              "fault [N] stuck ADDR HIGHMASK LOWMASK", "fault [N] clear", "monitor [N]",
                              "monitor [N] FILE|default [1|2]", "monitor [N] none", "monitor [N] stop-after COUNT|never",
                              "audio [N] i2s0 RATE", "audio [N] spdif RATE"}) {
    EXPECT_THAT(result.out, HasSubstr(std::string("  ") + command)) << command;
  }
}

}  // namespace
}  // namespace zev::e2e
