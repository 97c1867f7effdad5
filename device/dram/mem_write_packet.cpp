#include "device/dram/mem_write_packet.h"

#include <new>

namespace zev {
namespace {

void PutLe32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

MemWritePacket::MemWritePacket(uint32_t address, uint32_t payloadBytes) {
  if (payloadBytes > kMemWriteMaxPayload) return;
  const uint32_t size = payloadBytes + kMemWriteHeaderBytes;
  bytes_.reset(new (std::nothrow) uint8_t[size]);
  if (bytes_ == nullptr) return;
  size_ = size;
  PutLe32(bytes_.get(), MEM_WRITE_CMD);
  PutLe32(bytes_.get() + 4, payloadBytes + 4);
  PutLe32(bytes_.get() + 8, address);
}

}  // namespace zev
