#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/usb/usb_backend.h"
#include "device/usb/usb_id_list.h"

struct libusb_context;

namespace zev {

// Real adapters (and the virtual ones zev-sim presents) through libusb-1.0. An
// adapter is a device whose VID:PID is in the list and that has a vendor-specific
// interface (class 0xFF) with a bulk OUT endpoint. Paths read "usb:BUS-PORT.PORT...".
class LibusbBackend final : public UsbBackend {
 public:
  // Matches the default identities plus ZEV_USB_IDS.
  LibusbBackend();
  explicit LibusbBackend(std::vector<UsbId> ids);
  ~LibusbBackend() override;

  bool ListDevicePaths(std::vector<std::string>* paths) override;
  std::unique_ptr<UsbTransport> Open(const std::string& path) override;
  std::string LastErrorText() const override { return lastError_; }

 private:
  bool EnsureContext();

  std::vector<UsbId> ids_;
  std::string configError_;  // set when ZEV_USB_IDS could not be parsed
  libusb_context* context_ = nullptr;
  std::string lastError_;
};

}  // namespace zev
