// `zev-sim ctl capture`: what a virtual adapter's monitor shows, written as a BMP file,
// and the error replies while nothing is shown.
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

// A 4 x 2 mode at 32 bits per pixel, written register by register: DC_HSIZE (total
// 164, width 4), DC_HBLANK (blanking from 4), DC_VSIZE (total 32, height 2), DC_VBLANK
// (from 2), DC_FRAME_LEN, then DC_CTRL enabled and unblanked. DC_STS follows a few
// status reads later.
const std::vector<std::string> kModeSteps = {
    "write 0x2008 0x00A30003", "write 0x200C 0x000300A3", "write 0x2014 0x001F0001", "write 0x2018 0x0001001F",
    "write 0x2028 24",         "write 0x2000 0x01000009", "read 0x2004",             "read 0x2004",
    "read 0x2004"};

// One word through the data port at address 0: the first pixel red (blue, green, red
// bytes 00 00 FF), the rest black.
const std::vector<std::string> kRedPixelSteps = {"write 0x8000 1",     "write 0x8008 0", "write 0x800C 0x00FF0000",
                                                 "write 0x8010 0",     "write 0x8004 0xFF01", "read 0x8000",
                                                 "write 0x8000 0"};

TEST(ZevSimCapture, WritesWhatTheMonitorShows) {
  char pattern[] = "/tmp/zev-capture-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path dir = pattern;
  const std::string file = (dir / "screen.bmp").string();

  std::vector<std::string> steps = {"open", "ctl capture " + file};
  steps.insert(steps.end(), kModeSteps.begin(), kModeSteps.end());
  steps.insert(steps.end(), kRedPixelSteps.begin(), kRedPixelSteps.end());
  steps.insert(steps.end(), {"ctl capture 1 " + file, "ctl capture 1 " + (dir / "missing" / "x.bmp").string(),
                             "write 0x2000 0x01000109", "read 0x2004", "read 0x2004", "read 0x2004",
                             "ctl capture " + file, "ctl capture", "ctl capture 2 " + file});
  const ProcessResult result = RunProbe({"--adapters", "1"}, steps);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  auto has = [&](const std::string& line) { return ::testing::Contains(line); };
  EXPECT_THAT(lines, has("ctl capture " + file +
                         " -> error: adapter 1: no mode set (the display controller is not running) [exit 1]"));
  EXPECT_THAT(lines, has("ctl capture 1 " + file + " -> ok adapter 1: captured 4x2 to " + file));
  EXPECT_THAT(lines, has("ctl capture " + file + " -> error: adapter 1: display blanked [exit 1]"));
  EXPECT_THAT(lines, has("ctl capture -> error: usage: capture [N] FILE [exit 1]"));
  EXPECT_THAT(lines, has("ctl capture 2 " + file +
                         " -> error: no adapter '2' (adapters are numbered 1 to 1) [exit 1]"));
  EXPECT_THAT(lines, has("ctl capture 1 " + (dir / "missing" / "x.bmp").string() + " -> error: cannot create " +
                         (dir / "missing" / "x.bmp").string() + ": No such file or directory [exit 1]"));

  // 4 x 2 pixels, 12-byte rows, bottom row first: the red pixel starts the top row.
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bmp.size(), 54u + 24) << result.out;
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[18], 4);
  EXPECT_EQ(bmp[22], 2);
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 66), std::vector<uint8_t>(12, 0));
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 66, bmp.begin() + 72), (std::vector<uint8_t>{0, 0, 0xFF, 0, 0, 0}));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zev::e2e
