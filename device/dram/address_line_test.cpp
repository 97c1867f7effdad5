#include <algorithm>

#include "device/dram/dram_tests.h"
#include "device/dram/dram_word.h"

namespace zev {
namespace {

constexpr uint32_t kLowestLine = 3;  // bits 2:0 select a byte within a word
constexpr DramWord kZero{0, 0};
constexpr DramWord kMarker{0x89ABCDEF, 0xA5234567};

uint32_t Line(uint32_t b) { return uint32_t{1} << b; }

// The address as low half, its complement as high half: unique for every line.
DramWord Signature(uint32_t b) { return {Line(b), ~Line(b)}; }

enum class Step { Ok, Mismatch, TransferFailed };

Step Put(UsbDevice* dev, uint32_t address, DramWord word) {
  return DramWriteWord(dev, address, word) ? Step::Ok : Step::TransferFailed;
}

// `acceptAny`: the word only has to be readable.
Step Expect(UsbDevice* dev, uint32_t address, DramWord expected, bool acceptAny = false) {
  DramWord word;
  if (!DramReadWord(dev, address, &word)) return Step::TransferFailed;
  return acceptAny || word == expected ? Step::Ok : Step::Mismatch;
}

// Line b against its neighbours: zeros at 0, at 2^b with the next line up and with the
// next line down, the marker at 2^b, and everything read back. The highest line has no
// line above it. For b = 3 the word "below" is 2^3 + 4, which the data port addresses
// as the word at 2^3 itself, so it holds the marker.
Step CheckNeighbours(UsbDevice* dev, uint32_t b, bool highest) {
  const uint32_t up = Line(b) | (highest ? 0 : Line(b + 1));
  const uint32_t down = Line(b) | Line(b - 1);
  Step s = Put(dev, 0, kZero);
  if (s == Step::Ok && !highest) s = Put(dev, up, kZero);
  if (s == Step::Ok) s = Put(dev, down, kZero);
  if (s == Step::Ok) s = Put(dev, Line(b), kMarker);
  if (s == Step::Ok) s = Expect(dev, 0, kZero);
  if (s == Step::Ok && !highest) s = Expect(dev, up, kZero);
  if (s == Step::Ok) s = Expect(dev, down, kZero, b == kLowestLine);
  if (s == Step::Ok) s = Expect(dev, Line(b), kMarker);
  return s;
}

}  // namespace

DramTestResult UnsetDramTestResult() {
  return {ZEV_RESULT_UNSET, ZEV_RESULT_UNSET, static_cast<uint32_t>(ZEV_RESULT_UNSET), ZEV_RESULT_UNSET};
}

DramTestResult DramAddressLineTest(UsbDevice* dev, uint32_t addressBits) {
  DramTestResult result = UnsetDramTestResult();
  const uint32_t end = std::min<uint32_t>(addressBits, 32);
  const auto fail = [&result](uint32_t b, Step step) {
    result.addressLine = static_cast<int32_t>(b);
    result.status = step == Step::Mismatch ? ZEV_ADDRESS_LINE_FAIL : ZEV_DEV_COM_FAIL;
    return result;
  };

  for (uint32_t b = kLowestLine; b < end; ++b) {
    if (Step s = Put(dev, Line(b), Signature(b)); s != Step::Ok) return fail(b, s);
  }
  for (uint32_t b = kLowestLine; b < end; ++b) {
    if (Step s = Expect(dev, Line(b), Signature(b)); s != Step::Ok) return fail(b, s);
  }
  for (uint32_t b = kLowestLine; b < end; ++b) {
    if (Step s = CheckNeighbours(dev, b, b + 1 == end); s != Step::Ok) return fail(b, s);
  }
  result.status = ZEV_ADDRESS_LINE_PASS;
  return result;
}

}  // namespace zev
