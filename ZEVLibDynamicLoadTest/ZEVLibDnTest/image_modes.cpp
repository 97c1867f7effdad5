#include "ZEVLibDynamicLoadTest/ZEVLibDnTest/image_modes.h"

namespace zev::dntest {
namespace {

constexpr FixedMode kFixedModes[] = {
    {2, 640, 480, "Failed to get prefered resolution \n\n", "Monitor donot support 640x480 @ 60  \n\n",
     "----------------Initializing GE to 640x480 @ 60 ----------------\n",
     "----------------Failed to initialize GE on resolution 640x480 @ 60, Err = %d----------------\n",
     "----------------GE initialization to 640x480 @ 60 success ----------------\n\n"},
    {3, 800, 600, "Failed to get prefered resolution \n\n", "Monitor donot support 800x600 @ 60 \n\n",
     "----------------Initializing GE to 800x600 @ 60 ---------------- \n",
     "----------------Failed to initialize GE on resolution 800x600 @ 60, Err = %d----------------\n",
     "----------------GE initialization to 800x600 @ 60 success ----------------\n\n"},
    {4, 1280, 1024, "Failed to get prefered resolution \n", "Monitor donot support 1280x1024 @ 60 \n\n",
     "----------------Initializing GE to 1280x1024 @ 60 ----------------\n",
     "----------------Failed to initialize GE on resolution 1280x1024 @ 60, Err = %d----------------\n",
     "----------------GE initialization to 1280x1024 @ 60 success ----------------\n\n"},
    {5, 1440, 900, "Failed to get prefered resolution \n", "Monitor donot support 1440x900 @ 60 \n\n",
     "----------------Initializing GE to 1440x900 @ 60 ----------------\n",
     "----------------Failed to initialize GE on resolution 1440x900 @ 60, Err = %d----------------\n",
     "----------------GE initialization to 1440x900 @ 60 success ----------------\n\n"},
    {6, 1920, 1080, "Failed to get prefered resolution \n\n", "Monitor donot support 1920x1080 @ 60 \n\n",
     "----------------Initializing GE to 1920x1080 @ 60 ----------------\n",
     "----------------Failed to initialize GE on resolution 1920x1080 @ 60, Err = %d----------------\n",
     "----------------GE initialization to 1920x1080 @ 60 success ----------------\n\n"},
};

}  // namespace

const FixedMode* FindFixedMode(int choice) {
  for (const FixedMode& mode : kFixedModes) {
    if (mode.choice == choice) return &mode;
  }
  return nullptr;
}

}  // namespace zev::dntest
