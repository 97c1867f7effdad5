#include "sim/host/usb_sysfs.h"

#include <algorithm>
#include <cstdio>

namespace zev::sim::host {
namespace {

constexpr const char* kHostControllerPath = "/devices/pci0000:00/0000:00:14.0";

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

unsigned Word(const std::vector<uint8_t>& bytes, size_t offset) {
  return offset + 1 < bytes.size() ? static_cast<unsigned>(bytes[offset] | bytes[offset + 1] << 8) : 0;
}

unsigned Byte(const std::vector<uint8_t>& bytes, size_t offset) { return offset < bytes.size() ? bytes[offset] : 0; }

const char* SpeedText(BusSpeed speed) {
  switch (speed) {
    case BusSpeed::Full:
      return "12";
    case BusSpeed::High:
      return "480";
    case BusSpeed::Super:
      break;
  }
  return "5000";
}

// Attribute values are escaped text; only plain printable characters go in.
std::string AttributeText(const std::string& text) {
  std::string clean;
  for (char c : text) clean += (c >= 0x20 && c < 0x7F && c != '\\') ? c : '?';
  return clean;
}

}  // namespace

std::string SysfsUsbDevice::SysPath() const {
  const std::string hub = std::string("/sys") + kHostControllerPath + Format("/usb%u", bus);
  return port == 0 ? hub : hub + Format("/%u-%u", bus, port);
}

std::string SysfsUsbDevice::DevNode() const { return Format("/dev/bus/usb/%03u/%03u", bus, devnum); }

SysfsUsbDevice RootHub(unsigned bus, unsigned ports, BusSpeed speed) {
  const bool super = speed == BusSpeed::Super;
  SysfsUsbDevice hub;
  hub.bus = bus;
  hub.devnum = 1;
  hub.maxChild = ports;
  hub.speed = speed;
  // Linux Foundation root hub: hub class, one configuration with the hub interface
  // and its status-change endpoint.
  hub.device = {18, 0x01, 0x00, static_cast<uint8_t>(super ? 0x03 : 0x02), 0x09, 0x00,
                static_cast<uint8_t>(super ? 3 : 1), static_cast<uint8_t>(super ? 9 : 64), 0x6B, 0x1D,
                static_cast<uint8_t>(super ? 3 : 2), 0x00, 0x01, 0x06, 3, 2, 1, 1};
  hub.configuration = {9, 0x02, 25, 0, 1, 1, 0, 0xE0, 0,     // configuration
                       9, 0x04, 0, 0, 1, 0x09, 0, 0, 0,      // hub interface
                       7, 0x05, 0x81, 0x03, 4, 0, 12};       // status change endpoint
  hub.manufacturer = "zev-sim";
  hub.product = "Virtual root hub";
  hub.serial = "zev-sim";
  return hub;
}

std::string DescribeForTestbed(const SysfsUsbDevice& d) {
  const std::string devnode = d.DevNode();
  std::string text = "P: " + d.SysPath().substr(4) + "\n";  // the path below /sys
  auto property = [&text](const std::string& key, const std::string& value) { text += "E: " + key + "=" + value + "\n"; };
  // Sysfs attribute files end in a newline; "\n" is how the format escapes it.
  auto attribute = [&text](const std::string& key, const std::string& value) {
    text += "A: " + key + "=" + value + "\\n\n";
  };
  const unsigned vendor = Word(d.device, 8);
  const unsigned product = Word(d.device, 10);
  const unsigned bcdDevice = Word(d.device, 12);
  const unsigned bcdUsb = Word(d.device, 2);
  property("SUBSYSTEM", "usb");
  property("DEVTYPE", "usb_device");
  property("DRIVER", "usb");
  property("DEVNAME", devnode);
  property("BUSNUM", Format("%03u", d.bus));
  property("DEVNUM", Format("%03u", d.devnum));
  property("PRODUCT", Format("%x/%x/%x", vendor, product, bcdDevice));
  property("TYPE", Format("%u/%u/%u", Byte(d.device, 4), Byte(d.device, 5), Byte(d.device, 6)));
  property("ID_VENDOR_ID", Format("%04x", vendor));
  property("ID_MODEL_ID", Format("%04x", product));
  attribute("idVendor", Format("%04x", vendor));
  attribute("idProduct", Format("%04x", product));
  attribute("bcdDevice", Format("%04x", bcdDevice));
  attribute("version", Format("%2x.%02x", bcdUsb >> 8, bcdUsb & 0xFF));
  attribute("busnum", Format("%u", d.bus));
  attribute("devnum", Format("%u", d.devnum));
  attribute("devpath", d.port == 0 ? "0" : Format("%u", d.port));
  attribute("speed", SpeedText(d.speed));
  attribute("maxchild", Format("%u", d.maxChild));
  attribute("bDeviceClass", Format("%02x", Byte(d.device, 4)));
  attribute("bDeviceSubClass", Format("%02x", Byte(d.device, 5)));
  attribute("bDeviceProtocol", Format("%02x", Byte(d.device, 6)));
  attribute("bMaxPacketSize0", Format("%u", Byte(d.device, 7)));
  attribute("bNumConfigurations", Format("%u", Byte(d.device, 17)));
  attribute("bConfigurationValue", Format("%u", Byte(d.configuration, 5)));
  attribute("bNumInterfaces", Format("%2u", Byte(d.configuration, 4)));
  attribute("bmAttributes", Format("%02x", Byte(d.configuration, 7)));
  attribute("bMaxPower", Format("%umA", Byte(d.configuration, 8) * (d.speed == BusSpeed::Super ? 8 : 2)));
  if (!d.manufacturer.empty()) attribute("manufacturer", AttributeText(d.manufacturer));
  if (!d.product.empty()) attribute("product", AttributeText(d.product));
  if (!d.serial.empty()) attribute("serial", AttributeText(d.serial));
  std::vector<uint8_t> descriptors = d.device;
  descriptors.insert(descriptors.end(), d.configuration.begin(), d.configuration.end());
  text += "H: descriptors=" + Hex(descriptors) + "\n";
  return text;
}

std::string StringDescriptorText(const std::vector<uint8_t>& descriptor) {
  std::string text;
  const size_t end = std::min<size_t>(descriptor.size(), descriptor.empty() ? 0 : descriptor[0]);
  for (size_t i = 2; i + 1 < end; i += 2) {
    const unsigned unit = descriptor[i] | descriptor[i + 1] << 8;
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

}  // namespace zev::sim::host
