// The console exerciser's image menu on the default 1920 x 1080 monitor: a picture or a
// rectangle drawn at 640 x 480 through the menu, and what the virtual monitor then
// shows, captured with `zev-sim ctl capture` and read back with ImageMagick.
#include <gtest/gtest.h>

#include <optional>

#include "sim/units/rgb_picture.h"
#include "tests/e2e/exerciser_dialogue.h"
#include "tests/e2e/exerciser_support.h"
#include "tests/support/picture_compare.h"
#include "tests/support/reference_decoder.h"
#include "tests/support/temp_dir.h"

namespace zev::e2e {
namespace {

using namespace dialogue;

constexpr uint32_t kWidth = 640;
constexpr uint32_t kHeight = 480;

// A picture in which neighbouring pixels differ, so a shifted, mirrored or cut-off
// drawing cannot pass.
sim::RgbPicture Pattern() {
  sim::RgbPicture picture(kWidth, kHeight);
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      picture.SetPixel(x, y, (x * 7 & 0xFF) << 16 | (y * 5 & 0xFF) << 8 | ((x + y) & 0xFF));
    }
  }
  return picture;
}

// The top-left width x height pixels of `picture`.
sim::RgbPicture Crop(const sim::RgbPicture& picture, uint32_t width, uint32_t height) {
  sim::RgbPicture part(width, height);
  for (uint32_t y = 0; y < height && y < picture.height; ++y) {
    for (uint32_t x = 0; x < width && x < picture.width; ++x) part.SetPixel(x, y, picture.Pixel(x, y));
  }
  return part;
}

std::string ModeSetAt640x480() {
  return "----------------Initializing GE to 640x480 @ 60 ----------------\n" + PixelClock("25175000") +
         "----------------GE initialization to 640x480 @ 60 success ----------------\n\n";
}

// The whole dialogue: main menu 3, the image menu's `imageMenuRun`, its menu once more,
// then 3 and 6 to leave.
std::string ImageDialogue(const std::string& imageMenuRun) {
  return Note() + MainMenu() + kAfterMainChoice + ImageInitLine() + BringUp() + ImageMenuStart(1920, 1080, 60) +
         ImageMenu() + imageMenuRun + ImageMenu() + MainMenu() + kAfterMainChoice;
}

struct ImageRun {
  ExerciserRun run;
  std::optional<sim::RgbPicture> screen;  // the capture as ImageMagick reads it
  std::string error;
};

// Runs the exerciser with `input` and captures the screen once it has ended.
ImageRun RunAndCapture(const testing::TempDir& dir, const std::string& input) {
  ImageRun result;
  const std::string capturePath = dir.File("screen.bmp");
  result.run = RunExerciser({}, input, {}, ShellQuote(ZEV_SIM_BIN) + " ctl capture " + ShellQuote(capturePath));
  if (result.run.process.exitCode == 0) result.screen = testing::ReadWithImageMagick(capturePath, &result.error);
  return result;
}

// The 640 x 480 mode carries an 8-pixel and 8-line border, so the monitor shows
// 648 x 488 with the drawing at its top left. Each mode set starts from a black frame,
// so each drawing gets its own run.
void ExpectScreen(const ImageRun& result, const sim::RgbPicture& expected) {
  ASSERT_TRUE(result.screen.has_value()) << result.error << "\n" << result.run.after << result.run.process.err;
  EXPECT_EQ(result.screen->width, 648u);
  EXPECT_EQ(result.screen->height, 488u);
  EXPECT_TRUE(testing::SamePicture(Crop(*result.screen, kWidth, kHeight), expected));
}

TEST(ConsoleExerciserImage, DrawnPictureAppearsOnTheCapturedScreen) {
  ASSERT_TRUE(testing::ImageMagickAvailable()) << "ImageMagick's convert is needed to read the capture";
  testing::TempDir dir;
  const std::string picturePath = dir.File("picture.bmp");
  const sim::RgbPicture picture = Pattern();
  std::string error;
  ASSERT_TRUE(sim::WriteBmp24File(picture, picturePath, &error)) << error;

  const ImageRun result = RunAndCapture(dir, "3\n2\n2\n" + picturePath + "\n3\n6\n");
  EXPECT_FALSE(result.run.process.timedOut);
  EXPECT_EQ(result.run.dialogue, ImageDialogue(ResolutionMenu(false) + ModeSetAt640x480() + PicturePrompt() +
                                               "\nImage " + picturePath + " drawn successfully. \n\n"))
      << result.run.process.err;
  ExpectScreen(result, picture);
}

TEST(ConsoleExerciserImage, DrawnRectangleAppearsOnTheCapturedScreen) {
  ASSERT_TRUE(testing::ImageMagickAvailable()) << "ImageMagick's convert is needed to read the capture";
  testing::TempDir dir;
  // A red rectangle at 100,100 of 200 x 150.
  const ImageRun result = RunAndCapture(dir, "3\n1\n2\n0\n100\n100\n200\n150\n3\n6\n");
  EXPECT_FALSE(result.run.process.timedOut);
  EXPECT_EQ(result.run.dialogue, ImageDialogue(ResolutionMenu(true) + ModeSetAt640x480() +
                                               RectangleQuestions(640, 480) + "Rectangle drawn successfully. \n\n"))
      << result.run.process.err;
  sim::RgbPicture expected(kWidth, kHeight);
  for (uint32_t y = 100; y < 250; ++y) {
    for (uint32_t x = 100; x < 300; ++x) expected.SetPixel(x, y, 0xFF0000);
  }
  ExpectScreen(result, expected);
}

}  // namespace
}  // namespace zev::e2e
