#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/image_drawing.h"

#include <cstdio>
#include <optional>
#include <string>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {
namespace {

// The path buffer's size less its terminator.
constexpr size_t kMaxPathLength = 511;

constexpr StatusLine kRectangleLines[] = {
    {ZEV_SUCCESS, "Rectangle drawn successfully. \n\n"},
    lines::kLibFailureTight,
    lines::kHdwreInitFail,
    lines::kDevComFail,
    lines::kInvalidArg,
    lines::kGeInitFailed,
    lines::kInvalidDrawReq,
};

constexpr StatusLine kPictureFailureLines[] = {
    {ZEV_LIB_FAILURE, "\n GE not initialized properly, Use case 1 to initialize GE. \n"},
    lines::kHdwreInitFail,
    lines::kDevComFail,
    lines::kInvalidArg,
    lines::kEdidParseErr,
    {ZEV_GE_INIT_FAILED, "\n GE not initialized properly. \n"},
    lines::kResolutionMismatch,
    lines::kFileNotFound,
    lines::kWrongFileFormat,
};

// Prints `prompt` and reads a number; nothing at the end of input.
std::optional<int> Ask(const char* prompt) {
  std::fputs(prompt, stdout);
  return ReadNumber();
}

}  // namespace

void DrawRectangleStep(LibrarySession& session, DrawArea area) {
  const auto drawRect = ZEV_FIND_IN_MODULE(session, ZEVDrawRect);
  if (drawRect == nullptr) {
    std::fputs(" \n Failed get address ZEVInitGE or ZEVDrawRectfrom library. Library not loaded correctly \n", stdout);
    return;
  }
  const std::optional<int> colour =
      Ask(" Enter Rectangle Color: \t\n 0 -> Red \t\n 1 -> Green \t\n 2 -> Blue \t\n 3 -> White \t\n 4 -> Black\n");
  if (!colour) return;
  std::fputs(" \nEnter starting co-ordinates for Rectangle:", stdout);
  const std::optional<int> x = Ask(" \nX - Pos : ");
  if (!x) return;
  const std::optional<int> y = Ask(" \nY - Pos : ");
  if (!y) return;
  std::printf(" \nEnter Width, 'X-Pos + Width' should not greater than %d \n", static_cast<int>(area.width));
  const std::optional<int> width = Ask(" Width : ");
  if (!width) return;
  std::printf(" \nEnter Height, 'Y-Pos + Hight' should not greater than %d \n", static_cast<int>(area.height));
  const std::optional<int> height = Ask(" Height : ");
  if (!height) return;
  const ZEV_STATUS status = drawRect(*colour, static_cast<uint32_t>(*x), static_cast<uint32_t>(*y),
                                     static_cast<uint32_t>(*width), static_cast<uint32_t>(*height));
  PrintStatus(status, kRectangleLines);
}

void DrawPictureStep(LibrarySession& session) {
  const auto drawPic = ZEV_FIND_IN_MODULE(session, ZEVDrawPic);
  if (drawPic == nullptr) {
    ReportMissingExport("ZEVDrawPic");
    return;
  }
  std::fputs("\nPlease enter Image path(Image Resolution should match selected Monitor Resolution):  ", stdout);
  bool tooLong = false;
  const std::optional<std::string> path = ReadWord(kMaxPathLength, &tooLong);
  if (!path) return;
  if (tooLong) {
    std::printf("\nImage path is longer than %d characters \n\n", static_cast<int>(kMaxPathLength));
    return;
  }
  const ZEV_STATUS status = drawPic(path->c_str());
  if (status != ZEV_SUCCESS) {
    session.DeInit();
    session.Init();
  }
  std::fputs("\n", stdout);
  if (status == ZEV_SUCCESS) {
    std::printf("Image %s drawn successfully. \n\n", path->c_str());
  } else {
    PrintStatus(status, kPictureFailureLines);
  }
}

}  // namespace zev::dntest
