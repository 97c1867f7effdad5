// Names of the EDID established timings, as the utility's EDID report and timing list
// show them.
#include "device/video/edid.h"

namespace zev {

// Row k: bit k of byte 35; row 8 + k: bit k of byte 36.
const std::array<EstablishedTiming, kEstablishedTimingCount> EstablishedTimings{{
    {L"              800 x 600 @ 60Hz - VESA  ", 800, 600, 60},
    {L"              800 x 600 @ 56Hz - VESA ", 800, 600, 56},
    {L"              640 x 480 @ 75Hz - VESA ", 640, 480, 75},
    {L"              640 x 480 @ 72Hz - VESA ", 640, 480, 72},
    {L"              640 x 480 @ 67Hz - Apple, Mac II ", 640, 480, 67},
    {L"              640 x 480 @ 60Hz - IBM, VGA ", 640, 480, 60},
    {L"              720 x 400 @ 88Hz - IBM, XGA2", 720, 400, 88},
    {L"              720 x 400 @ 70Hz - IBM, VGA ", 720, 400, 70},
    {L"              1280 x 1024 @ 75Hz - VESA   ", 1280, 1024, 75},
    {L"              1024 x 768 @ 75Hz - VESA  ", 1024, 768, 75},
    {L"              1024 x 768 @ 70Hz - VESA ", 1024, 768, 70},
    {L"              1024 x 768 @ 60Hz - VESA ", 1024, 768, 60},
    {L"              1024 x 768 @ 87Hz -(I)  IBM - Interlaced ", 1024, 768, 87},
    {L"              832 x 624 @ 75Hz - Apple, Mac II  ", 832, 624, 75},
    {L"              800 x 600 @ 75Hz - VESA   ", 800, 600, 75},
    {L"              800 x 600 @ 72Hz - VESA  ", 800, 600, 72},
}};

}  // namespace zev
