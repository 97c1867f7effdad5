#include "sim/usb/usb_descriptors.h"

#include <string>

#include "device/eeprom/eeprom_image.h"
#include "device/usb/usb_id_list.h"

namespace zev::sim {
namespace {

namespace layout = eeprom_layout;

size_t Index(BusSpeed speed) { return static_cast<size_t>(speed); }

std::vector<uint8_t> Copy(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<uint8_t> Endpoint(uint8_t address, uint8_t attributes, uint16_t maxPacket, uint8_t interval) {
  return {7, 0x05, address, attributes, static_cast<uint8_t>(maxPacket), static_cast<uint8_t>(maxPacket >> 8),
          interval};
}

}  // namespace

UsbDescriptors UsbDescriptors::BuiltIn() {
  UsbDescriptors d;
  const UsbId id = kBuiltInUsbId;
  const std::vector<uint8_t> device2 = {18, 0x01, 0x00, 0x02, 0, 0, 0, 64,
                                        static_cast<uint8_t>(id.vendor), static_cast<uint8_t>(id.vendor >> 8),
                                        static_cast<uint8_t>(id.product), static_cast<uint8_t>(id.product >> 8),
                                        0x00, 0x01, 0, 0, 0, 1};
  std::vector<uint8_t> device3 = device2;
  device3[2] = 0x20;
  device3[3] = 0x03;
  device3[7] = 9;
  const std::vector<uint8_t> config = {9, 0x02, 32, 0, 1, 1, 0, 0x80, 250, 9, 0x04, 0, 0, 2, 0xFF, 0, 0, 0};
  std::vector<uint8_t> configSs = config;
  configSs[2] = 44;
  configSs[8] = 112;
  const uint8_t companions[] = {6, 0x30, 15, 0, 0, 0, 6, 0x30, 0, 0, 16, 0};
  configSs.insert(configSs.end(), std::begin(companions), std::end(companions));
  d.device_[0] = d.device_[1] = device2;
  d.device_[2] = device3;
  d.config_[0] = d.config_[1] = config;
  d.config_[2] = configSs;
  return d;
}

UsbDescriptors UsbDescriptors::FromEeprom(std::span<const uint8_t> bytes) {
  const EepromImage image(bytes);
  EepromHeader header;
  std::string error;
  if (!image.HasSignature() || !image.ReadHeader(&header, &error)) return BuiltIn();
  UsbDescriptors d;
  d.fromImage_ = true;
  std::span<const uint8_t> found;
  const EepromSpeed speeds[3] = {EepromSpeed::Full, EepromSpeed::High, EepromSpeed::Super};
  for (size_t i = 0; i < 3; ++i) {
    // A descriptor the image does not hold soundly makes the chip fall back to its
    // built-in identity rather than present garbage to the host.
    if (!image.DeviceDescriptor(speeds[i], &found, &error)) return BuiltIn();
    d.device_[i] = Copy(found);
    if (!image.ConfigBlock(speeds[i], &found, &error)) return BuiltIn();
    d.config_[i] = Copy(found);
  }
  d.selfPowered_ = (header.cfg0 & CFG0_PWR_SEL) != 0;
  d.lpm_ = (header.cfg0 & CFG0_LPM) != 0;
  d.fsInterval_ = header.fsInterruptInterval;
  d.langId_ = header.langId;
  if (image.Bos(&found, &error)) d.bos_ = Copy(found);
  // Strings that are absent or unsound are not served.
  for (uint32_t n = 1; n <= layout::kStringCount; ++n) {
    if (image.StringDescriptor(n, &found, &error)) d.strings_[n] = Copy(found);
  }
  return d;
}

uint16_t UsbDescriptors::VendorId() const { return static_cast<uint16_t>(device_[1][8] | device_[1][9] << 8); }
uint16_t UsbDescriptors::ProductId() const { return static_cast<uint16_t>(device_[1][10] | device_[1][11] << 8); }

std::vector<uint8_t> UsbDescriptors::Device(BusSpeed speed) const { return device_[Index(speed)]; }

std::vector<uint8_t> UsbDescriptors::Configuration(BusSpeed speed) const {
  const std::vector<uint8_t>& stored = config_[Index(speed)];
  std::vector<uint8_t> wire(stored.begin(), stored.begin() + 18);  // configuration + interface
  switch (speed) {
    case BusSpeed::Full: {
      const auto out = Endpoint(kBulkOutEndpoint, 0x02, 64, 0);
      const auto in = Endpoint(kInterruptInEndpoint, 0x03, 16, fsInterval_);
      wire.insert(wire.end(), out.begin(), out.end());
      wire.insert(wire.end(), in.begin(), in.end());
      break;
    }
    case BusSpeed::High: {
      const auto out = Endpoint(kBulkOutEndpoint, 0x02, 512, 0);
      const auto in = Endpoint(kInterruptInEndpoint, 0x03, 16, 4);
      wire.insert(wire.end(), out.begin(), out.end());
      wire.insert(wire.end(), in.begin(), in.end());
      break;
    }
    case BusSpeed::Super: {
      // Each endpoint is followed by its companion as stored in the image.
      const auto out = Endpoint(kBulkOutEndpoint, 0x02, 1024, 0);
      const auto in = Endpoint(kInterruptInEndpoint, 0x03, 16, 4);
      wire.insert(wire.end(), out.begin(), out.end());
      if (stored.size() >= 24) wire.insert(wire.end(), stored.begin() + 18, stored.begin() + 24);
      wire.insert(wire.end(), in.begin(), in.end());
      if (stored.size() >= 30) wire.insert(wire.end(), stored.begin() + 24, stored.begin() + 30);
      break;
    }
  }
  return wire;
}

std::optional<std::vector<uint8_t>> UsbDescriptors::DeviceQualifier(BusSpeed speed) const {
  if (speed != BusSpeed::High) return std::nullopt;
  // Derived from the full-speed device descriptor.
  const std::vector<uint8_t>& fs = device_[0];
  return std::vector<uint8_t>{10, 0x06, fs[2], fs[3], fs[4], fs[5], fs[6], fs[7], fs[17], 0};
}

std::optional<std::vector<uint8_t>> UsbDescriptors::OtherSpeedConfiguration(BusSpeed speed) const {
  if (speed != BusSpeed::High) return std::nullopt;
  std::vector<uint8_t> other = Configuration(BusSpeed::Full);
  other[1] = 0x07;
  return other;
}

std::optional<std::vector<uint8_t>> UsbDescriptors::Bos() const {
  if (!lpm_ || bos_.empty()) return std::nullopt;
  return bos_;
}

std::optional<std::vector<uint8_t>> UsbDescriptors::String(uint8_t index) const {
  if (!fromImage_) return std::nullopt;
  if (index == 0) return std::vector<uint8_t>{4, 0x03, static_cast<uint8_t>(langId_), static_cast<uint8_t>(langId_ >> 8)};
  if (index > 5 || strings_[index].empty()) return std::nullopt;
  return strings_[index];
}

}  // namespace zev::sim
