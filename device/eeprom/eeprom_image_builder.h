#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zev {

// What a generated image announces. Strings are ASCII/Latin-1 text stored as UTF-16LE.
struct EepromImageFields {
  uint16_t vendorId = 0x1209;
  uint16_t productId = 0x0002;
  uint16_t bcdDevice = 0x0100;
  uint8_t fsInterruptInterval = 1;
  uint32_t cfg0 = 0;  // CFG0 flags; bit 3 (LPM) adds a BOS descriptor and bcdUSB 0x0210
  uint32_t cfg1 = 0;  // USB_PHY_PARAMS0 preset
  uint32_t cfg2 = 0;  // USB_PHY_PARAMS1 preset
  uint32_t cfg3 = 0;  // USB_PHY_MPLL_CTL preset
  std::array<uint32_t, 4> gpio{};  // enable, buffer, direction, data presets
  uint16_t langId = 0x0409;
  std::string manufacturer = "Voskar";
  std::string product = "ZEV Display Adapter";
  std::string serialNumber = "ZEV000001";
  std::string configuration = "Default";
  std::string interface = "ZEV";
};

// The settings of a test image and of a production image (with the given serial).
EepromImageFields TestImageFields();
EepromImageFields ProductionImageFields(const std::string& serialNumber);

// Builds a valid image for a part of `partSize` bytes (128, 256 or 512): signature,
// CFG words, GPIO presets, device and configuration descriptors for full, high and
// SuperSpeed, a BOS descriptor when LPM is set, and the five strings. Bytes after the
// descriptors are 0xFF (erased). False with a message when it does not fit.
bool BuildEepromImage(const EepromImageFields& fields, uint32_t partSize, std::vector<uint8_t>* image,
                      std::string* error);

}  // namespace zev
