#pragma once

#include <cstdint>
#include <string>

#include "device/dram/dram_bulk.h"
#include "device/usb/usb_device.h"

namespace zev {

// How the utility's memory check reaches its page: progress, the stop request and the
// texts the page shows. Called on the check's thread.
class MemoryCheckObserver {
 public:
  virtual ~MemoryCheckObserver() = default;
  // Adds `steps` to the page's progress count.
  virtual void AddProgress(uint32_t steps) = 0;
  // True once the user asked to stop; polled after each word.
  virtual bool StopRequested() = 0;
  // The per-address text for the page's hidden progress field.
  virtual void ShowCheckedText(const std::string& text) = 0;
  // Full mode: the address just verified (the page's current verification location).
  virtual void SetVerifyLocation(uint32_t address) = 0;
  // A problem the user has to see at once (message box with the error icon).
  virtual void ShowError(const std::string& text) = 0;
};

// Results of UtilMemoryCheck.
enum class MemoryCheckResult : int {
  Mismatch = 0,
  Passed = 1,
  Stopped = 2,
  HardwareFailure = 3,
};

struct MemoryCheckRequest {
  int32_t freqIndex = 4;  // GfxChangeSysClk index 1..4
  uint32_t odt = 0;       // DDR2 ODT selection: 0 off, 1 75 ohm, 2 150 ohm
  bool fullMode = false;  // every word instead of one per address line
  // Full mode: one progress step whenever the address is a multiple of this many
  // bytes (0: none).
  uint32_t progressStepBytes = 0;
  DramFillRoutine fill = DramBulkFill;
};

struct MemoryCheckOutcome {
  MemoryCheckResult result = MemoryCheckResult::HardwareFailure;
  int32_t failAddress = -1;  // the word that read back wrong
  int32_t failPin = -1;      // quick mode: the pin that address probes
};

// The utility's check of the first 32 MB at one clock and termination: bring-up, two
// fills (0, then 0x0123456789ABCDEF), then the pattern read back at one address per
// address line (quick) or at every word (full). A read that fails is retried after a
// fresh bring-up, so a transfer failure is never taken for a memory fault.
MemoryCheckOutcome UtilMemoryCheck(UsbDevice* dev, const MemoryCheckRequest& request, MemoryCheckObserver& observer);

}  // namespace zev
