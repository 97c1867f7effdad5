#include "device/dram/dram_tests.h"
#include "device/dram/dram_word.h"

namespace zev {

DramTestResult DramDataLineTest(UsbDevice* dev) {
  DramTestResult result = UnsetDramTestResult();
  // Rounds 0..63 walk a one across the lines, rounds 64..127 a zero.
  for (uint32_t round = 0; round < 128; ++round) {
    const uint32_t line = round % 64;
    uint64_t pattern = uint64_t{1} << line;
    if (round >= 64) pattern = ~pattern;
    const DramWord expected{static_cast<uint32_t>(pattern), static_cast<uint32_t>(pattern >> 32)};
    DramWord word;
    const bool moved = DramWriteWord(dev, 0, expected) && DramReadWord(dev, 0, &word);
    if (!moved || word != expected) {
      result.dataLine = static_cast<int32_t>(line);
      result.status = moved ? ZEV_DATA_LINE_FAIL : ZEV_DEV_COM_FAIL;
      return result;
    }
  }
  result.status = ZEV_DATA_LINE_PASS;
  return result;
}

}  // namespace zev
