#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/usb/usb_descriptors.h"

namespace zev::sim::host {

// One USB device as the testbed shows it in sysfs and udev: where it sits, its
// address and the descriptors libusb reads from sysfs.
struct SysfsUsbDevice {
  unsigned bus = 1;
  unsigned port = 0;    // root-hub port; 0 for the root hub itself
  unsigned devnum = 0;  // bus address
  unsigned maxChild = 0;
  BusSpeed speed = BusSpeed::High;
  std::vector<uint8_t> device;         // the 18-byte device descriptor
  std::vector<uint8_t> configuration;  // the whole configuration
  std::string manufacturer, product, serial;

  // "/sys/devices/.../usb1" for the root hub, ".../usb1/1-3" for the device on port 3.
  std::string SysPath() const;
  // "/dev/bus/usb/001/002"
  std::string DevNode() const;
};

// The root hub of bus `bus` with `ports` ports.
SysfsUsbDevice RootHub(unsigned bus, unsigned ports, BusSpeed speed);

// The device in umockdev's description format (umockdev_testbed_add_from_string),
// without a device-node line: the node is created by whoever serves it.
std::string DescribeForTestbed(const SysfsUsbDevice& device);

// An ASCII rendering of a string descriptor (for the sysfs string attributes).
std::string StringDescriptorText(const std::vector<uint8_t>& descriptor);

}  // namespace zev::sim::host
