#pragma once

#include "device/core/lib_context.h"

namespace zev {

// The context of this loaded library, shared by all exports: real adapters through
// libusb, settings at their values at load until an export changes them.
LibContext& ProcessContext();

}  // namespace zev
