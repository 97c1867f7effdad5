#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sim/units/dram_memory.h"

namespace zev::sim {

class DramUnit;

// Faults between the chip's DRAM pins and the cells, as a view in front of another
// DramMemory (normally the unit's array). Address lines are byte-address bits: line 3
// is the lowest that selects a word, line 25 the highest a 64 MB part has. Address
// faults act on every access, so the addresses they merge alias each other; data and
// cell faults act on what is read. Several faults may be active at once; with none the
// view passes everything straight through.
class FaultyDram final : public DramMemory {
 public:
  // How two shorted address lines settle: low wins (wired-AND) or high wins (wired-OR).
  enum class Short { WiredAnd, WiredOr };

  static constexpr unsigned kLowestAddressLine = 3;
  static constexpr unsigned kHighestAddressLine = 25;

  explicit FaultyDram(DramMemory& cells) : cells_(cells) {}

  // False, and nothing changed, for a line or bit outside the part's pins.
  bool StickAddressLine(unsigned line, bool level);
  bool ShortAddressLines(unsigned a, unsigned b, Short kind = Short::WiredAnd);
  bool StickDataBit(unsigned bit, bool level);
  // The word holding `address` reads with `ones` set and `zeros` cleared.
  void AddBadCell(uint32_t address, uint64_t ones, uint64_t zeros);
  // Back to a healthy part (the cells keep their content).
  void Clear();

  // The address the cells see for an address the chip drives.
  uint32_t MapAddress(uint32_t address) const;

  uint32_t SizeBytes() const override { return cells_.SizeBytes(); }
  uint64_t ReadWord(uint32_t address) override;
  void WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables = 0xFF) override;
  void WriteBytes(uint32_t address, std::span<const uint8_t> bytes) override;
  void ReadBytes(uint32_t address, std::span<uint8_t> out) override;

 private:
  struct ShortedPair {
    uint32_t mask;  // both lines
    Short kind;
  };
  struct BadCell {
    uint32_t address;
    uint64_t ones;
    uint64_t zeros;
  };

  bool RemapsAddresses() const { return addressOnes_ != 0 || addressZeros_ != 0 || !shorts_.empty(); }
  bool AltersData() const { return dataOnes_ != 0 || dataZeros_ != 0 || !badCells_.empty(); }

  DramMemory& cells_;
  uint32_t addressOnes_ = 0;
  uint32_t addressZeros_ = 0;
  std::vector<ShortedPair> shorts_;
  uint64_t dataOnes_ = 0;
  uint64_t dataZeros_ = 0;
  std::vector<BadCell> badCells_;
};

// The fault view of `unit`'s memory, installed in front of its array on first use.
FaultyDram& DramFaultsOf(DramUnit& unit);

}  // namespace zev::sim
