#pragma once

#include <cstdint>

#include "device/dram/dram_tests.h"
#include "zevutil.h"

namespace zev {
struct LibContext;
}

// The memory exports' logic on an explicit library context.
namespace zev::api {

// The memory size as its highest byte address; sets gMemSize and gMemAddrBits (the
// address lines the address-line test probes). ZEV_INVALID_ARG for 0, ZEV_LIB_FAILURE
// (nothing changed) above 0x7FFFFFFF. No device access.
ZEV_STATUS ZEVSetMemSize(LibContext& ctx, uint32_t highestAddress);
uint32_t ZEVGetMemSize(const LibContext& ctx);

// Frequency index 1..4 and ODT index 1..3 for the next bring-ups. Runs a bring-up with
// the indices stored so far, and stores the new ones only when it succeeded.
ZEV_STATUS ZEVSetODTnFrequency(LibContext& ctx, uint32_t freqIndex, uint32_t odtIndex);
ZEV_STATUS ZEVGetODTnFrequency(const LibContext& ctx, MemoryParams* params);

// Bytes to and from DRAM from `offset` rounded up to a multiple of 8. Mode 0 writes
// with one memory-write packet, mode 1 word by word through the data port.
ZEV_STATUS ZEVDRAMWrite(LibContext& ctx, const uint8_t* data, uint32_t offset, uint32_t length, uint8_t mode);
ZEV_STATUS ZEVDRAMRead(LibContext& ctx, uint8_t* buffer, uint32_t offset, uint32_t length);

// The three memory tests, each after its own argument checks, preamble and bring-up;
// the data-line test runs the address-line test first, the verification both.
// `verify` sets the verification's range and fill (the export uses the defaults).
DramTestResult ZEVMemoryAddressLinesTest(LibContext& ctx);
DramTestResult ZEVMemoryDataLinesTest(LibContext& ctx);
DramTestResult ZEVVerifyFullDRAM(LibContext& ctx, const DramVerifyOptions& verify = {});

}  // namespace zev::api
