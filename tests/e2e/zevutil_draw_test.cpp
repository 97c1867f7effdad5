// The drawing exports of the built libzevutil.so (driven by zev-e2e-lib) against a
// virtual adapter through libusb and zev-sim. No mode is set here (the mode set's EDID
// reads are tested in-process, see zevutil_under_zev_sim_test.cpp), so the drawing area
// is 0 x 0: the exports' argument checks, device check and result codes are what shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace zev::e2e {
namespace {

TEST(ZevutilDraw, ResultCodesWithoutAMode) {
  const std::string data = std::string(ZEV_DATA_DIR) + "/bmp/";
  const std::string missing = ProcessTempPath("no-such-picture.bmp");
  const ProcessResult result = RunLibClient(
      {}, {"draw-rect 5 0 0 1 1", "draw-pic null", "init", "draw-rect 3 0 0 1 1", "draw-rect 7 0 0 1 1",
           "draw-pic " + data + "g/rgb24.bmp", "draw-pic " + data + "g/pal8.bmp", "draw-pic " + missing,
           "ctl capture " + ProcessTempPath("screen.bmp")});
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(Lines(result.out),
              ::testing::ElementsAre(
                  "draw-rect 5 0 0 1 1: -32760", "draw-pic null: -32760", "init: 0", "draw-rect 3 0 0 1 1: -32744",
                  "draw-rect 7 0 0 1 1: -32760", "draw-pic " + data + "g/rgb24.bmp: -32743",
                  "draw-pic " + data + "g/pal8.bmp: -32741", "draw-pic " + missing + ": -32742",
                  "ctl capture " + ProcessTempPath("screen.bmp") +
                      " -> error: adapter 1: no mode set (the display controller is not running) [exit 1]"))
      << result.err;
}

}  // namespace
}  // namespace zev::e2e
