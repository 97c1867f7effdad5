#include "zevutil/core/memory_api.h"

#include <algorithm>
#include <bit>

#include "device/chip/hw_init.h"
#include "device/core/lib_context.h"
#include "device/dram/dram_bulk.h"
#include "device/dram/dram_word.h"
#include "zevutil/core/lib_frame.h"

namespace zev::api {
namespace {

constexpr uint8_t kModeBulk = 0;
constexpr uint8_t kModeWords = 1;

uint32_t AlignUpToWord(uint32_t offset) { return (offset + 7) & ~uint32_t{7}; }

bool ValidFreqIndex(uint32_t index) { return index >= 1 && index <= 4; }
bool ValidOdtIndex(uint32_t index) { return index >= 1 && index <= 3; }

// The range checks of reads and writes. Besides offset + length, the bytes actually
// moved start at the rounded-up offset and must stay below the memory's end too:
// past it the address would wrap round and reach the start of the memory.
ZEV_STATUS CheckRange(const LibContext& ctx, uint32_t offset, uint32_t length) {
  if (offset > ctx.gMemSize) return ZEV_INVALID_DRAM_ADD;
  const uint64_t end = uint64_t{offset} + length;
  const uint64_t movedEnd = uint64_t{AlignUpToWord(offset)} + length;
  if (end > ctx.gMemSize || movedEnd > uint64_t{ctx.gMemSize} + 1) return ZEV_DRAM_OUT_OF_BOUND;
  return ZEV_SUCCESS;
}

// Word by word; the last word keeps the bytes the caller did not give as the memory
// held them, so nothing beyond `length` is read from `data` or invented.
ZEV_STATUS WriteWords(UsbDevice* dev, const uint8_t* data, uint32_t start, uint32_t length) {
  for (uint32_t done = 0; done < length; done += 8) {
    const uint32_t address = start + done;
    const uint32_t count = std::min<uint32_t>(8, length - done);
    uint8_t bytes[8];
    if (count < 8) {
      DramWord held;
      if (!DramReadWord(dev, address, &held)) return ZEV_DEV_COM_FAIL;
      DramWordToBytes(held, bytes);
    }
    std::copy_n(data + done, count, bytes);
    if (!DramWriteWord(dev, address, DramWordFromBytes(bytes))) return ZEV_DEV_COM_FAIL;
  }
  return ZEV_SUCCESS;
}

}  // namespace

ZEV_STATUS ZEVSetMemSize(LibContext& ctx, uint32_t highestAddress) {
  if (highestAddress == 0) return ZEV_INVALID_ARG;
  const auto bits = static_cast<uint32_t>(std::bit_width(highestAddress));
  if (bits >= 32) return ZEV_LIB_FAILURE;
  ctx.gMemAddrBits = static_cast<uint8_t>(bits);
  ctx.gMemSize = highestAddress;
  return ZEV_SUCCESS;
}

uint32_t ZEVGetMemSize(const LibContext& ctx) { return ctx.gMemSize; }

ZEV_STATUS ZEVSetODTnFrequency(LibContext& ctx, uint32_t freqIndex, uint32_t odtIndex) {
  if (!ValidFreqIndex(freqIndex) || !ValidOdtIndex(odtIndex)) return ZEV_INVALID_ARG;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  if (!LibHwBringUp(ctx)) return ZEV_HDWRE_INIT_FAIL;
  ctx.gFreqIndex = freqIndex;
  ctx.gOdtIndex = odtIndex;
  return ZEV_SUCCESS;
}

ZEV_STATUS ZEVGetODTnFrequency(const LibContext& ctx, MemoryParams* params) {
  if (params == nullptr) return ZEV_INVALID_ARG;
  params->Freq = ctx.gFreqIndex;
  params->ODT = ctx.gOdtIndex;
  return ZEV_SUCCESS;
}

ZEV_STATUS ZEVDRAMWrite(LibContext& ctx, const uint8_t* data, uint32_t offset, uint32_t length, uint8_t mode) {
  if (mode > kModeWords || data == nullptr || length == 0) return ZEV_INVALID_ARG;
  if (ZEV_STATUS range = CheckRange(ctx, offset, length); range != ZEV_SUCCESS) return range;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  UsbDevice* dev = ConnectedDevice(ctx);
  if (mode == kModeBulk) {
    return DramBulkWrite(dev, data, offset, length) == kDramBulkOk ? ZEV_SUCCESS : ZEV_LIB_FAILURE;
  }
  return WriteWords(dev, data, AlignUpToWord(offset), length);
}

ZEV_STATUS ZEVDRAMRead(LibContext& ctx, uint8_t* buffer, uint32_t offset, uint32_t length) {
  if (buffer == nullptr || length == 0) return ZEV_INVALID_ARG;
  if (ZEV_STATUS range = CheckRange(ctx, offset, length); range != ZEV_SUCCESS) return range;
  if (ConnectionPreamble(ctx) != ZEV_SUCCESS) return ZEV_DEV_COM_FAIL;
  UsbDevice* dev = ConnectedDevice(ctx);
  const uint32_t start = AlignUpToWord(offset);
  for (uint32_t done = 0; done < length; done += 8) {
    DramWord word;
    if (!DramReadWord(dev, start + done, &word)) return ZEV_DEV_COM_FAIL;
    uint8_t bytes[8];
    DramWordToBytes(word, bytes);
    std::copy_n(bytes, std::min<uint32_t>(8, length - done), buffer + done);
  }
  return ZEV_SUCCESS;
}

}  // namespace zev::api
