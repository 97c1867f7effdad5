#pragma once

#include <string>
#include <vector>

namespace zev::e2e {

// What libusb shows of every device apart from root hubs, through a context of its
// own, one line each: `1-1 1209:0002 manufacturer "Voskar", product "ZEV Display
// Adapter", serial "ZEV000001"`, with `none` for a string the device descriptor does
// not name (index 0). False with a message when libusb cannot list the devices.
bool ListUsbDevices(std::vector<std::string>* lines, std::string* error);

}  // namespace zev::e2e
