#include "device/eeprom/eeprom_image.h"

#include <cstdarg>
#include <cstdio>

namespace zev {
namespace {

namespace layout = eeprom_layout;

constexpr uint8_t kDeviceType = 0x01;
constexpr uint8_t kConfigurationType = 0x02;
constexpr uint8_t kStringType = 0x03;
constexpr uint8_t kInterfaceType = 0x04;
constexpr uint8_t kBosType = 0x0F;
constexpr uint8_t kDeviceCapabilityType = 0x10;
constexpr uint8_t kSsEndpointCompanionType = 0x30;
// The two endpoint descriptors the chip inserts count in wTotalLength.
constexpr uint32_t kInsertedEndpointBytes = 2 * 7;

bool Fail(std::string* error, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool Fail(std::string* error, const char* format, ...) {
  char text[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *error = text;
  return false;
}

uint16_t U16(std::span<const uint8_t> d, size_t offset) {
  return static_cast<uint16_t>(d[offset] | d[offset + 1] << 8);
}

size_t SpeedIndex(EepromSpeed speed) { return static_cast<size_t>(speed); }

bool Overlap(uint32_t aStart, uint32_t aLength, uint32_t bStart, uint32_t bLength) {
  return aStart < bStart + bLength && bStart < aStart + aLength;
}

// Every locator of the layout, with the name messages use.
struct NamedLocator {
  uint32_t offset;
  const char* name;
};
constexpr NamedLocator kLocators[] = {
    {layout::StringLocator(1), "manufacturer string locator"},
    {layout::StringLocator(2), "product string locator"},
    {layout::StringLocator(3), "serial-number string locator"},
    {layout::StringLocator(4), "configuration string locator"},
    {layout::StringLocator(5), "interface string locator"},
    {layout::kBosLocator, "BOS locator"},
    {layout::kSsDeviceLocator, "SuperSpeed device locator"},
    {layout::kSsConfigLocator, "SuperSpeed configuration locator"},
    {layout::kHsDeviceLocator, "high-speed device locator"},
    {layout::kHsConfigLocator, "high-speed configuration locator"},
    {layout::kFsDeviceLocator, "full-speed device locator"},
    {layout::kFsConfigLocator, "full-speed configuration locator"},
};

// The serial number is rewritten in place, so no other descriptor may share its bytes.
bool SerialNumberStandsAlone(const EepromImage& image, std::string* error) {
  const uint32_t serialLocator = layout::StringLocator(layout::kSerialNumberString);
  EepromLocator serial;
  if (!image.ReadLocator(serialLocator, &serial, error)) return false;
  for (const NamedLocator& named : kLocators) {
    const uint32_t other = named.offset;
    EepromLocator locator;
    if (other == serialLocator || !image.ReadLocator(other, &locator, error) || locator.length == 0) continue;
    if (Overlap(serial.ByteOffset(), serial.length, locator.ByteOffset(), locator.length)) {
      return Fail(error, "%s shares bytes with the %s", LocatorName(serialLocator).c_str(), LocatorName(other).c_str());
    }
  }
  return true;
}

}  // namespace

bool IsEepromPartSize(uint32_t size) { return size == 128 || size == 256 || size == 512; }

uint32_t DeviceLocator(EepromSpeed speed) {
  constexpr uint32_t kLocators[] = {layout::kFsDeviceLocator, layout::kHsDeviceLocator, layout::kSsDeviceLocator};
  return kLocators[SpeedIndex(speed)];
}

uint32_t ConfigLocator(EepromSpeed speed) {
  constexpr uint32_t kLocators[] = {layout::kFsConfigLocator, layout::kHsConfigLocator, layout::kSsConfigLocator};
  return kLocators[SpeedIndex(speed)];
}

std::string LocatorName(uint32_t locatorOffset) {
  const char* name = "locator";
  for (const NamedLocator& named : kLocators) {
    if (named.offset == locatorOffset) name = named.name;
  }
  char text[80];
  std::snprintf(text, sizeof text, "%s (0x%02X)", name, locatorOffset);
  return text;
}

bool EepromImage::ReadU8(uint32_t offset, uint8_t* value) const {
  if (offset >= bytes_.size()) return false;
  *value = bytes_[offset];
  return true;
}

bool EepromImage::ReadU16(uint32_t offset, uint16_t* value) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) return false;
  *value = U16(bytes_, offset);
  return true;
}

bool EepromImage::ReadU32(uint32_t offset, uint32_t* value) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
  *value = static_cast<uint32_t>(bytes_[offset]) | static_cast<uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes_[offset + 2]) << 16 | static_cast<uint32_t>(bytes_[offset + 3]) << 24;
  return true;
}

bool EepromImage::ReadHeader(EepromHeader* header, std::string* error) const {
  if (bytes_.size() < kEepromHeaderSize) {
    return Fail(error, "the image holds %zu bytes, less than the %u-byte fixed header", bytes_.size(),
                kEepromHeaderSize);
  }
  EepromHeader h;
  ReadU8(layout::kSignature, &h.signature);
  ReadU8(layout::kFsInterruptInterval, &h.fsInterruptInterval);
  ReadU32(layout::kCfg0, &h.cfg0);
  ReadU32(layout::kCfg1, &h.cfg1);
  ReadU32(layout::kCfg2, &h.cfg2);
  ReadU32(layout::kCfg3, &h.cfg3);
  for (uint32_t i = 0; i < 4; ++i) ReadU32(layout::kGpioEnable + 4 * i, &h.gpio[i]);
  ReadU16(layout::kLangId, &h.langId);
  *header = h;
  return true;
}

bool EepromImage::ReadLocator(uint32_t locatorOffset, EepromLocator* locator, std::string* error) const {
  if (!ReadU8(locatorOffset, &locator->length) || !ReadU8(locatorOffset + 1, &locator->wordOffset)) {
    return Fail(error, "%s lies outside the %zu-byte image", LocatorName(locatorOffset).c_str(), bytes_.size());
  }
  return true;
}

bool EepromImage::Locate(uint32_t locatorOffset, std::span<const uint8_t>* descriptor, std::string* error) const {
  EepromLocator locator;
  if (!ReadLocator(locatorOffset, &locator, error)) return false;
  const std::string name = LocatorName(locatorOffset);
  if (locator.length == 0) return Fail(error, "%s is empty", name.c_str());
  const uint32_t start = locator.ByteOffset();
  const uint32_t end = start + locator.length;  // at most 0x1FE + 0xFF: no overflow
  if (start < kEepromHeaderSize) {
    return Fail(error, "%s points to 0x%03X, inside the fixed header", name.c_str(), start);
  }
  if (end > bytes_.size()) {
    return Fail(error, "%s points to 0x%03X..0x%03X, past the %zu-byte image", name.c_str(), start, end - 1,
                bytes_.size());
  }
  *descriptor = bytes_.subspan(start, locator.length);
  return true;
}

bool EepromImage::LocateChecked(uint32_t locatorOffset, uint8_t type, std::span<const uint8_t>* descriptor,
                                std::string* error) const {
  std::span<const uint8_t> d;
  if (!Locate(locatorOffset, &d, error)) return false;
  if (d.size() < 2 || d[1] != type) {
    return Fail(error, "%s: expected descriptor type 0x%02X, found 0x%02X", LocatorName(locatorOffset).c_str(), type,
                d.size() < 2 ? 0u : d[1]);
  }
  *descriptor = d;
  return true;
}

bool EepromImage::DeviceDescriptor(EepromSpeed speed, std::span<const uint8_t>* descriptor, std::string* error) const {
  const uint32_t locator = DeviceLocator(speed);
  std::span<const uint8_t> d;
  if (!LocateChecked(locator, kDeviceType, &d, error)) return false;
  if (d.size() != 18 || d[0] != 18) {
    return Fail(error, "%s: a device descriptor has 18 bytes, the locator says %zu and bLength %u",
                LocatorName(locator).c_str(), d.size(), d[0]);
  }
  *descriptor = d;
  return true;
}

bool EepromImage::ConfigBlock(EepromSpeed speed, std::span<const uint8_t>* block, std::string* error) const {
  const uint32_t locator = ConfigLocator(speed);
  const std::string name = LocatorName(locator);
  const bool superSpeed = speed == EepromSpeed::Super;
  const size_t expected = superSpeed ? 30 : 18;
  std::span<const uint8_t> d;
  if (!LocateChecked(locator, kConfigurationType, &d, error)) return false;
  if (d.size() != expected) {
    return Fail(error, "%s: the configuration block has %zu bytes, not %zu", name.c_str(), d.size(), expected);
  }
  if (d[0] != 9 || d[9] != 9 || d[10] != kInterfaceType) {
    return Fail(error, "%s: not a configuration descriptor followed by an interface descriptor", name.c_str());
  }
  if (U16(d, 2) != expected + kInsertedEndpointBytes) {
    return Fail(error, "%s: wTotalLength %u, expected %zu", name.c_str(), U16(d, 2), expected + kInsertedEndpointBytes);
  }
  if (superSpeed &&
      (d[18] != 6 || d[19] != kSsEndpointCompanionType || d[24] != 6 || d[25] != kSsEndpointCompanionType)) {
    return Fail(error, "%s: the two SuperSpeed endpoint companions are missing", name.c_str());
  }
  *block = d;
  return true;
}

bool EepromImage::Bos(std::span<const uint8_t>* bos, std::string* error) const {
  const std::string name = LocatorName(layout::kBosLocator);
  EepromLocator locator;
  if (!ReadLocator(layout::kBosLocator, &locator, error)) return false;
  if (locator.length == 0) {
    *bos = {};
    return true;
  }
  std::span<const uint8_t> d;
  if (!LocateChecked(layout::kBosLocator, kBosType, &d, error)) return false;
  if (d.size() < 5 || d[0] != 5 || U16(d, 2) != d.size()) {
    return Fail(error, "%s: BOS header and wTotalLength disagree with the locator length %zu", name.c_str(), d.size());
  }
  // The device capabilities must fill the rest exactly.
  size_t offset = 5;
  unsigned capabilities = 0;
  while (offset < d.size()) {
    if (d.size() - offset < 3 || d[offset] < 3 || d[offset] > d.size() - offset ||
        d[offset + 1] != kDeviceCapabilityType) {
      return Fail(error, "%s: malformed device capability at byte %zu", name.c_str(), offset);
    }
    offset += d[offset];
    ++capabilities;
  }
  if (capabilities != d[4]) {
    return Fail(error, "%s: bNumDeviceCaps %u, found %u capabilities", name.c_str(), d[4], capabilities);
  }
  *bos = d;
  return true;
}

bool EepromImage::StringDescriptor(uint32_t n, std::span<const uint8_t>* descriptor, std::string* error) const {
  if (n < 1 || n > layout::kStringCount) return Fail(error, "there is no string %u in the image", n);
  const uint32_t locator = layout::StringLocator(n);
  std::span<const uint8_t> d;
  if (!LocateChecked(locator, kStringType, &d, error)) return false;
  if (d.size() % 2 != 0 || d[0] != d.size()) {
    return Fail(error, "%s: length %zu and bLength %u disagree or are odd", LocatorName(locator).c_str(), d.size(),
                d[0]);
  }
  *descriptor = d;
  return true;
}

bool EepromImage::StringText(uint32_t n, std::u16string* text, std::string* error) const {
  std::span<const uint8_t> d;
  if (!StringDescriptor(n, &d, error)) return false;
  text->clear();
  for (size_t i = 2; i + 1 < d.size(); i += 2) text->push_back(static_cast<char16_t>(U16(d, i)));
  return true;
}

bool EepromImage::SerialNumber(std::u16string* text, std::string* error) const {
  return StringText(layout::kSerialNumberString, text, error);
}

bool EepromImage::CheckLayout(std::string* error) const {
  if (!HasSignature()) return true;
  EepromHeader header;
  if (!ReadHeader(&header, error)) return false;
  std::span<const uint8_t> d;
  for (EepromSpeed speed : {EepromSpeed::Full, EepromSpeed::High, EepromSpeed::Super}) {
    if (!DeviceDescriptor(speed, &d, error) || !ConfigBlock(speed, &d, error)) return false;
  }
  if (!Bos(&d, error)) return false;
  if ((header.cfg0 & CFG0_LPM) != 0 && d.empty()) {
    return Fail(error, "CFG0 announces link power management but the image has no BOS descriptor");
  }
  for (uint32_t n = 1; n <= layout::kStringCount; ++n) {
    EepromLocator locator;
    if (!ReadLocator(layout::StringLocator(n), &locator, error)) return false;
    if (locator.length != 0 && !StringDescriptor(n, &d, error)) return false;
  }
  return SerialNumberStandsAlone(*this, error);
}

bool CheckEepromImage(std::span<const uint8_t> image, uint32_t partSize, std::string* error) {
  if (!IsEepromPartSize(partSize)) return Fail(error, "EEPROM parts hold 128, 256 or 512 bytes, not %u", partSize);
  if (image.empty()) return Fail(error, "the image is empty");
  if (image.size() > partSize) {
    return Fail(error, "the image holds %zu bytes, more than the %u-byte EEPROM", image.size(), partSize);
  }
  const EepromImage view(image);
  EepromHeader header;
  if (!view.ReadHeader(&header, error)) return false;
  return view.CheckLayout(error);
}

bool ReplaceSerialNumber(std::span<uint8_t> image, std::u16string_view text, std::string* error) {
  const EepromImage view(image);
  std::span<const uint8_t> descriptor;
  if (!view.StringDescriptor(layout::kSerialNumberString, &descriptor, error)) return false;
  const size_t characters = (descriptor.size() - 2) / 2;
  if (text.size() != characters) {
    return Fail(error, "the serial number holds %zu characters, the new one has %zu", characters, text.size());
  }
  if (!SerialNumberStandsAlone(view, error)) return false;
  const size_t start = static_cast<size_t>(descriptor.data() - image.data()) + 2;
  for (size_t i = 0; i < characters; ++i) {
    image[start + 2 * i] = static_cast<uint8_t>(text[i]);
    image[start + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
  return true;
}

}  // namespace zev
