#include "tests/support/bmp_suite.h"

#include <fstream>
#include <stdexcept>

namespace zev::testing {
namespace {

// The fields of one CSV line; quoted fields may hold commas and doubled quotes.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

int64_t Number(const std::string& text) { return text.empty() ? 0 : std::stoll(text); }

}  // namespace

std::string BmpSuiteFile::Path() const { return std::string(ZEV_DATA_DIR) + "/bmp/" + file; }

std::vector<BmpSuiteFile> BmpSuite() {
  std::ifstream in(std::string(ZEV_DATA_DIR) + "/bmp/index.csv");
  if (!in) throw std::runtime_error("cannot read the BMP suite's index.csv");
  std::string line;
  std::getline(in, line);  // column names
  std::vector<BmpSuiteFile> files;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    // file,category,size,sig,hdrsize,width,height,topdown,planes,bpp,compression,uncompressed_24bit,...
    const std::vector<std::string> f = CsvFields(line);
    if (f.size() < 12) throw std::runtime_error("short index.csv line: " + line);
    BmpSuiteFile entry;
    entry.file = f[0];
    entry.category = f[1];
    entry.headerSize = static_cast<uint32_t>(Number(f[4]));
    entry.width = Number(f[5]);
    entry.height = Number(f[6]);
    entry.bitCount = static_cast<uint32_t>(Number(f[9]));
    entry.compression = f[10];
    entry.uncompressed24 = f[11] == "yes";
    files.push_back(entry);
  }
  return files;
}

}  // namespace zev::testing
