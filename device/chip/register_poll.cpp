#include "device/chip/register_poll.h"

#include "device/core/clock.h"
#include "device/usb/register_access.h"
#include "device/usb/tick.h"

namespace zev {

bool PollRegisterBits(UsbDevice* dev, uint32_t address, uint32_t bits, uint32_t timeoutMs, uint32_t* last) {
  const uint32_t start = GetTickCount();
  for (;;) {
    // The deadline is judged before the read, so the last read always happens after it:
    // a host that was descheduled past the deadline still sees a completion that came in time.
    const bool expired = TickTimeoutElapsed(start, timeoutMs);
    if (GfxGetRegDWBool(dev, address, last) && (*last & bits) == bits) return true;
    if (expired) return false;
  }
}

}  // namespace zev
