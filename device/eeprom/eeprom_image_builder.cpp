#include "device/eeprom/eeprom_image_builder.h"

#include <algorithm>

#include "device/eeprom/eeprom_image.h"

namespace zev {
namespace {

namespace layout = eeprom_layout;

void PutU16(std::vector<uint8_t>& out, uint32_t offset, uint16_t value) {
  out[offset] = static_cast<uint8_t>(value);
  out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(std::vector<uint8_t>& out, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> DeviceDescriptor(const EepromImageFields& fields, uint16_t bcdUsb, uint8_t maxPacket0) {
  return {18,
          0x01,
          static_cast<uint8_t>(bcdUsb),
          static_cast<uint8_t>(bcdUsb >> 8),
          0x00,  // class per interface
          0x00,
          0x00,
          maxPacket0,
          static_cast<uint8_t>(fields.vendorId),
          static_cast<uint8_t>(fields.vendorId >> 8),
          static_cast<uint8_t>(fields.productId),
          static_cast<uint8_t>(fields.productId >> 8),
          static_cast<uint8_t>(fields.bcdDevice),
          static_cast<uint8_t>(fields.bcdDevice >> 8),
          1,  // iManufacturer
          2,  // iProduct
          3,  // iSerialNumber
          1};
}

// Configuration and interface descriptors as stored; the chip inserts the two
// endpoint descriptors (and counts them in wTotalLength).
std::vector<uint8_t> ConfigBlock(const EepromImageFields& fields, bool superSpeed) {
  const uint16_t total = superSpeed ? 44 : 32;
  const uint8_t attributes = static_cast<uint8_t>(0x80 | ((fields.cfg0 & CFG0_PWR_SEL) != 0 ? 0x40 : 0));
  std::vector<uint8_t> block = {9, 0x02, static_cast<uint8_t>(total), static_cast<uint8_t>(total >> 8), 1, 1, 4,
                                attributes, static_cast<uint8_t>(superSpeed ? 112 : 250),
                                // interface 0: vendor specific, two endpoints
                                9, 0x04, 0, 0, 2, 0xFF, 0x00, 0x00, 5};
  if (superSpeed) {
    // SuperSpeed endpoint companions of the bulk OUT and interrupt IN endpoints.
    for (uint8_t byte : {6, 0x30, 15, 0, 0, 0, 6, 0x30, 0, 0, 16, 0}) block.push_back(byte);
  }
  return block;
}

std::vector<uint8_t> StringDescriptor(const std::string& text) {
  std::vector<uint8_t> descriptor = {static_cast<uint8_t>(2 + 2 * text.size()), 0x03};
  for (unsigned char c : text) {
    descriptor.push_back(c);
    descriptor.push_back(0);
  }
  return descriptor;
}

std::vector<uint8_t> BosDescriptor() {
  // Header and a USB 2.0 extension capability announcing link power management.
  return {5, 0x0F, 12, 0, 1, 7, 0x10, 0x02, 0x02, 0x00, 0x00, 0x00};
}

}  // namespace

EepromImageFields TestImageFields() {
  EepromImageFields fields;
  fields.serialNumber = "TEST00001";
  fields.product = "ZEV Test Adapter";
  return fields;
}

EepromImageFields ProductionImageFields(const std::string& serialNumber) {
  EepromImageFields fields;
  fields.serialNumber = serialNumber;
  fields.cfg0 = CFG0_LPM | CFG0_CLK_XTAL_ENABLE;
  return fields;
}

bool BuildEepromImage(const EepromImageFields& fields, uint32_t partSize, std::vector<uint8_t>* image,
                      std::string* error) {
  if (partSize != 128 && partSize != 256 && partSize != 512) {
    *error = "EEPROM parts hold 128, 256 or 512 bytes, not " + std::to_string(partSize);
    return false;
  }
  const std::string* strings[] = {&fields.manufacturer, &fields.product, &fields.serialNumber, &fields.configuration,
                                  &fields.interface};
  for (const std::string* text : strings) {
    if (2 + 2 * text->size() > 255) {
      *error = "string '" + *text + "' is too long for a string descriptor";
      return false;
    }
  }

  std::vector<uint8_t> out(partSize, 0xFF);
  std::fill(out.begin(), out.begin() + layout::kDescriptorArea, 0);
  out[layout::kSignature] = kEepromSignature;
  out[layout::kFsInterruptInterval] = fields.fsInterruptInterval;
  PutU32(out, layout::kCfg0, fields.cfg0);
  PutU32(out, layout::kCfg1, fields.cfg1);
  PutU32(out, layout::kCfg2, fields.cfg2);
  PutU32(out, layout::kCfg3, fields.cfg3);
  for (uint32_t i = 0; i < 4; ++i) PutU32(out, layout::kGpioEnable + 4 * i, fields.gpio[i]);
  PutU16(out, layout::kLangId, fields.langId);

  const bool lpm = (fields.cfg0 & CFG0_LPM) != 0;
  const uint16_t bcdUsb2 = lpm ? 0x0210 : 0x0200;
  uint32_t next = layout::kDescriptorArea;
  bool fits = true;
  struct Placed {
    std::vector<uint8_t> bytes;
    uint32_t offset;
  };
  std::vector<Placed> shareable;
  auto point = [&](uint32_t locator, size_t length, uint32_t offset) {
    out[locator] = static_cast<uint8_t>(length);
    out[locator + 1] = static_cast<uint8_t>(offset / 2);
  };
  // Strings get a place of their own (the serial number is rewritten in place);
  // identical device and configuration descriptors are stored once and shared.
  auto place = [&](uint32_t locator, const std::vector<uint8_t>& descriptor, bool share) {
    if (share) {
      for (const Placed& p : shareable) {
        if (p.bytes == descriptor) return point(locator, descriptor.size(), p.offset);
      }
    }
    next = (next + 1) & ~1u;  // descriptors start at even offsets
    if (next + descriptor.size() > partSize || next / 2 > 0xFF) {
      fits = false;
      return;
    }
    std::copy(descriptor.begin(), descriptor.end(), out.begin() + next);
    point(locator, descriptor.size(), next);
    if (share) shareable.push_back({descriptor, next});
    next += static_cast<uint32_t>(descriptor.size());
  };
  place(layout::kFsDeviceLocator, DeviceDescriptor(fields, bcdUsb2, 64), true);
  place(layout::kFsConfigLocator, ConfigBlock(fields, false), true);
  place(layout::kHsDeviceLocator, DeviceDescriptor(fields, bcdUsb2, 64), true);
  place(layout::kHsConfigLocator, ConfigBlock(fields, false), true);
  place(layout::kSsDeviceLocator, DeviceDescriptor(fields, 0x0320, 9), true);
  place(layout::kSsConfigLocator, ConfigBlock(fields, true), true);
  if (lpm) place(layout::kBosLocator, BosDescriptor(), true);
  for (uint32_t n = 1; n <= 5; ++n) place(layout::StringLocator(n), StringDescriptor(*strings[n - 1]), false);
  if (!fits) {
    *error = "the descriptors and strings do not fit a " + std::to_string(partSize) + "-byte part";
    return false;
  }
  *image = std::move(out);
  return true;
}

}  // namespace zev
