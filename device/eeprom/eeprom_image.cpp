#include "device/eeprom/eeprom_image.h"

#include <cstdio>

namespace zev {

bool EepromImage::ReadU8(uint32_t offset, uint8_t* value) const {
  if (offset >= bytes_.size()) return false;
  *value = bytes_[offset];
  return true;
}

bool EepromImage::ReadU16(uint32_t offset, uint16_t* value) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 2) return false;
  *value = static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
  return true;
}

bool EepromImage::ReadU32(uint32_t offset, uint32_t* value) const {
  if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
  *value = static_cast<uint32_t>(bytes_[offset]) | static_cast<uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes_[offset + 2]) << 16 | static_cast<uint32_t>(bytes_[offset + 3]) << 24;
  return true;
}

bool EepromImage::Locate(uint32_t locatorOffset, std::span<const uint8_t>* descriptor, std::string* error) const {
  char text[128];
  uint8_t length = 0;
  uint8_t wordOffset = 0;
  if (!ReadU8(locatorOffset, &length) || !ReadU8(locatorOffset + 1, &wordOffset)) {
    std::snprintf(text, sizeof text, "locator at 0x%02X lies outside the %zu-byte image", locatorOffset,
                  bytes_.size());
    *error = text;
    return false;
  }
  if (length == 0) {
    std::snprintf(text, sizeof text, "locator at 0x%02X is empty", locatorOffset);
    *error = text;
    return false;
  }
  const uint32_t start = 2u * wordOffset;
  if (start + length > bytes_.size()) {
    std::snprintf(text, sizeof text, "locator at 0x%02X points to 0x%03X..0x%03X, past the %zu-byte image",
                  locatorOffset, start, start + length - 1, bytes_.size());
    *error = text;
    return false;
  }
  *descriptor = bytes_.subspan(start, length);
  return true;
}

}  // namespace zev
