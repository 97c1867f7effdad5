#include "tests/e2e/usb_device_listing.h"

#include <libusb.h>

#include <cstdio>

namespace zev::e2e {
namespace {

std::string StringDescriptor(libusb_device_handle* handle, uint8_t index) {
  if (index == 0) return "none";
  if (handle == nullptr) return "unreadable (cannot open the device)";
  unsigned char text[256];
  const int length = libusb_get_string_descriptor_ascii(handle, index, text, sizeof text);
  if (length < 0) return std::string("unreadable (") + libusb_error_name(length) + ")";
  return "\"" + std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) + "\"";
}

std::string DescribeDevice(libusb_device* device, const libusb_device_descriptor& desc, const uint8_t* ports,
                           int depth) {
  libusb_device_handle* handle = nullptr;
  if (libusb_open(device, &handle) != 0) handle = nullptr;
  char head[64];
  std::snprintf(head, sizeof head, "%u-%u %04x:%04x", libusb_get_bus_number(device), ports[depth - 1], desc.idVendor,
                desc.idProduct);
  const std::string line = std::string(head) + " manufacturer " + StringDescriptor(handle, desc.iManufacturer) +
                           ", product " + StringDescriptor(handle, desc.iProduct) + ", serial " +
                           StringDescriptor(handle, desc.iSerialNumber);
  if (handle != nullptr) libusb_close(handle);
  return line;
}

}  // namespace

bool ListUsbDevices(std::vector<std::string>* lines, std::string* error) {
  lines->clear();
  libusb_context* context = nullptr;
  if (libusb_init(&context) != 0) {
    *error = "libusb_init failed";
    return false;
  }
  libusb_device** devices = nullptr;
  const ssize_t count = libusb_get_device_list(context, &devices);
  if (count < 0) {
    *error = std::string("libusb_get_device_list: ") + libusb_error_name(static_cast<int>(count));
    libusb_exit(context);
    return false;
  }
  for (ssize_t i = 0; i < count; ++i) {
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(devices[i], ports, sizeof ports);
    libusb_device_descriptor desc{};
    if (depth <= 0 || libusb_get_device_descriptor(devices[i], &desc) != 0) continue;  // a root hub
    lines->push_back(DescribeDevice(devices[i], desc, ports, depth));
  }
  libusb_free_device_list(devices, 1);
  libusb_exit(context);
  return true;
}

}  // namespace zev::e2e
