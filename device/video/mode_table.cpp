#include "device/video/mode_table.h"

#include <array>

namespace zev {
namespace {

// Rows 0 and 1 keep the 8-pixel and 8-line borders of their DMT definitions, so their
// blanking starts at 648 and 488.
constexpr std::array<DmtMode, kLibraryModeCount> kLibraryModes{{
    // w, h, refresh, pixclk, htotal, hblank start+width, hsync start+width, vtotal, vblank, vsync, pol1, pol2
    {640, 480, 60, 25175000, 800, 648, 144, 656, 96, 525, 488, 29, 490, 2, 0, 0},
    {640, 480, 72, 31500000, 832, 648, 176, 664, 40, 520, 488, 24, 489, 3, 0, 0},
    {640, 480, 75, 31500000, 840, 640, 200, 656, 64, 500, 480, 20, 481, 3, 0, 0},
    {640, 480, 85, 36000000, 832, 640, 192, 696, 56, 509, 480, 29, 481, 3, 0, 0},
    {800, 600, 60, 40000000, 1056, 800, 256, 840, 128, 628, 600, 28, 601, 4, 1, 1},
    {800, 600, 72, 50000000, 1040, 800, 240, 856, 120, 666, 600, 66, 637, 6, 1, 1},
    {800, 600, 75, 49500000, 1056, 800, 256, 816, 80, 625, 600, 25, 601, 3, 1, 1},
    {800, 600, 85, 56250000, 1048, 800, 248, 832, 64, 631, 600, 31, 601, 3, 1, 1},
    {1024, 768, 60, 65000000, 1344, 1024, 320, 1048, 136, 806, 768, 38, 771, 6, 0, 0},
    {1024, 768, 70, 75000000, 1328, 1024, 304, 1048, 136, 806, 768, 38, 771, 6, 0, 0},
    {1024, 768, 75, 78750000, 1312, 1024, 288, 1040, 96, 800, 768, 32, 769, 3, 1, 1},
    {1024, 768, 85, 94500000, 1376, 1024, 352, 1072, 96, 808, 768, 40, 769, 3, 1, 1},
    {1280, 1024, 60, 108000000, 1688, 1280, 408, 1328, 112, 1066, 1024, 42, 1025, 3, 1, 1},
    {1280, 1024, 75, 135000000, 1688, 1280, 408, 1296, 144, 1066, 1024, 42, 1025, 3, 1, 1},
    {1280, 1024, 85, 157500000, 1728, 1280, 448, 1344, 160, 1072, 1024, 48, 1025, 3, 1, 1},
    {1600, 1200, 60, 162000000, 2160, 1600, 560, 1664, 192, 1250, 1200, 50, 1201, 3, 1, 1},
    {848, 480, 60, 33750000, 1088, 848, 240, 864, 112, 517, 480, 37, 486, 8, 1, 1},
    {1280, 800, 60, 83500000, 1680, 1280, 400, 1352, 128, 831, 800, 31, 803, 6, 0, 1},
    {1440, 900, 60, 106500000, 1904, 1440, 464, 1520, 152, 934, 900, 34, 903, 6, 0, 1},
    {1440, 900, 75, 136750000, 1936, 1440, 496, 1536, 152, 942, 900, 42, 903, 6, 0, 1},
    {1440, 900, 85, 157000000, 1952, 1440, 512, 1544, 152, 948, 900, 48, 903, 6, 0, 1},
    {1440, 900, 59, 88750000, 1600, 1440, 160, 1488, 32, 926, 900, 26, 903, 6, 0, 1},
    {1680, 1050, 60, 146250000, 2240, 1680, 560, 1784, 176, 1089, 1050, 39, 1053, 6, 0, 1},
    {1920, 1200, 60, 154000000, 2080, 1920, 160, 1968, 32, 1235, 1200, 35, 1203, 6, 1, 0},
    {720, 480, 60, 27000000, 858, 720, 138, 736, 62, 525, 480, 45, 489, 6, 0, 0},
    {1280, 720, 60, 74250000, 1650, 1280, 370, 1390, 40, 750, 720, 30, 725, 5, 1, 1},
    {1920, 1080, 60, 148500000, 2200, 1920, 280, 2008, 44, 1125, 1080, 45, 1084, 5, 1, 1},
    {2048, 1152, 60, 156750000, 2208, 2048, 160, 2096, 32, 1185, 1152, 33, 1155, 5, 1, 1},
    {1680, 1050, 59, 146250000, 2240, 1680, 560, 1784, 176, 1089, 1050, 39, 1053, 6, 1, 0},
    {1920, 1080, 50, 148500000, 2640, 1920, 720, 1968, 44, 1125, 1080, 45, 1084, 5, 1, 1},
    {2048, 1152, 59, 156750000, 2208, 2048, 160, 2096, 32, 1185, 1152, 33, 1155, 5, 0, 1},
}};

// The utility's rows as rows of the library's table: 0 ... 25 alike, then 1920 x 1080
// at 50 and 60 Hz and 2048 x 1152 at 60 and 59 Hz.
constexpr std::array<uint8_t, kUtilityModeCount> kUtilityRowOrder{
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
    15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 29, 26, 27, 30,
};

constexpr std::array<DmtMode, kUtilityModeCount> UtilityModes() {
  std::array<DmtMode, kUtilityModeCount> rows{};
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = kLibraryModes[kUtilityRowOrder[i]];
  return rows;
}

constexpr std::array<DmtMode, kUtilityModeCount> kUtilityModes = UtilityModes();

}  // namespace

std::span<const DmtMode> DmtModeTable(Variant variant) {
  if (variant == Variant::Utility) return kUtilityModes;
  return kLibraryModes;
}

const DmtMode* DmtModeRow(uint32_t index, Variant variant) {
  const std::span<const DmtMode> table = DmtModeTable(variant);
  return index < table.size() ? &table[index] : nullptr;
}

uint32_t DmtFindMode(uint32_t width, uint32_t height, uint32_t refresh, Variant variant) {
  const std::span<const DmtMode> table = DmtModeTable(variant);
  uint32_t row = 0;
  for (; row < table.size(); ++row) {
    const DmtMode& m = table[row];
    if (m.dwWidth == width && m.dwHeight == height && m.dwRefresh == refresh) break;
  }
  return row;
}

}  // namespace zev
