#include "device/dram/dram_tests.h"
#include "device/dram/dram_word.h"

namespace zev {
namespace {

// A fill's result as a test status; ZEV_SUCCESS when the range holds the word.
ZEV_STATUS Fill(UsbDevice* dev, const DramVerifyOptions& options, DramWord word) {
  // The fill stores its halves swapped (see DramBulkFill).
  switch (options.fill(dev, word.hi, word.lo, 0, options.bytes, nullptr)) {
    case kDramBulkOk:
      return ZEV_SUCCESS;
    case kDramBulkNoPacket:
      return ZEV_LIB_FAILURE;
    default:
      return ZEV_DEV_COM_FAIL;
  }
}

}  // namespace

DramTestResult DramVerifyFull(UsbDevice* dev, const DramVerifyOptions& options) {
  DramTestResult result = UnsetDramTestResult();
  const DramWord pattern{kDramPatternLo, kDramPatternHi};
  for (DramWord word : {DramWord{0, 0}, pattern}) {
    if (ZEV_STATUS status = Fill(dev, options, word); status != ZEV_SUCCESS) {
      result.status = status;
      return result;
    }
  }
  for (uint64_t at = 0; at < options.bytes; at += 8) {
    const auto address = static_cast<uint32_t>(at);
    DramWord word;
    const bool read = DramReadWord(dev, address, &word);
    if (!read || word != pattern) {
      result.address = address;
      result.status = read ? ZEV_DRAM_VERIFY_FAIL : ZEV_DEV_COM_FAIL;
      return result;
    }
  }
  result.status = ZEV_DRAM_VERIFY_PASS;
  return result;
}

}  // namespace zev
