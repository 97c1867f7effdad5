#include "sim/units/dram_array.h"

#include <algorithm>
#include <cstring>

namespace zev::sim {

DramArray::DramArray(uint32_t sizeBytes) {
  if (!SetSizeBytes(sizeBytes)) SetSizeBytes(kDefaultBytes);
}

bool DramArray::SetSizeBytes(uint32_t sizeBytes) {
  const bool powerOfTwo = sizeBytes != 0 && (sizeBytes & (sizeBytes - 1)) == 0;
  if (!powerOfTwo || sizeBytes < kPageBytes || sizeBytes > kLargeBytes) return false;
  size_ = sizeBytes;
  pages_.clear();
  pages_.resize(size_ / kPageBytes);
  return true;
}

void DramArray::Clear() {
  for (auto& page : pages_) page.reset();
}

uint64_t DramArray::AllocatedBytes() const {
  return kPageBytes * static_cast<uint64_t>(std::count_if(pages_.begin(), pages_.end(),
                                                          [](const auto& page) { return page != nullptr; }));
}

uint8_t* DramArray::PageFor(uint32_t address, bool allocate) {
  auto& page = pages_[(address & (size_ - 1)) / kPageBytes];
  if (page == nullptr && allocate) page.reset(new uint8_t[kPageBytes]());
  return page.get();
}

uint64_t DramArray::ReadWord(uint32_t address) {
  const uint32_t at = address & (size_ - 1) & ~uint32_t{7};
  const uint8_t* page = PageFor(at, false);
  if (page == nullptr) return 0;
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | page[at % kPageBytes + i];
  return value;
}

void DramArray::WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables) {
  if (byteEnables == 0) return;
  const uint32_t at = address & (size_ - 1) & ~uint32_t{7};
  uint8_t* cells = PageFor(at, true) + at % kPageBytes;
  for (int i = 0; i < 8; ++i) {
    if ((byteEnables >> i) & 1) cells[i] = static_cast<uint8_t>(value >> (8 * i));
  }
}

void DramArray::WriteBytes(uint32_t address, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const uint32_t at = (address + static_cast<uint32_t>(done)) & (size_ - 1);
    const size_t run = std::min<size_t>(kPageBytes - at % kPageBytes, bytes.size() - done);
    std::memcpy(PageFor(at, true) + at % kPageBytes, bytes.data() + done, run);
    done += run;
  }
}

void DramArray::ReadBytes(uint32_t address, std::span<uint8_t> out) {
  size_t done = 0;
  while (done < out.size()) {
    const uint32_t at = (address + static_cast<uint32_t>(done)) & (size_ - 1);
    const size_t run = std::min<size_t>(kPageBytes - at % kPageBytes, out.size() - done);
    const uint8_t* page = PageFor(at, false);
    if (page == nullptr) {
      std::memset(out.data() + done, 0, run);
    } else {
      std::memcpy(out.data() + done, page + at % kPageBytes, run);
    }
    done += run;
  }
}

}  // namespace zev::sim
