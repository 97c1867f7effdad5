#include "sim/units/dram_array.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace zev::sim {
namespace {

// A view that passes word accesses through and counts them: the shape of a fault
// model, which sees every access as words even when the caller moves byte runs.
class PassThroughView final : public DramMemory {
 public:
  explicit PassThroughView(DramMemory& inner) : inner_(inner) {}
  uint32_t SizeBytes() const override { return inner_.SizeBytes(); }
  uint64_t ReadWord(uint32_t address) override {
    ++wordAccesses;
    return inner_.ReadWord(address);
  }
  void WriteWord(uint32_t address, uint64_t value, uint8_t byteEnables) override {
    ++wordAccesses;
    inner_.WriteWord(address, value, byteEnables);
  }
  int wordAccesses = 0;

 private:
  DramMemory& inner_;
};

TEST(DramArray, StorageIsAllocatedOnlyWhereWritten) {
  DramArray dram;
  EXPECT_EQ(dram.SizeBytes(), 32u << 20);
  EXPECT_EQ(dram.AllocatedBytes(), 0u);
  EXPECT_EQ(dram.ReadWord(0x1234560), 0u);
  EXPECT_EQ(dram.AllocatedBytes(), 0u) << "reading does not allocate";
  dram.WriteWord(0x1234560, 0x1122334455667788ull);
  EXPECT_EQ(dram.AllocatedBytes(), DramArray::kPageBytes);
  EXPECT_EQ(dram.ReadWord(0x1234560), 0x1122334455667788ull);
  dram.Clear();
  EXPECT_EQ(dram.AllocatedBytes(), 0u);
  EXPECT_EQ(dram.ReadWord(0x1234560), 0u);
}

TEST(DramArray, WordsAreLittleEndianAndHonourByteEnables) {
  DramArray dram;
  dram.WriteWord(0x40, 0x0706050403020100ull);
  std::vector<uint8_t> bytes(8);
  dram.ReadBytes(0x40, bytes);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  dram.WriteWord(0x43, 0xFFFFFFFFFFFFFFFFull, 0x81);  // low address bits are ignored
  EXPECT_EQ(dram.ReadWord(0x40), 0xFF060504030201FFull);
  dram.WriteWord(0x40, 0, 0);
  EXPECT_EQ(dram.ReadWord(0x40), 0xFF060504030201FFull);
}

TEST(DramArray, AddressesWrapAtTheSize) {
  DramArray dram;
  dram.WriteWord(0x2000008, 0xAB);
  EXPECT_EQ(dram.ReadWord(8), 0xABu);
  ASSERT_TRUE(dram.SetSizeBytes(DramArray::kLargeBytes));
  EXPECT_EQ(dram.ReadWord(8), 0u) << "resizing clears";
  dram.WriteWord(0x2000008, 0xCD);
  EXPECT_EQ(dram.ReadWord(8), 0u);
  EXPECT_EQ(dram.ReadWord(0x2000008), 0xCDu);
  EXPECT_EQ(dram.ReadWord(0x6000008), 0xCDu) << "above 64 MB";
}

TEST(DramArray, OnlyPowerOfTwoSizesUpToSixtyFourMegabytes) {
  DramArray dram;
  for (uint32_t bad : {0u, 48u << 20, 128u << 20, 1024u}) {
    EXPECT_FALSE(dram.SetSizeBytes(bad)) << bad;
    EXPECT_EQ(dram.SizeBytes(), 32u << 20);
  }
  EXPECT_TRUE(dram.SetSizeBytes(1u << 20));
}

TEST(DramArray, ByteRunsMatchThroughTheArrayAndThroughAWordView) {
  // Unaligned runs that cross words, pages and the end of memory.
  struct Case {
    uint32_t address;
    size_t length;
  } cases[] = {{3, 5}, {5, 16}, {DramArray::kPageBytes - 11, 30}, {(1u << 20) - 6, 14}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    std::vector<uint8_t> data(c.length);
    std::iota(data.begin(), data.end(), uint8_t{1});

    DramArray direct(1u << 20);
    direct.WriteBytes(c.address, data);
    DramArray behindView(1u << 20);
    PassThroughView view(behindView);
    view.WriteBytes(c.address, data);
    EXPECT_GT(view.wordAccesses, 0);

    std::vector<uint8_t> fromDirect(c.length + 16), fromView(c.length + 16);
    direct.ReadBytes(c.address - 8, fromDirect);
    view.ReadBytes(c.address - 8, fromView);
    EXPECT_EQ(fromDirect, fromView);
    EXPECT_EQ(std::vector<uint8_t>(fromDirect.begin() + 8, fromDirect.begin() + 8 + c.length), data);
    EXPECT_EQ(fromDirect[7], 0);
    EXPECT_EQ(fromDirect[8 + c.length], 0);
  }
}

}  // namespace
}  // namespace zev::sim
