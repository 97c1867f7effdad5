#include "device/usb/libusb_backend.h"

#include <libusb.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace zev {
namespace {

// Control transfers get the time a default control pipe allows; bulk writes get a
// base time plus time for their length, so a vanished device never hangs a caller.
constexpr unsigned kControlTimeoutMs = 5000;
constexpr unsigned kBulkBaseTimeoutMs = 5000;
constexpr unsigned kBulkMsPerMiB = 100;

std::string ErrorText(int code) {
  return std::string(libusb_error_name(code)) + " (" + libusb_strerror(static_cast<libusb_error>(code)) + ")";
}

// The vendor interface with a bulk OUT endpoint, as found in the active configuration.
struct VendorInterface {
  int number = -1;
  std::vector<PipeInfo> pipes;
};

bool FindVendorInterface(libusb_device* device, VendorInterface* found) {
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(device, &config) != 0 &&
      libusb_get_config_descriptor(device, 0, &config) != 0) {
    return false;
  }
  bool ok = false;
  for (int i = 0; i < config->bNumInterfaces && !ok; ++i) {
    const libusb_interface& iface = config->interface[i];
    if (iface.num_altsetting < 1) continue;
    const libusb_interface_descriptor& alt = iface.altsetting[0];
    if (alt.bInterfaceClass != LIBUSB_CLASS_VENDOR_SPEC) continue;
    VendorInterface candidate;
    candidate.number = alt.bInterfaceNumber;
    bool hasBulkOut = false;
    for (int e = 0; e < alt.bNumEndpoints; ++e) {
      const libusb_endpoint_descriptor& ep = alt.endpoint[e];
      PipeInfo pipe;
      pipe.type = static_cast<PipeType>(ep.bmAttributes & 0x3);
      pipe.pipeId = ep.bEndpointAddress;
      pipe.maxPacketSize = ep.wMaxPacketSize;
      candidate.pipes.push_back(pipe);
      if (pipe.type == PipeType::Bulk && (pipe.pipeId & 0x80) == 0) hasBulkOut = true;
    }
    if (hasBulkOut) {
      *found = std::move(candidate);
      ok = true;
    }
  }
  libusb_free_config_descriptor(config);
  return ok;
}

std::string PathOf(libusb_device* device) {
  uint8_t ports[8];
  const int count = libusb_get_port_numbers(device, ports, sizeof ports);
  std::string path = "usb:" + std::to_string(libusb_get_bus_number(device)) + "-";
  if (count <= 0) return path + "0." + std::to_string(libusb_get_device_address(device));
  for (int i = 0; i < count; ++i) {
    if (i > 0) path += '.';
    path += std::to_string(ports[i]);
  }
  return path;
}

class LibusbTransport final : public UsbTransport {
 public:
  LibusbTransport(libusb_device_handle* handle, VendorInterface iface, uint8_t speed)
      : handle_(handle), iface_(std::move(iface)), speed_(speed) {}
  ~LibusbTransport() override {
    libusb_release_interface(handle_, iface_.number);
    libusb_close(handle_);
  }

  bool QuerySpeed(uint8_t* speed) override {
    *speed = speed_;
    return speed_ != kSpeedUnknown;
  }

  bool QueryInterfaceSettings(uint8_t alternate, uint8_t* endpointCount) override {
    if (alternate != 0) return false;
    *endpointCount = static_cast<uint8_t>(iface_.pipes.size());
    return true;
  }

  bool QueryPipe(uint8_t alternate, uint8_t index, PipeInfo* pipe) override {
    if (alternate != 0 || index >= iface_.pipes.size()) return false;
    *pipe = iface_.pipes[index];
    return true;
  }

  bool ControlTransfer(const SetupPacket& setup, uint8_t* data, uint32_t* transferred) override {
    const int result = libusb_control_transfer(handle_, setup.bmRequestType, setup.bRequest, setup.wValue,
                                               setup.wIndex, data, setup.wLength, kControlTimeoutMs);
    if (result < 0) {
      lastError_ = ErrorText(result);
      return false;
    }
    *transferred = static_cast<uint32_t>(result);
    return true;
  }

  bool ResetPipe(uint8_t pipeId) override {
    const int result = libusb_clear_halt(handle_, pipeId);
    if (result != 0) lastError_ = ErrorText(result);
    return result == 0;
  }

  bool WritePipe(uint8_t pipeId, const uint8_t* data, uint32_t length, uint32_t* written) override {
    if (length > static_cast<uint32_t>(INT_MAX)) {
      lastError_ = "transfer too long";
      return false;
    }
    int done = 0;
    const unsigned timeout = kBulkBaseTimeoutMs + (length >> 20) * kBulkMsPerMiB;
    const int result = libusb_bulk_transfer(handle_, pipeId, const_cast<uint8_t*>(data), static_cast<int>(length),
                                            &done, timeout);
    *written = static_cast<uint32_t>(done);
    if (result != 0) {
      lastError_ = ErrorText(result);
      return false;
    }
    return true;
  }

  std::string LastErrorText() const override { return lastError_; }

 private:
  libusb_device_handle* handle_;
  VendorInterface iface_;
  uint8_t speed_;
  std::string lastError_;
};

uint8_t SpeedOf(libusb_device* device) {
  switch (libusb_get_device_speed(device)) {
    case LIBUSB_SPEED_LOW:
      return kSpeedLow;
    case LIBUSB_SPEED_FULL:
      return kSpeedFull;
    case LIBUSB_SPEED_UNKNOWN:
      return kSpeedUnknown;
    default:
      return kSpeedHigh;  // high speed and faster report as high speed
  }
}

}  // namespace

LibusbBackend::LibusbBackend() {
  if (!UsbIdsFromEnvironment(&ids_, &configError_)) {
    std::fprintf(stderr, "zev: %s\n", configError_.c_str());
  }
}

LibusbBackend::LibusbBackend(std::vector<UsbId> ids) : ids_(std::move(ids)) {}

LibusbBackend::~LibusbBackend() {
  if (context_ != nullptr) libusb_exit(context_);
}

bool LibusbBackend::EnsureContext() {
  if (!configError_.empty()) {
    lastError_ = configError_;
    return false;
  }
  if (context_ != nullptr) return true;
  const int result = libusb_init(&context_);
  if (result != 0) {
    context_ = nullptr;
    lastError_ = "libusb_init: " + ErrorText(result);
    return false;
  }
  return true;
}

bool LibusbBackend::ListDevicePaths(std::vector<std::string>* paths) {
  paths->clear();
  if (!EnsureContext()) return false;
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context_, &list);
  if (count < 0) {
    lastError_ = "libusb_get_device_list: " + ErrorText(static_cast<int>(count));
    return false;
  }
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor desc;
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    const UsbId id{desc.idVendor, desc.idProduct};
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) continue;
    VendorInterface iface;
    if (!FindVendorInterface(list[i], &iface)) continue;
    paths->push_back(PathOf(list[i]));
  }
  libusb_free_device_list(list, 1);
  std::sort(paths->begin(), paths->end());
  return true;
}

std::unique_ptr<UsbTransport> LibusbBackend::Open(const std::string& path) {
  if (!EnsureContext()) return nullptr;
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context_, &list);
  if (count < 0) {
    lastError_ = "libusb_get_device_list: " + ErrorText(static_cast<int>(count));
    return nullptr;
  }
  std::unique_ptr<UsbTransport> transport;
  lastError_ = "no adapter at " + path;
  for (ssize_t i = 0; i < count && transport == nullptr; ++i) {
    libusb_device_descriptor desc;
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    if (std::find(ids_.begin(), ids_.end(), UsbId{desc.idVendor, desc.idProduct}) == ids_.end()) continue;
    if (PathOf(list[i]) != path) continue;
    VendorInterface iface;
    if (!FindVendorInterface(list[i], &iface)) continue;
    libusb_device_handle* handle = nullptr;
    int result = libusb_open(list[i], &handle);
    if (result != 0) {
      lastError_ = "libusb_open: " + ErrorText(result);
      continue;
    }
    libusb_set_auto_detach_kernel_driver(handle, 1);
    result = libusb_claim_interface(handle, iface.number);
    if (result != 0) {
      lastError_ = "libusb_claim_interface: " + ErrorText(result);
      libusb_close(handle);
      continue;
    }
    transport = std::make_unique<LibusbTransport>(handle, std::move(iface), SpeedOf(list[i]));
  }
  libusb_free_device_list(list, 1);
  return transport;
}

}  // namespace zev
