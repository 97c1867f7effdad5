#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zev::testing {

// One file of the BMP suite under tests/data/bmp, as its index.csv describes it.
struct BmpSuiteFile {
  std::string file;      // relative to tests/data/bmp, e.g. "g/rgb24.bmp"
  std::string category;  // good, questionable, bad, related-format
  uint32_t headerSize = 0;  // 0 where the index gives none
  int64_t width = 0;
  int64_t height = 0;
  uint32_t bitCount = 0;
  std::string compression;
  bool uncompressed24 = false;

  std::string Path() const;
  // What the picture path accepts: a 40-byte header, 24 bits, no compression.
  bool UsableBmp24() const { return headerSize == 40 && bitCount == 24 && compression == "BI_RGB"; }
};

// Every row of tests/data/bmp/index.csv (throws when the index cannot be read).
std::vector<BmpSuiteFile> BmpSuite();

}  // namespace zev::testing
