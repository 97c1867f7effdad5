#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zev {

// The EEPROM image: the EEPROM's bytes from address 0, also the image file format
// (no header, no checksum). Multi-byte fields are little-endian. Descriptors are
// found through locators: a length byte followed by a word-offset byte.
inline constexpr uint8_t kEepromSignature = 0xA5;

namespace eeprom_layout {
inline constexpr uint32_t kSignature = 0x00;
inline constexpr uint32_t kFsInterruptInterval = 0x01;
inline constexpr uint32_t kCfg0 = 0x04;
inline constexpr uint32_t kCfg1 = 0x08;
inline constexpr uint32_t kCfg2 = 0x0C;
inline constexpr uint32_t kCfg3 = 0x10;
inline constexpr uint32_t kGpioEnable = 0x20;
inline constexpr uint32_t kGpioBuffer = 0x24;
inline constexpr uint32_t kGpioDirection = 0x28;
inline constexpr uint32_t kGpioData = 0x2C;
inline constexpr uint32_t kLangId = 0x30;
// Locator of string descriptor n (1 manufacturer, 2 product, 3 serial number,
// 4 configuration, 5 interface).
inline constexpr uint32_t StringLocator(uint32_t n) { return 0x32 + 2 * (n - 1); }
inline constexpr uint32_t kBosLocator = 0x3C;
inline constexpr uint32_t kSsDeviceLocator = 0x3E;
inline constexpr uint32_t kSsConfigLocator = 0x40;
inline constexpr uint32_t kHsDeviceLocator = 0x42;
inline constexpr uint32_t kHsConfigLocator = 0x44;
inline constexpr uint32_t kFsDeviceLocator = 0x46;
inline constexpr uint32_t kFsConfigLocator = 0x48;
inline constexpr uint32_t kDescriptorArea = 0x4A;
}  // namespace eeprom_layout

// CFG0 flag bits with names.
inline constexpr uint32_t CFG0_PWR_SEL = 1u << 0;
inline constexpr uint32_t CFG0_LPM = 1u << 3;
inline constexpr uint32_t CFG0_CLK_XTAL_ENABLE = 1u << 13;

// A read-only view of an image that never reads outside its bytes.
class EepromImage {
 public:
  explicit EepromImage(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::span<const uint8_t> Bytes() const { return bytes_; }
  bool HasSignature() const { return !bytes_.empty() && bytes_[0] == kEepromSignature; }
  // Little-endian fields; false when the field lies outside the image.
  bool ReadU8(uint32_t offset, uint8_t* value) const;
  bool ReadU16(uint32_t offset, uint16_t* value) const;
  bool ReadU32(uint32_t offset, uint32_t* value) const;

  // The bytes the locator at `locatorOffset` points to. False with a message when the
  // locator is outside the image, its length is 0, or it points past the image's end.
  bool Locate(uint32_t locatorOffset, std::span<const uint8_t>* descriptor, std::string* error) const;

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace zev
