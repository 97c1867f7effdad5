// The preferred mode of every real EDID in the test data, read through the virtual
// monitor, against the first detailed timing the data index lists for it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "device/video/edid.h"
#include "sim/devices/monitor.h"
#include "tests/video/i2c_test_rig.h"

namespace zev {
namespace {

const std::string kEdidDir = ZEV_DATA_DIR "/edid/";

// One line of a CSV file: fields separated by commas, double quotes around fields that
// hold commas or quotes ("" inside them is one quote).
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

struct IndexRow {
  std::string file;
  std::string preferred;  // "WxH@refresh", "WxHi@refresh" (interlaced) or "none(descriptor)"
};

std::vector<IndexRow> ReadIndex() {
  std::ifstream in(kEdidDir + "index.csv");
  std::string line;
  std::getline(in, line);
  const std::vector<std::string> header = CsvFields(line);
  std::map<std::string, size_t> column;
  for (size_t i = 0; i < header.size(); ++i) column[header[i]] = i;
  std::vector<IndexRow> rows;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> f = CsvFields(line);
    rows.push_back({f.at(column.at("file")), f.at(column.at("preferred_dtd"))});
  }
  return rows;
}

TEST(EdidRealData, PreferredModeOfEveryMonitor) {
  const std::vector<IndexRow> rows = ReadIndex();
  ASSERT_GE(rows.size(), 150u);
  int compared = 0;
  for (const IndexRow& row : rows) {
    SCOPED_TRACE(row.file + " " + row.preferred);
    // Excluded: bytes 54-71 of a few EDIDs hold a display descriptor (tiles, overlays:
    // no timing to compare), and the interlaced modes are listed with their frame
    // height while the decoding reports the lines of one field.
    unsigned width = 0, height = 0;
    double refresh = 0;
    char after = 0;
    if (row.preferred.starts_with("none")) continue;
    if (std::sscanf(row.preferred.c_str(), "%ux%u%c", &width, &height, &after) == 3 && after == 'i') continue;
    ASSERT_EQ(std::sscanf(row.preferred.c_str(), "%ux%u@%lf", &width, &height, &refresh), 3);

    testing::SimRig rig;
    sim::ConnectMonitor(testing::I2cUnit(rig), sim::MonitorBus::Port2, sim::ReadEdidFile(kEdidDir + row.file));
    rig.Open();
    DmtMode mode{};
    ASSERT_EQ(EdidGetPreferredMode(rig.ctx(), &mode), 0);
    EXPECT_EQ(mode.dwWidth, width);
    EXPECT_EQ(mode.dwHeight, height);
    // The clock and totals give the listed refresh (two decimals) ...
    char exact[32];
    std::snprintf(exact, sizeof exact, "%.2f",
                  static_cast<double>(mode.dwPixClk) / (static_cast<double>(mode.dwHTotal) * mode.dwVTotal));
    EXPECT_EQ(row.preferred.substr(row.preferred.find('@') + 1), exact);
    // ... and the reported refresh is it truncated (59.94 gives 59; a listed 60.00 may
    // stand for 59.996 as well).
    EXPECT_GE(mode.dwRefresh, std::floor(refresh - 0.005));
    EXPECT_LE(mode.dwRefresh, std::floor(refresh + 0.005));
    ++compared;
  }
  EXPECT_EQ(compared, static_cast<int>(rows.size()) - 8) << "6 descriptor-only and 2 interlaced rows left out";
}

}  // namespace
}  // namespace zev
