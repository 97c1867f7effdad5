#pragma once

#include <cstdint>
#include <span>

#include "device/core/variant.h"
#include "device/video/dmt_mode.h"

namespace zev {

// Rows of the shared library's mode table; the utility's copy has one row fewer (no
// 1680 x 1050 at 59 Hz) and orders its last four rows differently.
inline constexpr uint32_t kLibraryModeCount = 31;
inline constexpr uint32_t kUtilityModeCount = 30;

// The fixed display timings (VESA DMT, CVT and CEA modes) of the given library copy.
std::span<const DmtMode> DmtModeTable(Variant variant = Variant::Library);
// Row `index` of the table, or null past its end.
const DmtMode* DmtModeRow(uint32_t index, Variant variant = Variant::Library);

// The first row with exactly this width, height and refresh (59 and 60 Hz are
// different modes), or the row count (31 in the shared library) when none matches.
uint32_t DmtFindMode(uint32_t width, uint32_t height, uint32_t refresh, Variant variant = Variant::Library);

}  // namespace zev
