// DPCD access through the ANX9805's AUX channel, and the DPCD dump.
#include "device/core/device_diag.h"
#include "device/video/anx9805.h"

namespace zev {
namespace {

using namespace anx9805;

constexpr uint32_t kAuxTimeoutMs = 100;
// The read asks for two bytes (length field 1) and the first is the one wanted.
constexpr uint8_t kTwoByteRead = 0x10 | kAuxNativeRead;
constexpr uint32_t kExpectedCount = 2;

bool ReadDpcd(UsbDevice* dev, uint32_t address, uint32_t* value) {
  if (!Anx9805i2cSetup(dev, kDpAddress)) {
    DevPrintf(dev, "ERROR:  Anx9805ReadDpcdDw() failed calling Anx9805i2cSetup()\n");
    return false;
  }
  Anx9805SetRegDW(dev, kAuxAddress0, static_cast<uint8_t>(address));
  Anx9805SetRegDW(dev, kAuxAddress1, static_cast<uint8_t>(address >> 8));
  Anx9805SetRegDW(dev, kAuxAddress2, static_cast<uint8_t>((address >> 16) & 0x0F));
  Anx9805SetRegDW(dev, kAuxCommand, kAuxNativeRead);
  Anx9805SetRegDW(dev, kAuxCommand, kTwoByteRead);
  Anx9805SetRegDW(dev, kAuxControl, kAuxBusy);
  uint32_t control = 0;
  if (!Anx9805WaitReg(dev, kAuxControl, kAuxBusy, 0, kAuxTimeoutMs, &control)) {
    DevPrintf(dev, "ERROR:  Anx9805ReadDpcdDW() timed out 1000mS\n");
    return false;
  }
  const uint32_t count = Anx9805GetRegDW(dev, kAuxByteCount) & kAuxCountMask;
  if (count != kExpectedCount) {
    DevPrintf(dev, "ERROR: Anx9805ReadDpcdDW() data count not 1=0x%08lX\n", static_cast<unsigned long>(count));
    return false;
  }
  const uint32_t data = Anx9805GetRegDW(dev, kAuxData);
  if (data == kAnx9805ReadFailed) return false;
  *value = data;
  return true;
}

// The fields the dump covers, and where each section title goes.
struct DpcdRange {
  uint32_t first, last;
};
constexpr DpcdRange kDumpedRanges[] = {{0x000, 0x00B}, {0x080, 0x08F}, {0x100, 0x108}, {0x200, 0x20B}, {0x210, 0x270}};
constexpr uint32_t kDumpEnd = 0x270;
constexpr uint32_t kLinkConfigTitleAt = 0x090;
constexpr uint32_t kStatusTitleAt = 0x109;

bool Dumped(uint32_t address) {
  for (const DpcdRange& range : kDumpedRanges) {
    if (address >= range.first && address <= range.last) return true;
  }
  return false;
}

}  // namespace

bool Anx9805ReadDpcdDW(UsbDevice* dev, uint32_t dpcdAddress, uint32_t* value) {
  if (value == nullptr) return false;
  const bool ok = ReadDpcd(dev, dpcdAddress, value);
  if (!ok) Anx9805ShowRegs(dev);
  return ok;
}

bool DpDumpDpcd(UsbDevice* dev) {
  DevPrintf(dev, "===============================================================\n");
  DevPrintf(dev, "DPCD:");
  DevPrintf(dev, "\nReceiver Capability Field");
  for (uint32_t address = 0; address <= kDumpEnd; ++address) {
    if (address == kLinkConfigTitleAt) DevPrintf(dev, "\nLink Config Field");
    if (address == kStatusTitleAt) DevPrintf(dev, "\nLink/Sink Status Field");
    if (!Dumped(address)) continue;
    uint32_t value = 0;
    if (!Anx9805ReadDpcdDW(dev, address, &value)) {
      DevPrintf(dev, "\n");
      return false;
    }
    Anx9805PrintDumpEntry(dev, address, value);
  }
  DevPrintf(dev, "\n");
  return true;
}

}  // namespace zev
