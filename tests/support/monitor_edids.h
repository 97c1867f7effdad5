#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "sim/devices/monitor.h"

namespace zev::testing {

// A real monitor's EDID file from the test data.
inline std::vector<uint8_t> DataEdid(const std::string& name) {
  return sim::ReadEdidFile(std::string(ZEV_DATA_DIR) + "/edid/" + name);
}

// A Sony TV preferring 1360 x 768 at 60 Hz, a size no mode-table row has.
inline std::vector<uint8_t> Edid1360x768() { return DataEdid("sony-snyd301-override.bin"); }

// The default monitor's EDID preferring 1366 x 768 at 60 Hz instead (the VESA
// reduced-blanking timing: 72 MHz, totals 1500 x 800, sync offsets 14 and 1, widths
// 56 and 3, both polarities positive); the base block's checksum is kept right.
inline std::vector<uint8_t> Edid1366x768() {
  constexpr std::array<uint8_t, 18> kDescriptor = {0x20, 0x1C, 0x56, 0x86, 0x50, 0x00, 0x20, 0x30, 0x0E,
                                                   0x38, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E};
  const auto base = sim::DefaultMonitorEdid();
  std::vector<uint8_t> edid(base.begin(), base.end());
  std::copy(kDescriptor.begin(), kDescriptor.end(), edid.begin() + 54);
  edid[127] = static_cast<uint8_t>(0x100 - std::accumulate(edid.begin(), edid.begin() + 127, 0u) % 0x100);
  return edid;
}

}  // namespace zev::testing
