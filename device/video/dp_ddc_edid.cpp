// The monitor's EDID through the ANX9805's own DDC master, drained from its FIFO.
#include <algorithm>

#include "device/core/clock.h"
#include "device/core/device_diag.h"
#include "device/usb/tick.h"
#include "device/video/anx9805.h"
#include "device/video/dp_phy.h"

namespace zev {
namespace {

using namespace anx9805;

constexpr uint8_t kEdidDevice = 0xA0;
constexpr uint32_t kDdcTimeoutMs = 1000;
// The read counts as complete from this many bytes on.
constexpr size_t kEnoughBytes = 127;

bool FailWithDump(UsbDevice* dev) {
  Anx9805ShowRegs(dev);
  return false;
}

// Addresses the monitor and asks for one block from offset 0 of segment 0.
bool StartBlockRead(UsbDevice* dev) {
  Anx9805SetRegDW(dev, kDdcCommand, kDdcClear);
  Sleep(100);
  Anx9805SetRegDW(dev, kDdcDeviceAddress, kEdidDevice);
  Anx9805SetRegDW(dev, kDdcOffset, 0);
  Anx9805SetRegDW(dev, kDdcSegment, 0);
  Sleep(1);
  Anx9805SetRegDW(dev, kDdcCountLow, static_cast<uint8_t>(kDpEdidBlockSize));
  Anx9805SetRegDW(dev, kDdcCountHigh, 0);
  Sleep(1);
  Anx9805SetRegDW(dev, kDdcCommand, kDdcAddressDevice);
  Sleep(10);
  uint32_t status = 0;
  if (Anx9805WaitReg(dev, kDdcStatus, kDdcErrorMask | kDdcDone, kDdcDone, kDdcTimeoutMs, &status)) return true;
  DevPrintf(dev, "ERROR:  DpDdcReadEDID() timed out. DDC_STS=0x%08lX\n", static_cast<unsigned long>(status));
  return false;
}

}  // namespace

bool DpDdcReadEDID(UsbDevice* dev, std::span<uint8_t, kDpEdidBlockSize> buffer) {
  std::fill(buffer.begin(), buffer.end(), uint8_t{0});
  if (!Anx9805i2cSetup(dev, kHdmiAddress)) return FailWithDump(dev);
  if (!StartBlockRead(dev)) return FailWithDump(dev);

  Anx9805SetRegDW(dev, kDdcCommand, kDdcSequentialRead);
  size_t stored = 0;
  uint32_t count = 0;
  const uint32_t start = GetTickCount();
  for (;;) {
    const bool expired = TickTimeoutElapsed(start, kDdcTimeoutMs);  // judged before the read
    count = Anx9805GetRegDW(dev, kDdcFifoCount);
    // Never more than the block holds, whatever the FIFO claims (a failed count read
    // claims nothing).
    const size_t available = count == kAnx9805ReadFailed ? 0 : count;
    const size_t take = std::min(available, buffer.size() - stored);
    for (size_t i = 0; i < take; ++i) {
      const uint32_t byte = Anx9805GetRegDW(dev, kDdcFifoData);
      if (byte == kAnx9805ReadFailed) return FailWithDump(dev);  // a byte lost: the block would be wrong
      buffer[stored++] = static_cast<uint8_t>(byte);
    }
    if (stored >= kEnoughBytes) return true;
    if (expired) break;
  }
  DevPrintf(dev, "ERROR:  DpDdcReadEDID() timed out. DDC FIFO_CNT=0x%08lX, dwBytes=%ld\n",
            static_cast<unsigned long>(count), static_cast<long>(stored));
  DevPrintf(dev, "ERROR:  DpDdcReadEDID() timed out. DDC_STS=0x%08lX\n",
            static_cast<unsigned long>(Anx9805GetRegDW(dev, kDdcStatus)));
  return FailWithDump(dev);
}

}  // namespace zev
