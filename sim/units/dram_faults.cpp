#include "sim/units/dram_faults.h"

#include <memory>

#include "sim/units/dram_unit.h"

namespace zev::sim {
namespace {

bool IsAddressLine(unsigned line) {
  return line >= FaultyDram::kLowestAddressLine && line <= FaultyDram::kHighestAddressLine;
}

uint32_t WordOf(uint32_t address, uint32_t sizeBytes) { return address & (sizeBytes - 1) & ~uint32_t{7}; }

}  // namespace

bool FaultyDram::StickAddressLine(unsigned line, bool level) {
  if (!IsAddressLine(line)) return false;
  const uint32_t bit = 1u << line;
  addressOnes_ = level ? addressOnes_ | bit : addressOnes_ & ~bit;
  addressZeros_ = level ? addressZeros_ & ~bit : addressZeros_ | bit;
  return true;
}

bool FaultyDram::ShortAddressLines(unsigned a, unsigned b, Short kind) {
  if (!IsAddressLine(a) || !IsAddressLine(b) || a == b) return false;
  shorts_.push_back({(1u << a) | (1u << b), kind});
  return true;
}

bool FaultyDram::StickDataBit(unsigned bit, bool level) {
  if (bit > 63) return false;
  const uint64_t mask = uint64_t{1} << bit;
  dataOnes_ = level ? dataOnes_ | mask : dataOnes_ & ~mask;
  dataZeros_ = level ? dataZeros_ & ~mask : dataZeros_ | mask;
  return true;
}

void FaultyDram::AddBadCell(uint32_t address, uint64_t ones, uint64_t zeros) {
  badCells_.push_back({address, ones, zeros});
}

void FaultyDram::Clear() {
  addressOnes_ = addressZeros_ = 0;
  shorts_.clear();
  dataOnes_ = dataZeros_ = 0;
  badCells_.clear();
}

uint32_t FaultyDram::MapAddress(uint32_t address) const {
  address = (address | addressOnes_) & ~addressZeros_;
  for (const auto& pair : shorts_) {
    const uint32_t driven = address & pair.mask;
    const bool high = pair.kind == Short::WiredAnd ? driven == pair.mask : driven != 0;
    address = high ? address | pair.mask : address & ~pair.mask;
  }
  return address;
}

uint64_t FaultyDram::ReadWord(uint32_t address) {
  const uint32_t cell = MapAddress(address);
  uint64_t value = (cells_.ReadWord(cell) | dataOnes_) & ~dataZeros_;
  const uint32_t size = SizeBytes();
  for (const auto& bad : badCells_) {
    if (WordOf(bad.address, size) == WordOf(cell, size)) value = (value | bad.ones) & ~bad.zeros;
  }
  return value;
}

void FaultyDram::WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables) {
  cells_.WriteWord(MapAddress(address), value, byteEnables);
}

// Byte runs keep the cells' fast path where the faults allow it: data and cell faults
// only change what is read, so writes pass straight through unless addresses move.
void FaultyDram::WriteBytes(uint32_t address, std::span<const uint8_t> bytes) {
  if (RemapsAddresses()) {
    DramMemory::WriteBytes(address, bytes);
  } else {
    cells_.WriteBytes(address, bytes);
  }
}

void FaultyDram::ReadBytes(uint32_t address, std::span<uint8_t> out) {
  if (RemapsAddresses() || AltersData()) {
    DramMemory::ReadBytes(address, out);
  } else {
    cells_.ReadBytes(address, out);
  }
}

FaultyDram& DramFaultsOf(DramUnit& unit) {
  if (auto* installed = dynamic_cast<FaultyDram*>(unit.view())) return *installed;
  auto view = std::make_unique<FaultyDram>(unit.array());
  FaultyDram& faults = *view;
  unit.SetView(std::move(view));
  return faults;
}

}  // namespace zev::sim
