#include "device/dram/dram_word.h"

#include "device/dram/dp_ram_xfer.h"

namespace zev {
namespace {

void PutLe32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Le32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
         static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

void DramWordToBytes(DramWord word, uint8_t out[8]) {
  PutLe32(out, word.lo);
  PutLe32(out + 4, word.hi);
}

DramWord DramWordFromBytes(const uint8_t in[8]) { return {Le32(in), Le32(in + 4)}; }

bool DramWriteWord(UsbDevice* dev, uint32_t address, DramWord word) {
  DpRamRequest request;
  request.address = address;
  request.dataLo = word.lo;
  request.dataHi = word.hi;
  request.write = 1;
  return DpRamXfer(dev, &request);
}

bool DramReadWord(UsbDevice* dev, uint32_t address, DramWord* word) {
  DpRamRequest request;
  request.address = address;
  if (!DpRamXfer(dev, &request)) return false;
  *word = {request.dataLo, request.dataHi};
  return true;
}

}  // namespace zev
