#pragma once

#include <cstdint>
#include <memory>

#include "device/usb/usb_backend.h"

namespace zev {

struct LibContext;

inline constexpr uint32_t USB_DEVICE_MAGIC = 0x12345678;

// The transport records of one open connection (owned by the connection object).
// `transport` is the claimed vendor interface; pipe ids of endpoint types the
// interface lacks stay 0.
struct UsbHandles {
  std::unique_ptr<UsbTransport> transport;
  uint8_t speed = kSpeedUnknown;
  uint8_t bulkInPipe = 0;
  uint8_t bulkOutPipe = 0;
  uint8_t interruptPipe = 0;
  uint8_t controlPipe = 0;
};

// The open adapter as every hardware routine sees it. The transfer routines refuse a
// record without the magic. `ctx` gives routines the caller's variant, diagnostic
// sink and library-wide settings.
struct UsbDevice {
  uint32_t magic = 0;
  UsbTransport* transport = nullptr;  // borrowed from UsbHandles
  uint8_t bulkInPipe = 0;
  uint8_t bulkOutPipe = 0;
  uint8_t interruptPipe = 0;
  uint8_t controlPipe = 0;
  uint8_t speed = kSpeedUnknown;
  uint32_t fpgaRev = 0;  // FPGA_REV as the last bring-up read it
  uint32_t idRev = 0;    // ID_REV as the last bring-up read it
  LibContext* ctx = nullptr;
};

}  // namespace zev
