#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zev {

// Endpoint types as the interface reports them (USB bmAttributes bits 1:0).
enum class PipeType : uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

struct PipeInfo {
  PipeType type = PipeType::Control;
  uint8_t pipeId = 0;  // endpoint address, bit 7 set for IN
  uint16_t maxPacketSize = 0;
};

// The eight bytes of a control request's setup stage.
struct SetupPacket {
  uint8_t bmRequestType = 0;
  uint8_t bRequest = 0;
  uint16_t wValue = 0;
  uint16_t wIndex = 0;
  uint16_t wLength = 0;
};

// Bus speed as the connection records keep it: 1 low, 2 full, 3 high (and faster).
enum : uint8_t { kSpeedUnknown = 0, kSpeedLow = 1, kSpeedFull = 2, kSpeedHigh = 3 };

// One opened adapter interface: the calls the register and bulk protocol needs.
// Every call is synchronous and reports failure by its result only.
class UsbTransport {
 public:
  virtual ~UsbTransport() = default;
  virtual bool QuerySpeed(uint8_t* speed) = 0;
  // Number of endpoints of the interface's alternate setting.
  virtual bool QueryInterfaceSettings(uint8_t alternate, uint8_t* endpointCount) = 0;
  virtual bool QueryPipe(uint8_t alternate, uint8_t index, PipeInfo* pipe) = 0;
  // Control transfer on the default pipe; `data` holds wLength bytes.
  virtual bool ControlTransfer(const SetupPacket& setup, uint8_t* data, uint32_t* transferred) = 0;
  virtual bool ResetPipe(uint8_t pipeId) = 0;
  virtual bool WritePipe(uint8_t pipeId, const uint8_t* data, uint32_t length, uint32_t* written) = 0;
  // Text for the last failure, for diagnostics (may be empty).
  virtual std::string LastErrorText() const { return {}; }
};

// Finds adapters and opens them. The libusb backend serves real adapters (and the
// virtual ones zev-sim presents through the same path); tests use an in-process one.
class UsbBackend {
 public:
  virtual ~UsbBackend() = default;
  // Stable paths of the adapters present now, in enumeration order. False when the
  // enumeration itself failed (as opposed to finding none).
  virtual bool ListDevicePaths(std::vector<std::string>* paths) = 0;
  // Opens the adapter at `path` and claims its vendor interface; null on failure.
  virtual std::unique_ptr<UsbTransport> Open(const std::string& path) = 0;
  virtual std::string LastErrorText() const { return {}; }
};

}  // namespace zev
