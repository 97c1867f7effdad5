#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/units/dram_memory.h"

namespace zev::sim {

// The DRAM cells. Storage is allocated in pages on first write, so a virtual adapter
// that never touches its memory costs nothing; unwritten cells read 0.
class DramArray final : public DramMemory {
 public:
  static constexpr uint32_t kDefaultBytes = 32u << 20;
  static constexpr uint32_t kLargeBytes = 64u << 20;  // the most the 26 data-port address bits reach
  static constexpr uint32_t kPageBytes = 64u << 10;

  explicit DramArray(uint32_t sizeBytes = kDefaultBytes);

  // 32 MB or 64 MB (any power of two from one page to 64 MB); clears the content.
  // False, and nothing changed, for other sizes.
  bool SetSizeBytes(uint32_t sizeBytes);
  // Every cell back to 0 (power loss).
  void Clear();
  // Storage allocated so far.
  uint64_t AllocatedBytes() const;

  uint32_t SizeBytes() const override { return size_; }
  uint64_t ReadWord(uint32_t address) override;
  void WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables = 0xFF) override;
  void WriteBytes(uint32_t address, std::span<const uint8_t> bytes) override;
  void ReadBytes(uint32_t address, std::span<uint8_t> out) override;

 private:
  uint8_t* PageFor(uint32_t address, bool allocate);

  uint32_t size_ = 0;
  std::vector<std::unique_ptr<uint8_t[]>> pages_;
};

}  // namespace zev::sim
