#include "device/dram/util_memory_check.h"

#include <cstdio>
#include <vector>

#include "device/chip/ddr2_init.h"
#include "device/chip/hw_init.h"
#include "device/chip/reset_clock.h"
#include "device/core/lib_context.h"
#include "device/dram/dram_tests.h"
#include "device/dram/dram_word.h"

namespace zev {
namespace {

constexpr char kEngineStalledText[] = "Graphics Enginge Stalled after writing data to the device";
constexpr uint32_t kFillProgress = 5;
constexpr int kFillRounds = 2;   // rounds while the packet buffer cannot be allocated
constexpr int kReadRetries = 2;  // reads after a fresh bring-up, once the first read failed
constexpr DramWord kPattern{kDramPatternLo, kDramPatternHi};

// Quick mode: address 0, then one word per address line, named by the memory pin it
// exercises; the line above the 32 MB is replaced by the last word.
struct Probe {
  uint32_t address;
  int32_t pin;
};

std::vector<Probe> QuickProbes() {
  std::vector<Probe> probes{{0, 1}};
  int32_t pin = 4;
  for (uint32_t address = 8; address < kDramCheckBytes; address <<= 1, ++pin) probes.push_back({address, pin});
  probes.push_back({kDramCheckBytes - 8, 27});
  return probes;
}

std::string CheckedText(uint32_t address) {
  char text[64];
  std::snprintf(text, sizeof text, "Memory(from 0x00000000 to 0x%X)checked successfully", address);
  return text;
}

class Check {
 public:
  Check(UsbDevice* dev, const MemoryCheckRequest& request, MemoryCheckObserver& observer)
      : dev_(dev), request_(request), observer_(observer) {}

  MemoryCheckOutcome Run();

 private:
  enum class Visit { Match, Unverified, Mismatch, Failed };

  uint32_t FillOnce(DramWord word);
  bool Fill(DramWord word);
  Visit ReadAndCompare(uint32_t address);
  MemoryCheckOutcome CheckAddressLines();
  MemoryCheckOutcome CheckEveryWord();

  static MemoryCheckOutcome Ended(MemoryCheckResult result) { return {result, -1, -1}; }

  UsbDevice* dev_;
  const MemoryCheckRequest& request_;
  MemoryCheckObserver& observer_;
};

// The utility's fill always covers the 32 MB and tells the user when the engine stalls.
uint32_t Check::FillOnce(DramWord word) {
  bool stalled = false;
  // The fill stores its halves swapped (see DramBulkFill).
  const uint32_t result = request_.fill(dev_, word.hi, word.lo, 0, kDramCheckBytes, &stalled);
  if (stalled) observer_.ShowError(kEngineStalledText);
  return result;
}

// A transfer problem gets one more fill after a fresh bring-up; a buffer that cannot
// be allocated one more round. A fill that still fails ends the check: reading back
// memory that does not hold the pattern would report the transfer problem as a memory
// fault, or pass on what an earlier run left behind.
bool Check::Fill(DramWord word) {
  uint32_t result = kDramBulkNoPacket;
  for (int round = 0; round < kFillRounds && result == kDramBulkNoPacket; ++round) {
    result = FillOnce(word);
    if (result == kDramBulkDeviceError) {
      GfxHwInit(dev_);
      result = FillOnce(word);
      break;
    }
  }
  return result == kDramBulkOk;
}

// A read that fails is retried after a fresh bring-up. The bring-up leaves the memory
// content undefined, so a word read after one is not compared. A bring-up that fails
// ends the check, as the device no longer works.
Check::Visit Check::ReadAndCompare(uint32_t address) {
  DramWord word;
  if (DramReadWord(dev_, address, &word)) return word == kPattern ? Visit::Match : Visit::Mismatch;
  for (int retry = 0; retry < kReadRetries; ++retry) {
    if (!GfxHwInit(dev_)) return Visit::Failed;
    if (DramReadWord(dev_, address, &word)) return Visit::Unverified;
  }
  return Visit::Failed;
}

MemoryCheckOutcome Check::CheckAddressLines() {
  for (const Probe& probe : QuickProbes()) {
    const Visit visit = ReadAndCompare(probe.address);
    if (visit == Visit::Failed) return Ended(MemoryCheckResult::HardwareFailure);
    if (visit == Visit::Mismatch) {
      return {MemoryCheckResult::Mismatch, static_cast<int32_t>(probe.address), probe.pin};
    }
    if (visit == Visit::Match) observer_.ShowCheckedText(CheckedText(probe.address));
    observer_.AddProgress(1);
    if (observer_.StopRequested()) return Ended(MemoryCheckResult::Stopped);
  }
  return Ended(MemoryCheckResult::Passed);
}

MemoryCheckOutcome Check::CheckEveryWord() {
  const uint32_t step = request_.progressStepBytes;
  for (uint32_t address = 0; address < kDramCheckBytes; address += 8) {
    const Visit visit = ReadAndCompare(address);
    if (visit == Visit::Failed) return Ended(MemoryCheckResult::HardwareFailure);
    if (visit == Visit::Mismatch) return {MemoryCheckResult::Mismatch, static_cast<int32_t>(address), -1};
    if (visit == Visit::Match) {
      observer_.ShowCheckedText(CheckedText(address));
      observer_.SetVerifyLocation(address);
    }
    if (step != 0 && address % step == 0) observer_.AddProgress(1);
    if (observer_.StopRequested()) return Ended(MemoryCheckResult::Stopped);
  }
  return Ended(MemoryCheckResult::Passed);
}

MemoryCheckOutcome Check::Run() {
  if (dev_ == nullptr || dev_->ctx == nullptr) return Ended(MemoryCheckResult::HardwareFailure);
  // An index outside 1..4 would leave the memory at some earlier clock while the page
  // reports the one it asked for.
  if (!GfxChangeSysClk(*dev_->ctx, request_.freqIndex)) return Ended(MemoryCheckResult::HardwareFailure);
  Ddr2SelectOdt(*dev_->ctx, request_.odt);
  if (!GfxHwInit(dev_)) return Ended(MemoryCheckResult::HardwareFailure);
  for (DramWord word : {DramWord{0, 0}, kPattern}) {
    if (!Fill(word)) return Ended(MemoryCheckResult::HardwareFailure);
    observer_.AddProgress(kFillProgress);
  }
  return request_.fullMode ? CheckEveryWord() : CheckAddressLines();
}

}  // namespace

MemoryCheckOutcome UtilMemoryCheck(UsbDevice* dev, const MemoryCheckRequest& request, MemoryCheckObserver& observer) {
  return Check(dev, request, observer).Run();
}

}  // namespace zev
