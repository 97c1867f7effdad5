#include "sim/units/data_port_unit.h"

#include "device/chip/registers.h"
#include "device/dram/dp_ram_xfer.h"
#include "sim/core/chip.h"
#include "sim/units/dram_unit.h"

namespace zev::sim {
namespace {

constexpr uint32_t kCsrWritableBits = 0x3F0 | kDpCsrStart;

}  // namespace

bool DataPortUnit::Decodes(uint16_t address) const {
  return address >= DP_CSR && address <= DP_DATA2 && address % 4 == 0;
}

DramMemory& DataPortUnit::Memory() { return chip().Find<DramUnit>()->memory(); }

uint32_t DataPortUnit::Read(uint16_t address) {
  switch (address) {
    case DP_CSR:
      return csr_ | (done_ ? kDpCsrDone : 0);
    case DP_CMD:
      return command_;
    case DP_ADDR:
      return address_;
    case DP_DATA0:
      return data_[0];
    case DP_DATA1:
      return data_[1];
    default:
      return data_[2];
  }
}

void DataPortUnit::Write(uint16_t address, uint32_t value) {
  switch (address) {
    case DP_CSR:
      csr_ = value & kCsrWritableBits;
      done_ = (csr_ & kDpCsrStart) == 0;
      break;
    case DP_CMD:
      command_ = value;
      if ((csr_ & kDpCsrStart) != 0 && !done_ && !neverDone) Execute(value);
      break;
    case DP_ADDR:
      address_ = value & kAddressMask;
      break;
    case DP_DATA0:
      data_[0] = value;
      break;
    case DP_DATA1:
      data_[1] = value;
      break;
    default:
      data_[2] = value;
      break;
  }
}

void DataPortUnit::Execute(uint32_t command) {
  const bool write = (command & kDpCmdWrite) != 0;
  uint8_t enables = static_cast<uint8_t>(command >> 8);
  const uint32_t size = (csr_ >> 4) & 0x3F;
  DramMemory& memory = Memory();
  if (size == kDpSize32) {
    const uint32_t shift = (address_ & 4) * 8;
    enables = static_cast<uint8_t>((enables & 0xF) << (address_ & 4));
    if (write) {
      memory.WriteWord(address_, uint64_t{data_[0]} << shift, enables);
    } else {
      data_[0] = static_cast<uint32_t>(memory.ReadWord(address_) >> shift);
      data_[2] = 0;
    }
  } else if (write) {
    memory.WriteWord(address_, uint64_t{data_[1]} << 32 | data_[0], enables);
  } else {
    const uint64_t word = memory.ReadWord(address_);
    data_[0] = static_cast<uint32_t>(word);
    data_[1] = static_cast<uint32_t>(word >> 32);
    data_[2] = 0;
  }
  ++transfers_;
  done_ = true;
}

void DataPortUnit::Reset() {
  csr_ = 0;
  done_ = true;
  command_ = 0;
  address_ = 0;
  data_[0] = data_[1] = data_[2] = 0;
  transfers_ = 0;
}

}  // namespace zev::sim
