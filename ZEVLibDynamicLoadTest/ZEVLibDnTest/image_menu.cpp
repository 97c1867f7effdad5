// The image menu: the monitor's preferred resolution, a mode set at a chosen
// resolution, then a rectangle or a picture drawn in it.
#include <cstdint>
#include <cstdio>
#include <optional>

#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/console_input.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/image_drawing.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/image_modes.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/library_session.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/menus.h"
#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/status_lines.h"

namespace zev::dntest {
namespace {

enum class Flow { Rectangle, Picture };

struct DisplayExports {
  decltype(&ZEVPreferedResolution) preferredResolution;
  decltype(&ZEVInitGE) initGe;
};

// The monitor's preferred mode as ZEVPreferedResolution reports it.
struct Preferred {
  uint32_t height;
  uint32_t width;
  uint32_t refresh;
};

std::optional<Preferred> AskPreferred(const DisplayExports& exports) {
  uint32_t resolution[3] = {};
  if (exports.preferredResolution(resolution) != ZEV_SUCCESS) return std::nullopt;
  return Preferred{resolution[0], resolution[1], resolution[2]};
}

void PrintPreferred(const char* lead, const Preferred& preferred, const char* tail) {
  std::printf("%sPreferred Resolution & Refresh Rate of Monitor: \nHorizontal Pixel = %d \nVertical Pixels = %d \n"
              "RefreshRate  = %d\n%s",
              lead, static_cast<int>(preferred.width), static_cast<int>(preferred.height),
              static_cast<int>(preferred.refresh), tail);
}

void PrintResolutionMenu(Flow flow) {
  const char* what = flow == Flow::Rectangle ? "rectangle" : "image";
  std::fputs("----------------Select Monitor Resolution ----------------\n", stdout);
  std::printf("1. Draw %s at prefered resolution \n", what);
  std::printf("2. Draw %s at 640x480 @ 60\n", what);
  std::printf("3. Draw %s at 800x600 @ 60\n", what);
  std::printf("4. Draw %s at 1280x1024 @ 60\n", what);
  std::printf("5. Draw %s at 1440x900 @ 60\n", what);
  std::printf("6. Draw %s at 1920x1080 @ 60\n", what);
  std::fputs("-------------------------------------------------------------\n", stdout);
  std::fputs("Option:: ", stdout);
}

DrawArea SetPreferredMode(const DisplayExports& exports, const Preferred& preferred) {
  const int width = static_cast<int>(preferred.width);
  const int height = static_cast<int>(preferred.height);
  const int refresh = static_cast<int>(preferred.refresh);
  PrintPreferred("\n", preferred, "");
  std::printf("----------------Initializing GE to %dx%d @ %d----------------\n", width, height, refresh);
  if (exports.initGe(preferred.height, preferred.width, preferred.refresh) != ZEV_SUCCESS) {
    std::printf("----------------Failed to initialize GE to %dx%d @ %d----------------\n\n", width, height, refresh);
  } else {
    std::printf("----------------GE initialization to %dx%d @ %d success----------------\n\n", width, height,
                refresh);
  }
  return {preferred.width, preferred.height};
}

// Sets `mode` unless the monitor's preferred mode is smaller; nothing when it is.
std::optional<DrawArea> SetFixedMode(const DisplayExports& exports, const FixedMode& mode, const Preferred& preferred) {
  if (preferred.height < mode.height || preferred.width < mode.width) {
    std::fputs(mode.notSupported, stdout);
    return std::nullopt;
  }
  std::fputs(mode.initializing, stdout);
  const ZEV_STATUS status = exports.initGe(mode.height, mode.width, kFixedRefresh);
  if (status != ZEV_SUCCESS) {
    std::printf(mode.failed, static_cast<int>(status));
  } else {
    std::fputs(mode.success, stdout);
  }
  return DrawArea{mode.width, mode.height};
}

// The resolution sub-menu: the area set for drawing, or nothing to go back to the
// image menu. The drawing step follows whether the mode set succeeded or not.
std::optional<DrawArea> ChooseResolution(const DisplayExports& exports, Flow flow) {
  PrintResolutionMenu(flow);
  const std::optional<int> choice = ReadNumber();
  if (!choice) return std::nullopt;
  const FixedMode* fixed = FindFixedMode(*choice);
  if (*choice != 1 && fixed == nullptr) return std::nullopt;
  const std::optional<Preferred> preferred = AskPreferred(exports);
  if (!preferred) {
    std::fputs(fixed != nullptr ? fixed->preferredFailed : "Failed to get prefered resolution \n\n", stdout);
    return std::nullopt;
  }
  if (fixed == nullptr) return SetPreferredMode(exports, *preferred);
  return SetFixedMode(exports, *fixed, *preferred);
}

void PrintImageMenu() {
  std::fputs("-------- Image Test Menu -----------\n", stdout);
  std::fputs("\t1. Draw rectangle operation\n", stdout);
  std::fputs("\t2. Image draw operation \n", stdout);
  std::fputs("\t3. Exit \n", stdout);
  std::fputs("------------------------------------ \n", stdout);
  std::fputs("Option:: ", stdout);
}

}  // namespace

void ImageMenu(const LibrarySource& source) {
  LibrarySession session(source);
  if (!session.Load()) return;
  std::fputs("----------------Intializing library and Voskar Hardware----------------", stdout);
  const ZEV_STATUS status = session.Init();
  if (status == ZEV_LIB_MORE_THAN_ONE_DEV || status == ZEV_FRM_WRK_INIT_FAIL || status == ZEV_HDWRE_INIT_FAIL) {
    PrintStatus(status, kInitLines);
    return;
  }
  std::fputs("--------------Library and Voskar Hardware init success------------ \n\n", stdout);

  const DisplayExports exports{ZEV_FIND_IN_MODULE(session, ZEVPreferedResolution),
                               ZEV_FIND_IN_MODULE(session, ZEVInitGE)};
  if (exports.preferredResolution == nullptr || exports.initGe == nullptr) {
    std::fputs("Failed to get address of function ZEVPreferedResolution or ZEVInitGE \n", stdout);
    return;
  }
  if (const std::optional<Preferred> preferred = AskPreferred(exports)) {
    PrintPreferred("", *preferred, "\n");
  } else {
    std::fputs("Failed to get prefered resolution \n", stdout);
  }

  while (true) {
    PrintImageMenu();
    const std::optional<int> choice = ReadNumber();
    if (!choice || (*choice != 1 && *choice != 2)) return;
    const Flow flow = *choice == 1 ? Flow::Rectangle : Flow::Picture;
    const std::optional<DrawArea> area = ChooseResolution(exports, flow);
    if (!area) continue;
    if (flow == Flow::Rectangle) {
      DrawRectangleStep(session, *area);
    } else {
      DrawPictureStep(session);
    }
  }
}

}  // namespace zev::dntest
