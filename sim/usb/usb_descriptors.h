#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zev::sim {

enum class BusSpeed { Full, High, Super };

// The USB descriptors the chip presents, built when it reads its EEPROM image: from
// the image when its signature is 0xA5 (and its locators are sound), else the chip's
// built-in defaults, which carry no strings.
class UsbDescriptors {
 public:
  // `image` is the EEPROM content; it is copied.
  static UsbDescriptors FromEeprom(std::span<const uint8_t> image);
  static UsbDescriptors BuiltIn();

  bool FromImage() const { return fromImage_; }
  uint16_t VendorId() const;
  uint16_t ProductId() const;
  bool SelfPowered() const { return selfPowered_; }
  bool Lpm() const { return lpm_; }

  // Descriptors as sent on the wire at `speed` (endpoint descriptors inserted).
  std::vector<uint8_t> Device(BusSpeed speed) const;
  std::vector<uint8_t> Configuration(BusSpeed speed) const;
  // High speed only: the qualifier and the other-speed (full-speed) configuration.
  std::optional<std::vector<uint8_t>> DeviceQualifier(BusSpeed speed) const;
  std::optional<std::vector<uint8_t>> OtherSpeedConfiguration(BusSpeed speed) const;
  std::optional<std::vector<uint8_t>> Bos() const;
  // String 0 is the language list; strings 1..5 come from the image.
  std::optional<std::vector<uint8_t>> String(uint8_t index) const;

  // Endpoints the chip inserts into every configuration.
  static constexpr uint8_t kBulkOutEndpoint = 0x01;
  static constexpr uint8_t kInterruptInEndpoint = 0x81;

 private:
  bool fromImage_ = false;
  bool selfPowered_ = false;
  bool lpm_ = false;
  uint8_t fsInterval_ = 1;
  uint16_t langId_ = 0x0409;
  std::vector<uint8_t> device_[3];  // full, high, super
  std::vector<uint8_t> config_[3];  // as stored: configuration + interface (+ companions)
  std::vector<uint8_t> bos_;
  std::vector<uint8_t> strings_[6];
};

}  // namespace zev::sim
