#pragma once

#include <cstdint>

#include "device/dram/dram_bulk.h"
#include "device/usb/usb_device.h"
#include "zevutil.h"

namespace zev {

// The full verification and the utility's check cover the first 32 MB, whatever the
// memory size setting.
inline constexpr uint32_t kDramCheckBytes = 0x2000000;

// The word the full verification and the utility's check fill memory with and expect
// back: 0x0123456789ABCDEF.
inline constexpr uint32_t kDramPatternLo = 0x89ABCDEF;
inline constexpr uint32_t kDramPatternHi = 0x01234567;

// A result with the three data fields at ZEV_RESULT_UNSET, as every test starts.
DramTestResult UnsetDramTestResult();

// Address lines 3 .. addressBits-1: a signature word at each 2^b, read back, then each
// line against its neighbours. ZEV_ADDRESS_LINE_PASS, or ZEV_ADDRESS_LINE_FAIL /
// ZEV_DEV_COM_FAIL with the line being worked on in addressLine.
DramTestResult DramAddressLineTest(UsbDevice* dev, uint32_t addressBits);

// The 64 data lines at address 0: a walking one, then a walking zero.
// ZEV_DATA_LINE_PASS, or ZEV_DATA_LINE_FAIL / ZEV_DEV_COM_FAIL with the line in dataLine.
DramTestResult DramDataLineTest(UsbDevice* dev);

struct DramVerifyOptions {
  uint32_t bytes = kDramCheckBytes;  // from address 0
  DramFillRoutine fill = DramBulkFill;
};

// Fills the range with 0, then with the pattern, and reads every word back.
// ZEV_DRAM_VERIFY_PASS; ZEV_DRAM_VERIFY_FAIL with the first wrong word's address;
// ZEV_DEV_COM_FAIL for a failed fill (address unset) or read (its address); and
// ZEV_LIB_FAILURE when the fill's packet buffer cannot be allocated, since reading
// back a memory that was never filled proves nothing.
DramTestResult DramVerifyFull(UsbDevice* dev, const DramVerifyOptions& options = {});

}  // namespace zev
