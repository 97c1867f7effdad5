#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/chip/registers.h"

namespace zev {

// The EEPROM image: the EEPROM's bytes from address 0, also the image file format
// (no header, no checksum). Multi-byte fields are little-endian. Descriptors are
// found through locators: a length byte followed by a word-offset byte.
inline constexpr uint8_t kEepromSignature = 0xA5;
// The fixed fields and locators before the descriptor area.
inline constexpr uint32_t kEepromHeaderSize = 0x4A;

// 128, 256 or 512.
bool IsEepromPartSize(uint32_t size);

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
inline constexpr uint32_t kSerialNumberString = 3;
inline constexpr uint32_t kStringCount = 5;
inline constexpr uint32_t kBosLocator = 0x3C;
inline constexpr uint32_t kSsDeviceLocator = 0x3E;
inline constexpr uint32_t kSsConfigLocator = 0x40;
inline constexpr uint32_t kHsDeviceLocator = 0x42;
inline constexpr uint32_t kHsConfigLocator = 0x44;
inline constexpr uint32_t kFsDeviceLocator = 0x46;
inline constexpr uint32_t kFsConfigLocator = 0x48;
inline constexpr uint32_t kDescriptorArea = kEepromHeaderSize;
}  // namespace eeprom_layout

// CFG0 flag bits with names.
inline constexpr uint32_t CFG0_PWR_SEL = 1u << 0;
inline constexpr uint32_t CFG0_LPM = 1u << 3;
inline constexpr uint32_t CFG0_CLK_XTAL_ENABLE = 1u << 13;

// The register bit a CFG0 flag presets when the chip loads a signed image.
struct Cfg0BitPreset {
  uint32_t cfg0Bit;
  uint32_t reg;
  uint32_t regBit;
};
inline constexpr Cfg0BitPreset kCfg0Presets[] = {
    {0, USB_CFG, 1},   {1, USB_CFG, 3},     {2, USB_CFG, 4},   {3, USB_CFG, 2},  {4, USB_CFG, 5},
    {5, USB_CFG, 6},   {6, EXT_RST_CFG, 0}, {7, HW_CFG, 5},    {8, LED_CFG0, 0}, {9, LED_CFG0, 2},
    {10, LED_CFG0, 3}, {11, HW_CFG, 6},     {12, USB_CFG, 13}, {13, CPM_CTL, 1},
};

// A 32-bit image word that presets a register (the bits under `mask`).
struct WordPreset {
  uint32_t imageOffset;
  uint32_t reg;
  uint32_t mask;
};
inline constexpr WordPreset kWordPresets[] = {
    {eeprom_layout::kCfg1, USB_PHY_PARAMS0, 0x3F3F7F7F}, {eeprom_layout::kCfg2, USB_PHY_PARAMS1, 0x1F1F},
    {eeprom_layout::kCfg3, USB_PHY_MPLL_CTL, 0x7},       {eeprom_layout::kGpioEnable, GPIO_ENABLE, 0x7FFFFFFF},
    {eeprom_layout::kGpioBuffer, GPIO_BUF, 0x7FFFFFFF},  {eeprom_layout::kGpioDirection, GPIO_DIR, 0x7FFFFFFF},
    {eeprom_layout::kGpioData, GPIO_DATA, 0x7FFFFFFF},
};

// The fixed fields before the locators.
struct EepromHeader {
  uint8_t signature = 0;
  uint8_t fsInterruptInterval = 0;
  uint32_t cfg0 = 0;
  uint32_t cfg1 = 0;
  uint32_t cfg2 = 0;
  uint32_t cfg3 = 0;
  std::array<uint32_t, 4> gpio{};  // enable, buffer, direction, data
  uint16_t langId = 0;
};

struct EepromLocator {
  uint8_t length = 0;  // 0: nothing stored
  uint8_t wordOffset = 0;
  uint32_t ByteOffset() const { return 2u * wordOffset; }
};

// The three bus speeds the image holds device and configuration descriptors for.
enum class EepromSpeed { Full, High, Super };

// A read-only view of an image that never reads outside its bytes. Every accessor
// that can fail returns false with a message naming the field and the fault.
class EepromImage {
 public:
  explicit EepromImage(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::span<const uint8_t> Bytes() const { return bytes_; }
  bool HasSignature() const { return !bytes_.empty() && bytes_[0] == kEepromSignature; }
  // Little-endian fields; false when the field lies outside the image.
  bool ReadU8(uint32_t offset, uint8_t* value) const;
  bool ReadU16(uint32_t offset, uint16_t* value) const;
  bool ReadU32(uint32_t offset, uint32_t* value) const;

  // False when the image is shorter than the fixed header.
  bool ReadHeader(EepromHeader* header, std::string* error) const;
  bool ReadLocator(uint32_t locatorOffset, EepromLocator* locator, std::string* error) const;

  // The bytes the locator at `locatorOffset` points to. False when the locator is
  // outside the image, empty, points into the fixed header or past the image's end.
  bool Locate(uint32_t locatorOffset, std::span<const uint8_t>* descriptor, std::string* error) const;

  // Located descriptors whose own length and type fields agree with their locator.
  // The configuration block is the configuration and interface descriptors (and at
  // SuperSpeed the two endpoint companions); the chip inserts the endpoints.
  bool DeviceDescriptor(EepromSpeed speed, std::span<const uint8_t>* descriptor, std::string* error) const;
  bool ConfigBlock(EepromSpeed speed, std::span<const uint8_t>* block, std::string* error) const;
  // True with an empty span when the image has no BOS descriptor (length 0).
  bool Bos(std::span<const uint8_t>* bos, std::string* error) const;
  // String descriptor n (1 to 5), complete with bLength and bDescriptorType.
  bool StringDescriptor(uint32_t n, std::span<const uint8_t>* descriptor, std::string* error) const;
  // Its text, UTF-16 code units.
  bool StringText(uint32_t n, std::u16string* text, std::string* error) const;
  bool SerialNumber(std::u16string* text, std::string* error) const;

  // Every locator of a signed image checked (strings may be absent); an image without
  // the signature is not used by the chip and passes.
  bool CheckLayout(std::string* error) const;

 private:
  bool LocateChecked(uint32_t locatorOffset, uint8_t type, std::span<const uint8_t>* descriptor,
                     std::string* error) const;

  std::span<const uint8_t> bytes_;
};

// The locator offset of the device or configuration descriptor at `speed`.
uint32_t DeviceLocator(EepromSpeed speed);
uint32_t ConfigLocator(EepromSpeed speed);
// "serial-number string locator (0x36)" and the like, for messages.
std::string LocatorName(uint32_t locatorOffset);

// An image meant for a part of `partSize` bytes: not empty, not shorter than the
// fixed header, not longer than the part, and a sound layout when signed.
bool CheckEepromImage(std::span<const uint8_t> image, uint32_t partSize, std::string* error);

// Writes `text` over the serial-number string in place. The text must have exactly
// as many characters as the string holds, and the string must not share bytes with
// another descriptor; the image is untouched on failure.
bool ReplaceSerialNumber(std::span<uint8_t> image, std::u16string_view text, std::string* error);

}  // namespace zev
