#include "device/dram/dp_ram_xfer.h"

#include "device/chip/registers.h"
#include "device/core/device_diag.h"
#include "device/usb/register_access.h"

namespace zev {

bool DpRamXfer(UsbDevice* dev, DpRamRequest* request) {
  if (request == nullptr) return false;
  const bool writing = request->write != 0;
  const bool only32 = request->size == kDpSize32;

  if (GfxSetRegDW(dev, DP_CSR, ((request->size << 4) & 0x3F0) | kDpCsrStart) != 0) return false;
  if (GfxSetRegDW(dev, DP_ADDR, request->address) != 0) return false;
  if (writing) {
    if (GfxSetRegDW(dev, DP_DATA0, request->dataLo) != 0) return false;
    if (!only32 && GfxSetRegDW(dev, DP_DATA1, request->dataHi) != 0) return false;
  }
  const uint32_t command = ((request->byteEnables << 8) & 0xFF00) | ((request->command << 4) & 0xF0) |
                           (writing ? kDpCmdWrite : 0);
  if (GfxSetRegDW(dev, DP_CMD, command) != 0) return false;

  // The port has no busy wait: a single word is done by the time this read arrives.
  uint32_t csr = 0;
  if (GfxQueryRegDW(dev, DP_CSR, &csr) != 0) return false;
  if ((csr & kDpCsrDone) == 0) {
    DevPrintf(dev, "ERROR:  DpRamXfer() bad DP_CSR=0x%08X, s/b finished?\n", csr);
    return false;
  }

  if (!writing) {
    // The data reads report failure by their result, not by a marker value: every
    // 32-bit pattern, the marker included, is a valid memory content.
    if (GfxQueryRegDW(dev, DP_DATA0, &request->dataLo) != 0) return false;
    request->dataHi = 0;
    if (!only32 && GfxQueryRegDW(dev, DP_DATA1, &request->dataHi) != 0) return false;
  }
  return GfxSetRegDW(dev, DP_CSR, 0) == 0;
}

}  // namespace zev
