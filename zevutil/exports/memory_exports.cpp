// The memory exports: size, clock and termination, DRAM bytes, and the memory tests.
#include "zevutil.h"
#include "zevutil/core/memory_api.h"
#include "zevutil/exports/process_library.h"

ZEV_STATUS ZEVSetMemSize(uint32_t highestAddress) {
  return zev::api::ZEVSetMemSize(zev::ProcessContext(), highestAddress);
}

uint32_t ZEVGetMemSize(void) { return zev::api::ZEVGetMemSize(zev::ProcessContext()); }

ZEV_STATUS ZEVSetODTnFrequency(uint32_t freqIndex, uint32_t odtIndex) {
  return zev::api::ZEVSetODTnFrequency(zev::ProcessContext(), freqIndex, odtIndex);
}

ZEV_STATUS ZEVGetODTnFrequency(MemoryParams* params) {
  return zev::api::ZEVGetODTnFrequency(zev::ProcessContext(), params);
}

ZEV_STATUS ZEVDRAMWrite(const uint8_t* data, uint32_t offset, uint32_t length, uint8_t mode) {
  return zev::api::ZEVDRAMWrite(zev::ProcessContext(), data, offset, length, mode);
}

ZEV_STATUS ZEVDRAMRead(uint8_t* buffer, uint32_t offset, uint32_t length) {
  return zev::api::ZEVDRAMRead(zev::ProcessContext(), buffer, offset, length);
}

DramTestResult ZEVVerifyFullDRAM(void) { return zev::api::ZEVVerifyFullDRAM(zev::ProcessContext()); }

DramTestResult ZEVMemoryDataLinesTest(void) { return zev::api::ZEVMemoryDataLinesTest(zev::ProcessContext()); }

DramTestResult ZEVMemoryAddressLinesTest(void) { return zev::api::ZEVMemoryAddressLinesTest(zev::ProcessContext()); }
