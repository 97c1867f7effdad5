#include "device/chip/register_poll.h"

#include "device/core/clock.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"

namespace zev {

bool PollRegisterBits(UsbDevice* dev, uint32_t address, uint32_t bits, uint32_t timeoutMs, uint32_t* last) {
  const uint32_t start = GetTickCount();
  for (;;) {
    if (GfxGetRegDWBool(dev, address, last) && (*last & bits) == bits) return true;
    if (TickTimeoutElapsed(start, timeoutMs)) return false;
  }
}

}  // namespace zev
