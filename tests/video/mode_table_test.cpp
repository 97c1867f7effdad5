// The mode table of both library copies and its lookup.
#include "device/video/mode_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zev {
namespace {

TEST(DmtFindMode, ExactMatchesOnly) {
  const struct {
    uint32_t width, height, refresh;
    Variant variant;
    uint32_t row;
  } cases[] = {
      {640, 480, 60, Variant::Library, 0},
      {1440, 900, 59, Variant::Library, 21},
      {1920, 1080, 59, Variant::Library, 31},  // no tolerance: nothing found
      {1920, 1080, 60, Variant::Library, 26},
      {1680, 1050, 60, Variant::Library, 22},
      {1680, 1050, 59, Variant::Library, 28},
      {1920, 1080, 50, Variant::Library, 29},
      {2048, 1152, 59, Variant::Library, 30},
      {1366, 768, 60, Variant::Library, 31},
      {0, 0, 0, Variant::Library, 31},
      // The utility's copy: same first 26 rows, then 1080p50, 1080p60, 2048x1152 at 60 and 59.
      {1440, 900, 59, Variant::Utility, 21},
      {1920, 1080, 50, Variant::Utility, 26},
      {1920, 1080, 60, Variant::Utility, 27},
      {2048, 1152, 60, Variant::Utility, 28},
      {2048, 1152, 59, Variant::Utility, 29},
      {1680, 1050, 59, Variant::Utility, 30},  // not in the utility's table
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "@" + std::to_string(c.refresh) +
                 (c.variant == Variant::Utility ? " utility" : " library"));
    EXPECT_EQ(DmtFindMode(c.width, c.height, c.refresh, c.variant), c.row);
  }
}

TEST(DmtModeTable, SizesAndRowAccess) {
  EXPECT_EQ(DmtModeTable(Variant::Library).size(), 31u);
  EXPECT_EQ(DmtModeTable(Variant::Utility).size(), 30u);
  EXPECT_EQ(DmtModeRow(30, Variant::Library)->dwRefresh, 59u);
  EXPECT_EQ(DmtModeRow(31, Variant::Library), nullptr);
  EXPECT_EQ(DmtModeRow(30, Variant::Utility), nullptr);
  // The utility's rows are the library's rows, not copies that could drift apart.
  EXPECT_EQ(DmtModeRow(27, Variant::Utility)->dwHTotal, DmtModeRow(26)->dwHTotal);
  EXPECT_EQ(DmtModeRow(29, Variant::Utility)->bSyncPol1, DmtModeRow(30)->bSyncPol1);
}

// Every row is a consistent timing: active area, borders (rows 0 and 1 have 8 on each
// side) and blanking make up the totals, sync lies in the blanking, and the nominal
// refresh is within 1 Hz of what the clock and totals give.
TEST(DmtModeTable, RowsAreConsistentTimings) {
  for (Variant variant : {Variant::Library, Variant::Utility}) {
    const auto table = DmtModeTable(variant);
    for (size_t i = 0; i < table.size(); ++i) {
      const DmtMode& m = table[i];
      SCOPED_TRACE(i);
      const uint32_t hBorder = m.dwHBlankStart - m.dwWidth, vBorder = m.dwVBlankStart - m.dwHeight;
      EXPECT_LE(hBorder, 8u);
      EXPECT_LE(vBorder, 8u);
      EXPECT_EQ(m.dwHBlankStart + m.dwHBlankWidth + hBorder, m.dwHTotal);
      EXPECT_EQ(m.dwVBlankStart + m.dwVBlankWidth + vBorder, m.dwVTotal);
      EXPECT_GE(m.dwHSyncStart, m.dwHBlankStart);
      EXPECT_LE(m.dwHSyncStart + m.dwHSyncWidth, m.dwHBlankStart + m.dwHBlankWidth);
      EXPECT_GE(m.dwVSyncStart, m.dwVBlankStart);
      EXPECT_LE(m.dwVSyncStart + m.dwVSyncWidth, m.dwVBlankStart + m.dwVBlankWidth);
      const double hz = static_cast<double>(m.dwPixClk) / (static_cast<double>(m.dwHTotal) * m.dwVTotal);
      EXPECT_LT(std::fabs(hz - m.dwRefresh), 1.0) << hz;
    }
  }
}

}  // namespace
}  // namespace zev
