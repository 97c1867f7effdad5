#pragma once

#include "device/core/lib_context.h"

namespace zev {

// The sink of the device's context; standard output for a device without one.
inline DiagSink* SinkOf(const UsbDevice* dev) {
  return dev != nullptr && dev->ctx != nullptr ? dev->ctx->diag : &DefaultDiagSink();
}

// True when the device belongs to the utility's copy of the library.
inline bool IsUtilityVariant(const UsbDevice* dev) {
  return dev != nullptr && dev->ctx != nullptr && dev->ctx->IsUtility();
}

// printf-style diagnostic line through the device's sink.
void DevPrintf(const UsbDevice* dev, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace zev
