#include "device/core/device_diag.h"

namespace zev {

void DevPrintf(const UsbDevice* dev, const char* format, ...) {
  va_list args;
  va_start(args, format);
  VDiagPrintf(SinkOf(dev), format, args);
  va_end(args);
}

}  // namespace zev
